// The portable part of the conversion: the direct mapping, empty input and
// the restricted set. Everything else goes to the platform's converter.
#include "varrow/unicode/conversion.h"

#include "varrow/unicode/platform.h"

namespace varrow::unicode {

bool restricted_codepage(std::int32_t codepage) noexcept {
    switch (codepage) {
    case 42: case 50221: case 50222: case 50225: case 50227: case 50229:
    case 52936: case 54936: case 65000: case 65001:
        return true;
    default:
        return codepage >= 57002 && codepage <= 57011;
    }
}

std::string to_multibyte(const std::u16string& text, std::int32_t codepage) {
    if (text.empty()) return {};
    if (codepage == direct_codepage) {
        std::string bytes(text.size(), '\0');
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] > 0xFF) throw unmappable_character("");
            bytes[i] = static_cast<char>(text[i]);
        }
        return bytes;
    }
    return platform::to_multibyte(text, codepage, restricted_codepage(codepage));
}

std::u16string to_wide(const std::string& bytes, std::int32_t codepage) {
    if (bytes.empty()) return {};
    if (codepage == direct_codepage) {
        std::u16string text(bytes.size(), u'\0');
        for (std::size_t i = 0; i < bytes.size(); ++i)
            text[i] = static_cast<unsigned char>(bytes[i]);
        return text;
    }
    return platform::to_wide(bytes, codepage, restricted_codepage(codepage));
}

}  // namespace varrow::unicode
