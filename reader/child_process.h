#pragma once
// Starting a program the way the installer starts the setup program and the
// report tool, and waiting for it.
//
// Windows: ShellExecuteExA (default verb, SW_SHOWNORMAL, the process handle
// returned). POSIX: posix_spawn of the file itself, the parameters split
// into arguments by the Windows command-line rules (split_arguments), so
// one archive means the same on both platforms.

#include <cstdint>
#include <optional>
#include <string>

namespace tarnwick::reader {

class child_process {
public:
    // Starts `file` with the command-line text `parameters`, in `directory`
    // (empty: the current directory). Nothing when the start fails. The new
    // process inherits no handle of ours (the lock included).
    static std::optional<child_process> start(const std::string& file, const std::string& parameters,
                                              const std::string& directory);

    ~child_process();
    child_process(child_process&& other) noexcept;
    child_process& operator=(child_process&&) = delete;
    child_process(const child_process&) = delete;
    child_process& operator=(const child_process&) = delete;

    // Waits without a time limit until the process has ended. False when the
    // wait fails (or the start returned no process to wait for).
    bool wait();
    // The exit code after a successful wait(). POSIX: the exit status, or
    // 128 + the signal number for a process ended by a signal. Nothing when
    // it cannot be had.
    std::optional<std::uint32_t> exit_code();

private:
#if defined(_WIN32)
    using native_handle = void*;
    explicit child_process(native_handle process) : process_(process) {}
    native_handle process_;
#else
    explicit child_process(int pid) : pid_(pid) {}
    int pid_;
    std::optional<int> status_;
#endif
};

}  // namespace tarnwick::reader
