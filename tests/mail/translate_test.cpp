#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>

#include "varrow/coding/translate.h"

namespace {

using namespace varrow::coding::translate;

std::string all_byte_values() {
    std::string bytes;
    for (int b = 0; b < 256; ++b) bytes.push_back(static_cast<char>(b));
    return bytes;
}

struct pair_case {
    std::string bytes;
    std::string text;
};

// RFC 4648, section 10.
TEST(Base64, Rfc4648Vectors) {
    const pair_case cases[] = {
        {"", ""},         {"f", "Zg=="},        {"fo", "Zm8="},         {"foo", "Zm9v"},
        {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_base64(c.bytes), c.text) << c.bytes;
        EXPECT_EQ(from_base64(c.text), c.bytes) << c.text;
    }
}

TEST(Hex, Rfc4648VectorsInBothCases) {
    const pair_case cases[] = {
        {"", ""},           {"f", "66"},           {"fo", "666f"},           {"foo", "666f6f"},
        {"foob", "666f6f62"}, {"fooba", "666f6f6261"}, {"foobar", "666f6f626172"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(to_hex(c.bytes), c.text);
        EXPECT_EQ(from_hex(c.text), c.bytes);
        std::string upper = c.text;
        for (char& ch : upper)
            if (ch >= 'a' && ch <= 'f') ch = static_cast<char>(ch - 'a' + 'A');
        EXPECT_EQ(from_hex(upper), c.bytes) << upper;
    }
    EXPECT_EQ(to_hex("\xAB"), "ab");
    EXPECT_EQ(from_hex("AB"), "\xAB");
}

// The encoders take whole groups on a straight path and the rest through
// the general bit loop; compare both against a plain bit-string reference
// for every length up to a few groups.
std::string reference_encode(const std::string& bytes, const char* alphabet, unsigned w) {
    std::string bits;
    for (unsigned char b : bytes)
        for (int i = 7; i >= 0; --i) bits.push_back(((b >> i) & 1) ? '1' : '0');
    while (bits.size() % w != 0) bits.push_back('0');
    std::string out;
    for (std::size_t i = 0; i < bits.size(); i += w) out.push_back(alphabet[std::stoul(bits.substr(i, w), nullptr, 2)]);
    return out;
}

TEST(EncodeBits, MatchesBitStringReferenceForEveryLength) {
    // A permutation of all byte values as the alphabet for widths up to 8,
    // and the value table that reads it back.
    std::string alphabet;
    value_table table;
    table.fill(not_a_symbol);
    for (int i = 0; i < 256; ++i) {
        alphabet.push_back(static_cast<char>((i * 7 + 3) & 0xFF));
        table[static_cast<unsigned char>(alphabet.back())] = static_cast<std::int16_t>(i);
    }
    std::mt19937 random(12345);
    std::string bytes;
    for (std::size_t n = 0; n <= 100; ++n) {
        std::string expected64 = reference_encode(bytes, base64_alphabet, 6);
        while (expected64.size() % 4 != 0) expected64.push_back('=');
        ASSERT_EQ(to_base64(bytes), expected64) << "length " << n;
        ASSERT_EQ(to_hex(bytes), reference_encode(bytes, hex_alphabet, 4)) << "length " << n;
        for (unsigned w = 1; w <= 8; ++w) {
            std::string out = "keep:";
            encode_bits(bytes, out, alphabet.c_str(), w, (1u << w) - 1);
            ASSERT_EQ(out.substr(0, 5), "keep:") << "encode_bits appends";
            const std::string symbols = out.substr(5);
            ASSERT_EQ(symbols, reference_encode(bytes, alphabet.c_str(), w)) << "w " << w << " length " << n;
            std::string back = "x";
            decode_bits(symbols, back, table, w, true);
            ASSERT_EQ(back, "x" + bytes) << "w " << w << " length " << n;
        }
        bytes.push_back(static_cast<char>(random() & 0xFF));
    }
}

TEST(EncodeBits, RejectsWidthsOutsideOneToEight) {
    std::string out = "x";
    value_table table;
    table.fill(0);
    for (unsigned w : {0u, 9u, 32u}) {
        EXPECT_THROW(encode_bits("abc", out, base64_alphabet, w, 63), std::invalid_argument);
        EXPECT_THROW(decode_bits("abc", out, table, w, false), std::invalid_argument);
    }
    EXPECT_EQ(out, "x");
}

TEST(TransferCodingRoundTrip, AllByteValues) {
    const std::string bytes = all_byte_values();
    const std::string b64 = to_base64(bytes);
    EXPECT_EQ(b64.size(), 344u);  // 256 bytes: 85 groups and one padded group
    EXPECT_EQ(b64.substr(b64.size() - 4), "/w==");
    EXPECT_EQ(from_base64(b64), bytes);
    const std::string hex = to_hex(bytes);
    EXPECT_EQ(hex.size(), 512u);
    EXPECT_EQ(hex.substr(0, 6), "000102");
    EXPECT_EQ(hex.substr(hex.size() - 4), "feff");
    EXPECT_EQ(from_hex(hex), bytes);
    const std::string qp = to_quoted_printable(bytes);
    for (char c : qp) EXPECT_TRUE(c >= 0x20 && c <= 0x7E) << "unprintable in " << qp;
    EXPECT_EQ(from_quoted_printable(qp), bytes);
}

TEST(Base64, FiftySevenBytesGiveOneUnpaddedLine) {
    EXPECT_EQ(to_base64(std::string(57, 'a')).size(), 76u);
    EXPECT_EQ(to_base64(std::string(57, 'a')).find('='), std::string::npos);
    EXPECT_EQ(to_base64(std::string(58, 'a')).size(), 80u);
}

TEST(Base64, DecoderSkipsWhatIsNotInTheAlphabet) {
    const pair_case cases[] = {
        {"foobar", "Zm9v\r\nYmFy"},
        {"f", "Zg"},          // missing padding is accepted
        {"", "Z"},            // a single symbol holds no whole byte
        {"foo", " Zm\t9v! "}, // blanks, tabs and other bytes are skipped
        {"fo", "Zm8===="},
        {"", "\xFF\x80-_.:"},
    };
    for (const auto& c : cases) EXPECT_EQ(from_base64(c.text), c.bytes) << c.text;
}

struct codeword_case {
    std::string text;
    const char* what;
};

TEST(Hex, StrictDecoderNamesTheOffendingByte) {
    const codeword_case cases[] = {
        {"zz", "translate.invalid_codeword[Invalid Codeword 0x7A]"},
        {"a\xE9", "translate.invalid_codeword[Invalid Codeword 0xE9]"},
        {std::string("\x07", 1), "translate.invalid_codeword[Invalid Codeword 0x07]"},
        {std::string("ab\0", 3), "translate.invalid_codeword[Invalid Codeword 0x00]"},
        {"ab cd", "translate.invalid_codeword[Invalid Codeword 0x20]"},
    };
    for (const auto& c : cases) {
        try {
            (void)from_hex(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const generic& e) {  // the module's base class catches it
            EXPECT_NE(dynamic_cast<const invalid_codeword*>(&e), nullptr);
            EXPECT_STREQ(e.what(), c.what);
        }
    }
    EXPECT_EQ(from_hex("abc"), "\xAB");  // an odd last digit is dropped
}

TEST(QuotedPrintable, EscapesExactlyTheSpecialBytes) {
    const pair_case cases[] = {
        {"x y=z", "x y=3Dz"},
        {"_", "=5F"},
        {"?", "=3F"},
        {"\"", "=22"},
        {"\t", "=09"},
        {"\r\n", "=0D=0A"},
        {"caf\xE9", "caf=E9"},
        {"\x7F\x80\xFF", "=7F=80=FF"},
        {std::string("\0", 1), "=00"},
        {" !~<>.,:;'()\\/", " !~<>.,:;'()\\/"},
        {"trailing blank ", "trailing blank "},
    };
    for (const auto& c : cases) EXPECT_EQ(to_quoted_printable(c.bytes), c.text) << c.bytes;
}

TEST(QuotedPrintable, DecodesEscapesAndKeepsEverythingElse) {
    const pair_case cases[] = {
        {"=", "=3D"},
        {"\xE9", "=e9"},  // lower-case digits too
        {"a=", "a="},     // fewer than two bytes after "=" stay
        {"a=4", "a=4"},
        {"=", "="},
        {"a_b", "a_b"},   // "_" is left for the Q-word decoder
        {"x y=z", "x y=3Dz"},
    };
    for (const auto& c : cases) EXPECT_EQ(from_quoted_printable(c.text), c.bytes) << c.text;
}

TEST(QuotedPrintable, BadEscapeRaises) {
    const codeword_case cases[] = {
        {"=G1", "translate.invalid_codeword[Invalid Codeword 0x47]"},
        {"ok=1G", "translate.invalid_codeword[Invalid Codeword 0x47]"},
        {"=zz", "translate.invalid_codeword[Invalid Codeword 0x7A]"},
        // no soft line breaks: "=" CR LF is a bad escape
        {"a=\r\nb", "translate.invalid_codeword[Invalid Codeword 0x0D]"},
    };
    for (const auto& c : cases) {
        try {
            (void)from_quoted_printable(c.text);
            ADD_FAILURE() << "no error for " << c.text;
        } catch (const invalid_codeword& e) {
            EXPECT_STREQ(e.what(), c.what);
        }
    }
}

}  // namespace
