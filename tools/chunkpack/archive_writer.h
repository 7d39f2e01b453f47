#pragma once
// Builds chunked installer archives in memory: the stub image, then records,
// then the tail element, then optional trailing bytes. Used by chunkpack and
// by the tests, which also use the raw pieces to build damaged archives.

#include <cstddef>
#include <string>
#include <string_view>

namespace tarnwick::chunkpack {

// One element: the data, its length (32-bit little-endian) and its MD5.
// Data of 2^31 - 4 bytes or more cannot be read back and is refused with
// std::length_error.
std::string element(std::string_view data);

class archive_builder {
public:
    // The stub record: the image itself is its contents element (so the
    // result starts with the image), then the file name, key and "stub".
    archive_builder& stub(std::string_view image, std::string_view name, std::string_view key);
    // A value record: value, key, "value".
    archive_builder& value(std::string_view key, std::string_view text);
    // A file record: contents, file name, key (may be empty), "file".
    archive_builder& file(std::string_view key, std::string_view name, std::string_view contents);
    // A record of any tag: key, tag (nothing else is read for unknown tags).
    archive_builder& record(std::string_view tag, std::string_view key);
    // One element of any data.
    archive_builder& add_element(std::string_view data);
    // The tail element ("chunked-installer-tail").
    archive_builder& tail();
    // Bytes without any framing (trailing data, garbage).
    archive_builder& raw(std::string_view bytes);

    // The archive so far; its size is the offset of the next piece.
    const std::string& bytes() const { return bytes_; }
    std::string& bytes() { return bytes_; }
    std::size_t size() const { return bytes_.size(); }

private:
    std::string bytes_;
};

}  // namespace tarnwick::chunkpack
