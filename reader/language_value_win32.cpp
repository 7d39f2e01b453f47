#include <cstring>

#include "reader/language.h"
#include "varrow/system/win32.h"

namespace tarnwick::reader {

namespace {

class registry_key {
public:
    explicit registry_key(HKEY key) : key_(key) {}
    ~registry_key() { RegCloseKey(key_); }
    registry_key(const registry_key&) = delete;
    registry_key& operator=(const registry_key&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_;
};

}  // namespace

std::optional<std::string> read_language_value() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick", 0, KEY_READ, &opened) != ERROR_SUCCESS)
        return std::nullopt;
    const registry_key key(opened);
    BYTE buffer[10] = {};
    DWORD size = sizeof(buffer);
    // A value longer than the buffer makes the call fail; the type is not examined.
    if (RegQueryValueExA(key.get(), "Language", nullptr, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    // Ten bytes without a terminating zero are not text of at most 9 characters.
    if (size == sizeof(buffer) && buffer[sizeof(buffer) - 1] != 0) return std::nullopt;
    const char* text = reinterpret_cast<const char*>(buffer);
    return std::string(text, strnlen(text, size));
}

}  // namespace tarnwick::reader
