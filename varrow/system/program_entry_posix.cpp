#include <string>
#include <vector>

#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"

int main(int argc, char** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) arguments.emplace_back(argv[i]);
    return varrow::system::program_main(varrow::system::join_arguments(arguments));
}
