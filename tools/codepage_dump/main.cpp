// codepage_dump CP... : prints the whole behaviour of the code-page
// converter for each code page (format in page_dump.h), so that the dump of
// the Windows build and that of the POSIX converter can be compared in full
// and scripts/gen-codepage-tables.py can take pages from the platform's dump.
// Status 0 when written, 1 if the output could not be written, 2 for bad
// arguments.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "tools/codepage_dump/page_dump.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: codepage_dump CODEPAGE...\n");
        return 2;
    }
    std::vector<std::int32_t> pages;
    for (int i = 1; i < argc; ++i) {
        char* end = nullptr;
        const long value = std::strtol(argv[i], &end, 10);
        if (end == argv[i] || *end != '\0' || value < 0 || value > 65535) {
            std::fprintf(stderr, "codepage_dump: '%s' is not a code page number\n", argv[i]);
            return 2;
        }
        pages.push_back(static_cast<std::int32_t>(value));
    }
    for (const std::int32_t codepage : pages) {
        const std::string block = tarnwick::tools::dump_codepage(codepage);
        if (std::fwrite(block.data(), 1, block.size(), stdout) != block.size()) return 1;
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
