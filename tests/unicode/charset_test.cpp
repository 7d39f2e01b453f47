#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/unicode/charset.h"

namespace {

using varrow::unicode::charset_table;
using varrow::unicode::codepage_of;

struct name_case {
    std::string name;
    std::int32_t codepage;
};

TEST(unicode_charset, names_give_their_code_pages) {
    const std::vector<name_case> cases = {
        // Spelling: case, "-" and "_" do not matter; nothing else is removed.
        {"UTF-8", 65001}, {"utf_8", 65001}, {"Utf-8", 65001}, {"unicode-1-1-utf-8", 65001},
        {"UTF-7", 65000}, {" utf-8", -1}, {"utf-8 ", -1}, {"utf.8", -1},
        // The table wins over the prefix rules.
        {"iso-8859-8-i", 38598}, {"csISOLatinArabic", 28596}, {"csisolatin2", 28592},
        {"ISO_8859-1:1987", 28591},
        // Rows that differ from their neighbours.
        {"US-ASCII", -1}, {"ascii", -1}, {"ISO646-US", 1252}, {"iso-ir-6", 1252},
        {"iso-ir-148", 1254}, {"ISO-2022-JP", 50221}, {"csISO2022JP", 50221},
        {"koi", 20866}, {"KOI8-R", 20866}, {"koi8-u", 21866}, {"visual", 28598},
        {"logical", 38598}, {"KS_C_5601-1987", 949}, {"Shift_JIS", 932}, {"x-mac-ce", 10029},
        {"x-sjis", 932}, {"GB2312", 936}, {"gb18030", 54936}, {"HZ-GB-2312", 52936},
        {"EUC-JP", 51932}, {"euc-kr", 51949}, {"x-iscii-pa", 57011}, {"x-Europa", 29001},
        // The ISO 8859 group.
        {"ISO-8859-1", 28591}, {"iso-8859-15", 28605}, {"iso-8859-2 ", 28592},
        {"latin2", 28592}, {"latin", 28590}, {"iso8859", 28590},
        // Latin alphabet numbers name the ISO 8859 part carrying that alphabet.
        {"latin1", 28591}, {"latin4", 28594}, {"latin5", 28599}, {"l5", -1},
        {"csisolatin5", 28599}, {"latin6", 28600}, {"latin7", 28603}, {"latin9", 28605},
        {"latin10", 28606}, {"latin11", 28601},
        // Numbered code pages; the whole ISO group is tried first.
        {"windows-1252", 1252}, {"CP850", 850}, {"IBM437", 437}, {"dos-862", 862},
        {"IBM01140", 1140}, {"windows", 0}, {"cp", 0}, {"cpXYZ", 0}, {"windows-31j", 31},
        {"cp-5", 5}, {"windows-99999999999", 2147483647},
        {"iso-8859-99999999999", 2147483647},
        // Unknown names fall back to the direct mapping.
        {"utf-16", -1}, {"x-user-defined", -1}, {"", -1}, {"unicode", -1},
        // Names whose entry was decided here.
        {"iso-ir-100", 28591}, {"x-mac-chinesesimp", 10008}, {"ASMO-708", 708},
        {"asmo780", -1},
    };
    for (const auto& c : cases) EXPECT_EQ(codepage_of(c.name), c.codepage) << '"' << c.name << '"';
}

TEST(unicode_charset, table_is_filled_before_main_with_normalised_names) {
    // 101 names, plus iso-ir-100, x-mac-chinesesimp and asmo-708.
    EXPECT_EQ(charset_table.size(), 104u);
    for (const auto& [name, codepage] : charset_table) {
        EXPECT_EQ(name.find_first_of("-_ABCDEFGHIJKLMNOPQRSTUVWXYZ"), std::string::npos) << name;
        EXPECT_EQ(codepage_of(name), codepage) << name;
    }
}

TEST(unicode_charset, name_is_not_changed) {
    const std::string name = "ISO-8859-1";
    codepage_of(name);
    EXPECT_EQ(name, "ISO-8859-1");
}

}  // namespace
