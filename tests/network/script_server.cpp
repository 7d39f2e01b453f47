#include "script_server.h"

#include <chrono>

namespace tw_test {

script_server::script_server(std::vector<step> script)
    : script_(std::move(script)), listener_(test_socket::listen_loopback()) {
    if (!listener_.valid()) {
        problem_ = "no listener";
        return;
    }
    port_ = listener_.local_port();
    thread_ = std::thread([this] { play(); });
}

script_server::~script_server() {
    if (thread_.joinable()) thread_.join();
}

std::string script_server::received() {
    if (thread_.joinable()) thread_.join();
    return received_;
}

std::string script_server::problem() {
    if (thread_.joinable()) thread_.join();
    return problem_;
}

bool script_server::wait_for_text(test_socket& peer, const std::string& text, std::size_t from,
                                  std::size_t& found) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(server_wait_ms);
    for (;;) {
        found = received_.find(text, from);
        if (found != std::string::npos) return true;
        if (std::chrono::steady_clock::now() > deadline) return false;
        if (peer.receive(received_, 200) == test_socket::result::closed) {
            found = received_.find(text, from);
            return found != std::string::npos;
        }
    }
}

void script_server::play() {
    test_socket peer = listener_.accept(server_wait_ms);
    if (!peer.valid()) {
        problem_ = "no client connected";
        return;
    }
    for (const step& current : script_) {
        std::size_t found = 0;
        switch (current.what) {
        case step::kind::send:
            if (!peer.send_all(current.bytes)) {
                problem_ = "send failed";
                return;
            }
            break;
        case step::kind::expect_line:
            if (!wait_for_text(peer, "\r\n", consumed_, found)) {
                problem_ = "no line after: " + received_;
                return;
            }
            consumed_ = found + 2;
            break;
        case step::kind::expect_data:
            // The data ends with "." CR LF at the start of a line; an empty
            // message is that line alone.
            if (!wait_for_text(peer, ".\r\n", consumed_, found)) {
                problem_ = "no data end after: " + received_.substr(0, 200);
                return;
            }
            while (found != consumed_ && received_.compare(found - 2, 2, "\r\n") != 0) {
                if (!wait_for_text(peer, ".\r\n", found + 1, found)) {
                    problem_ = "no data end";
                    return;
                }
            }
            consumed_ = found + 3;
            break;
        case step::kind::pause:
            std::this_thread::sleep_for(std::chrono::milliseconds(current.milliseconds));
            break;
        case step::kind::close:
            peer.close();
            return;
        case step::kind::reset:
            peer.reset();
            return;
        }
    }
    // Silent to the end: record whatever else comes until the client closes.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(server_wait_ms);
    while (std::chrono::steady_clock::now() < deadline) {
        const auto got = peer.receive(received_, 200);
        if (got == test_socket::result::closed || got == test_socket::result::failed) return;
    }
    problem_ = "client did not close";
}

}  // namespace tw_test
