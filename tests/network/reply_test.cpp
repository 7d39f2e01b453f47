#include <gtest/gtest.h>

#include "script_server.h"
#include "support.h"
#include "varrow/internet/environment/environment.h"
#include "varrow/internet/smtp/smtp.h"

namespace {

using tw_test::raised;
using tw_test::raised_by;
using tw_test::script_server;
using tw_test::step;
using varrow::internet::smtp::read_reply;
using varrow::internet::smtp::reply_texts;

std::string continuation_lines(int count) {
    std::string lines;
    for (int i = 0; i < count; ++i) lines += "250-line " + std::to_string(i) + "\r\n";
    return lines;
}

reply_texts continuation_texts(int count, const std::string& last) {
    reply_texts texts;
    for (int i = 0; i < count; ++i) texts.push_back("line " + std::to_string(i));
    texts.push_back(last);
    return texts;
}

struct reply_case {
    const char* name;
    std::string stream;
    std::int32_t code;      // when nothing is raised
    raised failure;         // "none" when the code comes back
    reply_texts texts;      // after the call, also after a raise
};

void PrintTo(const reply_case& c, std::ostream* out) { *out << c.name; }

class reply_test : public testing::TestWithParam<reply_case> {};

TEST_P(reply_test, reads_and_classifies_one_reply) {
    const reply_case& c = GetParam();
    varrow::internet::environment::environment environment;
    script_server server({step::send(c.stream)});
    varrow::internet::transport::tcp::raw transport;
    tw_test::connect_loopback(transport, server.port());
    reply_texts texts{"left over"};
    std::int32_t code = -1;
    EXPECT_EQ(raised_by([&] { code = read_reply(transport, texts); }), c.failure);
    if (c.failure.category == "none") {
        EXPECT_EQ(code, c.code);
    }
    EXPECT_EQ(texts, c.texts);
}

const raised none{"none", ""};

INSTANTIATE_TEST_SUITE_P(
    smtp, reply_test,
    testing::Values(
        reply_case{"code_alone", "250\r\n", 250, none, {}},
        reply_case{"code_and_blank", "250 \r\n", 250, none, {""}},
        reply_case{"multi_line", "220-first\r\n220-second\r\n220 third\r\n", 220, none, {"first", "second", "third"}},
        reply_case{"code_of_continuation_lines_not_compared", "250-x\r\n550 y\r\n", 0,
                   {"smtp.permanent_failure", "550 y"}, {"x", "y"}},
        reply_case{"temporary_failure_multi_line", "421-Busy\r\n421 Try later\r\n", 0,
                   {"smtp.temporary_failure", "421 Try later"}, {"Busy", "Try later"}},
        reply_case{"permanent_failure", "554 No thanks\r\n", 0, {"smtp.permanent_failure", "554 No thanks"}, {"No thanks"}},
        reply_case{"short_line", "25\r\n", 0, {"smtp", "Bad response: 25"}, {}},
        reply_case{"empty_line", "\r\n", 0, {"smtp", "Bad response: "}, {}},
        reply_case{"short_continuation", "250-a\r\n25\r\n", 0, {"smtp", "Bad response: 25"}, {"a"}},
        reply_case{"invalid_fourth_character", "250_OK\r\n", 0, {"smtp", "Invalid character: 250_OK"}, {"OK"}},
        reply_case{"no_digits_give_zero", "abc def\r\n", 0, none, {"def"}},
        reply_case{"other_first_digits_are_results", "199 info\r\n", 199, none, {"info"}},
        reply_case{"lone_lf_lines", "250-a\n250 b\n", 250, none, {"a", "b"}},
        reply_case{"128_continuation_lines_accepted", continuation_lines(128) + "250 last\r\n", 250, none,
                   continuation_texts(128, "last")},
        reply_case{"129th_continuation_line_raises", continuation_lines(129) + "250 last\r\n", 0,
                   {"smtp", "Excess response: 250-line 128"}, continuation_texts(128, "line 128")}),
    [](const testing::TestParamInfo<reply_case>& param_info) { return std::string(param_info.param.name); });

// The bytes after a reply stay queued for the next one; send_command writes
// its line before reading.
TEST(smtp, send_command_writes_the_line_and_later_replies_stay_queued) {
    varrow::internet::environment::environment environment;
    script_server server({step::line(), step::send("250 one\r\n251-two\r\n251 three\r\n")});
    varrow::internet::transport::tcp::raw transport;
    tw_test::connect_loopback(transport, server.port());
    reply_texts texts;
    EXPECT_EQ(varrow::internet::smtp::send_command(transport, texts, "NOOP"), 250);
    EXPECT_EQ(texts, (reply_texts{"one"}));
    EXPECT_EQ(read_reply(transport, texts), 251);
    EXPECT_EQ(texts, (reply_texts{"two", "three"}));
    transport.close();
    EXPECT_EQ(server.received(), "NOOP\r\n");
}

TEST(smtp, transport_errors_pass_through_read_reply) {
    varrow::internet::environment::environment environment;
    script_server server({step::send("250-a\r\n"), step::close()});
    varrow::internet::transport::tcp::raw transport;
    tw_test::connect_loopback(transport, server.port());
    reply_texts texts;
    EXPECT_EQ(raised_by([&] { read_reply(transport, texts); }),
              (raised{"internet.transport.connection_failed.connection_closed", "recv() failed"}));
    EXPECT_EQ(texts, (reply_texts{"a"}));
}

}  // namespace
