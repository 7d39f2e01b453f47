// One table of conversion cases for both builds: under Wine it checks the
// platform's code-page services, natively the POSIX converter, so the two
// must agree case by case.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/unicode/charset.h"
#include "varrow/unicode/conversion.h"

namespace {

using namespace varrow::unicode;

enum class outcome { ok, unmappable, invalid_codepage, generic };

outcome classify(const varrow::unicode::generic& error) {
    if (dynamic_cast<const unmappable_character*>(&error)) return outcome::unmappable;
    if (dynamic_cast<const invalid_codepage*>(&error)) return outcome::invalid_codepage;
    if (dynamic_cast<const out_of_memory*>(&error)) ADD_FAILURE() << "unexpected out_of_memory";
    return outcome::generic;
}

struct to_bytes_case {
    std::int32_t codepage;
    std::u16string text;
    outcome expected;
    std::string bytes;
};

const std::vector<to_bytes_case> to_bytes_cases = {
    // Empty text never looks at the code page.
    {1252, u"", outcome::ok, ""},
    {12345, u"", outcome::ok, ""},
    {direct_codepage, u"", outcome::ok, ""},
    // The direct mapping.
    {direct_codepage, std::u16string(u"A\u00e9\u00ff\0", 4), outcome::ok, std::string("A\xe9\xff\0", 4)},
    {direct_codepage, u"a\u0100", outcome::unmappable, ""},
    {direct_codepage, u"\xd800", outcome::unmappable, ""},
    // UTF-8: a pair gives four bytes, a lone surrogate U+FFFD.
    {65001, u"\u00e9\u20ac", outcome::ok, "\xc3\xa9\xe2\x82\xac"},
    {65001, u"\xd83d\xde00", outcome::ok, "\xf0\x9f\x98\x80"},
    {65001, u"a\xdc00" "b", outcome::ok, "a\xef\xbf\xbd" "b"},
    {65001, u"\xd800", outcome::ok, "\xef\xbf\xbd"},
    // Single-byte pages: a character outside the page fails instead of
    // turning into "?".
    {1252, u"caf\u00e9 \u20ac\u0081", outcome::ok, "caf\xe9 \x80\x81"},
    {1252, u"\u4e2d", outcome::unmappable, ""},
    {1252, u"ab\u4e2d", outcome::unmappable, ""},
    {1252, u"?", outcome::ok, "?"},
    // No best fit: a look-alike would change the text without an error.
    {1252, u"\u0100", outcome::unmappable, ""},
    {28591, u"\u0100", outcome::unmappable, ""},
    {1252, u"\uff21", outcome::unmappable, ""},
    {1251, u"\u0416", outcome::ok, "\xc6"},
    {28592, u"\u0141", outcome::ok, "\xa3"},
    {28605, u"\u20ac", outcome::ok, "\xa4"},
    {20866, u"\u0436", outcome::ok, "\xd6"},
    {437, u"\u2591", outcome::ok, "\xb0"},
    // Double-byte pages.
    {932, u"\u3042A", outcome::ok, "\x82\xa0" "A"},
    {932, u"\u2170", outcome::ok, "\xfa\x40"},
    {936, u"\u4e2d\u20ac", outcome::ok, "\xd6\xd0\x80"},
    {949, u"\ud55c", outcome::ok, "\xc7\xd1"},
    {950, u"\u4e2d\u2550", outcome::ok, "\xa4\xa4\xf9\xf9"},
    {932, u"\U0001F600", outcome::unmappable, ""},
    {1361, u"\uac00\u4e00", outcome::ok, "\x88\x61\xf1\x79"},
    {20932, u"\u3042\uff76", outcome::ok, "\xa4\xa2\x8e\xb6"},
    {10001, u"\u3042\uff76", outcome::ok, "\x82\xa0\xb6"},
    {708, u"\u0627", outcome::ok, "\xc7"},
    // A byte without a character reads as nothing, yet Windows writes the
    // private-use unit that stands for it as that byte.
    {1253, u"\uf8f9", outcome::ok, "\xaa"},
    // UTF-7.
    {65000, u"Hi Mom -\u263a-!", outcome::ok, "Hi Mom -+Jjo--+ACE-"},
    {65000, u"A+B", outcome::ok, "A+-B"},
    {65000, u"\u00e9.", outcome::ok, "+AOk-."},
    {65000, u"\u65e5\u672c\u8a9e", outcome::ok, "+ZeVnLIqe-"},
    {65000, std::u16string(u"a\0b", 3), outcome::ok, std::string("a\0b", 3)},
    // Numbers that are no code page; 42 offers no code-page information.
    {12345, u"A", outcome::invalid_codepage, ""},
    {28590, u"A", outcome::invalid_codepage, ""},
    {780, u"A", outcome::invalid_codepage, ""},
    {42, u"A", outcome::invalid_codepage, ""},
};

struct to_text_case {
    std::int32_t codepage;
    std::string bytes;
    outcome expected;
    std::u16string text;
};

const std::vector<to_text_case> to_text_cases = {
    {1252, "", outcome::ok, u""},
    {12345, "", outcome::ok, u""},
    {direct_codepage, std::string("\xff\x00\x80", 3), outcome::ok, std::u16string(u"\u00ff\0\u0080", 3)},
    // UTF-8 is restricted: invalid input gives U+FFFD instead of failing.
    {65001, "a\xc3\xa9\xf0\x9f\x98\x80", outcome::ok, u"a\u00e9\xd83d\xde00"},
    {65001, "a\x80" "b", outcome::ok, u"a\ufffd" "b"},
    {65001, "\xe2\x28\xa1", outcome::ok, u"\ufffd(\ufffd"},
    {65001, "\xed\xa0\x80", outcome::ok, u"\ufffd\ufffd"},
    {65001, "\xc0\xaf", outcome::ok, u"\ufffd\ufffd"},
    {65001, "\xf4\x90\x80\x80", outcome::ok, u"\ufffd\ufffd\ufffd"},
    {65001, "\xf0\x90\x80", outcome::ok, u"\ufffd"},
    {65001, "\xe1\x80\xc0", outcome::ok, u"\ufffd\ufffd"},
    {65001, "\xef\xbb\xbf" "a", outcome::ok, u"\ufeff" "a"},
    // Unrestricted pages: invalid input fails.
    {1252, "\x80\x81\x8d\x8f\x90\x9d\xe9", outcome::ok, u"\u20ac\u0081\u008d\u008f\u0090\u009d\u00e9"},
    {1253, "\xc1\xaa", outcome::unmappable, u""},
    {20127, "\xe9", outcome::ok, u"i"},
    {20127, "\xbf", outcome::unmappable, u""},
    {932, "\x82\xa0\xb1", outcome::ok, u"\u3042\uff71"},
    {932, "\x82", outcome::unmappable, u""},
    {932, "a\x81\x20", outcome::unmappable, u""},
    {932, "\xa0", outcome::unmappable, u""},
    {936, "\x80\xd6\xd0\xaa\xa1", outcome::ok, u"\u20ac\u4e2d\ue000"},
    {949, "\x80\xc9\xa1", outcome::ok, u"\u0080\ue000"},
    {950, "\xa4\xa4\xc6\xa1\xf9\xfe", outcome::ok, u"\u4e2d\uf6b1\u2593"},
    // UTF-7 is restricted too; a text that yields no unit at all fails
    // without a known reason.
    {65000, "Hi Mom -+Jjo--!", outcome::ok, u"Hi Mom -\u263a-!"},
    {65000, "+-", outcome::ok, u"+"},
    {65000, "+AGE", outcome::ok, u"a"},
    {65000, "+AGE+AGE-", outcome::ok, u"a\u3e00"},
    {65000, "+ AGE", outcome::ok, u" AGE"},
    {65000, "+2D3eAA-", outcome::ok, u"\xd83d\xde00"},
    {65000, "\x80\xff", outcome::ok, u"\u0080\u00ff"},
    {65000, "+", outcome::generic, u""},
    {65000, "+A-", outcome::generic, u""},
    // Code page 42 reads bytes from 0x20 up as private-use units.
    {42, "A\x1f\xff", outcome::ok, u"\uf041\u001f\uf0ff"},
    {12345, "A", outcome::invalid_codepage, u""},
    {28590, "A", outcome::invalid_codepage, u""},
};

std::string hex(const std::string& bytes) {
    std::string out;
    for (unsigned char byte : bytes) out += "0123456789ABCDEF"[byte >> 4], out += "0123456789ABCDEF"[byte & 15], out += ' ';
    return out;
}

std::string hex(const std::u16string& text) {
    std::string out;
    for (char16_t unit : text)
        for (int shift = 12; shift >= 0; shift -= 4) out += "0123456789ABCDEF"[(unit >> shift) & 15];
    return out;
}

TEST(unicode_conversion, to_multibyte_cases) {
    for (const auto& c : to_bytes_cases) {
        SCOPED_TRACE("code page " + std::to_string(c.codepage) + ", text " + hex(c.text));
        const std::u16string input = c.text;
        try {
            const std::string bytes = to_multibyte(input, c.codepage);
            EXPECT_EQ(c.expected, outcome::ok);
            EXPECT_EQ(hex(bytes), hex(c.bytes));
        } catch (const varrow::unicode::generic& error) {
            EXPECT_EQ(classify(error), c.expected) << error.what();
            EXPECT_STREQ(error.description(), "");
        }
        EXPECT_EQ(input, c.text);
    }
}

TEST(unicode_conversion, to_wide_cases) {
    for (const auto& c : to_text_cases) {
        SCOPED_TRACE("code page " + std::to_string(c.codepage) + ", bytes " + hex(c.bytes));
        try {
            const std::u16string text = to_wide(c.bytes, c.codepage);
            EXPECT_EQ(c.expected, outcome::ok);
            EXPECT_EQ(hex(text), hex(c.text));
        } catch (const varrow::unicode::generic& error) {
            EXPECT_EQ(classify(error), c.expected) << error.what();
            EXPECT_STREQ(error.description(), "");
        }
    }
}

TEST(unicode_conversion, errors_read_with_empty_description) {
    try {
        to_multibyte(u"\u0100", direct_codepage);
        FAIL() << "no exception";
    } catch (const varrow::exception& error) {
        EXPECT_STREQ(error.what(), "unicode.unmappable_character[]");
    }
    try {
        to_wide("A", 12345);
        FAIL() << "no exception";
    } catch (const varrow::exception& error) {
        EXPECT_STREQ(error.what(), "unicode.invalid_codepage[]");
    }
}

TEST(unicode_conversion, direct_mapping_round_trips_every_byte) {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    const std::u16string text = to_wide(bytes, direct_codepage);
    ASSERT_EQ(text.size(), 256u);
    for (int b = 0; b < 256; ++b) EXPECT_EQ(text[b], static_cast<char16_t>(b));
    EXPECT_EQ(to_multibyte(text, direct_codepage), bytes);
}

TEST(unicode_conversion, utf8_and_utf7_round_trip_all_of_unicode) {
    std::u16string text;
    for (char32_t cp = 0; cp <= 0x10FFFF; cp += (cp < 0x3000 ? 1 : 97)) {
        if (cp >= 0xD800 && cp <= 0xDFFF) continue;
        if (cp < 0x10000) {
            text.push_back(static_cast<char16_t>(cp));
        } else {
            text.push_back(static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10)));
            text.push_back(static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF)));
        }
    }
    EXPECT_EQ(to_wide(to_multibyte(text, 65001), 65001), text);
    EXPECT_EQ(to_wide(to_multibyte(text, 65000), 65000), text);
}

TEST(unicode_conversion, charset_names_reach_the_converter) {
    EXPECT_EQ(to_wide("\xe9", codepage_of("ISO-8859-1")), u"\u00e9");
    EXPECT_EQ(to_multibyte(u"\u20ac", codepage_of("windows-1252")), "\x80");
    EXPECT_EQ(to_wide("\xa4\xa4", codepage_of("Big5")), u"\u4e2d");
    EXPECT_EQ(to_wide("\xe9", codepage_of("x-unknown")), u"\u00e9");
    EXPECT_THROW(to_wide("A", codepage_of("latin")), invalid_codepage);
    EXPECT_THROW(to_multibyte(u"A", codepage_of("latin")), invalid_codepage);
}

TEST(unicode_conversion, restricted_set) {
    for (std::int32_t cp : {42, 50221, 50222, 50225, 50227, 50229, 52936, 54936, 57002, 57006,
                            57011, 65000, 65001})
        EXPECT_TRUE(restricted_codepage(cp)) << cp;
    for (std::int32_t cp : {-1, 0, 41, 43, 50220, 50228, 57001, 57012, 1252, 932, 65002})
        EXPECT_FALSE(restricted_codepage(cp)) << cp;
}

}  // namespace
