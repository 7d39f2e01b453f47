#pragma once
// One MIME entity: header fields, a text body held as wide text and as
// bytes in a declared charset, and optional sub-entities, with its wire
// form as a list of lines.
//
// Header values are stored as finished byte strings; only Content-Type is
// rebuilt when the lines are made, from media_type, charset and boundary.
// Errors of the unicode conversion and of the header value types pass out
// unchanged.

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "varrow/internet/message2/header_type.h"

namespace varrow::internet::message2 {

// Splits bytes into lines without their line ends. CR, LF, CR LF and LF CR
// each end one line; CR CR and LF LF end two. Bytes after the last line end
// form the last line; a final line end adds no empty line.
class line_reader {
public:
    // `bytes` must outlive the reader.
    explicit line_reader(std::string_view bytes) : rest_(bytes) {}

    // The next line into `line`; false (and `line` empty) when none is left.
    bool next(std::string& line);

private:
    std::string_view rest_;
    char last_end_ = 0;  // the line-end byte seen last, 0 for none
};

class message {
public:
    using header = std::pair<std::string, std::string>;

    // Holds Content-Transfer-Encoding: quoted-printable, then
    // Content-Type: text/plain; charset="iso-8859-1".
    message();
    message(const message&) = delete;
    message& operator=(const message&) = delete;

    // Puts the header in front of all earlier ones; nothing is checked and
    // an existing header of the same name stays.
    void add_header(const std::string& name, const std::string& value);
    // The value is the object's format().
    void add_header(const std::string& name, const header_type::generic_value_type& value);
    // Removes every header whose name matches ASCII-case-insensitively.
    void remove_header(std::string_view name);
    // Parses the value of the first matching header into `value`; false,
    // `value` untouched, when there is none.
    bool find_header(std::string_view name, header_type::generic_value_type& value) const;
    // The first Content-Transfer-Encoding value in lower case; empty when
    // there is none.
    std::string transfer_encoding() const;

    // body_text = text; body = text in the code page of `charset`, so set
    // `charset` first. Raises the conversion errors (unmappable_character
    // for a character the charset cannot hold) and then changes nothing.
    void set_text(const std::u16string& text);
    // The bytes read in the system's ANSI code page, then as above.
    void set_text(const std::string& ansi_text);

    // A new list with the entity's wire form: header block (Content-Type
    // rebuilt), an empty line, the body in its transfer encoding (base64 in
    // lines of 57 bytes, quoted-printable in pieces of 75 bytes ending in
    // "=" when the line goes on, otherwise unchanged) and the parts. No
    // line ends, no dot-stuffing. The message is not changed.
    std::vector<std::string> lines() const;

    // A new sub-entity at the end of `parts`, owned by this message.
    message& add_part();

    std::deque<header> headers;
    std::string media_type = "text/plain";
    std::string charset = "iso-8859-1";
    std::u16string body_text;
    std::string body;
    std::string boundary;
    std::vector<std::unique_ptr<message>> parts;

private:
    void write(std::vector<std::string>& out) const;
    std::string rebuilt_content_type(const std::string& stored) const;
    void write_body(std::vector<std::string>& out) const;
};

}  // namespace varrow::internet::message2
