#pragma once
// What the golden-file tests of the converter share: reading a file of the
// source tree, and whether this build is the one that writes the golden
// files (the Windows build, from the platform's own code-page services).

#include <fstream>
#include <sstream>
#include <string>

namespace tw_test {

// The bytes of `relative` below the source folder; empty when it cannot be
// read (the tests then fail on the missing content).
inline std::string read_source_file(const std::string& relative) {
    std::ifstream in(TW_SOURCE_DIR "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

#if defined(_WIN32)
inline constexpr bool windows_build = true;
#else
inline constexpr bool windows_build = false;
#endif

}  // namespace tw_test
