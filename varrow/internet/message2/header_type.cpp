#include "varrow/internet/message2/header_type.h"

#include <algorithm>

#include "varrow/coding/translate.h"
#include "varrow/text.h"
#include "varrow/unicode/charset.h"
#include "varrow/unicode/conversion.h"

namespace varrow::internet::message2::header_type {

namespace {

constexpr std::int32_t utf8_codepage = 65001;

std::u16string bytes_as_units(std::string_view bytes) {
    return unicode::to_wide(std::string(bytes), unicode::direct_codepage);
}

std::u16string decode_header_text_in(generic_value_type& object, std::string_view text,
                                     std::int32_t& codepage);

}  // namespace

// ---- unstructured_value_type ----------------------------------------------

std::string unstructured_value_type::format() const { return encode_header_text(*this, value_text); }

void unstructured_value_type::parse(std::string_view text) { value_text = decode_header_text(*this, text); }

std::u16string& unstructured_value_type::value() { return value_text; }

std::string unstructured_value_type::value_in(std::int32_t codepage) const {
    return unicode::to_multibyte(value_text, codepage);
}

void unstructured_value_type::set_value(std::u16string text) { value_text = std::move(text); }

void unstructured_value_type::set_value_from(const std::string& bytes, std::int32_t codepage) {
    value_text = unicode::to_wide(bytes, codepage);
}

// ---- parametized_value_type -----------------------------------------------

std::string parametized_value_type::format() const {
    std::string text = encode_header_text(*this, value_text);
    for (const auto& [name, value] : parameter_list) {
        text += "; ";
        text += name;
        text += "=\"";
        text += encode_header_text(*this, value);
        text += '"';
    }
    return text;
}

void parametized_value_type::parse(std::string_view text) {
    value_text.clear();
    parameter_list.clear();
    const std::vector<std::string> tokens = split_header_text(text, ";,", true);
    if (tokens.empty()) return;
    std::int32_t codepage = unicode::codepage_of(charset);
    value_text = decode_header_text_in(*this, tokens.front(), codepage);
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        std::vector<std::string> parts = split_header_text(tokens[i], "=", false);
        if (parts.size() == 1)
            parameter_list.emplace_back(std::move(parts[0]), std::u16string());
        else if (parts.size() == 2)
            parameter_list.emplace_back(std::move(parts[0]), decode_header_text_in(*this, parts[1], codepage));
        // An empty token, or name=value=more, is no parameter.
    }
}

void parametized_value_type::set_parameter(const std::string& name, std::u16string value) {
    const auto found = std::find_if(parameter_list.begin(), parameter_list.end(),
                                    [&](const parameter& p) { return iequals(p.first, name); });
    if (found != parameter_list.end())
        found->second = std::move(value);
    else
        parameter_list.emplace_back(name, std::move(value));
}

void parametized_value_type::set_parameter(const std::string& name, const std::string& utf8_value) {
    set_parameter(name, unicode::to_wide(utf8_value, utf8_codepage));
}

void parametized_value_type::remove_parameter(const std::string& name) {
    const auto found = std::find_if(parameter_list.begin(), parameter_list.end(),
                                    [&](const parameter& p) { return iequals(p.first, name); });
    if (found != parameter_list.end()) parameter_list.erase(found);
}

// ---- encoded words ----------------------------------------------------------

std::string encode_header_text(const generic_value_type& object, const std::u16string& text) {
    if (std::all_of(text.begin(), text.end(), [](char16_t unit) { return unit <= 0x7F; }))
        return unicode::to_multibyte(text, unicode::direct_codepage);

    const std::string& name = object.charset;
    const std::string bytes = unicode::to_multibyte(text, unicode::codepage_of(name));
    std::string b_form = "=?" + name + "?B?" + coding::translate::to_base64(bytes) + "?=";
    std::string q_form =
        "=?" + name + "?Q?" + replace_all(coding::translate::to_quoted_printable(bytes), " ", "_") + "?=";
    // On equal length the Q form wins: it stays readable.
    return b_form.size() < q_form.size() ? b_form : q_form;
}

