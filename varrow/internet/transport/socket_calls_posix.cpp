#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <cerrno>

#include "varrow/internet/environment/errors.h"
#include "varrow/internet/transport/socket_calls.h"
#include "varrow/internet/transport/tcp/tcp.h"
#include "varrow/text.h"

// errno values for the Winsock conditions of the tables. BSD sockets need
// no start-up, so nothing maps to subsystem_failed; ENETDOWN stands for
// WSAENETDOWN, EBADF beside ENOTSOCK for WSAENOTSOCK (an invalid
// descriptor), EAGAIN/EWOULDBLOCK after SO_RCVTIMEO for a receive that
// timed out, EPIPE and ESHUTDOWN for WSAESHUTDOWN.

namespace varrow::internet::transport::socket_calls {

namespace {

using tcp_base = tcp::base;

[[noreturn]] void raise_status(const char* name, long code) {
    throw generic(format_text("%s() returned status 0x%.8x", name, static_cast<unsigned>(code)));
}

bool is_would_block(long code) { return code == EAGAIN || code == EWOULDBLOCK; }

}  // namespace

long last_error() { return errno; }

void raise_error(call which, long code) {
    switch (which) {
    case call::socket:
        switch (code) {
        case ENETDOWN: throw environment::subsystem_not_ready("socket() failed");
        default: raise_status("socket", code);
        }
    case call::closesocket:
        switch (code) {
        case EBADF:
        case ENOTSOCK: return;
        case ENETDOWN: throw environment::subsystem_not_ready("closesocket() failed");
        default: raise_status("closesocket", code);
        }
    case call::setsockopt:
        switch (code) {
        case EBADF:
        case ENOTSOCK: throw not_a_socket("setsockopt() failed");
        case ENETDOWN: throw environment::subsystem_not_ready("setsockopt() failed");
        default: raise_status("setsockopt", code);
        }
    case call::connect:
        switch (code) {
        case EINTR: throw operation_interrupted("connect() failed");
        case EBADF:
        case ENOTSOCK: throw not_a_socket("connect() failed");
        case EADDRINUSE: throw address_in_use("connect() failed");
        case EADDRNOTAVAIL: throw address_not_valid("connect() failed");
        case ENETDOWN: throw environment::subsystem_not_ready("connect() failed");
        case ENETUNREACH: throw tcp_base::network_unreachable("connect() failed");
        // A connect that times out reports the host, not the connection.
        case ETIMEDOUT: throw tcp_base::host_unreachable("connect() failed");
        case ECONNREFUSED: throw tcp_base::connection_refused("connect() failed");
        case EHOSTUNREACH: throw tcp_base::host_unreachable("connect() failed");
        default: raise_status("connect", code);
        }
    case call::recv:
    case call::send: {
        const char* text = which == call::recv ? "recv() failed" : "send() failed";
        if (is_would_block(code)) throw tcp_base::connection_timed_out(text);
        switch (code) {
        case EINTR: throw operation_interrupted(text);
        case EBADF:
        case ENOTSOCK: throw not_a_socket(text);
        case ENETDOWN: throw environment::subsystem_not_ready(text);
        case ENETRESET: throw tcp_base::connection_reset(text);
        case ECONNABORTED: throw tcp_base::connection_aborted(text);
        case ECONNRESET: throw tcp_base::connection_reset(text);
        case ENOTCONN: throw tcp_base::connection_failed(text);
        case EPIPE:
        case ESHUTDOWN: throw tcp_base::connection_closed(text);
        case ETIMEDOUT: throw tcp_base::connection_timed_out(text);
        default: raise_status(which == call::recv ? "recv" : "send", code);
        }
    }
    }
    raise_status("socket", code);
}

handle open_stream(int family) {
    const int socket = ::socket(family, SOCK_STREAM, 0);
    if (socket < 0) raise_error(call::socket, errno);
    return socket;
}

void connect(handle socket, const void* address, std::size_t size) {
    if (::connect(static_cast<int>(socket), static_cast<const sockaddr*>(address), static_cast<socklen_t>(size)) != 0)
        raise_error(call::connect, errno);
}

std::size_t send(handle socket, const char* buffer, std::size_t length) {
    // MSG_NOSIGNAL: a peer that has gone away gives EPIPE, not SIGPIPE.
    const ssize_t result = ::send(static_cast<int>(socket), buffer, length, MSG_NOSIGNAL);
    if (result < 0) raise_error(call::send, errno);
    return static_cast<std::size_t>(result);
}

std::size_t recv(handle socket, char* buffer, std::size_t length) {
    const ssize_t result = ::recv(static_cast<int>(socket), buffer, length, 0);
    if (result < 0) raise_error(call::recv, errno);
    return static_cast<std::size_t>(result);
}

void close(handle socket) {
    if (::close(static_cast<int>(socket)) != 0) raise_error(call::closesocket, errno);
}

bool set_receive_timeout(handle socket, std::uint32_t milliseconds) {
    timeval value{};
    value.tv_sec = static_cast<time_t>(milliseconds / 1000);
    value.tv_usec = static_cast<suseconds_t>((milliseconds % 1000) * 1000);
    return ::setsockopt(static_cast<int>(socket), SOL_SOCKET, SO_RCVTIMEO, &value, sizeof value) == 0;
}

}  // namespace varrow::internet::transport::socket_calls
