#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "varrow/system/command_line.h"

namespace {

using varrow::system::join_arguments;
using varrow::system::quote_argument;
using varrow::system::split_arguments;
using list = std::vector<std::string>;

TEST(SplitArguments, FollowsTheWindowsRules) {
    struct {
        const char* text;
        list expected;
    } cases[] = {
        {"", {}},
        {"   \t ", {}},
        {"a b\tc", {"a", "b", "c"}},
        {"  a   b  ", {"a", "b"}},
        {"\"two words\" x", {"two words", "x"}},
        {"a\"b c\"d", {"ab cd"}},
        {"\"\"", {""}},
        {"a \"\" b", {"a", "", "b"}},
        {R"(C:\path\to\file)", {R"(C:\path\to\file)"}},
        {R"(a\\b)", {R"(a\\b)"}},
        {R"(\"a)", {"\"a"}},
        {R"(\\"a b")", {"\\a b"}},
        {R"(\\\"a)", {"\\\"a"}},
        {R"("C:\dir\\" next)", {"C:\\dir\\", "next"}},
        {R"("a""b")", {"a\"b"}},
        {"\"unclosed text", {"unclosed text"}},
        {"tail\\", {"tail\\"}},
    };
    for (const auto& c : cases) EXPECT_EQ(split_arguments(c.text), c.expected) << "text: " << c.text;
}

TEST(QuoteArgument, QuotesOnlyWhatNeedsIt) {
    struct {
        const char* argument;
        const char* expected;
    } cases[] = {
        {"plain", "plain"},
        {R"(C:\a\b)", R"(C:\a\b)"},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"say \"hi\"", R"("say \"hi\"")"},
        {R"(C:\dir\)", R"(C:\dir\)"},
        {R"(C:\my dir\)", R"("C:\my dir\\")"},
        {R"(a\"b)", R"("a\\\"b")"},
    };
    for (const auto& c : cases) EXPECT_EQ(quote_argument(c.argument), c.expected) << "argument: " << c.argument;
}

TEST(JoinArguments, SplitsBackIntoTheSameArguments) {
    const list cases[] = {
        {},
        {"one"},
        {"", ""},
        {"two words", "x"},
        {"trailing\\", "back\\\\slashes\\ ", "\\\"", "\"", "\"\"", "a\"\"b"},
        {"tab\there", "new\nline", "%source%", "/L1031"},
        {"\\\\server\\share\\dir with blank\\"},
    };
    for (const auto& arguments : cases) {
        const std::string text = join_arguments(arguments);
        EXPECT_EQ(split_arguments(text), arguments) << "text: " << text;
    }
    EXPECT_EQ(join_arguments({"a", "b c", ""}), "a \"b c\" \"\"");
}

}  // namespace
