// Runs under with_smtp_sink.sh, which starts a real SMTP server (aiosmtpd)
// on a loopback port and says where in TW_SMTP_SINK_PORT and
// TW_SMTP_SINK_FILE.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "varrow/internet/address/address.h"
#include "varrow/internet/environment/environment.h"
#include "varrow/internet/smtp/smtp.h"

namespace {

std::string environment_value(const char* name) {
    const char* value = std::getenv(name);
    return value == nullptr ? std::string() : std::string(value);
}

std::string file_text(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(smtp_sink, a_real_server_receives_envelope_headers_and_body) {
    const std::string port = environment_value("TW_SMTP_SINK_PORT");
    const std::string received_file = environment_value("TW_SMTP_SINK_FILE");
    ASSERT_FALSE(port.empty()) << "run by with_smtp_sink.sh";
    ASSERT_FALSE(received_file.empty());

    const varrow::internet::smtp::message_lines lines = {
        "Subject: TW:1234  OS:10.0  ExitCode:1603",
        "To: install-support@tarnwick.example",
        "Content-Transfer-Encoding: base64",
        "Content-Type: text/plain; charset=\"utf-8\"",
        "",
        "SW5zdGFsbGF0aW9uIGxvZw0K",
        ".leading dot",
        ".",
        "last line.",
    };
    varrow::internet::environment::environment environment;
    const varrow::internet::address::ip4 server("127.0.0.1", static_cast<std::uint16_t>(std::stoi(port)));
    varrow::internet::smtp::send_mail("installer", server, "install-support@tarnwick.example", "", lines);

    std::string content;
    for (const std::string& line : lines) content += line + "\r\n";
    EXPECT_EQ(file_text(received_file),
              "from=<>\nto=install-support@tarnwick.example\npeer=installer\n\n" + content);
}

}  // namespace
