#pragma once
// A small platform-neutral file layer: one move-only owner of an open file
// handle, with the few operations the installer and the report tool need.
//
// Failures are reported by return values, never by exceptions; right after a
// failed call last_error() gives the platform's error code (GetLastError on
// Windows, errno elsewhere) and system_error_text() its text.

#include <cstdint>
#include <string>

namespace varrow::system {

class file {
public:
    // How a file made by create_always may be used on platforms with modes:
    // `executable` makes it readable, writable and runnable by its owner only
    // (0700); `normal` gives 0666 less the umask. Windows ignores it.
    enum class mode { normal, executable };

    file() noexcept = default;  // owns nothing
    ~file();
    file(file&& other) noexcept;
    file& operator=(file&& other) noexcept;
    file(const file&) = delete;
    file& operator=(const file&) = delete;

    // Opens an existing file for reading, others may read it too; the
    // platform is told the file will be read sequentially. On failure the
    // result owns nothing (is_open() false) and last_error() says why.
    static file open_for_reading(const std::string& path);
    // Creates the file for writing, replacing an existing one (others may
    // read it meanwhile). On failure the result owns nothing.
    static file create_always(const std::string& path, mode m = mode::normal);

    bool is_open() const noexcept;
    // Closes the handle now (a closed or empty owner is left alone).
    void close() noexcept;

    // Moves the position by `distance` bytes from where it is. Fails, leaving
    // the position unchanged, when the new position would lie before the
    // start of the file or the platform call fails.
    bool seek(std::int32_t distance);
    // Moves the position to `offset` from the start of the file.
    bool seek_to(std::uint64_t offset);
    // The current position, or UINT64_MAX when it cannot be had.
    std::uint64_t position() const;

    // One read call for up to `count` bytes. True when the call succeeded;
    // `delivered` (if given) receives the number of bytes it delivered, which
    // may be fewer than asked for at the end of the file.
    bool read(void* buffer, std::uint32_t count, std::uint32_t* delivered = nullptr);
    // Reads until `count` bytes are in or the file ends or a call fails;
    // true only when all `count` bytes were read.
    bool read_exact(void* buffer, std::uint32_t count);
    // One write call; true when the call succeeded and took all bytes.
    bool write(const void* buffer, std::uint32_t count);

    // The size of the file: its low 32 bits (as GetFileSize returns them) and
    // in full. size() is UINT64_MAX when it cannot be had.
    std::uint32_t size_low() const;
    std::uint64_t size() const;

private:
    // A Windows HANDLE or a POSIX descriptor; -1 (INVALID_HANDLE_VALUE, or
    // no descriptor) when nothing is owned.
    using native_handle = std::intptr_t;
    static constexpr native_handle invalid_handle() noexcept { return -1; }
    explicit file(native_handle h) noexcept : handle_(h) {}
    native_handle handle_ = invalid_handle();
};

// The calling thread's last system error code (GetLastError / errno).
std::uint32_t last_error();
// The error code the platform uses for a malformed file name
// (ERROR_INVALID_NAME on Windows, EINVAL elsewhere).
std::uint32_t invalid_name_error();

// The platform's message text for an error code, without the line break
// that ends it. Windows: FormatMessageA from the system table in the user's
// default language; empty when the system has no text for the code.
// Elsewhere: the C library's error text (strerror).
std::string system_error_text(std::uint32_t code);

}  // namespace varrow::system
