#pragma once
// The entries of one folder, for the removal of the working folder.

#include <memory>
#include <optional>
#include <string>

namespace tarnwick::reader {

struct directory_entry {
    enum class kind {
        file,
        folder,
        // A symbolic link, junction or other reparse point: removed as a
        // link, never entered. Windows tells links to folders (removed as
        // folders) from links to files; POSIX links are all file_link.
        folder_link,
        file_link,
    };
    std::string name;
    kind type = kind::file;
};

class directory_listing {
public:
    // Starts the listing of `folder`, a path that ends with a separator
    // (FindFirstFileA of folder + "*" on Windows, opendir on POSIX). Nothing
    // when the folder is missing or cannot be read.
    static std::optional<directory_listing> open(const std::string& folder);

    ~directory_listing();
    directory_listing(directory_listing&& other) noexcept;
    directory_listing& operator=(directory_listing&&) = delete;
    directory_listing(const directory_listing&) = delete;
    directory_listing& operator=(const directory_listing&) = delete;

    // The next entry, in the order the platform lists them (the first one
    // included, "." and ".." among them); false at the end.
    bool next(directory_entry& entry);

private:
    struct state;
    explicit directory_listing(std::unique_ptr<state> s);
    std::unique_ptr<state> state_;
};

// DeleteFileA / unlink; false when the entry stays.
bool delete_file(const std::string& path);
// RemoveDirectoryA / rmdir; false when the folder stays.
bool remove_folder(const std::string& path);

}  // namespace tarnwick::reader
