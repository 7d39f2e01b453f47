#include <gtest/gtest.h>

#include <deque>

#include "support.h"
#include "varrow/internet/smtp/smtp.h"
#include "varrow/internet/transport/tcp/tcp.h"

namespace {

using tw_test::raised;
using tw_test::raised_by;
using varrow::internet::smtp::reply_texts;

// A stream transport over memory: fill hands out the given pieces one at a
// time, then reports the peer gone, as a socket would.
class memory_transport : public varrow::internet::transport::tcp::base {
public:
    explicit memory_transport(std::deque<std::string> pieces) : pieces_(std::move(pieces)) {}

    void flush() override {
        sent.append(output_queue_.begin(), output_queue_.end());
        output_queue_.clear();
    }
    void fill() override {
        if (pieces_.empty()) throw connection_closed("recv() failed");
        input_queue_.insert(input_queue_.end(), pieces_.front().begin(), pieces_.front().end());
        pieces_.pop_front();
    }
    std::string queued() const { return {input_queue_.begin(), input_queue_.end()}; }

    std::string sent;

private:
    std::deque<std::string> pieces_;
};

// Wherever the stream is cut into receives, the same lines come out: in
// particular a CR LF pair split between two receives ends exactly one line.
TEST(memory_transport, every_split_of_the_stream_gives_the_same_replies) {
    const std::string stream = "220-a\r\n220 b\r\n250 c\n354 d\r\n";
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        memory_transport transport({stream.substr(0, cut), stream.substr(cut), "NEXT"});
        reply_texts texts;
        EXPECT_EQ(varrow::internet::smtp::read_reply(transport, texts), 220) << cut;
        EXPECT_EQ(texts, (reply_texts{"a", "b"})) << cut;
        EXPECT_EQ(varrow::internet::smtp::send_command(transport, texts, "EHLO x"), 250) << cut;
        EXPECT_EQ(varrow::internet::smtp::read_reply(transport, texts), 354) << cut;
        EXPECT_EQ(texts, (reply_texts{"d"})) << cut;
        EXPECT_EQ(transport.sent, "EHLO x\r\n");
    }
}

TEST(memory_transport, one_byte_per_receive) {
    const std::string stream = "a\r\r\nb\n\rc\r\n";
    std::deque<std::string> bytes;
    for (char byte : stream) bytes.emplace_back(1, byte);
    memory_transport transport(bytes);
    std::vector<std::string> lines(4);
    for (std::string& line : lines) transport.read_line(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"a", "", "b", "c"}));
    std::string line;
    EXPECT_EQ(raised_by([&] { transport.read_line(line); }),
              (raised{"internet.transport.connection_failed.connection_closed", "recv() failed"}));
    EXPECT_EQ(transport.queued(), "");
}

}  // namespace
