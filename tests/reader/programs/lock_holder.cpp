// Takes a named machine-wide mutex and keeps it until killed.
// Arguments: NAME MARKER. Writes "taken" or "busy" into MARKER once it has
// tried (wait 0), then sleeps.
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "varrow/real_mutex.h"
#include "varrow/system/command_line.h"
#include "varrow/system/program_entry.h"

int varrow::system::program_main(const std::string& command_line) {
    const auto arguments = varrow::system::split_arguments(command_line);
    if (arguments.size() != 2) return 2;
    varrow::real_mutex mutex(arguments[0]);
    const bool taken = mutex.wait(0);
    {
        std::ofstream marker(arguments[1] + ".part", std::ios::binary);
        marker << (taken ? "taken" : "busy") << "\n";
    }
    // Renamed into place, so a reader never sees half a marker.
    std::rename((arguments[1] + ".part").c_str(), arguments[1].c_str());
    for (;;) std::this_thread::sleep_for(std::chrono::seconds(1));
}
