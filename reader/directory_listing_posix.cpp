#include "reader/directory_listing.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace tarnwick::reader {

struct directory_listing::state {
    DIR* dir = nullptr;
    std::string folder;
};

directory_listing::directory_listing(std::unique_ptr<state> s) : state_(std::move(s)) {}

std::optional<directory_listing> directory_listing::open(const std::string& folder) {
    auto s = std::make_unique<state>();
    s->dir = ::opendir(folder.c_str());
    if (!s->dir) return std::nullopt;
    s->folder = folder;
    return directory_listing(std::move(s));
}

directory_listing::~directory_listing() {
    if (state_ && state_->dir) ::closedir(state_->dir);
}

directory_listing::directory_listing(directory_listing&& other) noexcept = default;

bool directory_listing::next(directory_entry& entry) {
    const dirent* found = ::readdir(state_->dir);
    if (!found) return false;
    entry.name = found->d_name;
    unsigned char type = found->d_type;
    if (type == DT_UNKNOWN) {
        // lstat: the entry itself, a link is not followed.
        struct stat info {};
        if (::lstat((state_->folder + entry.name).c_str(), &info) == 0)
            type = S_ISLNK(info.st_mode) ? DT_LNK : S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
    }
    if (type == DT_LNK) entry.type = directory_entry::kind::file_link;
    else if (type == DT_DIR) entry.type = directory_entry::kind::folder;
    else entry.type = directory_entry::kind::file;
    return true;
}

bool delete_file(const std::string& path) { return ::unlink(path.c_str()) == 0; }

bool remove_folder(const std::string& path) { return ::rmdir(path.c_str()) == 0; }

}  // namespace tarnwick::reader
