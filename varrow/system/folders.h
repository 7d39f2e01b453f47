#pragma once
// Folders and paths of the running process. Paths are byte text in the
// platform's form: backslashes and the ANSI code page on Windows, "/" on
// POSIX. Failures are results, never exceptions.

#include <string>

namespace varrow::system {

// The path separator of the platform's paths.
// path_separators: every byte that separates path parts.
#if defined(_WIN32)
inline constexpr char path_separator = '\\';
inline constexpr char path_separators[] = "\\/";
#else
inline constexpr char path_separator = '/';
inline constexpr char path_separators[] = "/";
#endif

// The user's temporary folder, ending with a separator. Windows: what
// GetTempPathA reports (a path longer than 259 characters is fetched whole);
// POSIX: $TMPDIR with a final "/" added when missing (never doubled), or
// "/tmp/" when $TMPDIR is unset or empty. Empty when the platform fails.
std::string temp_folder();

// The full path of the running program's file (GetModuleFileNameA; on POSIX
// /proc/self/exe), however long; empty when it cannot be had.
std::string module_path();

// The process's current directory; empty when it cannot be had.
std::string current_directory();
// Makes `path` the current directory; false when that fails.
bool set_current_directory(const std::string& path);

// Creates one folder (its parent must exist). False when it already exists
// or cannot be made. POSIX mode 0777 less the umask.
bool create_folder(const std::string& path);
// The same, but on POSIX with mode 0700: only the owner may enter it.
bool create_private_folder(const std::string& path);

}  // namespace varrow::system
