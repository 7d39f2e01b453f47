#include "varrow/internet/transport/tcp/tcp.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace varrow::internet::transport::tcp {

namespace {
bool is_line_end(char byte) { return byte == '\r' || byte == '\n'; }
}  // namespace

base::~base() {
    output_queue_.clear();
    input_queue_.clear();
}

void base::open(const address::ip4& address) {
    std::uint16_t family = 0;
    std::memcpy(&family, address.data(), sizeof family);
    socket_ = socket_calls::open_stream(family);
}

void base::connect_to(const address::ip4& address) {
    socket_calls::connect(socket_, address.data(), address.size());
}

void base::write_line(std::string_view text) {
    output_queue_.insert(output_queue_.end(), text.begin(), text.end());
    output_queue_.push_back('\r');
    output_queue_.push_back('\n');
    flush();
}

void base::write(std::string_view text) {
    output_queue_.insert(output_queue_.end(), text.begin(), text.end());
    flush();
}

void base::read_line(std::string& text) {
    // An LF that ended the previous line may be followed by the CR of an
    // LF CR pair only now.
    if (pending_pair_byte_ != 0) {
        if (input_queue_.empty()) fill();
        if (input_queue_.front() == pending_pair_byte_) input_queue_.pop_front();
        pending_pair_byte_ = 0;
    }
    std::size_t position = 0;
    for (;;) {
        const std::size_t scan_end = std::min(input_queue_.size(), max_line_length + 1);
        while (position < scan_end && !is_line_end(input_queue_[position])) ++position;
        if (position < scan_end) break;
        if (position > max_line_length) throw transport::generic("Line too long");
        fill();
    }
    const char line_end = input_queue_[position];
    text.assign(input_queue_.begin(), input_queue_.begin() + static_cast<std::ptrdiff_t>(position));
    input_queue_.erase(input_queue_.begin(), input_queue_.begin() + static_cast<std::ptrdiff_t>(position) + 1);
    // After a CR the LF of the same pair may still be on its way, so wait
    // for the next byte. After an LF nothing has to follow: a peer that ends
    // its lines with a lone LF and then waits for us must not stall us, so a
    // CR that completes LF CR later is dropped by the next read_line.
    if (line_end == '\r' && input_queue_.empty()) fill();
    if (input_queue_.empty()) {
        pending_pair_byte_ = '\r';
    } else if (is_line_end(input_queue_.front()) && input_queue_.front() != line_end) {
        input_queue_.pop_front();
    }
}

std::size_t base::receive(char* buffer, std::size_t length) {
    const std::size_t count = socket_calls::recv(socket_, buffer, length);
    if (count == 0) throw connection_closed("recv() failed");
    return count;
}

void base::send_all(const char* buffer, std::size_t length) {
    std::size_t offset = 0;
    while (offset < length) {
        const std::size_t count = socket_calls::send(socket_, buffer + offset, length - offset);
        if (count == 0) throw connection_closed("send() failed");
        offset += count;
    }
}

void base::raise_option_error() const {
    socket_calls::raise_error(socket_calls::call::setsockopt, socket_calls::last_error());
    // Every setsockopt code raises; this only keeps the promise of noreturn.
    throw transport::generic("setsockopt() failed");
}

void raw::flush() {
    if (output_queue_.empty()) return;
    const std::vector<char> buffer(output_queue_.begin(), output_queue_.end());
    output_queue_.clear();
    send_all(buffer.data(), buffer.size());
}

void raw::fill() {
    std::array<char, chunk_size> buffer;
    const std::size_t count = receive(buffer.data(), buffer.size());
    input_queue_.insert(input_queue_.end(), buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(count));
}

}  // namespace varrow::internet::transport::tcp
