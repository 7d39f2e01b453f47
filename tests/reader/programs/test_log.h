#pragma once
// The log that the stand-in programs append to ($TW_TEST_LOG).
#include <cstdio>
#include <cstdlib>
#include <string>

namespace tarnwick::reader::testing {

inline void append_to_test_log(const std::string& text) {
    const char* path = std::getenv("TW_TEST_LOG");
    if (!path || !*path) return;
    if (std::FILE* f = std::fopen(path, "ab")) {
        std::fwrite(text.data(), 1, text.size(), f);
        std::fclose(f);
    }
}

}  // namespace tarnwick::reader::testing
