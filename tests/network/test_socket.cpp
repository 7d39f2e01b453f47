// The ownership of a test socket, the same on every platform: moves hand the
// handle over, and the owner closes it.
#include "test_socket.h"

#include <utility>

namespace tw_test {

test_socket::test_socket(test_socket&& other) noexcept : handle_(std::exchange(other.handle_, -1)) {}

test_socket& test_socket::operator=(test_socket&& other) noexcept {
    if (this != &other) {
        close();
        handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
}

test_socket::~test_socket() { close(); }

}  // namespace tw_test
