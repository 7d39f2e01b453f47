#pragma once
// The report tool's own platform calls, behind a platform-neutral face
// (platform_win32.cpp, platform_posix.cpp).

#include <cstdint>
#include <string>

namespace post::platform {

struct os_version {
    std::uint32_t major = 0;
    std::uint32_t minor = 0;
};

// The operating system's major and minor version: GetVersionExA on Windows,
// the first two numbers of the kernel release elsewhere. Fields it cannot
// learn stay 0. Raises nothing.
os_version current_os_version() noexcept;

// The first IPv4 address of `host` in dotted-decimal form, or the empty text
// when the socket library cannot be started or the host has no IPv4 address.
// Starts and ends the socket library on its own. Raises nothing.
std::string dotted_ipv4_address(const std::string& host) noexcept;

// Writes `text` converted into the system's ANSI code page into the start of
// `buffer`, at most text.size() bytes and never beyond buffer.size(); the
// bytes after the converted text are left as they are. Characters the code
// page lacks become its default character. Raises nothing but
// std::bad_alloc.
void convert_to_ansi_into(const std::u16string& text, std::string& buffer);

}  // namespace post::platform
