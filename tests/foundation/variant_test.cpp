#include <gtest/gtest.h>

#include <string>

#include "varrow/variant.h"

namespace {

using varrow::variant;

TEST(Variant, TextReadsAsDecimal) {
    const struct {
        const char* text;
        std::int32_t expected;
    } cases[] = {
        {"250", 250},          {"25x", 25},      {"abc", 0},           {"", 0},
        {" 42", 42},           {"\t\n 42", 42},  {"-7", -7},           {"+13", 13},
        {"99999999999", 2147483647},             {"-99999999999", -2147483648},
        {"2147483647", 2147483647},              {"2147483648", 2147483647},
        {"-2147483648", -2147483648},            {"-2147483649", -2147483648},
        {"000000000000000000000012", 12},        {"- 5", 0},          {"+-5", 0},
        {"12 34", 12},         {"354 go ahead", 354},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(variant(std::string(c.text)).as_integer(), c.expected);
        EXPECT_EQ(variant(std::string(c.text)).type(), variant::kind::text);
    }
}

TEST(Variant, WideTextReadsTheSameWay) {
    EXPECT_EQ(variant(std::u16string(u" -42z")).as_integer(), -42);
    EXPECT_EQ(variant(std::u16string(u"99999999999")).as_integer(), 2147483647);
    EXPECT_EQ(variant(std::u16string(u"\u0663")).as_integer(), 0);  // only ASCII digits count
}

TEST(Variant, OtherKinds) {
    EXPECT_EQ(variant().as_integer(), 0);
    EXPECT_EQ(variant().type(), variant::kind::none);
    EXPECT_EQ(variant(std::int32_t{-17}).as_integer(), -17);
    EXPECT_EQ(variant(2.9f).as_integer(), 2);
    EXPECT_EQ(variant(-2.9f).as_integer(), -2);
    EXPECT_EQ(variant(1e20f).as_integer(), 2147483647);
}

TEST(Variant, ZeroByteEndsTheDigits) {
    EXPECT_EQ(variant(std::string("12\0" "34", 5)).as_integer(), 12);
}

TEST(Variant, DamagedTagRaises) {
    for (std::int32_t tag : {-1, 5, 1000}) {
        try {
            (void)variant::with_raw_tag(tag).as_integer();
            FAIL() << "no error for tag " << tag;
        } catch (const variant::generic& e) {
            EXPECT_STREQ(e.what(), "variant[as_integer() failed]");
        }
    }
}

}  // namespace
