// to_wide and to_multibyte on any bytes and any wide text, for every code
// page that codepage_of can give: either one of a fixed list (the code
// pages of the charset table, the ISO 8859 parts, UTF-7, UTF-8, the ANSI
// code page and the direct mapping) or what codepage_of makes of a name.
//
// Input: one selector byte; 0xFF means that the first line after it is a
// charset name, any other value picks from the list (modulo its size). The
// rest is the text.

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "varrow/unicode/charset.h"
#include "varrow/unicode/conversion.h"

namespace uc = varrow::unicode;

namespace {

const std::vector<std::int32_t>& known_codepages() {
    static const std::vector<std::int32_t> list = [] {
        std::set<std::int32_t> pages{0, uc::direct_codepage, 65000, 65001};
        for (const auto& entry : uc::charset_table) pages.insert(entry.second);
        for (std::int32_t part = 0; part <= 16; ++part) pages.insert(28590 + part);
        return std::vector<std::int32_t>(pages.begin(), pages.end());
    }();
    return list;
}

bool well_formed_utf16(const std::u16string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF) {
            if (i + 1 == text.size() || text[i + 1] < 0xDC00 || text[i + 1] > 0xDFFF) return false;
            ++i;
        } else if (u >= 0xDC00 && u <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input = tarnwick::fuzz::as_text(data, size);
    const unsigned selector = tarnwick::fuzz::take_byte(input);
    const auto& list = known_codepages();
    std::int32_t codepage;
    if (selector != 0xFF) {
        codepage = list[selector % list.size()];
    } else {
        codepage = uc::codepage_of(std::string(tarnwick::fuzz::take_line(input)));
    }
    const std::string bytes(input);

    try {
        const std::u16string wide = uc::to_wide(bytes, codepage);
        if (codepage == uc::direct_codepage) TW_FUZZ_CHECK(uc::to_multibyte(wide, codepage) == bytes);
    } catch (const uc::generic&) {
    }

    // The same bytes as little-endian code units.
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    try {
        const std::string encoded = uc::to_multibyte(units, codepage);
        // UTF-8 and UTF-7 hold every well-formed text exactly.
        if ((codepage == 65001 || codepage == 65000) && well_formed_utf16(units))
            TW_FUZZ_CHECK(uc::to_wide(encoded, codepage) == units);
        // What a code page wrote, it reads back (best-fit characters may
        // come back as others, but nothing may be unreadable), except that
        // Windows writes the private-use units that stand for bytes without
        // a character as those bytes, which then read as nothing.
        const bool private_use = std::any_of(units.begin(), units.end(),
                                             [](char16_t u) { return u >= 0xE000 && u <= 0xF8FF; });
        if (!uc::restricted_codepage(codepage) && !private_use) {
            try {
                (void)uc::to_wide(encoded, codepage);
            } catch (const uc::generic&) {
                TW_FUZZ_CHECK(!"to_wide refuses what to_multibyte wrote");
            }
        }
    } catch (const uc::generic&) {
    }
    return 0;
}
