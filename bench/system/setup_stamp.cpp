// A setup program for timing the installer: the first thing it does is
// write the wall-clock time (nanoseconds since 1970-01-01 UTC, decimal) to
// the file named by its last argument. With "--digest NAME" in front it then
// appends the MD5 digest (32 hexadecimal digits) of the file NAME, read from
// the current directory, so that the benchmark can check that the installer
// extracted the setup file byte for byte. Exit code 0, or 2 to 5 when an
// argument is missing or a file cannot be written or read.
//
// Wall-clock time, not a monotonic clock, because the time is compared with
// a time taken by another process (the benchmark script), which under Wine
// is a Linux process: Wine's wall clock is the system's wall clock, while
// its performance counter has an origin of its own.
//
// The file may carry any number of trailing bytes after the program image
// (the benchmark pads it to the size of the setup file being measured);
// neither ELF nor PE loaders read them.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "reader/archive/md5.h"
#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"

namespace {

// The digest of the file at `path` in lower-case hexadecimal; empty when it
// cannot be read.
std::string file_digest(const std::string& path) {
    std::FILE* in = std::fopen(path.c_str(), "rb");
    if (!in) return {};
    tarnwick::reader::md5 digest;
    std::vector<char> block(1 << 20);
    std::size_t n = 0;
    while ((n = std::fread(block.data(), 1, block.size(), in)) > 0) digest.update(block.data(), n);
    const bool ok = !std::ferror(in);
    std::fclose(in);
    if (!ok) return {};
    std::string hex;
    for (unsigned char c : digest.digest()) {
        const char digits[] = "0123456789abcdef";
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

}  // namespace

int varrow::system::program_main(const std::string& command_line) {
    const auto now = std::chrono::system_clock::now();
    const long long ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    const std::vector<std::string> arguments = split_arguments(command_line);
    if (arguments.empty()) return 2;
    const std::string& stamp = arguments.back();
    std::FILE* out = std::fopen(stamp.c_str(), "w");
    if (!out) return 3;
    const bool written = std::fprintf(out, "%lld\n", ns) > 0;
    if (std::fclose(out) != 0 || !written) return 3;

    for (std::size_t i = 0; i + 2 < arguments.size(); ++i) {
        if (arguments[i] != "--digest") continue;
        const std::string hex = file_digest(arguments[i + 1]);
        if (hex.empty()) return 4;
        out = std::fopen(stamp.c_str(), "a");
        if (!out) return 5;
        const bool appended = std::fprintf(out, "%s\n", hex.c_str()) > 0;
        if (std::fclose(out) != 0 || !appended) return 5;
    }
    return 0;
}
