#include "varrow/exception.h"
#include "varrow/real_mutex.h"
#include "varrow/system/win32.h"
#include "varrow/text.h"

namespace varrow {

namespace {

unsigned long platform_major_version() {
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof(info);  // 148 bytes
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // The embedded manifest makes this report the real version.
    if (!GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
    return info.dwMajorVersion;
}

}  // namespace

real_mutex::real_mutex(const std::string& name) : handle_(nullptr) {
    // A null access list grants every user full access, so an installation
    // started by one user sees the mutex of another.
    SECURITY_DESCRIPTOR descriptor;
    InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION);
    SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof(attributes);
    attributes.lpSecurityDescriptor = &descriptor;
    attributes.bInheritHandle = FALSE;

    const std::string composed = compose_name(name, platform_major_version());
    handle_ = CreateMutexA(&attributes, FALSE, composed.c_str());
    if (!handle_) handle_ = OpenMutexA(MUTEX_MODIFY_STATE, FALSE, composed.c_str());
    if (!handle_)
        throw exception(format_text("OpenMutex returned 0x%08x", static_cast<unsigned>(GetLastError())));
}

real_mutex::~real_mutex() { CloseHandle(handle_); }

bool real_mutex::wait(std::uint32_t milliseconds) {
    const DWORD result = WaitForSingleObject(handle_, milliseconds);
    if (result == WAIT_TIMEOUT) return false;
    if (result == WAIT_FAILED)
        throw exception(
            format_text("WaitForSingleObject returned 0x%08x", static_cast<unsigned>(GetLastError())));
    return true;  // signalled or abandoned
}

void real_mutex::unlock() {
    if (!ReleaseMutex(handle_))
        throw exception(format_text("ReleaseMutex returned 0x%08x", static_cast<unsigned>(GetLastError())));
}

}  // namespace varrow
