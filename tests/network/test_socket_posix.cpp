#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <utility>

#include "test_socket.h"

namespace tw_test {

namespace {
bool wait_readable(int fd, int timeout_ms) {
    pollfd entry{fd, POLLIN, 0};
    return ::poll(&entry, 1, timeout_ms) > 0;
}
}  // namespace

test_socket test_socket::listen_loopback() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return {};
    test_socket owner(fd);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return {};
    if (::listen(fd, 4) != 0) return {};
    return owner;
}

std::uint16_t test_socket::local_port() const {
    sockaddr_in address{};
    socklen_t length = sizeof address;
    if (::getsockname(static_cast<int>(handle_), reinterpret_cast<sockaddr*>(&address), &length) != 0) return 0;
    return ntohs(address.sin_port);
}

test_socket test_socket::accept(int timeout_ms) const {
    if (!wait_readable(static_cast<int>(handle_), timeout_ms)) return {};
    const int fd = ::accept(static_cast<int>(handle_), nullptr, nullptr);
    return fd < 0 ? test_socket() : test_socket(fd);
}

bool test_socket::send_all(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(static_cast<int>(handle_), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

test_socket::result test_socket::receive(std::string& out, int timeout_ms) {
    if (!wait_readable(static_cast<int>(handle_), timeout_ms)) return result::timed_out;
    char buffer[16384];
    const ssize_t count = ::recv(static_cast<int>(handle_), buffer, sizeof buffer, 0);
    if (count < 0) return result::failed;
    if (count == 0) return result::closed;
    out.append(buffer, static_cast<std::size_t>(count));
    return result::data;
}

void test_socket::close() {
    if (handle_ != -1) ::close(static_cast<int>(std::exchange(handle_, -1)));
}

void test_socket::reset() {
    if (handle_ == -1) return;
    linger option{1, 0};
    ::setsockopt(static_cast<int>(handle_), SOL_SOCKET, SO_LINGER, &option, sizeof option);
    close();
}

}  // namespace tw_test
