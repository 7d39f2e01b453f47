#pragma once
// A tiny blocking socket for the test servers, apart from the library under
// test: a loopback listener and its accepted connections.

#include <cstdint>
#include <string>
#include <string_view>

namespace tw_test {

class test_socket {
public:
    // What receive() saw.
    enum class result { data, closed, timed_out, failed };

    test_socket() = default;
    test_socket(test_socket&& other) noexcept;
    test_socket& operator=(test_socket&& other) noexcept;
    test_socket(const test_socket&) = delete;
    test_socket& operator=(const test_socket&) = delete;
    ~test_socket();

    // A socket listening on 127.0.0.1 at a port the system chooses; not
    // valid when that failed.
    static test_socket listen_loopback();

    bool valid() const { return handle_ != -1; }
    std::uint16_t local_port() const;
    // The next connection, or an invalid socket after timeout_ms.
    test_socket accept(int timeout_ms) const;
    // False when a send failed.
    bool send_all(std::string_view bytes);
    // Appends what arrives within timeout_ms to out.
    result receive(std::string& out, int timeout_ms);
    // An orderly close (FIN).
    void close();
    // An abortive close: the peer sees a reset (RST).
    void reset();

private:
    explicit test_socket(std::intptr_t handle) : handle_(handle) {}
    std::intptr_t handle_ = -1;
};

}  // namespace tw_test
