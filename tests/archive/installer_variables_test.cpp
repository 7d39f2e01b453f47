#include <gtest/gtest.h>

#include "reader/installer_variables.h"

namespace {

using tarnwick::reader::variable_store;

variable_store sample_store() {
    variable_store v;
    v.value_of("source") = "C:\\Temp\\TW1";
    v.value_of("commandline") = "/q %source%\\log";
    v.value_of("x") = "X";
    v.value_of("long") = "a much longer value";
    v.value_of("outer") = "[%inner%]";
    v.value_of("inner") = "<%x%>";
    v.value_of("a b") = "spaced";
    v.value_of("") = "empty-name";
    v.value_of("self") = "s%self%s";
    v.value_of("ping") = "p%pong%";
    v.value_of("pong") = "q%ping%";
    return v;
}

TEST(InstallerVariables, Expand) {
    const variable_store v = sample_store();
    struct row {
        const char* text;
        const char* expected;
    } rows[] = {
        {"", ""},
        {"no references", "no references"},
        {"%x%", "X"},
        {"%commandline%", "/q C:\\Temp\\TW1\\log"},  // references inside values too
        {"%outer%", "[<X>]"},
        {"%unknown% %x%", "%unknown% X"},
        {"%x%%long%.%x%", "Xa much longer value.X"},
        {"%long% then %x%", "a much longer value then X"},
        {"%%source%", "%C:\\Temp\\TW1"},  // only the last % of a run opens
        {"50% of %x%", "50% of X"},       // "% of " is no variable; its % opens %x%
        {"100%", "100%"},
        {"%", "%"},
        {"%%", "%%"},
        {"%%%", "%%%"},
        {"%x", "%x"},                      // unclosed
        {"%x% %x", "X %x"},
        {"%X%", "%X%"},                    // case-sensitive
        {"%a b%", "spaced"},               // names with blanks
        {"%% %x%", "%% X"},
        {"x%%x%", "x%X"},
        {"%self%", "s%self%s"},            // a cycle stays as text
        {"%ping%", "pq%ping%"},
        {"%pong% %x%", "qp%pong% X"},
    };
    for (const auto& r : rows) EXPECT_EQ(v.expand(r.text), r.expected) << "text: " << r.text;
}

TEST(InstallerVariables, ExpandLeavesTheStoreAndArgumentAlone) {
    const variable_store v = sample_store();
    const std::string text = "%nobody% %x%";
    EXPECT_EQ(v.expand(text), "%nobody% X");
    EXPECT_EQ(text, "%nobody% %x%");
    EXPECT_EQ(v.find_value("nobody"), nullptr);
    EXPECT_EQ(v.entries().size(), sample_store().entries().size());
}

TEST(InstallerVariables, InsertFirstKeepsValueOfReplaces) {
    variable_store v;
    v.insert_first("k", "first");
    v.insert_first("k", "second");
    EXPECT_EQ(*v.find_value("k"), "first");
    v.value_of("k") = "assigned";
    EXPECT_EQ(*v.find_value("k"), "assigned");
    v.insert_first("", "");
    ASSERT_NE(v.find_value(""), nullptr);
    EXPECT_EQ(*v.find_value(""), "");
}

TEST(InstallerVariables, ValueOfAddsMissingNamesFindValueDoesNot) {
    variable_store v;
    EXPECT_EQ(v.find_value("parameters"), nullptr);
    EXPECT_EQ(v.find_value("parameters"), nullptr);
    EXPECT_EQ(v.value_of("parameters"), "");
    ASSERT_NE(v.find_value("parameters"), nullptr);
    EXPECT_EQ(v.expand("[%parameters%]"), "[]");
}

}  // namespace

namespace {

// Values that double at every level: 2^31 bytes if expanded to the end (the
// input that showed it was found while fuzzing expand).
TEST(InstallerVariables, DoublingReferencesRaiseInsteadOfExploding) {
    variable_store v;
    for (int i = 0; i < 31; ++i)
        v.value_of("v" + std::to_string(i)) = "%v" + std::to_string(i + 1) + "%%v" + std::to_string(i + 1) + "%";
    v.value_of("v31") = "x";
    EXPECT_THROW((void)v.expand("%v0%"), std::length_error);
    // Within the limits the same chain still expands in full.
    EXPECT_EQ(v.expand("%v20%"), std::string(std::size_t{1} << 11, 'x'));
}

// Each variable names the next: 64 nested references expand, 65 raise
// instead of recursing until the stack runs out (100000 levels would).
TEST(InstallerVariables, DeepChainsRaiseInsteadOfOverflowingTheStack) {
    variable_store v;
    const int levels = 100000;
    for (int i = 0; i < levels; ++i) v.value_of("c" + std::to_string(i)) = "%c" + std::to_string(i + 1) + "%";
    v.value_of("c" + std::to_string(levels)) = "end";
    EXPECT_EQ(v.expand("[%c" + std::to_string(levels - 63) + "%]"), "[end]");
    EXPECT_THROW((void)v.expand("%c" + std::to_string(levels - 64) + "%"), std::length_error);
    EXPECT_THROW((void)v.expand("%c0%"), std::length_error);
}

// Many references in one long text: the text between them and every value
// arrive in order, and a reference's value is not scanned again.
TEST(InstallerVariables, ManyReferencesInALongText) {
    variable_store v;
    v.value_of("r") = "<%r%>";
    v.value_of("s") = "%";
    std::string text, expected;
    for (int i = 0; i < 9000; ++i) {
        text += std::string(50, 'a' + i % 26) + (i % 2 ? "%r%" : "%s%r%");
        expected += std::string(50, 'a' + i % 26) + (i % 2 ? "<%r%>" : "%r%");
    }
    EXPECT_EQ(v.expand(text), expected);
}

TEST(InstallerVariables, LongResultsRaise) {
    variable_store v;
    v.value_of("big") = std::string(600 * 1024, 'b');
    EXPECT_EQ(v.expand("%big%").size(), 600u * 1024);
    EXPECT_THROW((void)v.expand("%big%%big%"), std::length_error);
}

}  // namespace
