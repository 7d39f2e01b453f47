#include "varrow/internet/message2/message.h"

#include "varrow/coding/translate.h"
#include "varrow/text.h"
#include "varrow/unicode/charset.h"
#include "varrow/unicode/conversion.h"

namespace varrow::internet::message2 {

namespace {

constexpr std::int32_t utf8_codepage = 65001;
constexpr std::int32_t ansi_codepage = 0;
constexpr std::size_t base64_piece = 57;           // 76 characters per line
constexpr std::size_t quoted_printable_piece = 75;  // raw bytes per line

}  // namespace

// ---- line_reader ------------------------------------------------------------

bool line_reader::next(std::string& line) {
    line.clear();
    for (;;) {
        if (rest_.empty()) return !line.empty();
        const std::size_t stop = rest_.find_first_of("\r\n");
        if (stop == std::string_view::npos) {
            line.append(rest_);
            rest_ = {};
            last_end_ = 0;
            return true;
        }
        if (stop > 0) {
            line.append(rest_.substr(0, stop));
            last_end_ = 0;
        }
        const char end = rest_[stop];
        rest_.remove_prefix(stop + 1);
        if (last_end_ != 0 && end != last_end_) {
            // CR LF or LF CR: the second byte of one line end.
            last_end_ = 0;
            continue;
        }
        last_end_ = end;
        return true;
    }
}

// ---- message ----------------------------------------------------------------

message::message() {
    header_type::parametized_value_type content_type;
    content_type.set_value_from(media_type, utf8_codepage);
    content_type.set_parameter("charset", charset);
    add_header("Content-Type", content_type);
    add_header("Content-Transfer-Encoding", "quoted-printable");
}

void message::add_header(const std::string& name, const std::string& value) {
    headers.emplace_front(name, value);
}

void message::add_header(const std::string& name, const header_type::generic_value_type& value) {
    add_header(name, value.format());
}

void message::remove_header(std::string_view name) {
    std::erase_if(headers, [&](const header& h) { return iequals(h.first, name); });
}

bool message::find_header(std::string_view name, header_type::generic_value_type& value) const {
    for (const header& h : headers) {
        if (iequals(h.first, name)) {
            value.parse(h.second);
            return true;
        }
    }
    return false;
}

std::string message::transfer_encoding() const {
    header_type::unstructured_value_type value;
    if (!find_header("Content-Transfer-Encoding", value)) return std::string();
    return to_lower(value.value_in(utf8_codepage));
}

void message::set_text(const std::u16string& text) {
    // Convert first, so that a failed conversion leaves the message as it was.
    std::string bytes = unicode::to_multibyte(text, unicode::codepage_of(charset));
    body_text = text;
    body = std::move(bytes);
}

void message::set_text(const std::string& ansi_text) { set_text(unicode::to_wide(ansi_text, ansi_codepage)); }

message& message::add_part() {
    parts.push_back(std::make_unique<message>());
    return *parts.back();
}

std::vector<std::string> message::lines() const {
    std::vector<std::string> out;
    write(out);
    return out;
}

void message::write(std::vector<std::string>& out) const {
    for (const header& h : headers) {
        if (iequals(h.first, "Content-Type"))
            out.push_back(h.first + ": " + rebuilt_content_type(h.second));
        else
            out.push_back(h.first + ": " + h.second);
    }
    out.emplace_back();
    if (!body.empty()) write_body(out);
    if (parts.empty()) return;
    if (starts_with(media_type, "multipart/")) {
        for (const auto& part : parts) {
            out.push_back("--" + boundary);
            part->write(out);
        }
        out.push_back("--" + boundary + "--");
    } else {
        // A single-part entity has room for one sub-entity only.
        parts.front()->write(out);
    }
}

std::string message::rebuilt_content_type(const std::string& stored) const {
    header_type::parametized_value_type value;
    value.parse(stored);
    value.set_value_from(media_type, utf8_codepage);
    if (starts_with(media_type, "text/") && !charset.empty())
        value.set_parameter("charset", charset);
    else
        value.remove_parameter("charset");
    if (!boundary.empty()) value.set_parameter("boundary", boundary);
    return value.format();
}

void message::write_body(std::vector<std::string>& out) const {
    const std::string encoding = transfer_encoding();
    const std::string_view bytes = body;
    if (encoding == "base64") {
        out.reserve(out.size() + bytes.size() / base64_piece + 1);
        for (std::size_t i = 0; i < bytes.size(); i += base64_piece)
            out.push_back(coding::translate::to_base64(bytes.substr(i, base64_piece)));
        return;
    }
    line_reader reader(bytes);
    std::string line;
    if (encoding == "quoted-printable") {
        while (reader.next(line)) {
            if (line.empty()) {
                out.emplace_back();
                continue;
            }
            const std::string_view rest = line;
            for (std::size_t i = 0; i < rest.size(); i += quoted_printable_piece) {
                std::string piece = coding::translate::to_quoted_printable(rest.substr(i, quoted_printable_piece));
                if (rest.size() - i > quoted_printable_piece)
                    piece += '=';  // soft line break
                else if (piece.back() == ' ')
                    // Receivers strip blanks at the end of a line (they may
                    // come from transport), so the line's own last blank is
                    // written as an escape and survives.
                    piece.replace(piece.size() - 1, 1, "=20");
                out.push_back(std::move(piece));
            }
        }
        return;
    }
    while (reader.next(line)) out.push_back(line);
}

}  // namespace varrow::internet::message2
