#pragma once
// Header value types: turn wide text into header text and back, using
// RFC 2047 encoded words for text that is not plain ASCII.
//
// A message stores each header as a name and a finished value text; these
// classes build such a value from parts or read one back into parts. They
// are short-lived objects on the caller's stack. Errors of the unicode
// conversion (varrow/unicode/errors.h) and of the transfer codings
// (varrow/coding/errors.h) pass out of every operation unchanged; nothing
// here raises an error of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace varrow::internet::message2::header_type {

class generic_value_type {
public:
    generic_value_type() = default;
    virtual ~generic_value_type() = default;

    // The header text of the value (bytes).
    virtual std::string format() const = 0;
    // Replaces the value by what the header text holds. `charset` keeps
    // the last charset that a decoded encoded word named.
    virtual void parse(std::string_view text) = 0;

    // The charset used to encode and decode the value; decoding an encoded
    // word replaces it with the charset named in the word.
    std::string charset = "iso-8859-1";
};

// A free text, such as the value of Content-Transfer-Encoding.
class unstructured_value_type : public generic_value_type {
public:
    // encode_header_text of value_text.
    std::string format() const override;
    // value_text = decode_header_text of the text.
    void parse(std::string_view text) override;

    virtual std::u16string& value();
    // value_text converted into `codepage` (raises the conversion errors).
    virtual std::string value_in(std::int32_t codepage) const;
    virtual void set_value(std::u16string text);
    // value_text = the bytes read in `codepage`.
    virtual void set_value_from(const std::string& bytes, std::int32_t codepage);

    std::u16string value_text;
};

// A value followed by named parameters: value; name="x"; name="y".
class parametized_value_type : public unstructured_value_type {
public:
    // Names are not unique in the list; lookups take the first match.
    using parameter = std::pair<std::string, std::u16string>;

    // The encoded value, then for each parameter "; ", name, "=" and the
    // encoded parameter value in double quotes (always quoted; quotes or
    // backslashes inside are not escaped).
    std::string format() const override;
    // Clears value and parameters, then splits the text at ";" and ",":
    // the first token is the value, each further token name=value (one
    // part: empty value; three or more parts: skipped). Names are kept as
    // written, trailing blanks included; quotes around a value go.
    void parse(std::string_view text) override;

    // The first parameter whose name equals `name` ASCII-case-insensitively
    // gets the value and keeps its name and place; otherwise the pair is
    // appended.
    void set_parameter(const std::string& name, std::u16string value);
    // As above, the value read as UTF-8.
    void set_parameter(const std::string& name, const std::string& utf8_value);
    // Removes the first parameter whose name matches case-insensitively.
    void remove_parameter(const std::string& name);

    std::vector<parameter> parameter_list;
};

// Plain ASCII text (every unit at most 0x7F, empty text included) as it is;
// otherwise the whole text as one encoded word in the object's charset:
// the B form =?charset?B?...?= when strictly shorter than the Q form
// =?charset?Q?...?= (blanks as "_"), the Q form otherwise. Raises
// unicode::unmappable_character for a character the charset cannot hold.
std::string encode_header_text(const generic_value_type& object, const std::u16string& text);

// Decodes a header text word by word (words end at blanks, 0x20): encoded
// words are decoded and the blanks between two of them dropped; every other
// word is read in the object's charset; trailing blanks are dropped. May
// change the object's charset.
std::u16string decode_header_text(generic_value_type& object, std::string_view text);

// Decodes one word. True when it held a well-formed encoded word (from the
// first "=?" to the last "?=", five "?"-separated pieces, Q or B), which
// was decoded with the text before and after it taken byte for byte; the
// object's charset is then the word's. False otherwise, `out` being the
// whole word read in the object's charset. `out` is written in both cases.
bool decode_word(generic_value_type& object, std::string_view word, std::u16string& out);

// Splits a header text into tokens at any byte of `separators`, outside
// double quotes and encoded words. A backslash outside quotes escapes the
// next byte and is dropped; quotes are kept when `keep_quotes` is set;
// leading blanks of a token are dropped. Adjacent separators give an empty
// token; a trailing separator gives none.
std::vector<std::string> split_header_text(std::string_view text, std::string_view separators,
                                           bool keep_quotes);

}  // namespace varrow::internet::message2::header_type
