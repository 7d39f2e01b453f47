#include "reader/launch.h"

#include "reader/child_process.h"
#include "reader/process_state.h"
#include "varrow/text.h"
#include "varrow/ui/ui.h"

namespace tarnwick::reader {

void run_setup(const std::string& file, const std::string& parameters) {
    std::optional<child_process> setup = child_process::start(file, parameters, std::string());
    if (!setup) {
        varrow::ui::notice("Unable to spawn process", "ShellExecuteEx failed");
        return;
    }
    if (!setup->wait()) {
        varrow::ui::notice("Unable to wait for process", "WaitForSingleObject failed");
        return;
    }
    const std::optional<std::uint32_t> code = setup->exit_code();
    if (!code) {
        varrow::ui::notice("Unable to get process exit code", "GetExitCodeProcess failed");
        return;
    }
    run_report_tool(*code);
}

void run_report_tool(std::uint32_t exit_code) {
    const std::string file = installer_variables.expand(installer_variables.value_of("post"));
    if (file.empty()) return;
    // Codes from 2^31 on are shown as negative numbers, two's complement.
    const std::string parameters = varrow::format_text("%i", static_cast<int>(static_cast<std::int32_t>(exit_code)));
    std::optional<child_process> tool = child_process::start(file, parameters, working_folder);
    if (tool) tool->wait();
}

}  // namespace tarnwick::reader
