#include "tests/reader/test_platform.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace tarnwick::reader::testing {

const char* const program_suffix = "";

struct program::state {
    pid_t pid = -1;
    std::optional<std::uint32_t> code;
};

program::program(const std::string& path, const std::vector<std::string>& arguments)
    : state_(std::make_unique<state>()) {
    std::vector<std::string> all{path};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    if (posix_spawn(&state_->pid, path.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        throw std::runtime_error("cannot start " + path);
}

program::~program() {
    if (!state_->code) kill();
}

std::uint32_t program::wait() {
    if (state_->code) return *state_->code;
    int status = 0;
    while (waitpid(state_->pid, &status, 0) < 0)
        if (errno != EINTR) throw std::runtime_error("waitpid failed");
    state_->code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return *state_->code;
}

void program::kill() {
    ::kill(state_->pid, SIGKILL);
    wait();
}

std::uint32_t run(const std::string& path, const std::vector<std::string>& arguments) {
    return program(path, arguments).wait();
}

void set_environment(const std::string& name, const std::optional<std::string>& value) {
    if (value) setenv(name.c_str(), value->c_str(), 1);
    else unsetenv(name.c_str());
}

void store_language_value(const std::optional<std::string>& value, const std::string& config_folder) {
    set_environment("XDG_CONFIG_HOME", config_folder);
    const std::filesystem::path file = std::filesystem::path(config_folder) / "Tarnwick" / "Language";
    if (!value) {
        std::filesystem::remove(file);
        return;
    }
    std::filesystem::create_directories(file.parent_path());
    std::FILE* f = std::fopen(file.c_str(), "wb");
    if (!f) throw std::runtime_error("cannot write " + file.string());
    std::fwrite(value->data(), 1, value->size(), f);
    std::fclose(f);
}

bool make_link(const std::string& target, const std::string& link, bool) {
    return ::symlink(target.c_str(), link.c_str()) == 0;
}

std::string native_path(const std::string& unix_path) { return unix_path; }

}  // namespace tarnwick::reader::testing
