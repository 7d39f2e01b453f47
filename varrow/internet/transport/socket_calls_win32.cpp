#include "varrow/internet/environment/errors.h"
#include "varrow/internet/transport/socket_calls.h"
#include "varrow/internet/transport/tcp/tcp.h"
#include "varrow/system/win32.h"
#include "varrow/text.h"

namespace varrow::internet::transport::socket_calls {

namespace {

using tcp_base = tcp::base;

[[noreturn]] void raise_status(const char* name, long code) {
    throw generic(format_text("%s() returned status 0x%.8x", name, static_cast<unsigned>(code)));
}

SOCKET native(handle socket) { return static_cast<SOCKET>(socket); }

}  // namespace

long last_error() { return WSAGetLastError(); }

void raise_error(call which, long code) {
    switch (which) {
    case call::socket:
        switch (code) {
        case WSAENETDOWN: throw environment::subsystem_not_ready("socket() failed");
        case WSANOTINITIALISED: throw environment::subsystem_failed("socket() failed");
        default: raise_status("socket", code);
        }
    case call::closesocket:
        switch (code) {
        case WSAENOTSOCK: return;
        case WSAENETDOWN: throw environment::subsystem_not_ready("closesocket() failed");
        case WSANOTINITIALISED: throw environment::subsystem_failed("closesocket() failed");
        default: raise_status("closesocket", code);
        }
    case call::setsockopt:
        switch (code) {
        case WSAENOTSOCK: throw not_a_socket("setsockopt() failed");
        case WSAENETDOWN: throw environment::subsystem_not_ready("setsockopt() failed");
        case WSANOTINITIALISED: throw environment::subsystem_failed("setsockopt() failed");
        default: raise_status("setsockopt", code);
        }
    case call::connect:
        switch (code) {
        case WSAEINTR: throw operation_interrupted("connect() failed");
        case WSAENOTSOCK: throw not_a_socket("connect() failed");
        case WSAEADDRINUSE: throw address_in_use("connect() failed");
        case WSAEADDRNOTAVAIL: throw address_not_valid("connect() failed");
        case WSAENETDOWN: throw environment::subsystem_not_ready("connect() failed");
        case WSAENETUNREACH: throw tcp_base::network_unreachable("connect() failed");
        // A connect that times out reports the host, not the connection.
        case WSAETIMEDOUT: throw tcp_base::host_unreachable("connect() failed");
        case WSAECONNREFUSED: throw tcp_base::connection_refused("connect() failed");
        case WSAEHOSTUNREACH: throw tcp_base::host_unreachable("connect() failed");
        case WSANOTINITIALISED: throw environment::subsystem_failed("connect() failed");
        default: raise_status("connect", code);
        }
    case call::recv:
    case call::send: {
        const char* text = which == call::recv ? "recv() failed" : "send() failed";
        switch (code) {
        case WSAEINTR: throw operation_interrupted(text);
        case WSAENOTSOCK: throw not_a_socket(text);
        case WSAENETDOWN: throw environment::subsystem_not_ready(text);
        case WSAENETRESET: throw tcp_base::connection_reset(text);
        case WSAECONNABORTED: throw tcp_base::connection_aborted(text);
        case WSAECONNRESET: throw tcp_base::connection_reset(text);
        case WSAENOTCONN: throw tcp_base::connection_failed(text);
        case WSAESHUTDOWN: throw tcp_base::connection_closed(text);
        case WSAETIMEDOUT: throw tcp_base::connection_timed_out(text);
        case WSANOTINITIALISED: throw environment::subsystem_failed(text);
        default: raise_status(which == call::recv ? "recv" : "send", code);
        }
    }
    }
    raise_status("socket", code);
}

handle open_stream(int family) {
    const SOCKET socket = ::socket(family, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) raise_error(call::socket, WSAGetLastError());
    return static_cast<handle>(socket);
}

void connect(handle socket, const void* address, std::size_t size) {
    if (::connect(native(socket), static_cast<const sockaddr*>(address), static_cast<int>(size)) == SOCKET_ERROR)
        raise_error(call::connect, WSAGetLastError());
}

std::size_t send(handle socket, const char* buffer, std::size_t length) {
    // Winsock takes an int count; a larger buffer goes out in several calls.
    const int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
    const int result = ::send(native(socket), buffer, chunk, 0);
    if (result == SOCKET_ERROR) raise_error(call::send, WSAGetLastError());
    return static_cast<std::size_t>(result);
}

std::size_t recv(handle socket, char* buffer, std::size_t length) {
    const int chunk = length > 0x40000000 ? 0x40000000 : static_cast<int>(length);
    const int result = ::recv(native(socket), buffer, chunk, 0);
    if (result == SOCKET_ERROR) raise_error(call::recv, WSAGetLastError());
    return static_cast<std::size_t>(result);
}

void close(handle socket) {
    if (::closesocket(native(socket)) == SOCKET_ERROR) raise_error(call::closesocket, WSAGetLastError());
}

bool set_receive_timeout(handle socket, std::uint32_t milliseconds) {
    // Winsock takes the time-out as a DWORD count of milliseconds.
    const DWORD value = milliseconds;
    return ::setsockopt(native(socket), SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&value),
                        sizeof value) != SOCKET_ERROR;
}

}  // namespace varrow::internet::transport::socket_calls
