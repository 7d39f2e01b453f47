#pragma once
// The socket library's scope guard: constructing one starts the library,
// destroying it shuts the library down. Every socket and resolver call of
// varrow::internet must run inside the lifetime of one.

#include <array>

#include "varrow/internet/environment/errors.h"

namespace varrow::internet::environment {

class environment {
public:
    // Starts the socket library (Winsock version 1.1). Raises
    // subsystem_not_ready or version_not_supported with "WSAStartup() failed",
    // or generic with "WSAStartup() returned status 0x%.8x" for other
    // results; a constructor that raises leaves nothing to clean up. Where
    // the platform's sockets need no start-up it does nothing.
    environment();
    // Shuts the socket library down once; never raises.
    ~environment();

    environment(const environment&) = delete;
    environment& operator=(const environment&) = delete;

private:
    // Raises by the shut-down table; WSANOTINITIALISED counts as success.
    void shut_down();

    // Room for the platform's start-up record (WSADATA), which is filled in
    // and not read afterwards; unused where sockets need no start-up.
    [[maybe_unused]] alignas(8) std::array<unsigned char, 512> startup_record_{};
};

}  // namespace varrow::internet::environment
