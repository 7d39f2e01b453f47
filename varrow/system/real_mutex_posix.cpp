#include <cerrno>
#include <chrono>
#include <thread>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "varrow/exception.h"
#include "varrow/real_mutex.h"
#include "varrow/text.h"

namespace varrow {

namespace {

// The fixed folder of the lock files: world-writable on every POSIX system
// and not chosen by the user's environment, so all users meet in it.
std::string lock_folder() {
    struct stat info {};
    if (::stat("/var/tmp", &info) == 0 && S_ISDIR(info.st_mode)) return "/var/tmp/";
    return "/tmp/";
}

// The composed name as a single safe file name; bytes other than letters,
// digits, '.', '-' and '_' become %XX, so different names stay different.
std::string lock_file_name(const std::string& composed) {
    std::string out;
    for (unsigned char c : composed) {
        const bool plain = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                           c == '.' || c == '-' || c == '_';
        if (plain) out += static_cast<char>(c);
        else out += format_text("%%%.2X", c);
    }
    return out + ".lock";
}

[[noreturn]] void raise_open_failure(int code) {
    throw exception(format_text("OpenMutex returned 0x%08x", static_cast<unsigned>(code)));
}

}  // namespace

real_mutex::real_mutex(const std::string& name) : handle_(-1) {
    // POSIX has one machine-wide namespace, as Windows from version 5 on.
    const std::string path = lock_folder() + lock_file_name(compose_name(name, 5));
    // flock() needs only read access, so a lock file created by another user
    // works as long as it is readable. Links are never followed: the folder
    // is shared with every user. The descriptor is not inherited by children.
    for (int attempt = 0; attempt < 8 && handle_ < 0; ++attempt) {
        handle_ = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (handle_ >= 0) break;
        if (errno != ENOENT) raise_open_failure(errno);
        handle_ = ::open(path.c_str(), O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (handle_ >= 0) {
            // The umask must not keep other users out.
            ::fchmod(handle_, 0666);
            break;
        }
        if (errno != EEXIST) raise_open_failure(errno);
        // Created by someone else between the two opens: open it again.
    }
    if (handle_ < 0) raise_open_failure(errno);
}

real_mutex::~real_mutex() { ::close(handle_); }

bool real_mutex::wait(std::uint32_t milliseconds) {
    auto fail = [] {
        throw exception(format_text("WaitForSingleObject returned 0x%08x", static_cast<unsigned>(errno)));
    };
    if (milliseconds == infinite) {
        while (::flock(handle_, LOCK_EX) != 0)
            if (errno != EINTR) fail();
        owned_ = true;
        return true;
    }
    // flock() has no time limit of its own: poll without blocking.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    for (;;) {
        if (::flock(handle_, LOCK_EX | LOCK_NB) == 0) {
            owned_ = true;
            return true;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) fail();
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return false;
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            std::chrono::milliseconds(10), deadline - now));
    }
}

void real_mutex::unlock() {
    // Like ReleaseMutex, refuse to release what is not owned.
    if (!owned_) throw exception(format_text("ReleaseMutex returned 0x%08x", static_cast<unsigned>(EPERM)));
    if (::flock(handle_, LOCK_UN) != 0)
        throw exception(format_text("ReleaseMutex returned 0x%08x", static_cast<unsigned>(errno)));
    owned_ = false;
}

}  // namespace varrow
