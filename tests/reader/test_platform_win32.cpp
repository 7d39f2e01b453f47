#include "tests/reader/test_platform.h"

#include <stdexcept>

#include "varrow/system/command_line.h"
#include "varrow/system/win32.h"

namespace tarnwick::reader::testing {

const char* const program_suffix = ".exe";

struct program::state {
    HANDLE process = nullptr;
    std::optional<std::uint32_t> code;
};

program::program(const std::string& path, const std::vector<std::string>& arguments)
    : state_(std::make_unique<state>()) {
    std::string command = varrow::system::quote_argument(path);
    if (!arguments.empty()) {
        command += ' ';
        command += varrow::system::join_arguments(arguments);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        throw std::runtime_error("cannot start " + path);
    CloseHandle(info.hThread);
    state_->process = info.hProcess;
}

program::~program() {
    if (!state_->code) kill();
    CloseHandle(state_->process);
}

std::uint32_t program::wait() {
    if (state_->code) return *state_->code;
    if (WaitForSingleObject(state_->process, INFINITE) != WAIT_OBJECT_0) throw std::runtime_error("wait failed");
    DWORD code = 0;
    GetExitCodeProcess(state_->process, &code);
    state_->code = code;
    return code;
}

void program::kill() {
    TerminateProcess(state_->process, 9);
    wait();
}

std::uint32_t run(const std::string& path, const std::vector<std::string>& arguments) {
    return program(path, arguments).wait();
}

void set_environment(const std::string& name, const std::optional<std::string>& value) {
    SetEnvironmentVariableA(name.c_str(), value ? value->c_str() : nullptr);
}

void store_language_value(const std::optional<std::string>& value, const std::string&) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tarnwick", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create the registry key");
    if (value)
        RegSetValueExA(key, "Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(value->data()),
                       static_cast<DWORD>(value->size()));
    else
        RegDeleteValueA(key, "Language");
    RegCloseKey(key);
}

bool make_link(const std::string& target, const std::string& link, bool folder) {
    // Unprivileged creation needs developer mode on Windows 10 and later.
    const DWORD flags = (folder ? 0x1u : 0u) | 0x2u /* SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE */;
    return CreateSymbolicLinkA(link.c_str(), target.c_str(), flags) != 0;
}

std::string native_path(const std::string& unix_path) {
    std::string out = "Z:";
    out += unix_path;
    for (char& c : out)
        if (c == '/') c = '\\';
    return out;
}

}  // namespace tarnwick::reader::testing
