#include "reader/driver.h"
#include "varrow/system/program_entry.h"

int varrow::system::program_main(const std::string& command_line) {
    return tarnwick::reader::run_reader(command_line);
}
