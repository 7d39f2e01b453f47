#pragma once
// Test helpers: a fresh temporary folder per test, whole-file read/write,
// and a clean installer state.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "reader/process_state.h"
#include "varrow/ui/recording.h"

namespace archive_test {

namespace fs = std::filesystem;

inline std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void write_file(const fs::path& p, const std::string& data) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(data.data(), static_cast<std::streamsize>(data.size()));
}

// Bytes that look like nothing in particular (and contain no marker).
inline std::string noise(std::size_t size, std::uint32_t seed = 7) {
    std::string s(size, '\0');
    std::uint32_t x = seed;
    for (auto& c : s) {
        x = x * 1664525u + 1013904223u;
        c = static_cast<char>(x >> 24);
    }
    return s;
}

class temp_folder_test : public ::testing::Test {
protected:
    void SetUp() override {
        std::random_device rd;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        root_ = fs::temp_directory_path() / ("tw-archive-" + std::to_string(stamp) + "-" + std::to_string(rd()));
        fs::create_directories(root_ / "work");
        namespace r = tarnwick::reader;
        r::working_folder = (root_ / "work").string() + static_cast<char>(fs::path::preferred_separator);
        r::archive_valid = false;
        r::installer_variables = r::variable_store{};
        varrow::ui::recording::reset();
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path root_;
    fs::path work() const { return root_ / "work"; }
};

}  // namespace archive_test
