#pragma once
// Reading the chunked installer archive appended to the installer's own file.

#include <string>

#include "varrow/system/file.h"

namespace tarnwick::reader {

// Opens module_path, finds the archive at its end, checks every element it
// reads against its MD5 digest, writes every file record into
// working_folder and gives every value record and keyed file record to
// installer_variables (insert_first). Reports only through archive_valid and
// its own message boxes ("Failed to open archive!", "Failed to initialize
// archive!", "Invalid Archive!", "Failed to extract file!"). A file name that
// is not a plain name (folder parts, "..", a drive or absolute path) is
// refused like a file that cannot be created. File contents are checked and
// copied in blocks, so memory use does not grow with their size; a record
// whose contents fail the digest writes nothing. Raises only what
// allocation raises.
void read_archive(const std::string& module_path);

// Reads the element that ends at the file's current position into `data` and
// leaves the position at the element's start. False, with no message, when a
// seek or read fails or the length points before the start of the file
// (checked before anything is allocated). On a digest mismatch it shows the
// invalid-archive message, clears archive_valid and returns false.
bool read_element(varrow::system::file& archive, std::string& data);

}  // namespace tarnwick::reader
