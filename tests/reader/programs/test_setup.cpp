// A stand-in for the product's setup program. Appends to the file named by
// $TW_TEST_LOG what it was given:
//   setup <TAB> command-line text
//   arg <TAB> each argument
//   cwd <TAB> current directory
//   mode <TAB> its permission bits in octal
//   entry <TAB> each name in the current directory (sorted)
// then writes install.txt and ends. Options (any order, among other
// arguments): --exit=N (32-bit, decimal or 0x hex), --exit-file=PATH (code
// read from the file), --started=PATH (created once running),
// --wait-for=PATH (waits until it exists), --signal=N (raises it).
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>
#include <thread>

#include "tests/reader/programs/test_log.h"
#include "varrow/system/command_line.h"
#include "varrow/system/folders.h"
#include "varrow/system/program_entry.h"

namespace fs = std::filesystem;

int varrow::system::program_main(const std::string& command_line) {
    using namespace tarnwick::reader::testing;
    const auto arguments = varrow::system::split_arguments(command_line);
    const std::string cwd = varrow::system::current_directory();
    std::string log = "setup\t" + command_line + "\n";
    for (const auto& a : arguments) log += "arg\t" + a + "\n";
    log += "cwd\t" + cwd + "\n";
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", static_cast<unsigned>(fs::status(cwd).permissions() & fs::perms::all));
    log += "mode\t" + std::string(mode) + "\n";
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(cwd)) names.insert(entry.path().filename().string());
    for (const auto& name : names) log += "entry\t" + name + "\n";
    append_to_test_log(log);

    std::ofstream("install.txt") << "Test setup log\nexit requested\n";

    std::uint32_t code = 0;
    for (const auto& a : arguments) {
        auto value = [&](const char* option) -> const char* {
            const std::string prefix = std::string(option) + "=";
            return a.rfind(prefix, 0) == 0 ? a.c_str() + prefix.size() : nullptr;
        };
        if (const char* v = value("--exit")) code = static_cast<std::uint32_t>(std::strtoull(v, nullptr, 0));
        if (const char* v = value("--exit-file")) {
            std::ifstream in(v);
            std::string text;
            in >> text;
            code = static_cast<std::uint32_t>(std::strtoull(text.c_str(), nullptr, 0));
        }
        if (const char* v = value("--started")) std::ofstream(v) << "started\n";
        if (const char* v = value("--wait-for"))
            while (!fs::exists(v)) std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (const char* v = value("--signal")) std::raise(std::atoi(v));
    }
    // The C runtime passes the int on unchanged: ExitProcess on Windows (all
    // 32 bits), the low 8 bits elsewhere.
    std::exit(static_cast<int>(code));
}
