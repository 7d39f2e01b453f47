#pragma once
// Platform help for the installer's tests: starting the built programs,
// environment variables, and the stored language value.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::reader::testing {

// A started program. Destroying a running one kills it.
class program {
public:
    // Starts `path` with the arguments (quoted by the Windows rules on
    // Windows, passed as they are on POSIX) in the current directory.
    program(const std::string& path, const std::vector<std::string>& arguments);
    ~program();
    program(const program&) = delete;
    program& operator=(const program&) = delete;

    // Waits for the end; the exit code (Windows: 32 bits; POSIX: the status,
    // 128 + signal for a killed one).
    std::uint32_t wait();
    // Kills the program and waits for it.
    void kill();

private:
    struct state;
    std::unique_ptr<state> state_;
};

// Starts the program and waits for it.
std::uint32_t run(const std::string& path, const std::vector<std::string>& arguments);

// Sets (or with nothing, removes) an environment variable of this process,
// which the programs it starts inherit.
void set_environment(const std::string& name, const std::optional<std::string>& value);

// Makes the stored language value `value`, or removes it: the registry value
// on Windows, the file under $XDG_CONFIG_HOME on POSIX (`config_folder`
// becomes $XDG_CONFIG_HOME there; Windows ignores it). Raw bytes: on
// Windows stored as REG_SZ of exactly these bytes (add a zero byte to store
// a terminated text).
void store_language_value(const std::optional<std::string>& value, const std::string& config_folder);

// Makes `link` a symbolic link to `target` (a folder link when `folder`).
// False when the platform cannot make one here.
bool make_link(const std::string& target, const std::string& link, bool folder);

// The path of a built program in the form the platform's calls take
// (Windows under Wine: the Z: drive form of the Unix path).
std::string native_path(const std::string& unix_path);

// Names the platform's programs with (".exe" on Windows).
extern const char* const program_suffix;

}  // namespace tarnwick::reader::testing
