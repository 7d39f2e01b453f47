#include "varrow/internet/environment/environment.h"
#include "varrow/internet/environment/startup_tables.h"

#include "varrow/system/win32.h"
#include "varrow/text.h"

namespace varrow::internet::environment {

static_assert(sizeof(WSADATA) <= 512, "start-up record too small for WSADATA");

environment::environment() {
    const int result = WSAStartup(0x0101, reinterpret_cast<WSADATA*>(startup_record_.data()));
    if (result != 0) raise_startup_error(result);
}

environment::~environment() {
    try {
        shut_down();
    } catch (...) {
        // A failed shut-down leaves nothing the caller could mend.
    }
}

void environment::shut_down() {
    if (WSACleanup() == 0) return;
    raise_shutdown_error(WSAGetLastError());
}

void raise_startup_error(long result) {
    switch (result) {
    case WSASYSNOTREADY: throw subsystem_not_ready("WSAStartup() failed");
    case WSAVERNOTSUPPORTED: throw version_not_supported("WSAStartup() failed");
    default:
        throw generic(format_text("WSAStartup() returned status 0x%.8x", static_cast<unsigned>(result)));
    }
}

void raise_shutdown_error(long code) {
    switch (code) {
    case WSANOTINITIALISED: return;
    case WSAENETDOWN: throw subsystem_failed("WSACleanup() failed");
    default:
        throw generic(format_text("WSACleanup() returned status 0x%.8x", static_cast<unsigned>(code)));
    }
}

}  // namespace varrow::internet::environment
