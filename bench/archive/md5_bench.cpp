// MD5 throughput: ours against OpenSSL's, measured in the same run.
#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <string>

#include "reader/archive/md5.h"

namespace {

std::string buffer_of(std::size_t size) {
    std::string s(size, '\0');
    std::uint32_t x = 1;
    for (auto& c : s) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    return s;
}

constexpr std::size_t block = 16 * 1024;
constexpr std::size_t whole = 64 * 1024 * 1024;

// One digest per 16 KiB block (one-shot, as the installer digests an element).
void md5_ours_16k(benchmark::State& state) {
    const std::string data = buffer_of(block);
    for (auto _ : state) {
        std::string d = tarnwick::reader::md5(data).digest();
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block));
}

void md5_openssl_16k(benchmark::State& state) {
    const std::string data = buffer_of(block);
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    for (auto _ : state) {
        EVP_Digest(data.data(), data.size(), d, &n, EVP_md5(), nullptr);
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * block));
}

// A 64 MiB buffer fed in 16 KiB pieces, and in one call.
void md5_ours_whole(benchmark::State& state) {
    const std::string data = buffer_of(whole);
    const bool pieces = state.range(0) != 0;
    for (auto _ : state) {
        tarnwick::reader::md5 m;
        if (pieces)
            for (std::size_t at = 0; at < data.size(); at += block) m.update(data.data() + at, block);
        else
            m.update(data.data(), data.size());
        std::string d = m.digest();
        benchmark::DoNotOptimize(d);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * whole));
}

void md5_openssl_whole(benchmark::State& state) {
    const std::string data = buffer_of(whole);
    const bool pieces = state.range(0) != 0;
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    unsigned char d[EVP_MAX_MD_SIZE];
    unsigned int n = 0;
    for (auto _ : state) {
        EVP_DigestInit_ex(ctx, EVP_md5(), nullptr);
        if (pieces)
            for (std::size_t at = 0; at < data.size(); at += block) EVP_DigestUpdate(ctx, data.data() + at, block);
        else
            EVP_DigestUpdate(ctx, data.data(), data.size());
        EVP_DigestFinal_ex(ctx, d, &n);
        benchmark::DoNotOptimize(d);
    }
    EVP_MD_CTX_free(ctx);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * whole));
}

}  // namespace

BENCHMARK(md5_ours_16k);
BENCHMARK(md5_openssl_16k);
BENCHMARK(md5_ours_whole)->Arg(0)->Arg(1)->ArgName("pieces_of_16k")->Unit(benchmark::kMillisecond);
BENCHMARK(md5_openssl_whole)->Arg(0)->Arg(1)->ArgName("pieces_of_16k")->Unit(benchmark::kMillisecond);
