#include <cerrno>
#include <vector>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>

#include "reader/child_process.h"
#include "varrow/system/command_line.h"

extern char** environ;

namespace tarnwick::reader {

namespace {

class spawn_actions {
public:
    spawn_actions() { ok_ = posix_spawn_file_actions_init(&actions_) == 0; }
    ~spawn_actions() {
        if (ok_) posix_spawn_file_actions_destroy(&actions_);
    }
    spawn_actions(const spawn_actions&) = delete;
    spawn_actions& operator=(const spawn_actions&) = delete;
    bool ok() const { return ok_; }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
    bool ok_;
};

}  // namespace

std::optional<child_process> child_process::start(const std::string& file, const std::string& parameters,
                                                  const std::string& directory) {
    std::vector<std::string> arguments = varrow::system::split_arguments(parameters);
    arguments.insert(arguments.begin(), file);
    std::vector<char*> argv;
    for (std::string& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);

    spawn_actions actions;
    if (!actions.ok()) return std::nullopt;
    if (!directory.empty() && posix_spawn_file_actions_addchdir_np(actions.get(), directory.c_str()) != 0)
        return std::nullopt;
    pid_t pid = 0;
    // posix_spawn (not posix_spawnp): the file is a path, never searched for.
    // It reports a failed exec as its result.
    if (posix_spawn(&pid, file.c_str(), actions.get(), nullptr, argv.data(), environ) != 0) return std::nullopt;
    return child_process(pid);
}

// Nothing to close: a child that was not waited for is reaped by the system
// when this process ends, and is not waited for here (Windows closes the
// handle without waiting too).
child_process::~child_process() = default;

child_process::child_process(child_process&& other) noexcept : pid_(other.pid_), status_(other.status_) {
    other.pid_ = -1;
}

bool child_process::wait() {
    if (pid_ <= 0) return false;
    if (status_) return true;
    int status = 0;
    for (;;) {
        const pid_t result = ::waitpid(pid_, &status, 0);
        if (result == pid_) break;
        if (result < 0 && errno == EINTR) continue;
        return false;
    }
    status_ = status;
    return true;
}

std::optional<std::uint32_t> child_process::exit_code() {
    if (!status_) return std::nullopt;
    if (WIFEXITED(*status_)) return static_cast<std::uint32_t>(WEXITSTATUS(*status_));
    if (WIFSIGNALED(*status_)) return static_cast<std::uint32_t>(128 + WTERMSIG(*status_));
    return std::nullopt;
}

}  // namespace tarnwick::reader
