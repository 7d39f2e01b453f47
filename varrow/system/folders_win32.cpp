#include <vector>

#include "varrow/system/folders.h"
#include "varrow/system/win32.h"

namespace varrow::system {

std::string temp_folder() {
    std::vector<char> buffer(MAX_PATH);
    DWORD length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
    if (length > buffer.size()) {
        // Too small: the call reported the size it needs, zero byte included.
        buffer.resize(length);
        length = GetTempPathA(static_cast<DWORD>(buffer.size()), buffer.data());
        if (length >= buffer.size()) return std::string();
    }
    return std::string(buffer.data(), length);
}

std::string module_path() {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return std::string();
        // A full buffer means the path was cut.
        if (length < buffer.size()) return std::string(buffer.data(), length);
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

std::string current_directory() {
    const DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return std::string();
    std::vector<char> buffer(needed);
    const DWORD length = GetCurrentDirectoryA(needed, buffer.data());
    if (length == 0 || length >= needed) return std::string();
    return std::string(buffer.data(), length);
}

bool set_current_directory(const std::string& path) { return SetCurrentDirectoryA(path.c_str()) != 0; }

bool create_folder(const std::string& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

// The folder takes the access list of its parent, which in the user's
// temporary folder admits only the user and the administrators.
bool create_private_folder(const std::string& path) { return create_folder(path); }

}  // namespace varrow::system
