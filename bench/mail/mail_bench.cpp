// The wire form of a 10 MiB UTF-8 log in base64, and to_base64 against
// OpenSSL's EVP_EncodeBlock on the same input in the same run.
//
// Pairs to compare (bytes_per_second):
//   to_base64/...          vs  EVP_EncodeBlock_fresh/...   (both make a new output)
//   encode_bits_reused/... vs  EVP_EncodeBlock_reused/...  (both write into kept room)
// Argument: input size in bytes (57 is one body line, 10485760 the log).

#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>

#include "varrow/coding/translate.h"
#include "varrow/internet/message2/message.h"
#include "varrow/unicode/conversion.h"

namespace {

constexpr std::size_t log_size = 10 * 1024 * 1024;

// Log-like UTF-8 text: ASCII lines with some accented and CJK words.
const std::string& utf8_log() {
    static const std::string text = [] {
        const char* words[] = {"MSI", "(c)", "(A4:B8)", "[13:05:01:123]:", "Action", "ended", "Return",
                               "value", "3.", "Größe", "café", "安装失败", "Ошибка", "1603", "C:\\Temp\\TW1\\"};
        std::mt19937 random(42);
        std::string out;
        out.reserve(log_size + 64);
        while (out.size() < log_size) {
            const int n = 4 + static_cast<int>(random() % 12);
            for (int i = 0; i < n; ++i) {
                out += words[random() % std::size(words)];
                out += ' ';
            }
            out += "\r\n";
        }
        out.resize(log_size);
        return out;
    }();
    return text;
}

std::string random_bytes(std::size_t n) {
    std::mt19937 random(7);
    std::string out(n, '\0');
    for (char& c : out) c = static_cast<char>(random() & 0xFF);
    return out;
}

void lines_of_base64_log(benchmark::State& state) {
    // set_text needs the text in the message's charset; the lines are what
    // is measured.
    varrow::internet::message2::message report;
    report.remove_header("Content-Transfer-Encoding");
    report.add_header("Content-Transfer-Encoding", "base64");
    report.add_header("To", "\"Installation Support\" <install-support@tarnwick.example>");
    report.charset = "utf-8";
    report.set_text(varrow::unicode::to_wide(utf8_log(), 65001));
    report.add_header("Subject", "TW:1  OS:10.0  ExitCode:1603 (Error:1603)");
    std::size_t line_count = 0;
    for (auto _ : state) {
        const auto lines = report.lines();
        line_count = lines.size();
        benchmark::DoNotOptimize(lines.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * report.body.size()));
    state.counters["lines"] = static_cast<double>(line_count);
}
BENCHMARK(lines_of_base64_log)->Unit(benchmark::kMillisecond);

void to_base64(benchmark::State& state) {
    const std::string input = random_bytes(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = varrow::coding::translate::to_base64(input);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(to_base64)->Arg(57)->Arg(log_size);

void EVP_EncodeBlock_fresh(benchmark::State& state) {
    const std::string input = random_bytes(static_cast<std::size_t>(state.range(0)));
    const auto* in = reinterpret_cast<const unsigned char*>(input.data());
    const int n = static_cast<int>(input.size());
    for (auto _ : state) {
        // A new, uninitialised output each time, as to_base64 makes one.
        std::unique_ptr<unsigned char[]> out(new unsigned char[(input.size() + 2) / 3 * 4 + 1]);
        benchmark::DoNotOptimize(EVP_EncodeBlock(out.get(), in, n));
        benchmark::DoNotOptimize(out.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(EVP_EncodeBlock_fresh)->Arg(57)->Arg(log_size);

void encode_bits_reused(benchmark::State& state) {
    const std::string input = random_bytes(static_cast<std::size_t>(state.range(0)));
    std::string out;
    out.reserve((input.size() + 2) / 3 * 4);
    for (auto _ : state) {
        out.clear();  // the room stays
        varrow::coding::translate::encode_bits(input, out, varrow::coding::translate::base64_alphabet, 6, 63);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(encode_bits_reused)->Arg(57)->Arg(log_size);

void EVP_EncodeBlock_reused(benchmark::State& state) {
    const std::string input = random_bytes(static_cast<std::size_t>(state.range(0)));
    const auto* in = reinterpret_cast<const unsigned char*>(input.data());
    const int n = static_cast<int>(input.size());
    std::string out((input.size() + 2) / 3 * 4 + 1, '\0');
    for (auto _ : state) {
        benchmark::DoNotOptimize(EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), in, n));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * input.size()));
}
BENCHMARK(EVP_EncodeBlock_reused)->Arg(57)->Arg(log_size);

}  // namespace

BENCHMARK_MAIN();
