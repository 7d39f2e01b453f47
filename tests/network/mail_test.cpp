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
using varrow::internet::smtp::message_lines;
using steps = std::vector<step>;

const std::string recipient = "support@mail.test";

steps join(std::initializer_list<steps> parts) {
    steps all;
    for (const steps& part : parts) all.insert(all.end(), part.begin(), part.end());
    return all;
}

// One client line answered by reply.
steps answer(const std::string& reply) { return {step::line(), step::send(reply)}; }

const steps greeting = {step::send("220 mail.test ESMTP\r\n")};
const steps ehlo_ok = answer("250-mail.test\r\n250 8BITMIME\r\n");
const steps envelope_ok = join({answer("250 reset\r\n"), answer("250 sender ok\r\n"), answer("250 recipient ok\r\n")});
const steps data_ok = join({answer("354 go ahead\r\n"), {step::data(), step::send("250 queued\r\n")}});
const steps quit_ok = answer("221 bye\r\n");

const std::string client_ehlo = "EHLO installer\r\n";
const std::string client_envelope = "RSET\r\nMAIL FROM: <>\r\nRCPT TO: <support@mail.test>\r\n";
const message_lines short_message = {"Subject: test", "", "body"};
const std::string short_data = "DATA\r\nSubject: test\r\n\r\nbody\r\n.\r\n";

struct mail_case {
    const char* name;
    steps script;
    raised failure;
    std::string client_bytes;
    std::uint32_t timeout_ms = 10000;
};

void PrintTo(const mail_case& c, std::ostream* out) { *out << c.name; }

class mail_test : public testing::TestWithParam<mail_case> {};

TEST_P(mail_test, runs_one_transaction) {
    const mail_case& c = GetParam();
    varrow::internet::environment::environment environment;
    script_server server(c.script);
    const varrow::internet::address::ip4 address("127.0.0.1", server.port());
    EXPECT_EQ(raised_by([&] {
                  varrow::internet::smtp::detail::send_mail("installer", address, recipient, "", short_message,
                                                            c.timeout_ms);
              }),
              c.failure);
    // send_mail has closed its socket by now, so the server has seen all.
    EXPECT_EQ(server.received(), c.client_bytes);
    EXPECT_EQ(server.problem(), "");
}

const raised none{"none", ""};
const std::string whole = client_ehlo + client_envelope + short_data + "QUIT\r\n";

std::string continuation_reply(int count) {
    std::string reply;
    for (int i = 0; i < count; ++i) reply += "250-EXTENSION" + std::to_string(i) + "\r\n";
    return reply + "250 HELP\r\n";
}

INSTANTIATE_TEST_SUITE_P(
    smtp, mail_test,
    testing::Values(
        mail_case{"delivers", join({greeting, ehlo_ok, envelope_ok, data_ok, quit_ok}), none, whole},
        mail_case{"helo_after_500", join({greeting, answer("500 unknown command\r\n"), answer("250 hello\r\n"),
                                          envelope_ok, data_ok, quit_ok}),
                  none, client_ehlo + "HELO installer\r\n" + client_envelope + short_data + "QUIT\r\n"},
        mail_case{"helo_after_502", join({greeting, answer("502 not implemented\r\n"), answer("250 hello\r\n"),
                                          envelope_ok, data_ok, quit_ok}),
                  none, client_ehlo + "HELO installer\r\n" + client_envelope + short_data + "QUIT\r\n"},
        mail_case{"helo_rejected_too", join({greeting, answer("500 unknown\r\n"), answer("501 go away\r\n")}),
                  {"smtp.permanent_failure", "501 go away"}, client_ehlo + "HELO installer\r\n"},
        mail_case{"ehlo_421_is_not_retried", join({greeting, answer("421 busy\r\n")}),
                  {"smtp.temporary_failure", "421 busy"}, client_ehlo},
        mail_case{"greeting_554", {step::send("554 no service\r\n")}, {"smtp.permanent_failure", "554 no service"}, ""},
        mail_case{"ehlo_128_continuation_lines", join({greeting, answer(continuation_reply(128)), envelope_ok, data_ok,
                                                       quit_ok}),
                  none, whole},
        mail_case{"ehlo_129_continuation_lines", join({greeting, answer(continuation_reply(129))}),
                  {"smtp", "Excess response: 250-EXTENSION128"}, client_ehlo},
        mail_case{"data_250_then_354",
                  join({greeting, ehlo_ok, envelope_ok, answer("250 hmm\r\n"), {step::pause(50)},
                        {step::send("354 now\r\n"), step::data(), step::send("250 queued\r\n")}, quit_ok}),
                  none, whole},
        mail_case{"rcpt_550_sends_no_data_and_no_quit",
                  join({greeting, ehlo_ok, answer("250 reset\r\n"), answer("250 ok\r\n"),
                        answer("550 no such user\r\n")}),
                  {"smtp.permanent_failure", "550 no such user"}, client_ehlo + client_envelope},
        mail_case{"mail_from_451", join({greeting, ehlo_ok, answer("250 reset\r\n"), answer("451 later\r\n")}),
                  {"smtp.temporary_failure", "451 later"}, client_ehlo + "RSET\r\nMAIL FROM: <>\r\n"},
        mail_case{"final_dot_554", join({greeting, ehlo_ok, envelope_ok, answer("354 go\r\n"),
                                         {step::data(), step::send("554 rejected\r\n")}}),
                  {"smtp.permanent_failure", "554 rejected"}, client_ehlo + client_envelope + short_data},
        mail_case{"malformed_reply_in_transaction_is_not_converted", join({greeting, ehlo_ok, answer("25\r\n")}),
                  {"smtp", "Bad response: 25"}, client_ehlo + "RSET\r\n"},
        mail_case{"close_instead_of_quit_reply",
                  join({greeting, ehlo_ok, envelope_ok, data_ok, {step::line(), step::close()}}),
                  {"smtp.unreliable_delivery", "recv() failed"}, whole},
        mail_case{"reset_after_data_is_a_temporary_failure",
                  join({greeting, ehlo_ok, envelope_ok, answer("354 go\r\n"), {step::data(), step::reset()}}),
                  {"smtp.temporary_failure", "recv() failed"}, client_ehlo + client_envelope + short_data},
        mail_case{"silence_after_greeting_times_out_unconverted", join({greeting, {step::line()}}),
                  {"internet.transport.connection_failed.connection_timed_out", "recv() failed"}, client_ehlo, 300},
        mail_case{"close_after_greeting_unconverted", join({greeting, {step::line(), step::close()}}),
                  {"internet.transport.connection_failed.connection_closed", "recv() failed"}, client_ehlo},
        mail_case{"silence_after_rcpt_to_is_a_temporary_failure",
                  join({greeting, ehlo_ok, answer("250 reset\r\n"), answer("250 ok\r\n"), {step::line()}}),
                  {"smtp.temporary_failure", "recv() failed"}, client_ehlo + client_envelope, 300}),
    [](const testing::TestParamInfo<mail_case>& param_info) { return std::string(param_info.param.name); });

