#include <cstring>
#include <memory>

#include "varrow/internet/address/resolver.h"
#include "varrow/internet/address/errors.h"
#include "varrow/internet/environment/errors.h"
#include "varrow/system/win32.h"
#include "varrow/text.h"

namespace varrow::internet::address::resolver {

#include "varrow/internet/address/resolver_calls.inc"

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
