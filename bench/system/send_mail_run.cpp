// Sends a log file as the report tool does (UTF-8 text, base64 lines) with
// send_mail to a mail server and prints how long each send_mail call took.
//
//   send_mail_run LOG HOST PORT [--repeat N] [--dump FILE] [--per-line N]
//
// Output, one line each:  lines <count>, wire_bytes <bytes of the DATA phase
// without the final ".">, compose_seconds <s>, then send_seconds <s> per
// repeat. --dump writes the message lines, each with CR LF, to FILE, so that
// another client can send exactly the same message. --per-line N then runs
// the same exchange N times with one send call per message line (and one
// for each stuffed "."), the way the DATA phase went out before it was
// gathered into larger sends, and prints per_line_seconds <s> for each.
#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "varrow/internet/address/address.h"
#include "varrow/internet/environment/environment.h"
#include "varrow/internet/message2/message.h"
#include "varrow/internet/smtp/smtp.h"
#include "varrow/internet/transport/tcp/tcp.h"
#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"
#include "varrow/variant.h"

namespace {

using clock_type = std::chrono::steady_clock;

double seconds_since(clock_type::time_point start) {
    return std::chrono::duration<double>(clock_type::now() - start).count();
}

// The exchange of send_mail with one flush per message line.
void send_per_line(const varrow::internet::address::ip4& server, const varrow::internet::smtp::message_lines& lines) {
    namespace smtp = varrow::internet::smtp;
    varrow::internet::transport::tcp::raw transport;
    transport.open(server);
    transport.connect_to(server);
    smtp::reply_texts texts;
    smtp::greet("installer", transport, texts);
    smtp::send_command(transport, texts, "RSET");
    smtp::send_command(transport, texts, "MAIL FROM: <>");
    smtp::send_command(transport, texts, "RCPT TO: <sink@127.0.0.1>");
    transport.write_line("DATA");
    while (smtp::read_reply(transport, texts) != 354) {
    }
    for (const std::string& line : lines) {
        if (!line.empty() && line.front() == '.') transport.write(".");
        transport.write_line(line);
    }
    smtp::send_command(transport, texts, ".");
    smtp::quit(transport);
}

int run(const std::vector<std::string>& args) {
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: send_mail_run LOG HOST PORT [--repeat N] [--dump FILE]\n");
        return 2;
    }
    int repeat = 1;
    int per_line = 0;
    std::string dump;
    for (std::size_t i = 3; i + 1 < args.size(); i += 2) {
        if (args[i] == "--repeat") repeat = static_cast<int>(varrow::variant(args[i + 1]).as_integer());
        else if (args[i] == "--per-line") per_line = static_cast<int>(varrow::variant(args[i + 1]).as_integer());
        else if (args[i] == "--dump") dump = args[i + 1];
    }

    std::ifstream in(args[0], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "cannot open %s\n", args[0].c_str());
        return 1;
    }
    const std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    // The benchmark log is ASCII, so each byte is one UTF-16 code unit.
    const std::u16string text(log.begin(), log.end());

    const auto compose_start = clock_type::now();
    varrow::internet::message2::message report;
    report.add_header("Content-Transfer-Encoding", "base64");
    report.add_header("To", "\"Installation Support\" <sink@127.0.0.1>");
    report.charset = "utf-8";
    report.set_text(text);
    report.add_header("Subject", "TW:5230  OS:10.0  ExitCode:1603 (Error:1720)");
    const varrow::internet::smtp::message_lines lines = report.lines();
    const double compose = seconds_since(compose_start);

    std::size_t wire_bytes = 0;
    for (const std::string& line : lines) wire_bytes += line.size() + 2 + (!line.empty() && line[0] == '.');
    std::printf("lines %zu\nwire_bytes %zu\ncompose_seconds %.6f\n", lines.size(), wire_bytes, compose);

    if (!dump.empty()) {
        std::ofstream out(dump, std::ios::binary);
        for (const std::string& line : lines) out << line << "\r\n";
        if (!out.flush()) {
            std::fprintf(stderr, "cannot write %s\n", dump.c_str());
            return 1;
        }
    }

    varrow::internet::environment::environment sockets;
    const auto port = static_cast<std::uint16_t>(varrow::variant(args[2]).as_integer());
    const varrow::internet::address::ip4 server(args[1], port);
    for (int i = 0; i < repeat; ++i) {
        const auto start = clock_type::now();
        varrow::internet::smtp::send_mail("installer", server, "sink@127.0.0.1", "", lines);
        std::printf("send_seconds %.6f\n", seconds_since(start));
        std::fflush(stdout);
    }
    for (int i = 0; i < per_line; ++i) {
        const auto start = clock_type::now();
        send_per_line(server, lines);
        std::printf("per_line_seconds %.6f\n", seconds_since(start));
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace

int varrow::system::program_main(const std::string& command_line) {
    try {
        return run(split_arguments(command_line));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "send_mail_run: %s\n", e.what());
        return 1;
    }
}
