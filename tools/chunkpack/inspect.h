#pragma once
// Walks an installer's archive backward from the tail element, record by
// record, with the same element reader and tail search as extraction, but
// without message boxes and without stopping at a bad digest, so that every
// element can be reported.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarnwick::chunkpack {

struct element_info {
    std::uint64_t offset = 0;  // first data byte
    std::uint32_t length = 0;
    bool digest_holds = false;
    std::string data;  // empty for file contents, which are not kept
};

struct record_info {
    // "value", "file", "stub", "tail", or "other" for an unknown tag.
    std::string kind;
    // In reading order: tag, key, then name and contents (file), the name
    // (stub; its image is not read) or the value (value). A record cut
    // short holds fewer.
    std::vector<element_info> elements;

    std::uint64_t offset() const { return elements.empty() ? 0 : elements.back().offset; }
    const element_info* first_bad() const;  // nearest the end of the file
};

struct inspection {
    std::uint64_t file_size = 0;
    std::uint64_t search_end = 0;              // where the tail search started
    std::optional<std::uint64_t> tail_end;     // end of the tail element
    std::vector<record_info> records;          // reading order: last record first
    bool reached_stub = false;
    // The length field of the stub's image element, when it could be read.
    std::optional<std::uint32_t> stub_image_length;
    // End offset of the element that could not be read (length pointing
    // before the start of the file, or a failed read), if reading stopped so.
    std::optional<std::uint64_t> unreadable_end;
};

// Raises std::runtime_error with the system's text when the file cannot be
// opened.
inspection inspect(const std::string& path);

}  // namespace tarnwick::chunkpack
