#pragma once
// The entry point of a program on every platform, in the library's object
// library varrow_entry (link it into the program; it holds WinMain on
// Windows and main elsewhere).
//
// Windows: WinMain first restricts the DLL search to the system folder where
// the platform can (SetDefaultDllDirectories), so DLLs placed next to a
// downloaded program are never loaded, then passes the command-line text
// that the GUI start-up gives it (what follows the program's file name).
// POSIX: main passes the arguments after the program name, joined by
// join_arguments() (command_line.h), so the text splits back into them.

#include <string>

namespace varrow::system {

// Defined by each program: its main flow. Returns the exit status.
int program_main(const std::string& command_line);

}  // namespace varrow::system
