#include "reader/child_process.h"
#include "varrow/system/win32.h"
#include <shellapi.h>

namespace tarnwick::reader {

std::optional<child_process> child_process::start(const std::string& file, const std::string& parameters,
                                                  const std::string& directory) {
    SHELLEXECUTEINFOA request{};
    request.cbSize = sizeof(request);
    request.fMask = SEE_MASK_NOCLOSEPROCESS;
    request.hwnd = nullptr;
    request.lpVerb = nullptr;
    request.lpFile = file.c_str();
    request.lpParameters = parameters.c_str();
    request.lpDirectory = directory.empty() ? nullptr : directory.c_str();
    request.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExA(&request)) return std::nullopt;
    // The shell may hand the request to a running program and return no
    // process; wait() then fails.
    return child_process(request.hProcess);
}

child_process::~child_process() {
    if (process_) CloseHandle(process_);
}

child_process::child_process(child_process&& other) noexcept : process_(other.process_) {
    other.process_ = nullptr;
}

bool child_process::wait() {
    return process_ && WaitForSingleObject(process_, INFINITE) == WAIT_OBJECT_0;
}

std::optional<std::uint32_t> child_process::exit_code() {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code)) return std::nullopt;
    return static_cast<std::uint32_t>(code);
}

}  // namespace tarnwick::reader
