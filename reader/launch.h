#pragma once
// Starting the setup program and handing its exit code to the report tool.

#include <cstdint>
#include <string>

namespace tarnwick::reader {

// Starts `file` with `parameters` in the current directory (the working
// folder), waits for it without a time limit and hands its exit code to
// run_report_tool(). Shows "Unable to spawn process" / "ShellExecuteEx
// failed", "Unable to wait for process" / "WaitForSingleObject failed" or
// "Unable to get process exit code" / "GetExitCodeProcess failed" when a
// step fails; the report tool is then not started.
void run_setup(const std::string& file, const std::string& parameters);

// Starts the expanded value of the variable `post` (nothing when it is
// empty) with the exit code in signed decimal as its whole command line and
// working_folder as its current directory, and waits for it without a time
// limit. Silent in every failure; the tool's exit status is ignored.
void run_report_tool(std::uint32_t exit_code);

}  // namespace tarnwick::reader
