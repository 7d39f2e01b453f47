#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "varrow/system/file.h"

namespace varrow::system {

file file::open_for_reading(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return file();
    // Only a hint; its failure changes nothing.
    const int saved = errno;
    (void)::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    errno = saved;
    return file(fd);
}

file file::create_always(const std::string& path, mode m) {
    const mode_t bits = m == mode::executable ? 0700 : 0666;
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, bits);
    if (fd < 0) return file();
    // A replaced file keeps its old mode through open(); an executable one
    // must end up 0700 whatever it was before.
    if (m == mode::executable && ::fchmod(fd, 0700) != 0) {
        const int saved = errno;
        ::close(fd);
        errno = saved;
        return file();
    }
    return file(fd);
}

void file::close() noexcept {
    if (handle_ != invalid_handle()) {
        ::close(static_cast<int>(handle_));
        handle_ = invalid_handle();
    }
}

bool file::seek(std::int32_t distance) {
    if (!is_open()) {
        errno = EBADF;
        return false;
    }
    const off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    if (here < 0) return false;
    if (distance < 0 && static_cast<std::int64_t>(here) + distance < 0) {
        errno = EINVAL;  // before the start of the file
        return false;
    }
    return ::lseek(static_cast<int>(handle_), distance, SEEK_CUR) >= 0;
}

bool file::seek_to(std::uint64_t offset) {
    if (!is_open()) {
        errno = EBADF;
        return false;
    }
    if (offset > static_cast<std::uint64_t>(INT64_MAX)) {
        errno = EINVAL;
        return false;
    }
    return ::lseek(static_cast<int>(handle_), static_cast<off_t>(offset), SEEK_SET) >= 0;
}

std::uint64_t file::position() const {
    if (!is_open()) return UINT64_MAX;
    const off_t here = ::lseek(static_cast<int>(handle_), 0, SEEK_CUR);
    return here < 0 ? UINT64_MAX : static_cast<std::uint64_t>(here);
}

bool file::read(void* buffer, std::uint32_t count, std::uint32_t* delivered) {
    if (delivered) *delivered = 0;
    if (!is_open()) {
        errno = EBADF;
        return false;
    }
    ssize_t got;
    do {
        got = ::read(static_cast<int>(handle_), buffer, count);
    } while (got < 0 && errno == EINTR);
    if (got < 0) return false;
    if (delivered) *delivered = static_cast<std::uint32_t>(got);
    return true;
}

bool file::write(const void* buffer, std::uint32_t count) {
    if (!is_open()) {
        errno = EBADF;
        return false;
    }
    // write() may take fewer bytes than offered; keep going, as one Windows
    // WriteFile call on a disk file would take them all.
    const auto* in = static_cast<const unsigned char*>(buffer);
    while (count > 0) {
        const ssize_t put = ::write(static_cast<int>(handle_), in, count);
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        in += put;
        count -= static_cast<std::uint32_t>(put);
    }
    return true;
}

std::uint64_t file::size() const {
    struct stat st {};
    if (!is_open() || ::fstat(static_cast<int>(handle_), &st) != 0) return UINT64_MAX;
    return static_cast<std::uint64_t>(st.st_size);
}

std::uint32_t file::size_low() const { return static_cast<std::uint32_t>(size()); }

std::uint32_t last_error() { return static_cast<std::uint32_t>(errno); }

std::uint32_t invalid_name_error() { return EINVAL; }

std::string system_error_text(std::uint32_t code) {
    return std::strerror(static_cast<int>(code));
}

}  // namespace varrow::system
