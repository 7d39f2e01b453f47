// Throughput of the installer's md5 without Google Benchmark, so that the
// same figure can be had from the Windows build (under Wine) and natively.
//
//   md5_rate [MiB]        (default 64)
//
// Prints "md5_16k_MBps <rate>" (update() in 16 KiB blocks) and
// "md5_whole_MBps <rate>" (one update over the whole buffer), the best of
// several timed passes of at least 0.3 s each, in 10^6 bytes per second.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "reader/archive/md5.h"
#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"
#include "varrow/variant.h"

namespace {

using clock_type = std::chrono::steady_clock;

// Best rate over `passes` timed runs of `pass` (each run digests `bytes`
// bytes at least once and repeats until 0.3 s have passed).
template <typename Pass>
double best_rate(std::size_t bytes, int passes, Pass pass) {
    double best = 0;
    for (int p = 0; p < passes; ++p) {
        const auto start = clock_type::now();
        std::size_t done = 0;
        double elapsed = 0;
        do {
            pass();
            done += bytes;
            elapsed = std::chrono::duration<double>(clock_type::now() - start).count();
        } while (elapsed < 0.3);
        const double rate = static_cast<double>(done) / elapsed / 1e6;
        if (rate > best) best = rate;
    }
    return best;
}

}  // namespace

int varrow::system::program_main(const std::string& command_line) {
    const std::vector<std::string> args = split_arguments(command_line);
    const std::int32_t mib = args.empty() ? 64 : varrow::variant(args[0]).as_integer();
    if (mib <= 0) return 2;
    std::string data(static_cast<std::size_t>(mib) << 20, '\0');
    std::uint32_t x = 0x9E3779B9u;  // xorshift: bytes that no branch can predict
    for (char& c : data) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        c = static_cast<char>(x);
    }

    volatile char sink = 0;  // keeps the digests from being optimised away
    const double blocks = best_rate(data.size(), 3, [&] {
        tarnwick::reader::md5 digest;
        constexpr std::size_t block = 16 * 1024;
        for (std::size_t at = 0; at < data.size(); at += block) digest.update(data.data() + at, block);
        sink = sink + digest.digest()[0];
    });
    const double whole = best_rate(data.size(), 3, [&] {
        sink = sink + tarnwick::reader::md5(std::string_view(data)).digest()[0];
    });
    std::printf("md5_16k_MBps %.1f\nmd5_whole_MBps %.1f\n", blocks, whole);
    return 0;
}
