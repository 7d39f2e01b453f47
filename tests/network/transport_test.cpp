#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "script_server.h"
#include "support.h"
#include "varrow/internet/environment/environment.h"
#include "varrow/internet/transport/tcp/tcp.h"

namespace {

using tw_test::raised;
using tw_test::raised_by;
using tw_test::script_server;
using tw_test::step;
using varrow::internet::transport::tcp::raw;

// A raw transport that shows its input queue.
class inspected_raw : public raw {
public:
    std::string queued() const { return {input_queue_.begin(), input_queue_.end()}; }
};

struct read_line_case {
    const char* name;
    std::vector<std::string> packets;  // sent with a pause between them
    std::vector<std::string> lines;
};

void PrintTo(const read_line_case& c, std::ostream* out) { *out << c.name; }

class read_line_test : public testing::TestWithParam<read_line_case> {};

TEST_P(read_line_test, splits_the_stream_into_lines) {
    varrow::internet::environment::environment environment;
    std::vector<step> script;
    for (const std::string& packet : GetParam().packets) {
        script.push_back(step::send(packet));
        script.push_back(step::pause(60));
    }
    script_server server(script);
    inspected_raw transport;
    tw_test::connect_loopback(transport, server.port());
    std::vector<std::string> lines;
    for (std::size_t i = 0; i < GetParam().lines.size(); ++i) {
        std::string line = "stale";
        transport.read_line(line);
        lines.push_back(line);
    }
    EXPECT_EQ(lines, GetParam().lines);
    EXPECT_EQ(transport.queued(), "");
    transport.close();
    EXPECT_EQ(server.problem(), "");
}

INSTANTIATE_TEST_SUITE_P(
    transport, read_line_test,
    testing::Values(read_line_case{"one_packet", {"250 ok\r\n250 next\r\n"}, {"250 ok", "250 next"}},
                    read_line_case{"cr_and_lf_in_separate_packets", {"250 ok\r", "\n250 next\r\n"}, {"250 ok", "250 next"}},
                    read_line_case{"line_split_over_packets", {"25", "0 o", "k\r\n"}, {"250 ok"}},
                    read_line_case{"cr_cr_ends_two_lines", {"a\r\rb\r\n"}, {"a", "", "b"}},
                    read_line_case{"lf_lf_ends_two_lines", {"a\n\nb\r\n"}, {"a", "", "b"}},
                    read_line_case{"lf_cr_ends_one_line", {"a\n\rb\r\n"}, {"a", "b"}},
                    read_line_case{"lf_cr_split_over_packets", {"a\n", "\rb\r\n"}, {"a", "b"}},
                    read_line_case{"lf_lf_split_over_packets", {"a\n", "\nb\r\n"}, {"a", "", "b"}},
                    read_line_case{"lone_cr_and_lone_lf", {"a\rb\nc\r\n"}, {"a", "b", "c"}},
                    read_line_case{"empty_line", {"\r\n"}, {""}},
                    read_line_case{"zero_byte_inside_a_line", {std::string("a\0b\r\n", 5)}, {std::string("a\0b", 3)}}),
    [](const testing::TestParamInfo<read_line_case>& param_info) { return std::string(param_info.param.name); });

// A peer that ends lines with a lone LF and then waits for the next command
// must get it: the reader may not wait for a second line-end byte.
TEST(transport, lone_lf_line_returns_without_waiting_for_more) {
    varrow::internet::environment::environment environment;
    script_server server({step::send("220 hello\n"), step::line(), step::send("250 fine\n"), step::line()});
    raw transport;
    tw_test::connect_loopback(transport, server.port(), 3000);
    std::string line;
    transport.read_line(line);
    EXPECT_EQ(line, "220 hello");
    transport.write_line("NEXT");
    transport.read_line(line);
    EXPECT_EQ(line, "250 fine");
    transport.write("LAST\r\n");
    transport.close();
    EXPECT_EQ(server.received(), "NEXT\r\nLAST\r\n");
    EXPECT_EQ(server.problem(), "");
}

TEST(transport, peer_closing_mid_line_raises_connection_closed_and_keeps_the_partial_line) {
    varrow::internet::environment::environment environment;
    script_server server({step::send("250 ok\r\n250 parti"), step::pause(50), step::close()});
    inspected_raw transport;
    tw_test::connect_loopback(transport, server.port());
    std::string line;
    transport.read_line(line);
    EXPECT_EQ(line, "250 ok");
    EXPECT_EQ(raised_by([&] { transport.read_line(line); }),
              (raised{"internet.transport.connection_failed.connection_closed", "recv() failed"}));
    EXPECT_EQ(transport.queued(), "250 parti");
}

TEST(transport, peer_reset_raises_connection_reset) {
    varrow::internet::environment::environment environment;
    script_server server({step::send("220-"), step::pause(100), step::reset()});
    raw transport;
    tw_test::connect_loopback(transport, server.port());
    std::string line;
    EXPECT_EQ(raised_by([&] { transport.read_line(line); }),
              (raised{"internet.transport.connection_failed.connection_reset", "recv() failed"}));
}

TEST(transport, silent_peer_raises_connection_timed_out) {
    varrow::internet::environment::environment environment;
    script_server server({step::send("220 partial line")});
    raw transport;
    tw_test::connect_loopback(transport, server.port(), 200);
    std::string line;
    EXPECT_EQ(raised_by([&] { transport.read_line(line); }),
              (raised{"internet.transport.connection_failed.connection_timed_out", "recv() failed"}));
}

// A line may be long, but a peer that never ends its line must not be able
// to fill the memory.
TEST(transport, line_without_end_raises_after_the_limit) {
    varrow::internet::environment::environment environment;
    const std::size_t limit = raw::max_line_length;
    script_server server({step::send(std::string(limit, 'x') + "\r\n" + std::string(limit + 1, 'y'))});
    inspected_raw transport;
    tw_test::connect_loopback(transport, server.port());
    std::string line;
    transport.read_line(line);
    EXPECT_EQ(line, std::string(limit, 'x'));
    EXPECT_EQ(raised_by([&] { transport.read_line(line); }), (raised{"internet.transport", "Line too long"}));
    EXPECT_GE(transport.queued().size(), limit + 1);
    EXPECT_EQ(transport.queued().find_first_not_of('y'), std::string::npos);
}

TEST(transport, connect_without_listener_raises_connection_refused) {
    varrow::internet::environment::environment environment;
    std::uint16_t port = 0;
    {
        tw_test::test_socket listener = tw_test::test_socket::listen_loopback();
        ASSERT_TRUE(listener.valid());
        port = listener.local_port();
    }
    const varrow::internet::address::ip4 nowhere("127.0.0.1", port);
    raw transport;
    transport.open(nowhere);
    EXPECT_EQ(raised_by([&] { transport.connect_to(nowhere); }),
              (raised{"internet.transport.connection_failed.connection_refused", "connect() failed"}));
}

// Writing to a peer that has gone must raise the transport error (on POSIX
// not end the process by SIGPIPE).
TEST(transport, writing_to_a_closed_peer_raises_a_connection_error) {
    varrow::internet::environment::environment environment;
    script_server server({step::close()});
    raw transport;
    tw_test::connect_loopback(transport, server.port());
    EXPECT_EQ(server.problem(), "");
    const std::string block(4096, 'z');
    raised outcome{"none", ""};
    for (int attempt = 0; attempt < 400 && outcome.category == "none"; ++attempt) {
        outcome = raised_by([&] { transport.write(block); });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_EQ(outcome.category.rfind("internet.transport.connection_failed.", 0), 0u) << outcome;
    EXPECT_EQ(outcome.description, "send() failed");
}

TEST(transport, close_forgets_the_socket_and_may_repeat) {
    varrow::internet::environment::environment environment;
    script_server server({});
    raw transport;
    EXPECT_EQ(transport.socket(), raw::invalid_socket);
    transport.close();
    tw_test::connect_loopback(transport, server.port());
    EXPECT_NE(transport.socket(), raw::invalid_socket);
    transport.close();
    EXPECT_EQ(transport.socket(), raw::invalid_socket);
    transport.close();
    EXPECT_EQ(server.problem(), "");
}

}  // namespace
