#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <netdb.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/utsname.h>

#include "post/platform.h"
#include "varrow/unicode/conversion.h"

namespace post::platform {

os_version current_os_version() noexcept {
    utsname names;
    if (uname(&names) != 0) return {};
    // A release reads like 6.1.0-18-amd64: the first two numbers count.
    os_version version;
    char* rest = nullptr;
    version.major = static_cast<std::uint32_t>(std::strtoul(names.release, &rest, 10));
    if (rest && *rest == '.') version.minor = static_cast<std::uint32_t>(std::strtoul(rest + 1, nullptr, 10));
    return version;
}

namespace {

struct addrinfo_deleter {
    void operator()(addrinfo* list) const noexcept { freeaddrinfo(list); }
};

}  // namespace

std::string dotted_ipv4_address(const std::string& host) noexcept {
    try {
        addrinfo hints;
        std::memset(&hints, 0, sizeof hints);
        hints.ai_family = AF_INET;
        addrinfo* raw = nullptr;
        if (getaddrinfo(host.c_str(), nullptr, &hints, &raw) != 0 || !raw) return {};
        const std::unique_ptr<addrinfo, addrinfo_deleter> list(raw);
        for (const addrinfo* entry = list.get(); entry; entry = entry->ai_next) {
            if (entry->ai_family != AF_INET || entry->ai_addrlen < sizeof(sockaddr_in)) continue;
            sockaddr_in address;
            std::memcpy(&address, entry->ai_addr, sizeof address);
            char dotted[INET_ADDRSTRLEN] = {};
            if (!inet_ntop(AF_INET, &address.sin_addr, dotted, sizeof dotted)) return {};
            return dotted;
        }
        return {};
    } catch (...) {
        return {};
    }
}

void convert_to_ansi_into(const std::u16string& text, std::string& buffer) {
    const std::size_t limit = std::min(text.size(), buffer.size());
    const std::u16string part = text.substr(0, limit);
    std::string converted;
    bool whole = false;
    try {
        converted = varrow::unicode::to_multibyte(part, 0);
        whole = converted.size() <= limit;
    } catch (const varrow::unicode::generic&) {
    }
    if (!whole) {
        // Character by character, putting "?" for what the code page lacks,
        // as the Windows conversion does with its default character, and
        // stopping before a character that does not fit whole. A surrogate
        // pair stays together.
        converted.clear();
        for (std::size_t i = 0; i < part.size();) {
            std::size_t n = 1;
            if (part[i] >= 0xD800 && part[i] < 0xDC00 && i + 1 < part.size() && part[i + 1] >= 0xDC00 &&
                part[i + 1] < 0xE000)
                n = 2;
            std::string bytes;
            try {
                bytes = varrow::unicode::to_multibyte(part.substr(i, n), 0);
            } catch (const varrow::unicode::generic&) {
                bytes = "?";
            }
            if (converted.size() + bytes.size() > limit) break;
            converted += bytes;
            i += n;
        }
    }
    std::memcpy(buffer.data(), converted.data(), converted.size());
}

}  // namespace post::platform
