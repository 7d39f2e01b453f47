#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/coding/errors.h"
#include "varrow/internet/message2/header_type.h"
#include "varrow/unicode/errors.h"

namespace {

using namespace varrow::internet::message2::header_type;
namespace unicode = varrow::unicode;

struct encode_case {
    const char* charset;
    std::u16string text;
    std::string header_text;
};

TEST(EncodeHeaderText, ChoosesPlainBOrQForm) {
    const encode_case cases[] = {
        {"iso-8859-1", u"plain ASCII text, \"quotes\" and =?", "plain ASCII text, \"quotes\" and =?"},
        {"iso-8859-1", u"", ""},
        // Q form 23 characters, B form =?iso-8859-1?B?Y2Fm6Q==?= 25.
        {"iso-8859-1", u"caf\u00e9", "=?iso-8859-1?Q?caf=E9?="},
        // Blank as "_", underscore as =5F; both forms 16 characters inside
        // the word, so the Q form wins the tie.
        {"utf-8", u"a b_c d \u00e9", "=?utf-8?Q?a_b=5Fc_d_=C3=A9?="},
        {"utf-8", u"\u00e9\u00e9\u00e9", "=?utf-8?B?w6nDqcOp?="},  // B strictly shorter
        {"UTF-8", u"\u20ac", "=?UTF-8?B?4oKs?="},                  // the name as written
        // ASCII around a non-ASCII character is encoded too, as one word.
        {"iso-8859-1", u"Re: caf\u00e9 ?", "=?iso-8859-1?Q?Re:_caf=E9_=3F?="},
        // An unknown charset takes each unit as one byte.
        {"x-unknown", u"\u00e9", "=?x-unknown?Q?=E9?="},
    };
    for (const auto& c : cases) {
        unstructured_value_type value;
        value.charset = c.charset;
        EXPECT_EQ(encode_header_text(value, c.text), c.header_text);
        value.set_value(c.text);
        EXPECT_EQ(value.format(), c.header_text);
    }
}

TEST(EncodeHeaderText, CharacterOutsideTheCharsetRaises) {
    unstructured_value_type value;  // iso-8859-1
    EXPECT_THROW(encode_header_text(value, u"caf\u00e9 \u4e2d"), unicode::unmappable_character);
    value.charset = "x-unknown";  // one byte per unit
    EXPECT_THROW(encode_header_text(value, u"\u0100"), unicode::unmappable_character);
}

struct decode_case {
    const char* charset_before;
    std::string header_text;
    std::u16string text;
    const char* charset_after;
};

TEST(DecodeHeaderText, WordsAndBlanks) {
    const decode_case cases[] = {
        {"iso-8859-1", "=?utf-8?B?w6k=?=", u"\u00e9", "utf-8"},
        {"iso-8859-1", "=?iso-8859-1?Q?caf=E9?=", u"caf\u00e9", "iso-8859-1"},
        {"iso-8859-1", "=?utf-8?q?a_b=5Fc?=", u"a b_c", "utf-8"},
        {"iso-8859-1", "=?UTF-8?b?4oKs?=", u"\u20ac", "UTF-8"},
        // Blanks between two encoded words go; next to a plain word they stay.
        {"iso-8859-1", "=?utf-8?B?w6k=?=   =?utf-8?Q?x?=", u"\u00e9x", "utf-8"},
        {"iso-8859-1", "Hello  =?utf-8?B?w6k=?= world", u"Hello  \u00e9 world", "utf-8"},
        // Text around the encoded word inside one word is taken byte for byte.
        {"iso-8859-1", "(=?utf-8?B?w6k=?=)", u"(\u00e9)", "utf-8"},
        // Plain words are read in the charset, also one changed by an
        // earlier encoded word.
        {"iso-8859-1", "caf\xE9", u"caf\u00e9", "iso-8859-1"},
        {"iso-8859-1", "=?utf-8?B?w6k=?= \xC3\xA9", u"\u00e9 \u00e9", "utf-8"},
        // Leading blanks reach the result, trailing ones do not; tabs are bytes.
        {"iso-8859-1", "  lead", u"  lead", "iso-8859-1"},
        {"iso-8859-1", "trail   ", u"trail", "iso-8859-1"},
        {"iso-8859-1", "a\tb", u"a\tb", "iso-8859-1"},
        {"iso-8859-1", "", u"", "iso-8859-1"},
        {"iso-8859-1", "   ", u"", "iso-8859-1"},  // blanks alone are trailing
        // Not an encoded word: another letter (the charset still changes),
        // the wrong number of pieces, or no "?=".
        {"iso-8859-1", "=?utf-8?X?w6k=?=", u"=?utf-8?X?w6k=?=", "utf-8"},
        {"iso-8859-1", "=?utf-8?w6k=?=", u"=?utf-8?w6k=?=", "iso-8859-1"},
        {"iso-8859-1", "=?utf-8?B?w6k=", u"=?utf-8?B?w6k=", "iso-8859-1"},
        {"iso-8859-1", "?=x=?y", u"?=x=?y", "iso-8859-1"},
    };
    for (const auto& c : cases) {
        unstructured_value_type value;
        value.charset = c.charset_before;
        EXPECT_EQ(decode_header_text(value, c.header_text), c.text) << c.header_text;
        EXPECT_EQ(value.charset, c.charset_after) << c.header_text;
    }
}

TEST(DecodeWord, ReportsWhetherItDecoded) {
    unstructured_value_type value;
    std::u16string out = u"old";
    EXPECT_TRUE(decode_word(value, "<=?utf-8?B?w6k=?=>", out));
    EXPECT_EQ(out, u"<\u00e9>");
    EXPECT_FALSE(decode_word(value, "plain", out));
    EXPECT_EQ(out, u"plain");
    EXPECT_FALSE(decode_word(value, "=?a?b?c?d?e?=", out));  // seven pieces
    EXPECT_EQ(out, u"=?a?b?c?d?e?=");
}

TEST(DecodeHeaderText, BadEscapeInQWordRaises) {
    unstructured_value_type value;
    EXPECT_THROW(decode_header_text(value, "=?utf-8?Q?=ZZ?="), varrow::coding::translate::invalid_codeword);
    EXPECT_THROW(value.parse("ok =?utf-8?Q?a=4G?="), varrow::coding::translate::invalid_codeword);
}

TEST(DecodeHeaderText, RoundTripsEncodedText) {
    const char* charsets[] = {"utf-8", "iso-8859-1", "windows-1252"};
    const std::u16string texts[] = {u"caf\u00e9 au lait", u"a_b c?d=e\"f\u00e9", u"\u00e9", u" lead and trail \u00e9 "};
    for (const char* charset : charsets) {
        for (const auto& text : texts) {
            unstructured_value_type out;
            out.charset = charset;
            out.set_value(text);
            unstructured_value_type in;
            in.parse(out.format());
            EXPECT_EQ(in.value(), text) << charset << " " << out.format();
            EXPECT_EQ(in.charset, charset);
        }
    }
}

struct split_case {
    std::string text;
    const char* separators;
    bool keep_quotes;
    std::vector<std::string> tokens;
};

TEST(SplitHeaderText, QuotesEscapesAndEncodedWords) {
    const split_case cases[] = {
        {"text/plain; charset=\"iso-8859-1\"", ";,", true, {"text/plain", "charset=\"iso-8859-1\""}},
        {"text/plain; charset=\"iso-8859-1\"", ";,", false, {"text/plain", "charset=iso-8859-1"}},
        {"a;;b", ";", true, {"a", "", "b"}},
        {";a", ";", true, {"", "a"}},
        {"a;", ";", true, {"a"}},
        {"a,b;c", ";,", true, {"a", "b", "c"}},
        {"\"x;y\";z", ";", true, {"\"x;y\"", "z"}},
        {"\"a\\b\";c", ";", false, {"a\\b", "c"}},  // backslash is ordinary inside quotes
        {"a\\;b;c", ";", true, {"a;b", "c"}},       // and escapes outside them
        {"a\\", ";", true, {"a"}},
        {"=?utf-8?Q?a;b?=;c", ";", true, {"=?utf-8?Q?a;b?=", "c"}},
        {"?=x;y", ";", true, {"?=x", "y"}},
        {"   a b  ;  c", ";", true, {"a b  ", "c"}},
        {"a=b=c", "=", false, {"a", "b", "c"}},
        {"", ";", true, {}},
        {"\"unclosed;x", ";", true, {"\"unclosed;x"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(split_header_text(c.text, c.separators, c.keep_quotes), c.tokens) << c.text;
}

struct parse_case {
    std::string header_text;
    std::u16string value;
    std::vector<parametized_value_type::parameter> parameters;
};

TEST(ParametizedValueType, Parse) {
    const parse_case cases[] = {
        {"text/plain; charset=\"iso-8859-1\"", u"text/plain", {{"charset", u"iso-8859-1"}}},
        {"text/plain;charset=us-ascii;format=flowed", u"text/plain",
         {{"charset", u"us-ascii"}, {"format", u"flowed"}}},
        {"text/plain; charset = utf-8", u"text/plain", {{"charset ", u"utf-8"}}},
        {"text/plain; a=b=c", u"text/plain", {}},
        {"text/plain; flag", u"text/plain", {{"flag", u""}}},
        {"text/plain;; x=1", u"text/plain", {{"x", u"1"}}},
        {"multipart/mixed; boundary=\"a;b,c\"", u"multipart/mixed", {{"boundary", u"a;b,c"}}},
        {"text/plain; name=\"=?utf-8?B?w6k=?=\"", u"text/plain", {{"name", u"\u00e9"}}},
        {"", u"", {}},
    };
    for (const auto& c : cases) {
        parametized_value_type value;
        value.set_value(u"stale");
        value.set_parameter("stale", u"x");
        value.parse(c.header_text);
        EXPECT_EQ(value.value(), c.value) << c.header_text;
        EXPECT_EQ(value.parameter_list, c.parameters) << c.header_text;
    }
}

TEST(ParametizedValueType, FormatQuotesEveryParameter) {
    parametized_value_type value;
    value.set_value_from("text/plain", 65001);
    value.set_parameter("charset", "utf-8");
    EXPECT_EQ(value.format(), "text/plain; charset=\"utf-8\"");
    value.set_parameter("name", u"caf\u00e9");
    value.set_parameter("odd", u"a\"b\\c");  // not escaped
    EXPECT_EQ(value.format(),
              "text/plain; charset=\"utf-8\"; name=\"=?iso-8859-1?Q?caf=E9?=\"; odd=\"a\"b\\c\"");

    // An encoded parameter reads back as its text.
    parametized_value_type back;
    back.parse(value.format());
    ASSERT_EQ(back.parameter_list.size(), 3u);
    EXPECT_EQ(back.parameter_list[1], (parametized_value_type::parameter{"name", u"caf\u00e9"}));
}

TEST(ParametizedValueType, SetAndRemoveMatchTheFirstNameInAnyCase) {
    parametized_value_type value;
    value.parse("text/plain; Charset=\"a\"; x=1; charset=\"b\"");
    value.set_parameter("CHARSET", u"c");
    EXPECT_EQ(value.parameter_list,
              (std::vector<parametized_value_type::parameter>{{"Charset", u"c"}, {"x", u"1"}, {"charset", u"b"}}));
    value.remove_parameter("charset");
    EXPECT_EQ(value.parameter_list,
              (std::vector<parametized_value_type::parameter>{{"x", u"1"}, {"charset", u"b"}}));
    value.remove_parameter("missing");
    EXPECT_EQ(value.parameter_list.size(), 2u);

    // A name parsed with a trailing blank is another name.
    value.parse("text/plain; charset = utf-8");
    value.set_parameter("charset", "iso-8859-1");
    EXPECT_EQ(value.parameter_list, (std::vector<parametized_value_type::parameter>{
                                        {"charset ", u"utf-8"}, {"charset", u"iso-8859-1"}}));
    EXPECT_EQ(value.format(), "text/plain; charset =\"utf-8\"; charset=\"iso-8859-1\"");
}

TEST(UnstructuredValueType, ValueInCodePages) {
    unstructured_value_type value;
    value.set_value_from("caf\xC3\xA9", 65001);
    EXPECT_EQ(value.value(), u"caf\u00e9");
    EXPECT_EQ(value.value_in(65001), "caf\xC3\xA9");
    EXPECT_EQ(value.value_in(-1), "caf\xE9");
    value.value() += u"\u0100";
    EXPECT_THROW(value.value_in(-1), unicode::unmappable_character);
}

}  // namespace
