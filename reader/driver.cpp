#include "reader/driver.h"

#include <cstdint>
#include <ctime>
#include <exception>
#include <optional>

#include "reader/archive/messages.h"
#include "reader/archive/read_archive.h"
#include "reader/language.h"
#include "reader/launch.h"
#include "reader/process_state.h"
#include "reader/workspace.h"
#include "varrow/real_mutex.h"
#include "varrow/system/folders.h"
#include "varrow/text.h"
#include "varrow/ui/ui.h"

namespace tarnwick::reader {

namespace {

// Where the working folder goes when the platform names no temporary folder.
#if defined(_WIN32)
constexpr char fallback_temp_folder[] = "C:\\Temp\\";
#else
constexpr char fallback_temp_folder[] = "/tmp/";
#endif

// How many numbers after the current second are tried for a new folder.
constexpr std::uint32_t working_folder_tries = 100;

// Creates a working folder that did not exist before: a folder that is
// already there (left over, or planted in a shared temporary folder) is
// never used. Returns its path with a final separator, or nothing.
std::optional<std::string> create_working_folder(const std::string& temp) {
    const auto seconds = static_cast<std::uint32_t>(static_cast<std::int64_t>(std::time(nullptr)));
    for (std::uint32_t attempt = 0; attempt < working_folder_tries; ++attempt) {
        const auto number = static_cast<std::int32_t>(seconds + attempt);
        std::string folder = temp + varrow::format_text("TW%i", static_cast<int>(number));
        folder += varrow::system::path_separator;
        if (varrow::system::create_private_folder(folder)) return folder;
    }
    return std::nullopt;
}

int main_flow(const std::string& command_line) {
    varrow::real_mutex lock("Tarnwick.Installation");
    if (!lock.wait(0)) {
        varrow::ui::notice(
            "Another installation is already running or in the process of starting up.\n"
            "Please wait until the other installation has completed before trying again.",
            "Already Running");
        return 1;
    }

    std::string temp = varrow::system::temp_folder();
    if (temp.empty()) {
        varrow::ui::notice("Unable to get Temporary Directory", "GetTempPath failed");
        temp = fallback_temp_folder;
    }
    varrow::system::create_folder(temp);  // usually exists already
    const std::optional<std::string> folder = create_working_folder(temp);
    if (!folder || !varrow::system::set_current_directory(*folder)) {
        varrow::ui::notice("Unable to set Working Directory", "SetCurrentDirectory failed");
        return 1;
    }
    working_folder = *folder;

    // Set before the archive is read, which only adds missing names, so the
    // archive cannot change them.
    installer_variables.value_of("source") = working_folder.substr(0, working_folder.size() - 1);
    installer_variables.value_of("commandline") = command_line;

    read_archive(varrow::system::module_path());

    if (!archive_valid) {
        varrow::ui::notice(invalid_archive_text(), invalid_archive_caption);
    } else {
        const std::string file = working_folder + installer_variables.expand(installer_variables.value_of("executable"));
        std::string parameters = installer_variables.expand(installer_variables.value_of("parameters"));
        try {
            parameters = add_language_option(parameters);
        } catch (...) {
            // The language option is a courtesy; without it the setup asks.
        }
        run_setup(file, parameters);
    }

    remove_working_folder();
    // The lock's handle is closed on the way out; ownership ends with the process.
    return 0;
}

}  // namespace

int run_reader(const std::string& command_line) {
    try {
        return main_flow(command_line);
    } catch (const std::exception& error) {
        varrow::ui::notice("Unhandled Exception", error.what());
    } catch (...) {
        varrow::ui::notice("Unhandled Exception", "No context available");
    }
    return 0;
}

}  // namespace tarnwick::reader
