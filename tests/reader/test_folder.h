#pragma once
// A fresh folder under the system's temporary folder, removed (links not
// followed, attributes reset) at the end of the test.
#include <atomic>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include <gtest/gtest.h>

namespace tarnwick::reader::testing {

inline std::filesystem::path make_test_folder(const std::string& label) {
    static std::atomic<int> counter{0};
    const auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    auto path = std::filesystem::temp_directory_path() /
                ("tw-" + label + "-" + std::to_string(now) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path);
    return path;
}

class test_folder {
public:
    explicit test_folder(const std::string& label) : path_(make_test_folder(label)) {}
    ~test_folder() {
        std::error_code ignored;
        for (auto it = std::filesystem::recursive_directory_iterator(path_, ignored);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ignored))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add |
                                             std::filesystem::perm_options::nofollow,
                                         ignored);
        std::filesystem::remove_all(path_, ignored);
    }
    test_folder(const test_folder&) = delete;
    test_folder& operator=(const test_folder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path as text with a final separator.
    std::string text() const { return (path_ / "").string(); }

private:
    std::filesystem::path path_;
};

inline void write_file(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace tarnwick::reader::testing
