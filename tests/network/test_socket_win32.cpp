#include "varrow/system/win32.h"

#include <utility>

#include "test_socket.h"

namespace tw_test {

namespace {

// The test servers run beside the library's own start-up; Winsock counts
// start-ups, so one of our own for the whole test program is harmless.
struct winsock_started {
    winsock_started() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
    ~winsock_started() { WSACleanup(); }
};

void ensure_started() { static winsock_started started; }

SOCKET native(std::intptr_t handle) { return static_cast<SOCKET>(handle); }

bool wait_readable(SOCKET socket, int timeout_ms) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval limit{timeout_ms / 1000, (timeout_ms % 1000) * 1000};
    return ::select(0, &readable, nullptr, nullptr, &limit) > 0;
}

}  // namespace

test_socket test_socket::listen_loopback() {
    ensure_started();
    const SOCKET socket = ::socket(AF_INET, SOCK_STREAM, 0);
    if (socket == INVALID_SOCKET) return {};
    test_socket owner(static_cast<std::intptr_t>(socket));
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    if (::listen(socket, 4) != 0) return {};
    return owner;
}

std::uint16_t test_socket::local_port() const {
    sockaddr_in address{};
    int length = sizeof address;
    if (::getsockname(native(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

test_socket test_socket::accept(int timeout_ms) const {
    if (!wait_readable(native(handle_), timeout_ms)) return {};
    const SOCKET socket = ::accept(native(handle_), nullptr, nullptr);
    return socket == INVALID_SOCKET ? test_socket() : test_socket(static_cast<std::intptr_t>(socket));
}

bool test_socket::send_all(std::string_view bytes) {
    while (!bytes.empty()) {
        const int chunk = bytes.size() > 65536 ? 65536 : static_cast<int>(bytes.size());
        const int sent = ::send(native(handle_), bytes.data(), chunk, 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

test_socket::result test_socket::receive(std::string& out, int timeout_ms) {
    if (!wait_readable(native(handle_), timeout_ms)) return result::timed_out;
    char buffer[16384];
    const int count = ::recv(native(handle_), buffer, sizeof buffer, 0);
    if (count == SOCKET_ERROR) return result::failed;
    if (count == 0) return result::closed;
    out.append(buffer, static_cast<std::size_t>(count));
    return result::data;
}

void test_socket::close() {
    if (handle_ != -1) ::closesocket(native(std::exchange(handle_, -1)));
}

void test_socket::reset() {
    if (handle_ == -1) return;
    linger option{1, 0};
    ::setsockopt(native(handle_), SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&option), sizeof option);
    close();
}

}  // namespace tw_test
