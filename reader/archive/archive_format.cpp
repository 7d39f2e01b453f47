#include "reader/archive/archive_format.h"

#include "varrow/text.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "reader/archive/md5.h"

namespace tarnwick::reader {

const std::string& tail_marker() {
    // Each byte is stored XOR 0x5A; the mask is read through a volatile so
    // that the compiler cannot fold the plain text back into the image.
    static const unsigned char masked[tail_marker_size] = {0x39, 0x32, 0x2F, 0x34, 0x31, 0x3F, 0x3E, 0x77, 0x33, 0x34, 0x29, 0x2E, 0x3B, 0x36, 0x36, 0x3F, 0x28, 0x77, 0x2E, 0x3B, 0x33, 0x36};
    static const std::string text = [] {
        volatile unsigned char mask = 0x5A;
        std::string out(tail_marker_size, '\0');
        for (std::size_t i = 0; i < tail_marker_size; ++i)
            out[i] = static_cast<char>(masked[i] ^ mask);
        return out;
    }();
    return text;
}


std::uint32_t le32(const unsigned char* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

namespace {

std::uint16_t le16(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }

}  // namespace

bool is_plain_file_name(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    if (name.find_first_of("/\\:") != std::string_view::npos) return false;
    // Windows drops a final dot or blank ("setup.exe." would replace
    // "setup.exe") and opens a device for the reserved names whatever their
    // extension; the same archive must mean the same on every platform, so
    // these are refused everywhere.
    if (name.back() == '.' || name.back() == ' ') return false;
    std::string base = varrow::to_upper(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static constexpr std::string_view reserved[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (std::string_view r : reserved)
        if (base == r) return false;
    if (base.size() == 4 && (varrow::starts_with(base, "COM") || varrow::starts_with(base, "LPT")) &&
        base[3] >= '1' && base[3] <= '9')
        return false;
    return true;
}

namespace {

// Reads the stored digest and length of the element ending at the current
// position and checks that the length lies inside the file. On success the
// position is the start of the data.
bool read_element_header(varrow::system::file& archive, unsigned char stored[16], std::uint32_t& n) {
    const std::uint64_t end = archive.position();
    if (end == UINT64_MAX || end < element_overhead) return false;
    if (!archive.seek(-16) || !archive.read_exact(stored, 16)) return false;
    unsigned char length_field[4];
    if (!archive.seek(-20) || !archive.read_exact(length_field, 4)) return false;
    n = le32(length_field);
    // The length must lie inside the file before anything is sized by it; a
    // damaged field must not cost gigabytes. Computed in 64 bits so that
    // n + 20 cannot wrap.
    if (n > max_element_length || static_cast<std::uint64_t>(n) + element_overhead > end) return false;
    return archive.seek(-static_cast<std::int32_t>(n + 4));
}

}  // namespace

element_status check_element_streamed(varrow::system::file& archive, element_span& span, std::vector<char>& buffer) {
    unsigned char stored[16];
    std::uint32_t n = 0;
    if (!read_element_header(archive, stored, n)) return element_status::unreadable;
    span.offset = archive.position();
    span.length = n;
    buffer.resize(std::min(n, stream_block));
    md5 digest;
    for (std::uint32_t left = n; left > 0;) {
        const std::uint32_t piece = std::min(left, stream_block);
        if (!archive.read_exact(buffer.data(), piece)) return element_status::unreadable;
        digest.update(buffer.data(), piece);
        left -= piece;
    }
    const bool holds = std::memcmp(digest.digest().data(), stored, 16) == 0;
    if (!archive.seek_to(span.offset)) return element_status::unreadable;
    return holds ? element_status::ok : element_status::bad_digest;
}

bool copy_span(varrow::system::file& archive, const element_span& span, varrow::system::file& out,
               std::vector<char>& buffer, bool* all_written) {
    if (all_written) *all_written = true;
    if (!archive.seek_to(span.offset)) return false;
    buffer.resize(std::min(span.length, stream_block));
    for (std::uint32_t left = span.length; left > 0;) {
        const std::uint32_t piece = std::min(left, stream_block);
        if (!archive.read_exact(buffer.data(), piece)) return false;
        if (!out.write(buffer.data(), piece) && all_written) *all_written = false;
        left -= piece;
    }
    return archive.seek_to(span.offset);
}

element_status read_element_raw(varrow::system::file& archive, std::string& data) {
    unsigned char stored[16];
    std::uint32_t n = 0;
    if (!read_element_header(archive, stored, n)) return element_status::unreadable;

    data.resize(n);
    if (n > 0 && !archive.read_exact(data.data(), n)) return element_status::unreadable;

    const bool holds = std::memcmp(md5(data).digest().data(), stored, 16) == 0;
    if (!archive.seek(-static_cast<std::int32_t>(n))) return element_status::unreadable;
    return holds ? element_status::ok : element_status::bad_digest;
}

std::optional<certificate_table> find_certificate_table(varrow::system::file& archive) {
    // DOS header: "MZ", and at 0x3C the offset of the PE signature.
    unsigned char dos[64];
    if (!archive.seek_to(0) || !archive.read_exact(dos, sizeof dos)) return std::nullopt;
    if (dos[0] != 'M' || dos[1] != 'Z') return std::nullopt;
    const std::uint32_t pe_offset = le32(dos + 0x3C);

    // "PE\0\0", the 20-byte file header, then the optional header.
    unsigned char head[24];
    if (!archive.seek_to(pe_offset) || !archive.read_exact(head, sizeof head)) return std::nullopt;
    if (std::memcmp(head, "PE\0\0", 4) != 0) return std::nullopt;
    const std::uint16_t optional_size = le16(head + 4 + 16);

    // The data directories start at 96 (PE32) or 112 (PE32+); the
    // certificate table is directory 4.
    unsigned char optional[256] = {};
    const std::uint32_t want = optional_size < sizeof optional ? optional_size : sizeof optional;
    if (want < 2 || !archive.read_exact(optional, want)) return std::nullopt;
    const std::uint16_t magic = le16(optional);
    std::uint32_t count_at, directories_at;
    if (magic == 0x10b) {
        count_at = 92;
        directories_at = 96;
    } else if (magic == 0x20b) {
        count_at = 108;
        directories_at = 112;
    } else {
        return std::nullopt;
    }
    const std::uint32_t entry_at = directories_at + 4 * 8;
    if (want < entry_at + 8 || le32(optional + count_at) < 5) return std::nullopt;

    certificate_table table;
    table.offset = le32(optional + entry_at);  // a file offset, not an RVA
    table.size = le32(optional + entry_at + 4);
    if (table.offset == 0 || table.size == 0) return std::nullopt;
    return table;
}

std::uint64_t search_end(varrow::system::file& archive) {
    const std::uint64_t size = archive.size();
    if (size == UINT64_MAX) return size;
    const auto table = find_certificate_table(archive);
    if (table && static_cast<std::uint64_t>(table->offset) + table->size == size) return table->offset;
    return size;
}

std::optional<std::uint64_t> find_tail(varrow::system::file& archive, std::uint64_t end) {
    // Candidate starts s run from end - 23 down to 23, so the bytes that can
    // take part lie in [23, end - 1). Blocks are scanned from their end
    // backward; consecutive blocks overlap by 21 bytes so that a marker
    // across a block border is still seen, and the first match met is the
    // one nearest the end, as with one step per byte.
    constexpr std::uint64_t lowest = 23;
    constexpr std::size_t marker_size = tail_marker_size;
    const std::string& marker = tail_marker();
    constexpr std::uint64_t block = 64 * 1024;
    if (end == UINT64_MAX || end < lowest + 23) return std::nullopt;

    std::vector<char> buffer(block);
    std::uint64_t hi = end - 1;
    while (hi - lowest >= marker_size) {
        const std::uint64_t start = hi - lowest > block ? hi - block : lowest;
        const auto length = static_cast<std::uint32_t>(hi - start);
        if (!archive.seek_to(start) || !archive.read_exact(buffer.data(), length)) return std::nullopt;
        for (std::size_t i = length - marker_size + 1; i-- > 0;) {
            if (buffer[i] == marker[0] && std::memcmp(buffer.data() + i, marker.data(), marker_size) == 0)
                return start + i + marker_size + element_overhead;
        }
        if (start == lowest) break;
        hi = start + marker_size - 1;
    }
    return std::nullopt;
}

}  // namespace tarnwick::reader
