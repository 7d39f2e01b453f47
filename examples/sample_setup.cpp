// A sample setup program for trying the installer out: it writes a setup log
// install.txt into its current directory, as a failing product setup would,
// and ends with exit code 1603 (a fatal error during installation).
//
// Arguments (in any order, others are ignored):
//   --ansi        write the log as windows-1252 bytes instead of UTF-16 LE
//   --no-bom      UTF-16 LE without the byte-order mark
//   --exit CODE   end with CODE instead of 1603
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"
#include "varrow/variant.h"

namespace {

// The log of a setup that fails while it registers a custom action: the
// product number travels in the web/ address of the download, the setup
// error number in the SetupError dialog line.
const char16_t log_text[] =
    u"=== Verbose logging started: 11.12.2026  09:14:02  Build type: SHIP UNICODE 5.00.10011.00  "
    u"Calling process: C:\\Users\\J\u00FCrgen\\AppData\\Local\\Temp\\TW1765444442\\setup.exe ===\r\n"
    u"MSI (c) (6C:48) [09:14:02:406]: Resetting cached policy values\r\n"
    u"MSI (c) (6C:48) [09:14:02:406]: Machine policy value 'Debug' is 0\r\n"
    u"Property(C): SOURCEDIR = C:\\Users\\J\u00FCrgen\\AppData\\Local\\Temp\\TW1765444442\\\r\n"
    u"Property(C): ORIGINALDATABASE = https://download.tarnwick.example/web/5230/Tarnwick.msi\r\n"
    u"Property(C): ProductName = Tarnwick Reader\r\n"
    u"Property(C): ProductVersion = 5.2.3.0\r\n"
    u"Property(C): ProductLanguage = 1031\r\n"
    u"Action 09:14:05: InstallInitialize.\r\n"
    u"Action 09:14:06: RegisterComponents. Komponenten werden registriert\r\n"
    u"Action 09:14:07: CA_RegisterShellExtension.\r\n"
    u"MSI (s) (A4:2C) [09:14:07:921]: Invoking remote custom action. DLL: C:\\Windows\\Installer\\MSI4F2.tmp\r\n"
    u"Action 09:14:08: SetupError. dialog SetupError: Error 1720. There is a problem with this Windows "
    u"Installer package. A script required for this install to complete could not be run. "
    u"Contact your support personnel or package vendor.\r\n"
    u"MSI (s) (A4:2C) [09:14:09:015]: Product: Tarnwick Reader \u2014 Installation failed.\r\n"
    u"Action ended 09:14:09: INSTALL. Return value 3.\r\n"
    u"MSI (c) (6C:48) [09:14:09:031]: MainEngineThread is returning 1603\r\n"
    u"=== Verbose logging stopped: 11.12.2026  09:14:09 ===\r\n";

// windows-1252 bytes of the text; the one character outside Latin-1 that the
// log uses (the em dash) has its own byte there.
std::string windows_1252(const std::u16string& text) {
    std::string bytes;
    for (char16_t unit : text) {
        if (unit == u'\u2014') bytes += '\x97';
        else if (unit < 0x100) bytes += static_cast<char>(unit);
        else bytes += '?';
    }
    return bytes;
}

std::string utf16le(const std::u16string& text, bool with_mark) {
    std::string bytes = with_mark ? std::string("\xFF\xFE") : std::string();
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

}  // namespace

int varrow::system::program_main(const std::string& command_line) {
    const std::vector<std::string> arguments = varrow::system::split_arguments(command_line);
    bool ansi = false, mark = true;
    std::int32_t exit_code = 1603;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == "--ansi") ansi = true;
        else if (arguments[i] == "--no-bom") mark = false;
        else if (arguments[i] == "--exit" && i + 1 < arguments.size())
            exit_code = varrow::variant(arguments[++i]).as_integer();
    }
    const std::u16string text = log_text;
    const std::string bytes = ansi ? windows_1252(text) : utf16le(text, mark);
    std::ofstream("install.txt", std::ios::binary) << bytes;
    return exit_code;
}
