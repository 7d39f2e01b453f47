#pragma once
// The installer's process-wide state. It exists before the entry point runs
// and lives until the process ends.

#include <string>

#include "reader/installer_variables.h"

namespace tarnwick::reader {

// The working folder: empty until the driver makes it; afterwards a path
// that ends with a backslash (a slash on POSIX test builds, if the driver so
// chooses). Extracted files go right into it.
extern std::string working_folder;
// True once the archive's tail element has been read, false again as soon as
// any element fails its digest check.
extern bool archive_valid;
// The one variable store of the process.
extern variable_store installer_variables;

}  // namespace tarnwick::reader