namespace {

// decode_word and decode_header_text with the code page of object.charset
// passed along and kept up to date, so that a long charset name is not
// looked up again for every word and token.
bool decode_word_in(generic_value_type& object, std::string_view word, std::u16string& out,
                    std::int32_t& codepage) {
    const std::size_t first = word.find("=?");
    const std::size_t last = word.rfind("?=");
    if (first != std::string_view::npos && last != std::string_view::npos) {
        const std::string_view prefix = word.substr(0, first);
        const std::string_view suffix = word.substr(last + 2);
        const std::string_view encoded =
            last >= first ? word.substr(first, last + 2 - first) : word.substr(first);
        const std::vector<std::string> pieces = split_any(encoded, "?");
        if (pieces.size() == 5 && pieces[0] == "=" && pieces[4] == "=") {
            object.charset = pieces[1];
            codepage = unicode::codepage_of(pieces[1]);
            const std::string& letter = pieces[2];
            std::string bytes;
            bool known = true;
            if (letter == "Q" || letter == "q")
                bytes = coding::translate::from_quoted_printable(replace_all(pieces[3], "_", " "));
            else if (letter == "B" || letter == "b")
                bytes = coding::translate::from_base64(pieces[3]);
            else
                known = false;
            if (known) {
                std::u16string text = unicode::to_wide(bytes, codepage);
                out = bytes_as_units(prefix) + text + bytes_as_units(suffix);
                return true;
            }
        }
    }
    out = unicode::to_wide(std::string(word), codepage);
    return false;
}

std::u16string decode_header_text_in(generic_value_type& object, std::string_view text,
                                     std::int32_t& codepage) {
    std::u16string result;
    std::size_t blanks = 0;
    bool previous_encoded = false;
    std::size_t pos = 0;
    std::u16string decoded;
    for (;;) {
        std::size_t end = text.find(' ', pos);
        if (end == std::string_view::npos) end = text.size();
        const bool encoded = decode_word_in(object, text.substr(pos, end - pos), decoded, codepage);
        // Blanks between two encoded words are not part of the text.
        if (!previous_encoded || !encoded) result.append(blanks, u' ');
        result += decoded;
        previous_encoded = encoded;
        pos = end;
        while (pos < text.size() && text[pos] == ' ') ++pos;
        blanks = pos - end;
        if (pos == text.size()) break;  // trailing blanks are dropped
    }
    return result;
}

}  // namespace

bool decode_word(generic_value_type& object, std::string_view word, std::u16string& out) {
    std::int32_t codepage = unicode::codepage_of(object.charset);
    return decode_word_in(object, word, out, codepage);
}

std::u16string decode_header_text(generic_value_type& object, std::string_view text) {
    std::int32_t codepage = unicode::codepage_of(object.charset);
    return decode_header_text_in(object, text, codepage);
}

// ---- tokens -----------------------------------------------------------------

std::vector<std::string> split_header_text(std::string_view text, std::string_view separators,
                                           bool keep_quotes) {
    std::vector<std::string> tokens;
    std::string token;
    bool escape = false;
    bool quoted = false;
    bool encoded_word = false;
    for (const char c : text) {
        if (escape) {
            token.push_back(c);
            escape = false;
        } else if (quoted) {
            // Inside quotes a backslash is an ordinary byte and separators
            // do not split.
            if (c == '"') {
                quoted = false;
                if (keep_quotes) token.push_back(c);
            } else {
                token.push_back(c);
            }
        } else if (encoded_word) {
            token.push_back(c);
            if (ends_with(token, "?=")) encoded_word = false;
        } else if (c == '\\') {
            escape = true;
        } else if (c == '"') {
            if (keep_quotes) token.push_back(c);
            quoted = true;
        } else if (c == '?' && !token.empty()) {
            if (token.back() == '=') encoded_word = true;
            token.push_back(c);
        } else if (c == ' ' && token.empty()) {
            // leading blanks of a token are dropped
        } else if (separators.find(c) != std::string_view::npos) {
            tokens.push_back(std::move(token));
            token.clear();
        } else {
            token.push_back(c);
        }
    }
    if (!token.empty()) tokens.push_back(std::move(token));
    return tokens;
}

}  // namespace varrow::internet::message2::header_type
