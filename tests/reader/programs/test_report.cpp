// A stand-in for the report tool. Appends to the file named by $TW_TEST_LOG:
//   report <TAB> command-line text
//   cwd <TAB> current directory
//   install.txt <TAB> first line of install.txt in it (or "missing")
#include <fstream>
#include <string>

#include "tests/reader/programs/test_log.h"
#include "varrow/system/folders.h"
#include "varrow/system/program_entry.h"

int varrow::system::program_main(const std::string& command_line) {
    std::string first = "missing";
    if (std::ifstream in("install.txt"); in) std::getline(in, first);
    tarnwick::reader::testing::append_to_test_log("report\t" + command_line + "\ncwd\t" +
                                                   varrow::system::current_directory() + "\ninstall.txt\t" +
                                                   first + "\n");
    return 7;  // ignored by the installer
}
