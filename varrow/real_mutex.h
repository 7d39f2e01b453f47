#pragma once
// A named mutex shared by every process on the machine, for every user.
//
// Windows: a kernel mutex created with a null access list, in the "Global\"
// namespace on systems that have object namespaces.
// POSIX: an flock() lock on a file of mode 0666 in a fixed, world-writable
// folder (/var/tmp, or /tmp where that is missing); its place does not depend
// on $TMPDIR or $HOME. The system drops the lock when its owner dies, which
// wait() counts as taking it, like an abandoned Windows mutex. A POSIX lock
// belongs to the open file, so two real_mutex objects of one process exclude
// each other (on Windows, ownership belongs to the thread and is recursive).

#include <cstdint>
#include <string>
#include <string_view>

#include "varrow/scope_semantics.h"

namespace varrow {

class real_mutex final : public scope_semantics {
public:
    // The time limit of wait() that means "no limit".
    static constexpr std::uint32_t infinite = 0xFFFFFFFFu;

    // Opens or creates the mutex without taking it. Raises varrow::exception
    // ("OpenMutex returned 0x%08x" with the system error code) on failure.
    explicit real_mutex(const std::string& name);
    // Closes the handle; ownership is not released explicitly (on Windows it
    // ends with the owning thread, on POSIX closing the file drops the lock).
    ~real_mutex();
    real_mutex(const real_mutex&) = delete;
    real_mutex& operator=(const real_mutex&) = delete;

    // Takes ownership within `milliseconds` (0: only test; infinite: no
    // limit). True when taken, also after an owner that ended without
    // releasing; false when the limit passed. Raises varrow::exception
    // ("WaitForSingleObject returned 0x%08x") when the wait itself fails.
    bool wait(std::uint32_t milliseconds);

    // wait(infinite).
    bool lock() override;
    // Releases ownership. Raises varrow::exception ("ReleaseMutex returned
    // 0x%08x") when the caller does not own it or the system refuses.
    void unlock() override;

    // The name under which a mutex called `name` lives on a system of the
    // given major version: up to 4 the part after the last backslash; from 5
    // on "Global\" in front of a name without backslash, others unchanged.
    static std::string compose_name(std::string_view name, unsigned long major_version);

#if defined(_WIN32)
    using native_handle = void*;
#else
    using native_handle = int;
#endif

private:
    native_handle handle_;
#if !defined(_WIN32)
    bool owned_ = false;
#endif
};

}  // namespace varrow
