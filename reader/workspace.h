#pragma once
// Removal of the working folder with everything in it.

#include <string>

namespace tarnwick::reader {

// Makes the parent of working_folder the current directory (a folder cannot
// be removed while it is the current directory) and removes working_folder
// with remove_tree(). Reports nothing.
void remove_working_folder();

// Removes the folder `path` (with or without a final separator) and what it
// holds, depth first in the platform's listing order. Folders whose names
// begin with "." are not entered; links (symbolic links, junctions, other
// reparse points) are removed as links, never followed; files are deleted
// without changing their attributes, so a read-only file stays on Windows
// and with it every folder on its path. True when `path` itself was
// removed; false, with nothing changed, when it cannot be listed.
bool remove_tree(const std::string& path);

}  // namespace tarnwick::reader
