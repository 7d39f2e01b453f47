// A setup program for timing the installer: the first thing it does is
// write the wall-clock time (nanoseconds since 1970-01-01 UTC, decimal) to
// the file named by its last argument, then it ends with exit code 0.
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

#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"

int varrow::system::program_main(const std::string& command_line) {
    const auto now = std::chrono::system_clock::now();
    const long long ns =
        std::chrono::duration_cast<std::chrono::nanoseconds>(now.time_since_epoch()).count();
    const std::vector<std::string> arguments = split_arguments(command_line);
    if (arguments.empty()) return 2;
    std::FILE* out = std::fopen(arguments.back().c_str(), "w");
    if (!out) return 3;
    const bool written = std::fprintf(out, "%lld\n", ns) > 0;
    return std::fclose(out) == 0 && written ? 0 : 4;
}
