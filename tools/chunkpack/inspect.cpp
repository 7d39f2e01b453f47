#include "tools/chunkpack/inspect.h"

#include <stdexcept>

#include "reader/archive/archive_format.h"

namespace tarnwick::chunkpack {

namespace sys = varrow::system;
using reader::element_status;

const element_info* record_info::first_bad() const {
    for (const auto& e : elements)
        if (!e.digest_holds) return &e;
    return nullptr;
}

namespace {

// Reads one element backward; nothing when it cannot be read at all. The
// data of a `large` element (file contents) is checked in blocks and not
// kept.
std::optional<element_info> next_element(sys::file& archive, bool large, std::vector<char>& buffer) {
    element_info info;
    element_status status;
    if (large) {
        reader::element_span span;
        status = reader::check_element_streamed(archive, span, buffer);
        info.length = span.length;
    } else {
        status = reader::read_element_raw(archive, info.data);
        info.length = static_cast<std::uint32_t>(info.data.size());
    }
    if (status == element_status::unreadable) return std::nullopt;
    info.offset = archive.position();
    info.digest_holds = status == element_status::ok;
    return info;
}

}  // namespace

inspection inspect(const std::string& path) {
    sys::file archive = sys::file::open_for_reading(path);
    if (!archive.is_open())
        throw std::runtime_error("cannot open '" + path + "': " + sys::system_error_text(sys::last_error()));

    inspection result;
    result.file_size = archive.size();
    result.search_end = reader::search_end(archive);
    result.tail_end = reader::find_tail(archive, result.search_end);
    if (!result.tail_end || !archive.seek_to(*result.tail_end)) return result;

    std::vector<char> buffer;
    auto take = [&](record_info& record, bool large = false) {
        const std::uint64_t end = archive.position();
        auto e = next_element(archive, large, buffer);
        if (!e) {
            result.unreadable_end = end;
            return false;
        }
        record.elements.push_back(std::move(*e));
        return true;
    };

    for (;;) {
        record_info record;
        bool go_on = take(record);
        if (go_on) {
            const std::string tag = record.elements[0].data;  // a copy: elements grows below
            if (tag == reader::tail_marker()) {
                record.kind = "tail";
            } else {
                go_on = take(record);
                if (tag == reader::tag_value) {
                    record.kind = "value";
                    go_on = go_on && take(record);
                } else if (tag == reader::tag_file) {
                    record.kind = tag;
                    go_on = go_on && take(record) && take(record, true);
                } else if (tag == reader::tag_stub) {
                    // The stub's contents element is the program image,
                    // which code signing changes (checksum, certificate
                    // entry), so its digest cannot hold: only its length
                    // field is read.
                    record.kind = tag;
                    if (go_on && take(record)) {
                        result.reached_stub = true;
                        unsigned char field[4];
                        if (archive.seek(-20) && archive.read_exact(field, 4))
                            result.stub_image_length = reader::le32(field);
                    }
                    go_on = false;
                } else {
                    record.kind = "other";
                }
            }
        }
        if (!record.elements.empty()) result.records.push_back(std::move(record));
        if (!go_on) break;
    }
    return result;
}

}  // namespace tarnwick::chunkpack
