// The tail search with trailing data behind the archive, and extraction of
// an archive with one 256 MiB file against MD5 plus copy of the same bytes.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "reader/archive/archive_format.h"
#include "reader/archive/md5.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "tools/chunkpack/archive_writer.h"
#include "varrow/system/file.h"

namespace {

namespace fs = std::filesystem;
namespace r = tarnwick::reader;
using varrow::system::file;

std::string noise(std::size_t size, std::uint32_t x) {
    std::string s(size, '\0');
    for (auto& c : s) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
    return s;
}

fs::path bench_folder() {
    static const fs::path p = [] {
        fs::path d = fs::temp_directory_path() / "tw-archive-bench";
        fs::create_directories(d / "work");
        return d;
    }();
    return p;
}

void write_file(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

fs::path installer_with_trailing(std::size_t trailing) {
    const fs::path p = bench_folder() / ("trailing-" + std::to_string(trailing) + ".exe");
    if (!fs::exists(p)) {
        tarnwick::chunkpack::archive_builder b;
        b.stub(noise(100000, 1), "Reader.exe", "stub").value("parameters", "/q").tail().raw(noise(trailing, 2));
        write_file(p, b.bytes());
    }
    return p;
}

void tail_search(benchmark::State& state) {
    const auto trailing = static_cast<std::size_t>(state.range(0));
    file f = file::open_for_reading(installer_with_trailing(trailing).string());
    const std::uint64_t end = f.size();
    for (auto _ : state) {
        auto found = r::find_tail(f, end);
        if (!found) state.SkipWithError("tail not found");
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(std::to_string(trailing) + " trailing bytes");
}

// The search one seek and one 22-byte read per byte, for comparison.
void tail_search_byte_per_step(benchmark::State& state) {
    const auto trailing = static_cast<std::size_t>(state.range(0));
    file f = file::open_for_reading(installer_with_trailing(trailing).string());
    const std::uint64_t end = f.size();
    for (auto _ : state) {
        f.seek_to(end);
        std::uint64_t found = 0;
        for (;;) {
            if (!f.seek(-23) || f.position() <= 22) break;
            char buffer[22];
            if (!f.read(buffer, 22)) break;
            if (r::tail_marker() == std::string_view(buffer, 22)) {
                found = f.position() + 20;
                break;
            }
        }
        benchmark::DoNotOptimize(found);
    }
    state.SetLabel(std::to_string(trailing) + " trailing bytes");
}

constexpr std::size_t big = 256u * 1024 * 1024;

// Written piece by piece, so that making it does not raise the process's
// peak memory before extraction is measured.
const fs::path& big_installer() {
    static const fs::path p = [] {
        const fs::path path = bench_folder() / "big.exe";
        file out = file::create_always(path.string());
        tarnwick::chunkpack::archive_builder head;
        head.stub(noise(100000, 3), "Reader.exe", "stub");
        out.write(head.bytes().data(), static_cast<std::uint32_t>(head.size()));
        r::md5 digest;
        std::uint32_t x = 4;
        std::string piece(1024 * 1024, '\0');
        for (std::size_t done = 0; done < big; done += piece.size()) {
            for (auto& c : piece) c = static_cast<char>((x = x * 1664525u + 1013904223u) >> 24);
            digest.update(piece.data(), piece.size());
            out.write(piece.data(), static_cast<std::uint32_t>(piece.size()));
        }
        std::string rest;
        for (int i = 0; i < 4; ++i) rest.push_back(static_cast<char>(big >> (8 * i)));
        rest += digest.digest();
        tarnwick::chunkpack::archive_builder tail;
        tail.add_element("setup.exe").add_element("executable").add_element("file").tail();
        rest += tail.bytes();
        out.write(rest.data(), static_cast<std::uint32_t>(rest.size()));
        return path;
    }();
    return p;
}

double peak_memory_mib() {
    struct rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB
}

void extract_256mib(benchmark::State& state) {
    const std::string path = big_installer().string();
    r::working_folder = (bench_folder() / "work").string() + static_cast<char>(fs::path::preferred_separator);
    for (auto _ : state) {
        r::archive_valid = false;
        r::installer_variables = r::variable_store{};
        r::read_archive(path);
        if (!r::archive_valid) state.SkipWithError("archive not valid");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * big));
    // The whole process's high-water mark, so this runs before the
    // benchmarks that hold 256 MiB themselves.
    state.counters["peak_rss_MiB"] = peak_memory_mib();
}

// The floor: read the same bytes, digest them, write them to a file.
void md5_and_copy_256mib(benchmark::State& state) {
    const std::string path = big_installer().string();
    const std::string target = (bench_folder() / "work" / "copy.bin").string();
    std::string data(big, '\0');
    for (auto _ : state) {
        file in = file::open_for_reading(path);
        in.seek_to(100000 + 20 + 30 + 24 + 24);  // the contents of the file record
        in.read_exact(data.data(), static_cast<std::uint32_t>(big));
        std::string d = r::md5(data).digest();
        benchmark::DoNotOptimize(d);
        file out = file::create_always(target);
        out.write(data.data(), static_cast<std::uint32_t>(big));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * big));
}

}  // namespace

BENCHMARK(tail_search)->Arg(0)->Arg(16 * 1024)->Arg(4 * 1024 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(tail_search_byte_per_step)->Arg(0)->Arg(16 * 1024)->Unit(benchmark::kMicrosecond);
BENCHMARK(extract_256mib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(md5_and_copy_256mib)->Unit(benchmark::kMillisecond)->MinTime(2.0);
