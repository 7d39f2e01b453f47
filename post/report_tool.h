#pragma once
// The report tool's main flow: from the setup program's exit code to the
// report in the support mailbox.

#include <cstdint>
#include <string>

namespace post {

// The exit codes that mean success, cancellation by the user and success
// with a reboot needed: 0, 1602 and 3010.
bool is_ignored_exit_code(std::int32_t exit_code);

// One run for the command-line text that follows the program's name (the
// exit code in decimal). Returns the exit status: 1 when install.txt cannot
// be opened, 0 otherwise. Errors raised while the report is sent are shown
// in the "Report not submitted" box; others pass out.
int run_report_tool(const std::string& command_line);

// run_report_tool inside the outermost handler: any standard exception that
// leaves it is shown by its what() text in the "Report not submitted" box,
// and the status is then 0.
int report_tool_main(const std::string& command_line);

}  // namespace post
