#include <cerrno>
#include <cstdlib>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

#include "varrow/system/folders.h"

namespace varrow::system {

std::string temp_folder() {
    const char* value = std::getenv("TMPDIR");
    std::string folder = value && *value ? value : "/tmp/";
    if (folder.back() != '/') folder += '/';
    return folder;
}

std::string module_path() {
    std::vector<char> buffer(4096);
    for (;;) {
        const ssize_t length = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (length < 0) return std::string();
        if (static_cast<std::size_t>(length) < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(buffer.size() * 2);
    }
}

std::string current_directory() {
    std::vector<char> buffer(4096);
    for (;;) {
        if (::getcwd(buffer.data(), buffer.size())) return std::string(buffer.data());
        if (errno != ERANGE) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool set_current_directory(const std::string& path) { return ::chdir(path.c_str()) == 0; }

bool create_folder(const std::string& path) { return ::mkdir(path.c_str(), 0777) == 0; }

bool create_private_folder(const std::string& path) { return ::mkdir(path.c_str(), 0700) == 0; }

}  // namespace varrow::system
