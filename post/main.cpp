// The program's main flow behind the shared entry point (WinMain on Windows,
// main elsewhere), which hands over the text after the program's name.
#include <string>

#include "post/report_tool.h"
#include "varrow/system/program_entry.h"

int varrow::system::program_main(const std::string& command_line) {
    return post::report_tool_main(command_line);
}
