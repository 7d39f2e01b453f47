// Header texts: split_header_text, parametized_value_type::parse and
// decode_header_text on any text, starting from any charset name (the
// encoded words of the text name more).
//
// Input: one flag byte (bit 0: keep quotes), a line of separators (at most 8
// bytes are used), a line with the starting charset name, then the header
// text.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "varrow/coding/errors.h"
#include "varrow/internet/message2/header_type.h"
#include "varrow/unicode/errors.h"

namespace ht = varrow::internet::message2::header_type;
namespace uc = varrow::unicode;
namespace tr = varrow::coding::translate;

namespace {

bool non_ascii_utf16(const std::u16string& text) {
    bool wide = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u > 0x7F) wide = true;
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return wide;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = tarnwick::fuzz::as_text(data, size);
    const unsigned flags = tarnwick::fuzz::take_byte(input);
    const std::string_view separators = tarnwick::fuzz::take_line(input).substr(0, 8);
    const std::string charset(tarnwick::fuzz::take_line(input));
    const std::string_view text = input;

    const auto tokens = ht::split_header_text(text, separators, (flags & 1) != 0);
    std::size_t token_bytes = 0;
    for (const auto& token : tokens) token_bytes += token.size();
    TW_FUZZ_CHECK(token_bytes <= text.size());
    TW_FUZZ_CHECK(tokens.size() <= text.size() + 1);

    ht::parametized_value_type parametized;
    parametized.charset = charset;
    try {
        parametized.parse(text);
        (void)parametized.format();
    } catch (const uc::generic&) {
    } catch (const tr::generic&) {
    }

    ht::unstructured_value_type unstructured;
    unstructured.charset = charset;
    try {
        const std::u16string decoded = ht::decode_header_text(unstructured, text);
        // Text with characters beyond ASCII goes out as one encoded word in
        // UTF-8 and must come back unchanged.
        if (non_ascii_utf16(decoded)) {
            ht::unstructured_value_type again;
            again.charset = "utf-8";
            const std::string encoded = ht::encode_header_text(again, decoded);
            TW_FUZZ_CHECK(ht::decode_header_text(again, encoded) == decoded);
        }
    } catch (const uc::generic&) {
    } catch (const tr::generic&) {
    }
    return 0;
}
