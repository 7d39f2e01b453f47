#pragma once
// The installer's main flow: lock, working folder, archive, setup program,
// report tool, removal.

#include <string>

namespace tarnwick::reader {

// Runs one installation with the command-line text the program received and
// returns the exit status: 1 when another installation holds the lock or no
// working folder can be made and entered, 0 otherwise (an exception that
// reaches the top is shown as "Unhandled Exception" and also gives 0).
int run_reader(const std::string& command_line);

}  // namespace tarnwick::reader
