#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/text.h"

namespace {

using namespace varrow;

TEST(FormatText, Conversions) {
    EXPECT_EQ(format_text("TW%i\\", 1700000000), "TW1700000000\\");
    EXPECT_EQ(format_text("%i", -2147483643), "-2147483643");
    EXPECT_EQ(format_text("OpenMutex returned 0x%08x", 5u), "OpenMutex returned 0x00000005");
    EXPECT_EQ(format_text("0x%.8x", 0xdeadbeefu), "0xdeadbeef");
    EXPECT_EQ(format_text("Invalid Codeword 0x%.2X", 0xe9), "Invalid Codeword 0xE9");
    EXPECT_EQ(format_text("Invalid Codeword 0x%.2X", 7), "Invalid Codeword 0x07");
    EXPECT_EQ(format_text(" (download IP: %s)", "127.0.0.1"), " (download IP: 127.0.0.1)");
    EXPECT_EQ(format_text("%s", ""), "");
}

TEST(FormatText, KeepsZeroByteFromPercentC) {
    const std::string out = format_text("a%cb", 0);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out, std::string("a\0b", 3));
}

TEST(FormatText, GrowsPastTheFirstBuffer) {
    for (std::size_t n : {1023u, 1024u, 1025u, 5000u, 100000u}) {
        const std::string long_text(n, 'x');
        const std::string out = format_text("[%s]", long_text.c_str());
        EXPECT_EQ(out.size(), n + 2);
        EXPECT_EQ(out, "[" + long_text + "]");
    }
}

TEST(ByteText, PrefixAndSuffix) {
    EXPECT_TRUE(starts_with(".hidden", "."));
    EXPECT_TRUE(starts_with("abc", ""));
    EXPECT_FALSE(starts_with("ab", "abc"));
    EXPECT_FALSE(starts_with("Abc", "a"));
    EXPECT_TRUE(ends_with("C:\\Temp\\", "\\"));
    EXPECT_TRUE(ends_with("x", ""));
    EXPECT_FALSE(ends_with("c", "abc"));
    EXPECT_TRUE(ends_with(std::string("a\0", 2), std::string("\0", 1)));
}

TEST(ByteText, CaseOnlyForAsciiLetters) {
    const std::string mixed = "UTF-8 \xC4\xE4 Zz@[`{";
    EXPECT_EQ(to_lower(mixed), "utf-8 \xC4\xE4 zz@[`{");
    EXPECT_EQ(to_upper(mixed), "UTF-8 \xC4\xE4 ZZ@[`{");
    EXPECT_TRUE(iequals("Content-Type", "CONTENT-TYPE"));
    EXPECT_FALSE(iequals("\xC4", "\xE4"));
    EXPECT_FALSE(iequals("abc", "abcd"));
}

TEST(ByteText, ReplaceAll) {
    EXPECT_EQ(replace_all("a.b.c", ".", ".."), "a..b..c");  // scan goes on after the insert
    EXPECT_EQ(replace_all("aaa", "aa", "a"), "aa");
    EXPECT_EQ(replace_all("xyz", "q", "r"), "xyz");
    EXPECT_EQ(replace_all("", "a", "b"), "");
    EXPECT_EQ(replace_all("abc", "", "-"), "abc");
    EXPECT_EQ(replace_all("\r\n\r\n", "\r\n", "\n"), "\n\n");
}

TEST(ByteText, SplitAny) {
    const struct {
        const char* text;
        const char* separators;
        std::vector<std::string> expected;
    } cases[] = {
        {"a;b,c", ";,", {"a", "b", "c"}},
        {"a;;b", ";", {"a", "", "b"}},
        {"a;", ";", {"a", ""}},
        {";a", ";", {"", "a"}},
        {"", ";", {""}},
        {"abc", ";", {"abc"}},
        {";", ";", {"", ""}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(split_any(c.text, c.separators), c.expected);
    }
}

}  // namespace
