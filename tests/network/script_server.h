#pragma once
// A scripted server on 127.0.0.1: a thread that accepts one connection,
// plays its script step by step, and records every byte it receives.

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "test_socket.h"

namespace tw_test {

struct step {
    enum class kind { send, expect_line, expect_data, pause, close, reset };
    kind what;
    std::string bytes;
    int milliseconds = 0;

    // Sends bytes as they stand.
    static step send(std::string bytes) { return {kind::send, std::move(bytes)}; }
    // Waits until the client has sent one more CR LF line.
    static step line() { return {kind::expect_line, {}}; }
    // Waits until the client has sent the message data up to "." CR LF.
    static step data() { return {kind::expect_data, {}}; }
    // Stays silent for a while.
    static step pause(int ms) { return {kind::pause, {}, ms}; }
    // Closes the connection orderly, or with a reset; the script ends there.
    static step close() { return {kind::close, {}}; }
    static step reset() { return {kind::reset, {}}; }
};

class script_server {
public:
    // Starts listening and playing at once. After the last step (unless it
    // closed) the server keeps silent and reads until the client closes.
    explicit script_server(std::vector<step> script);
    ~script_server();
    script_server(const script_server&) = delete;
    script_server& operator=(const script_server&) = delete;

    std::uint16_t port() const { return port_; }
    // Waits for the script's end and returns every byte received.
    std::string received();
    // Empty, or what went wrong on the server's side (no client, a line
    // that never came).
    std::string problem();

private:
    void play();
    bool wait_for_text(test_socket& peer, const std::string& text, std::size_t from, std::size_t& found);

    std::vector<step> script_;
    test_socket listener_;
    std::uint16_t port_ = 0;
    std::string received_;
    std::size_t consumed_ = 0;
    std::string problem_;
    std::thread thread_;
};

// Wait limit for everything the server waits for; only reached when a test
// is about to fail.
inline constexpr int server_wait_ms = 20000;

}  // namespace tw_test
