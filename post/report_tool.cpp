#include "post/report_tool.h"

#include <exception>

#include "post/built_in.h"
#include "post/log_analysis.h"
#include "post/platform.h"
#include "varrow/internet/address/address.h"
#include "varrow/internet/environment/environment.h"
#include "varrow/internet/message2/message.h"
#include "varrow/internet/smtp/smtp.h"
#include "varrow/ui/ui.h"

namespace post {

namespace {

constexpr char question_text[] =
    "We're very sorry, but the installation failed. Would you like to send an error report to help resolve "
    "this problem?";
constexpr char question_caption[] = "Installation failed";
constexpr char thanks_text[] = "Thank you. The error report has been submitted.";
constexpr char thanks_caption[] = "Report submitted";
constexpr char failure_caption[] = "Report not submitted";

// Asks, and on Yes sends the report. Whatever the sending raises is shown;
// the socket environment and everything built for the sending are gone by
// then.
void ask_and_send(const varrow::internet::message2::message& report) {
    try {
        if (!varrow::ui::question(question_text, question_caption)) return;
        varrow::internet::environment::environment sockets;
        const varrow::internet::smtp::message_lines lines = report.lines();
        const varrow::internet::address::ip4 server(built_in::mail_host, built_in::mail_port);
        varrow::internet::smtp::send_mail(built_in::client_name, server, built_in::support_mailbox,
                                          built_in::sender, lines);
        varrow::ui::notice(thanks_text, thanks_caption);
    } catch (const std::exception& error) {
        varrow::ui::notice(error.what(), failure_caption);
    }
}

}  // namespace

bool is_ignored_exit_code(std::int32_t exit_code) {
    return exit_code == 0 || exit_code == 1602 || exit_code == 3010;
}

int run_report_tool(const std::string& command_line) {
    const std::int32_t exit_code = decimal_value(command_line);
    if (is_ignored_exit_code(exit_code)) return 0;

    varrow::internet::message2::message report;
    report.remove_header("Content-Transfer-Encoding");
    report.add_header("Content-Transfer-Encoding", "base64");
    report.add_header("To", std::string("\"") + built_in::display_name + "\" <" + built_in::support_mailbox + ">");
    // Before the text is set, so that the body is the log in UTF-8.
    report.charset = "utf-8";

    const platform::os_version version = platform::current_os_version();

    log_reading log = read_log(report);
    if (log.outcome == log_outcome::not_opened) return 1;
    if (log.outcome == log_outcome::nothing_to_report) return 0;

    report.add_header("Subject", report_subject(log.analysis_text, version.major, version.minor, exit_code));
    ask_and_send(report);
    // The log stays open, shared for reading, until here.
    log.file.close();
    return 0;
}

int report_tool_main(const std::string& command_line) {
    try {
        return run_report_tool(command_line);
    } catch (const std::exception& error) {
        // For example a log whose bytes the ANSI code page rejects: raised
        // while the body is set, before the question.
        try {
            varrow::ui::notice(error.what(), failure_caption);
        } catch (...) {
        }
        return 0;
    }
}

}  // namespace post
