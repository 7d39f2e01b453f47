#include <algorithm>
#include <cstring>

#include "post/platform.h"
#include "varrow/system/win32.h"

namespace post::platform {

os_version current_os_version() noexcept {
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;  // 148 bytes
    // The result is not looked at: a failed call leaves the zeroed fields.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#endif
    (void)GetVersionExA(&info);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    return {info.dwMajorVersion, info.dwMinorVersion};
}

namespace {

// One successful WSAStartup, ended once by the destructor.
class socket_library {
public:
    socket_library() noexcept {
        WSADATA data;
        started_ = WSAStartup(0x0202, &data) == 0;
    }
    ~socket_library() {
        if (started_) WSACleanup();
    }
    socket_library(const socket_library&) = delete;
    socket_library& operator=(const socket_library&) = delete;
    bool started() const noexcept { return started_; }

private:
    bool started_ = false;
};

}  // namespace

std::string dotted_ipv4_address(const std::string& host) noexcept {
    try {
        socket_library library;
        if (!library.started()) return {};
        // gethostbyname is the IPv4 lookup; its entry belongs to the socket
        // library and is only read here.
        const hostent* entry = gethostbyname(host.c_str());
        if (!entry || entry->h_addrtype != AF_INET || entry->h_length != 4 || !entry->h_addr_list ||
            !entry->h_addr_list[0])
            return {};
        in_addr address;
        std::memcpy(&address, entry->h_addr_list[0], sizeof address);
        const char* dotted = inet_ntoa(address);
        return dotted ? std::string(dotted) : std::string();
    } catch (...) {
        return {};
    }
}

void convert_to_ansi_into(const std::u16string& text, std::string& buffer) {
    const std::size_t limit = std::min(text.size(), buffer.size());
    if (limit == 0) return;
    // With no flags and no default character given the conversion puts the
    // code page's default character for what it cannot map; a buffer that is
    // too short for a double-byte result keeps what was written into it.
    (void)WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<LPCWCH>(text.data()), static_cast<int>(limit),
                              buffer.data(), static_cast<int>(limit), nullptr, nullptr);
}

}  // namespace post::platform
