#pragma once
// A TCP byte stream with an output and an input queue, and its plain kind
// that sends and receives directly on the socket.

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>

#include "varrow/internet/transport/tcp/connection_errors.h"
#include "varrow/internet/transport/transport.h"

namespace varrow::internet::transport::tcp {

class base : public transport::base {
public:
    VARROW_TCP_CONNECTION_ERRORS;

    // Bytes asked of the socket by one receive.
    static constexpr std::size_t chunk_size = 8192;
    // A line longer than this (without its line end) raises from read_line.
    // SMTP allows 512 octets per reply line; the limit only keeps a peer that
    // never ends its line from exhausting memory.
    static constexpr std::size_t max_line_length = 65536;

    base() = default;
    // Empties both queues without sending anything, then closes the socket.
    ~base() override;

    // Creates a stream socket of the family in the address's first two
    // bytes. Raises by the socket table: environment::subsystem_not_ready /
    // subsystem_failed with "socket() failed", or generic with "socket()
    // returned status 0x%.8x". Opening twice would lose the first socket.
    void open(const address::ip4& address) override;

    // Connects the socket; blocks, with the platform's own time-out. Raises
    // by the connect table with "connect() failed" (connection_refused,
    // host_unreachable, network_unreachable, address_in_use, ...).
    void connect_to(const address::ip4& address);

    // Appends the text and CR LF to the output queue, then flushes.
    void write_line(std::string_view text);
    // Appends the text to the output queue, then flushes.
    void write(std::string_view text);

    // Replaces text with the next line of the input stream, without its line
    // end, filling as often as needed. CR, LF, CR LF and LF CR end one line
    // (also when the pair is split between receives); CR CR and LF LF end
    // two. Returns without waiting for more after a line that ends in LF. Raises what fill raises (connection_closed
    // with "recv() failed" when the peer closes), or transport::generic with
    // "Line too long" beyond max_line_length; either way the partial line
    // stays queued.
    void read_line(std::string& text);

    // One receive of up to length bytes; returns at least 1. Raises by the
    // receive table with "recv() failed"; connection_closed when the peer
    // has closed.
    std::size_t receive(char* buffer, std::size_t length);
    // Sends all bytes, in as many sends as needed. Raises by the send table
    // with "send() failed"; connection_closed when a send takes nothing.
    void send_all(const char* buffer, std::size_t length);

    // Raises the setsockopt table's class for the current socket error code.
    [[noreturn]] void raise_option_error() const;

    // Sends what the output queue holds (and empties it).
    virtual void flush() = 0;
    // Appends at least one received byte to the back of the input queue, or
    // raises.
    virtual void fill() = 0;

protected:
    // Bytes written and not yet sent.
    std::deque<char> output_queue_;
    // Bytes received and not yet consumed, taken from the front.
    std::deque<char> input_queue_;

private:
    // CR when the last line ended with an LF that was the last byte
    // received: a CR arriving first belongs to that line end.
    char pending_pair_byte_ = 0;
};

// flush and fill directly on the socket, without an encoding layer.
class raw : public base {
public:
    raw() = default;

    // Empties the queue into one buffer before sending it, so bytes whose
    // sending fails are not kept.
    void flush() override;
    // One receive of up to chunk_size bytes.
    void fill() override;
};

}  // namespace varrow::internet::transport::tcp
