#include <netdb.h>
#include <sys/socket.h>

#include <cstring>
#include <memory>

#include "varrow/internet/address/errors.h"
#include "varrow/internet/address/resolver.h"
#include "varrow/text.h"

namespace varrow::internet::address::resolver {

#include "varrow/internet/address/resolver_calls.inc"

// getaddrinfo's EAI codes for the Winsock conditions: no such host and no
// address for it are host_not_found, an unknown service service_not_found.
// The resolver needs no start-up here, so nothing maps to
// subsystem_not_ready.
void raise_resolve_error(long status) {
    switch (status) {
    case EAI_NONAME:
    case EAI_NODATA:
    case EAI_ADDRFAMILY: throw host_not_found("GetAddrInfoA() failed");
    case EAI_SERVICE: throw service_not_found("GetAddrInfoA() failed");
    default:
        throw generic(format_text("GetAddrInfoA() returned status 0x%.8x", static_cast<unsigned>(status)));
    }
}

void raise_name_error(long code) {
    switch (code) {
    case 0: return;
    case EAI_NONAME:
    case EAI_NODATA: throw host_not_found("GetNameInfoA() failed");
    default:
        throw generic(format_text("GetNameInfoA() returned status 0x%.8x", static_cast<unsigned>(code)));
    }
}

}  // namespace varrow::internet::address::resolver
