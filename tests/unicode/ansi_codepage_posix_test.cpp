// Code page 0 follows the user's locale settings on POSIX.
#include <gtest/gtest.h>

#include <cstdlib>

#include "varrow/unicode/conversion.h"

namespace {

using namespace varrow::unicode;

class ansi_codepage : public ::testing::Test {
protected:
    void TearDown() override { unsetenv("LC_ALL"); }
};

TEST_F(ansi_codepage, c_locale_gives_1252) {
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(to_wide("\x80\xe9", 0), u"\u20ac\u00e9");
    EXPECT_EQ(to_multibyte(u"\u20ac", 0), "\x80");
    EXPECT_THROW(to_multibyte(u"\u4e2d", 0), unmappable_character);
}

TEST_F(ansi_codepage, pseudo_code_pages_follow_a_us_system) {
    setenv("LC_ALL", "C", 1);
    EXPECT_EQ(to_wide("\x80", 3), u"\u20ac");   // the thread's ANSI code page
    EXPECT_EQ(to_wide("\xb0", 1), u"\u2591");   // OEM: 437
    EXPECT_EQ(to_wide("\xa5", 2), u"\u2022");   // Mac: 10000
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(to_wide("\xc3\xa9", 1), u"\u00e9");
}

TEST_F(ansi_codepage, utf8_locale_gives_65001) {
    setenv("LC_ALL", "C.UTF-8", 1);
    EXPECT_EQ(to_wide("\xc3\xa9\x80", 0), u"\u00e9\ufffd");
    EXPECT_EQ(to_multibyte(u"\u4e2d", 0), "\xe4\xb8\xad");
}

TEST_F(ansi_codepage, unknown_locale_falls_back_to_1252) {
    setenv("LC_ALL", "xx_YY.NOSUCH", 1);
    EXPECT_EQ(to_wide("\x80", 0), u"\u20ac");
}

}  // namespace
