#include "reader/archive/read_archive.h"

#include "reader/archive/archive_format.h"
#include "reader/archive/messages.h"
#include "reader/process_state.h"
#include "varrow/ui/ui.h"

namespace tarnwick::reader {

namespace sys = varrow::system;

namespace {

void show_failure(const std::string& path, std::uint32_t code, const char* caption) {
    varrow::ui::notice("File: " + path + "\rError: " + sys::system_error_text(code), caption);
}

// What a failed element means for the reader: a bad digest is shown and
// makes the archive invalid; an unreadable element just stops the reading.
bool accept(element_status status) {
    switch (status) {
        case element_status::ok:
            return true;
        case element_status::bad_digest:
            varrow::ui::notice(invalid_archive_text(), invalid_archive_caption);
            archive_valid = false;
            return false;
        case element_status::unreadable:
            break;
    }
    return false;
}

}  // namespace

bool read_element(sys::file& archive, std::string& data) { return accept(read_element_raw(archive, data)); }

void read_archive(const std::string& module_path) {
    sys::file archive = sys::file::open_for_reading(module_path);
    if (!archive.is_open()) {
        show_failure(module_path, sys::last_error(), "Failed to open archive!");
        return;
    }
    const auto tail_end = find_tail(archive, search_end(archive));
    if (!tail_end) {
        show_failure(module_path, sys::last_error(), "Failed to initialize archive!");
        return;
    }
    if (!archive.seek_to(*tail_end)) return;

    std::string tag, key, value, name;
    // File contents are never held whole: their digest is checked block by
    // block, and only then are they copied block by block, so memory stays
    // small whatever the size of the payload.
    std::vector<char> buffer;
    element_span contents;
    for (;;) {
        if (!read_element(archive, tag)) break;
        if (tag == tail_marker()) {
            archive_valid = true;
            continue;
        }
        if (!read_element(archive, key)) break;
        if (tag == tag_value) {
            if (!read_element(archive, value)) break;
            installer_variables.insert_first(key, value);
        } else if (tag == tag_file) {
            if (!read_element(archive, name) || !accept(check_element_streamed(archive, contents, buffer))) break;
            if (!key.empty()) installer_variables.insert_first(key, name);
            const std::string target = working_folder + name;
            if (!is_plain_file_name(name)) {
                show_failure(target, sys::invalid_name_error(), "Failed to extract file!");
                break;
            }
            sys::file out = sys::file::create_always(target, sys::file::mode::executable);
            if (!out.is_open()) {
                show_failure(target, sys::last_error(), "Failed to extract file!");
                break;
            }
            // Write results are not checked (the setup start reports a
            // damaged file better than a guess here could).
            if (!copy_span(archive, contents, out, buffer)) break;
        } else if (tag == tag_stub) {
            break;
        }
        // Any other tag: the record is dropped with its key.
    }
}

}  // namespace tarnwick::reader