TEST(smtp, dot_stuffing_and_line_ends) {
    varrow::internet::environment::environment environment;
    script_server server(join({greeting, ehlo_ok, envelope_ok, data_ok, quit_ok}));
    const varrow::internet::address::ip4 address("127.0.0.1", server.port());
    const message_lines lines = {".", ".x", "..", "end.", "", "a.b", std::string("nul\0byte", 8)};
    varrow::internet::smtp::detail::send_mail("installer", address, recipient, "", lines, 10000);
    EXPECT_EQ(server.received(), client_ehlo + client_envelope + "DATA\r\n" + "..\r\n" + "..x\r\n" + "...\r\n" +
                                     "end.\r\n" + "\r\n" + "a.b\r\n" + std::string("nul\0byte\r\n", 10) + ".\r\n" +
                                     "QUIT\r\n");
}

// The data goes out in pieces of up to 64 KiB; the bytes on the wire must
// be those of one write per line, across every piece boundary.
TEST(smtp, large_message_arrives_byte_for_byte) {
    varrow::internet::environment::environment environment;
    script_server server(join({greeting, ehlo_ok, envelope_ok, data_ok, quit_ok}));
    const varrow::internet::address::ip4 address("127.0.0.1", server.port());
    message_lines lines;
    std::string expected_data;
    for (int i = 0; i < 5000; ++i) {
        // Lines of 0 to 150 bytes, every seventh beginning with a dot.
        std::string line(static_cast<std::size_t>(i * 37 % 151), static_cast<char>('A' + i % 26));
        if (i % 7 == 0) {
            line.insert(line.begin(), '.');
            expected_data.push_back('.');
        }
        lines.push_back(line);
        expected_data.append(line).append("\r\n");
    }
    // Lines longer than a piece, one of them stuffed.
    lines.push_back(std::string(200000, 'L'));
    expected_data.append(200000, 'L').append("\r\n");
    lines.push_back(std::string(1, '.').append(70000, 'M'));
    expected_data.append("..").append(70000, 'M').append("\r\n");
    varrow::internet::smtp::detail::send_mail("installer", address, recipient, "", lines, 10000);
    const std::string received = server.received();
    const std::string expected = client_ehlo + client_envelope + "DATA\r\n" + expected_data + ".\r\nQUIT\r\n";
    EXPECT_EQ(received.size(), expected.size());
    EXPECT_TRUE(received == expected);
}

TEST(smtp, sender_and_client_name_go_into_the_commands) {
    varrow::internet::environment::environment environment;
    script_server server(join({greeting, ehlo_ok, envelope_ok, data_ok, quit_ok}));
    const varrow::internet::address::ip4 address("127.0.0.1", server.port());
    varrow::internet::smtp::detail::send_mail("client.test", address, "a@b.test", "me@c.test", {}, 10000);
    EXPECT_EQ(server.received(),
              "EHLO client.test\r\nRSET\r\nMAIL FROM: <me@c.test>\r\nRCPT TO: <a@b.test>\r\nDATA\r\n.\r\nQUIT\r\n");
}

TEST(smtp, no_listener_raises_connection_refused) {
    varrow::internet::environment::environment environment;
    std::uint16_t port = 0;
    {
        tw_test::test_socket listener = tw_test::test_socket::listen_loopback();
        ASSERT_TRUE(listener.valid());
        port = listener.local_port();
    }
    const varrow::internet::address::ip4 address("127.0.0.1", port);
    EXPECT_EQ(raised_by([&] { varrow::internet::smtp::send_mail("installer", address, recipient, "", short_message); }),
              (raised{"internet.transport.connection_failed.connection_refused", "connect() failed"}));
}

}  // namespace
