#include "reader/workspace.h"

#include "reader/directory_listing.h"
#include "reader/process_state.h"
#include "varrow/system/folders.h"
#include "varrow/text.h"

namespace tarnwick::reader {

void remove_working_folder() {
    // The last separator in front of the final one ends the parent's path.
    if (working_folder.size() >= 2) {
        const std::size_t separator =
            working_folder.find_last_of(varrow::system::path_separators, working_folder.size() - 2);
        if (separator != std::string::npos) varrow::system::set_current_directory(working_folder.substr(0, separator));
    }
    remove_tree(working_folder);
}

bool remove_tree(const std::string& path) {
    std::string folder = path;
    if (!varrow::ends_with(folder, "\\") && !varrow::ends_with(folder, "/")) folder += varrow::system::path_separator;
    {
        std::optional<directory_listing> listing = directory_listing::open(folder);
        if (!listing) return false;
        directory_entry entry;
        while (listing->next(entry)) {
            const std::string entry_path = folder + entry.name;
            switch (entry.type) {
                case directory_entry::kind::folder:
                    // Covers "." and "..", and every folder whose name begins with a dot.
                    if (!varrow::starts_with(entry.name, ".")) remove_tree(entry_path);
                    break;
                case directory_entry::kind::folder_link:
                    // A link is removed itself; its target is never entered.
                    remove_folder(entry_path);
                    break;
                case directory_entry::kind::file_link:
                case directory_entry::kind::file:
                    delete_file(entry_path);
                    break;
            }
        }
    }  // the listing is closed before the folder is removed
    return remove_folder(folder);
}

}  // namespace tarnwick::reader
