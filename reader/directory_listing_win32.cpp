#include "reader/directory_listing.h"
#include "varrow/system/win32.h"

namespace tarnwick::reader {

struct directory_listing::state {
    HANDLE find = INVALID_HANDLE_VALUE;
    WIN32_FIND_DATAA data{};
    bool pending = true;  // data holds an entry not yet returned
};

directory_listing::directory_listing(std::unique_ptr<state> s) : state_(std::move(s)) {}

std::optional<directory_listing> directory_listing::open(const std::string& folder) {
    auto s = std::make_unique<state>();
    s->find = FindFirstFileA((folder + "*").c_str(), &s->data);
    if (s->find == INVALID_HANDLE_VALUE) return std::nullopt;
    return directory_listing(std::move(s));
}

directory_listing::~directory_listing() {
    if (state_ && state_->find != INVALID_HANDLE_VALUE) FindClose(state_->find);
}

directory_listing::directory_listing(directory_listing&& other) noexcept = default;

bool directory_listing::next(directory_entry& entry) {
    if (!state_->pending && !FindNextFileA(state_->find, &state_->data)) return false;
    state_->pending = false;
    const DWORD attributes = state_->data.dwFileAttributes;
    entry.name = state_->data.cFileName;
    const bool folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        entry.type = folder ? directory_entry::kind::folder_link : directory_entry::kind::file_link;
    else
        entry.type = folder ? directory_entry::kind::folder : directory_entry::kind::file;
    return true;
}

bool delete_file(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool remove_folder(const std::string& path) { return RemoveDirectoryA(path.c_str()) != 0; }

}  // namespace tarnwick::reader
