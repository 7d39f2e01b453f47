#include "varrow/system/file.h"
#include "varrow/system/win32.h"

#include <cstdint>

namespace varrow::system {

namespace {

HANDLE as_handle(std::intptr_t h) { return reinterpret_cast<HANDLE>(h); }

}  // namespace

file file::open_for_reading(const std::string& path) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return h == INVALID_HANDLE_VALUE ? file() : file(reinterpret_cast<std::intptr_t>(h));
}

file file::create_always(const std::string& path, mode) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    return h == INVALID_HANDLE_VALUE ? file() : file(reinterpret_cast<std::intptr_t>(h));
}

void file::close() noexcept {
    if (handle_ != invalid_handle()) {
        CloseHandle(as_handle(handle_));
        handle_ = invalid_handle();
    }
}

bool file::seek(std::int32_t distance) {
    // Without a high word the distance is a signed 32-bit move; a move before
    // the start fails with ERROR_NEGATIVE_SEEK and leaves the position.
    // INVALID_SET_FILE_POINTER is also a valid low word, so the error code
    // decides.
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(as_handle(handle_), distance, nullptr, FILE_CURRENT);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

bool file::seek_to(std::uint64_t offset) {
    LONG high = static_cast<LONG>(offset >> 32);
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(as_handle(handle_), static_cast<LONG>(static_cast<DWORD>(offset)), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR);
}

std::uint64_t file::position() const {
    LONG high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = SetFilePointer(as_handle(handle_), 0, &high, FILE_CURRENT);
    if (low == INVALID_SET_FILE_POINTER && GetLastError() != NO_ERROR) return UINT64_MAX;
    return (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
}

bool file::read(void* buffer, std::uint32_t count, std::uint32_t* delivered) {
    DWORD got = 0;
    const BOOL ok = ReadFile(as_handle(handle_), buffer, count, &got, nullptr);
    if (delivered) *delivered = ok ? got : 0;
    return ok != FALSE;
}

bool file::write(const void* buffer, std::uint32_t count) {
    DWORD put = 0;
    return WriteFile(as_handle(handle_), buffer, count, &put, nullptr) != FALSE && put == count;
}

std::uint32_t file::size_low() const { return GetFileSize(as_handle(handle_), nullptr); }

std::uint64_t file::size() const {
    DWORD high = 0;
    SetLastError(NO_ERROR);
    const DWORD low = GetFileSize(as_handle(handle_), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return UINT64_MAX;
    return (static_cast<std::uint64_t>(high) << 32) | low;
}

std::uint32_t last_error() { return GetLastError(); }

std::uint32_t invalid_name_error() { return ERROR_INVALID_NAME; }

std::string system_error_text(std::uint32_t code) {
    // Language 1024: neutral language, default sublanguage (the user's
    // default). Every system text ends with a line break, which is dropped.
    char* buffer = nullptr;
    const DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER, nullptr, code,
        1024, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    if (length == 0 || buffer == nullptr) return std::string();
    std::string text(buffer, length);
    LocalFree(buffer);
    text.erase(text.size() >= 2 ? text.size() - 2 : 0);
    return text;
}

}  // namespace varrow::system
