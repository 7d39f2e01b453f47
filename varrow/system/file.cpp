#include "varrow/system/file.h"

#include <utility>

namespace varrow::system {

file::file(file&& other) noexcept : handle_(std::exchange(other.handle_, invalid_handle())) {}

file& file::operator=(file&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, invalid_handle());
    }
    return *this;
}

file::~file() { close(); }

bool file::is_open() const noexcept { return handle_ != invalid_handle(); }

bool file::read_exact(void* buffer, std::uint32_t count) {
    auto* out = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        std::uint32_t got = 0;
        if (!read(out, count, &got) || got == 0) return false;
        out += got;
        count -= got;
    }
    return true;
}

}  // namespace varrow::system
