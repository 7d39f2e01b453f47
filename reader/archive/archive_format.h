#pragma once
// The layout of the chunked installer archive and the parts of reading it
// that have no user interface (shared by the installer and chunkpack).
//
// An element is its data (n bytes), then n as unsigned 32-bit little-endian,
// then the 16-byte MD5 digest of the data; it is read backward from its end.
// Records end with a tag element ("value", "file", "stub") preceded by their
// key; the archive ends with the tail element, whose data is the marker.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "varrow/system/file.h"

namespace tarnwick::reader {

// The marker text of the tail element (22 bytes). It is assembled at run
// time from a masked copy, so that no program image holds it: the tail
// search runs over the installer's own file, and a marker inside the stub
// would turn "no archive at all" into "a broken archive".
inline constexpr std::size_t tail_marker_size = 22;
const std::string& tail_marker();
inline constexpr std::string_view tag_value = "value";
inline constexpr std::string_view tag_file = "file";
inline constexpr std::string_view tag_stub = "stub";

// Bytes of an element besides its data: length field and digest.
inline constexpr std::uint32_t element_overhead = 20;
// Elements longer than this cannot be passed over with a signed 32-bit seek.
inline constexpr std::uint32_t max_element_length = 0x7FFFFFFFu - 4;

// The unsigned 32-bit little-endian number in the 4 bytes at p.
std::uint32_t le32(const unsigned char* p);

enum class element_status {
    ok,          // data read, digest holds; position at the element's start
    bad_digest,  // data read, digest differs; position at the element's start
    unreadable,  // a seek or read failed, or the length points before the
                 // start of the file; nothing allocated for it
};

// Reads the element that ends at the current position. On `ok` the position
// is the element's start. `data` is resized to the stored length only after
// that length has been found to lie inside the file.
element_status read_element_raw(varrow::system::file& archive, std::string& data);

// Where an element's data lies in the file.
struct element_span {
    std::uint64_t offset = 0;  // first data byte
    std::uint32_t length = 0;
};

// Size of the blocks in which large elements are digested and copied.
inline constexpr std::uint32_t stream_block = 1024 * 1024;

// Like read_element_raw, but the data is not kept: the digest is computed
// over blocks of `buffer` (resized to at most stream_block bytes), so memory
// stays small whatever the element's size. `span` receives where the data
// lies. On `ok` and `bad_digest` the position is the element's start.
element_status check_element_streamed(varrow::system::file& archive, element_span& span, std::vector<char>& buffer);

// Copies the data of `span` to `out` in blocks of `buffer`, and leaves the
// archive's position at the span's start. False when a seek or read of the
// archive fails. Writing goes on after a failed write; `all_written`, if
// given, tells whether every write succeeded.
bool copy_span(varrow::system::file& archive, const element_span& span, varrow::system::file& out,
               std::vector<char>& buffer, bool* all_written = nullptr);

// True for a name that stays inside the folder it is joined to: not empty,
// not "." or "..", and without folder separators or a drive (no '/', '\\'
// or ':'); nor one that Windows maps to another file (a final dot or
// blank) or to a device (CON, PRN, AUX, NUL, COM1-9, LPT1-9, with any
// extension).
bool is_plain_file_name(std::string_view name);

// Where the backward search for the tail element starts: the file's size,
// or, for a PE image whose certificate table (code signature) ends the
// file, the offset of that table, so that nothing inside the signature,
// which the signature does not cover, can be taken for the archive.
std::uint64_t search_end(varrow::system::file& archive);

// The PE certificate table named by an image's header: offset and size.
struct certificate_table {
    std::uint32_t offset = 0;
    std::uint32_t size = 0;
};
// Reads the headers of the file and returns its certificate table when the
// file is a PE image that names one; nothing otherwise.
std::optional<certificate_table> find_certificate_table(varrow::system::file& archive);

// Searches backward from `end` for the marker text, as the one-byte-per-step
// rule does: candidate starts run from end - 23 down to 23 and the match
// nearest the end wins (marker text in the last 22 bytes before `end` is
// never tested). Reads in large blocks. Returns the offset of the end of the
// tail element (match + 42), or nothing when no candidate matches or a read
// fails.
std::optional<std::uint64_t> find_tail(varrow::system::file& archive, std::uint64_t end);

}  // namespace tarnwick::reader
