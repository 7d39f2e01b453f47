#include <cstring>
#include <memory>

#include "varrow/internet/address/resolver.h"
#include "varrow/internet/address/errors.h"
#include "varrow/internet/environment/errors.h"
#include "varrow/system/win32.h"
#include "varrow/text.h"

namespace varrow::internet::address::resolver {

void first_ip4(const std::string& host, unsigned char* out) {
    addrinfo* raw_list = nullptr;
    const int status = getaddrinfo(host.c_str(), nullptr, nullptr, &raw_list);
    if (status != 0) raise_resolve_error(status);
    std::unique_ptr<addrinfo, decltype(&freeaddrinfo)> list(raw_list, &freeaddrinfo);
    for (const addrinfo* entry = list.get(); entry != nullptr; entry = entry->ai_next) {
        if (entry->ai_family == AF_INET && entry->ai_addrlen == 16) {
            std::memcpy(out, entry->ai_addr, 16);
            return;
        }
    }
    throw generic("GetAddrInfoA() walk failed");
}

std::string name_of(const unsigned char* raw, std::size_t size, int flags) {
    char host[NI_MAXHOST] = {};
    const auto* address = reinterpret_cast<const sockaddr*>(raw);
    const auto length = static_cast<socklen_t>(size);
    if (getnameinfo(address, length, host, sizeof host, nullptr, 0, flags) != 0) {
        const int status = getnameinfo(address, length, host, sizeof host, nullptr, 0, NI_NUMERICHOST);
        if (status != 0) raise_name_error(status);
    }
    return host;
}

void raise_resolve_error(long status) {
    switch (status) {
    case WSANOTINITIALISED: throw environment::subsystem_not_ready("GetAddrInfoA() failed");
    case WSATYPE_NOT_FOUND: throw service_not_found("GetAddrInfoA() failed");
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA: throw host_not_found("GetAddrInfoA() failed");
    default:
        throw generic(format_text("GetAddrInfoA() returned status 0x%.8x", static_cast<unsigned>(status)));
    }
}

void raise_name_error(long code) {
    switch (code) {
    case 0: return;
    case WSANOTINITIALISED: throw environment::subsystem_not_ready("GetNameInfoA() failed");
    case WSAHOST_NOT_FOUND:
    case WSANO_DATA: throw host_not_found("GetNameInfoA() failed");
    default:
        throw generic(format_text("GetNameInfoA() returned status 0x%.8x", static_cast<unsigned>(code)));
    }
}

}  // namespace varrow::internet::address::resolver
