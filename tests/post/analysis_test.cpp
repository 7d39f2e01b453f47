// The log analysis and the subject, in-process; read_log on real files in a
// temporary folder.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "post/log_analysis.h"
#include "post/platform.h"
#include "post/report_tool.h"
#include "varrow/ui/recording.h"

namespace {

using namespace std::string_literals;

TEST(exit_code_filter, only_success_cancel_and_reboot_codes_are_ignored) {
    struct row {
        std::string command_line;
        bool ignored;
    } rows[] = {
        {"0", true},      {"1602", true},    {"3010", true},   {" 0", true},     {"0abc", true},
        {"abc", true},    {"", true},        {"\t1602", true}, {"+3010", true},  {"-1", false},
        {"1603", false},  {" 1603", false},  {"1", false},     {"-2147024894", false},
        {"3010x", true},  {"16O2", false},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(post::is_ignored_exit_code(post::decimal_value(r.command_line)), r.ignored)
            << "command line \"" << r.command_line << "\"";
    }
    EXPECT_EQ(post::decimal_value("-2147483648"), INT32_MIN);
    EXPECT_EQ(post::decimal_value("99999999999"), INT32_MAX);
}

TEST(product_number, web_marker_first_then_product_version_with_two_dots_removed) {
    struct row {
        std::string log;
        std::int32_t number;
    } rows[] = {
        {"http://tarnwick.example/web/2031/setup\r\n", 2031},
        {"web/2031/x\r\nProductVersion = 5.2.3.1\r\n", 2031},
        // "web/" decides even when its field holds no number.
        {"web/latest/x\nProductVersion = 5.2\n", 0},
        {"ProductVersion = 5.2.3.1\r\n", 523},
        {"ProductVersion = 5.2\n", 52},
        {"ProductVersion = 5.2.3\n", 523},
        {"ProductVersion=5.2\n", 0},
        {"ProductVersion = 7.1", 71},
        {"no markers at all", 0},
        {"web/77", 77},  // field up to the end
        {"web/-12/", -12},
        {"  web/ 42/", 42},
        {"Productversion = 5.2\n", 0},  // case-sensitive
        {"ProductVersion = 1.2\nweb/9/", 9},
        {"web/\0/"s + "ProductVersion = 5.2\n", 0},
    };
    for (const auto& r : rows) EXPECT_EQ(post::product_number(r.log), r.number) << r.log;
}

TEST(setup_error_number, four_characters_in_front_of_the_first_dot_after_the_marker) {
    struct row {
        std::string log;
        std::int32_t number;
    } rows[] = {
        {"Action: dialog SetupError, Error 1720. There is a problem", 1720},
        {"dialog SetupError Error 42. done", 0},
        {"dialog SetupError without any dot", 0},
        {"1720. dialog SetupError", 0},  // a dot before the marker does not count
        {"no marker. Error 1720.", 0},
        // The search starts one past the marker's end, so a dot right there
        // is skipped and the next one counts.
        {"dialog SetupError.Error 1603.", 1603},
        {"dialog SetupError: code 2350.x", 2350},
        {"dialog SetupError: -123.", -123},
        {"dialog setuperror Error 1720.", 0},
    };
    for (const auto& r : rows) EXPECT_EQ(post::setup_error_number(r.log), r.number) << r.log;
}

TEST(subject, fragments_with_their_exact_blanks) {
    struct row {
        std::int32_t product;
        std::uint32_t major, minor;
        std::int32_t exit_code, error;
        std::string address, subject;
    } rows[] = {
        {5230, 5, 1, 1603, 1720, "", "TW:5230  OS:5.1  ExitCode:1603 (Error:1720)"},
        {0, 10, 0, -1, 0, "", "TW:NUL  OS:10.0  ExitCode:-1"},
        {2031, 6, 1, 1603, 0, "127.0.0.1", "TW:2031  OS:6.1  ExitCode:1603 (download IP: 127.0.0.1)"},
        {-7, 6, 2, 1, 2350, "10.1.2.3", "TW:-7  OS:6.2  ExitCode:1 (Error:2350) (download IP: 10.1.2.3)"},
    };
    for (const auto& r : rows) {
        EXPECT_EQ(post::subject_text(r.product, r.major, r.minor, r.exit_code, r.error, r.address), r.subject);
    }
}

TEST(subject, report_subject_reads_the_log_and_looks_up_the_built_in_download_host) {
    // The test builds name localhost as the download host.
    const std::string log = "ProductVersion = 5.2.3.0\r\nAction: dialog SetupError, Error 1720.\r\n";
    EXPECT_EQ(post::report_subject(log, 5, 1, 1603),
              "TW:523  OS:5.1  ExitCode:1603 (Error:1720) (download IP: 127.0.0.1)");
    // A version field's CR is dropped by the number reading: one line only.
    EXPECT_EQ(post::report_subject(log, 5, 1, 1603).find_first_of("\r\n"), std::string::npos);
}

TEST(download_address, dotted_ipv4_or_empty_without_raising) {
    EXPECT_EQ(post::platform::dotted_ipv4_address("localhost"), "127.0.0.1");
    EXPECT_EQ(post::platform::dotted_ipv4_address("127.0.0.9"), "127.0.0.9");
    // Rejected by the resolver itself, so no query leaves the machine.
    EXPECT_EQ(post::platform::dotted_ipv4_address("no..such..host"), "");
}

TEST(ansi_copy, at_most_one_byte_per_code_unit_and_only_whole_characters) {
    std::string buffer(8, '#');
#if defined(_WIN32)
    // windows-1252: one byte each, the euro sign included.
    post::platform::convert_to_ansi_into(u"Gr\u00FC\u00DFe\u20AC", buffer);
    EXPECT_EQ(buffer, "Gr\xFC\xDF" "e\x80##");
#else
    // UTF-8 as the ANSI code page: "Grüße" takes 7 bytes for 5 units, so
    // the copy stops before the character that would cross the limit.
    ::setenv("LC_ALL", "C.UTF-8", 1);
    post::platform::convert_to_ansi_into(u"Gr\u00FC\u00DFe", buffer);
    ::setenv("LC_ALL", "C", 1);
    EXPECT_EQ(buffer, "Gr\xC3\xBC####");
    // The C locale's windows-1252 has no U+0100: its default character.
    std::string narrow(4, '#');
    post::platform::convert_to_ansi_into(u"a\u0100b", narrow);
    EXPECT_EQ(narrow, "a?b#");
#endif
}

TEST(log_encoding, first_two_bytes_choose_ansi_or_utf16) {
    struct row {
        std::string start;
        bool utf16;
    } rows[] = {
        {"ab", false},     {"\xFF\xFE"s, true}, {"\xFE\xFF"s, true}, {"\0a"s, true},
        {"a\0"s, true},    {"\xFFz"s, true},    {"\xEF\xBB"s, false}, {"\x80\x01"s, false},
    };
    for (const auto& r : rows) EXPECT_EQ(post::is_utf16_log(r.start), r.utf16);
    EXPECT_EQ(post::utf16_units("\xFF\xFE" "a\0b\0c"s), u"\xFEFF" u"ab");
}

// Runs each test in a fresh temporary folder as the current directory.
class in_temp_folder : public ::testing::Test {
protected:
    void SetUp() override {
        previous_ = std::filesystem::current_path();
        folder_ = std::filesystem::temp_directory_path() /
                  ("tw-post-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        std::filesystem::current_path(folder_);
        varrow::ui::recording::reset();
    }
    void TearDown() override {
        std::filesystem::current_path(previous_);
        std::filesystem::remove_all(folder_);
    }
    static void write_log(const std::string& bytes) {
        std::ofstream("install.txt", std::ios::binary) << bytes;
    }
    static post::log_reading read(varrow::internet::message2::message& report) {
        report.charset = "utf-8";
        return post::read_log(report);
    }

private:
    std::filesystem::path previous_, folder_;
};

TEST_F(in_temp_folder, missing_short_and_minimal_logs) {
    varrow::internet::message2::message report;
    EXPECT_EQ(read(report).outcome, post::log_outcome::not_opened);
    write_log("ab");
    EXPECT_EQ(read(report).outcome, post::log_outcome::nothing_to_report);
    EXPECT_TRUE(report.body.empty());
    write_log("abc");
    const auto reading = read(report);
    EXPECT_EQ(reading.outcome, post::log_outcome::analysed);
    EXPECT_TRUE(reading.file.is_open());
    EXPECT_EQ(reading.analysis_text, "abc");
    EXPECT_EQ(report.body, "abc");
}

TEST_F(in_temp_folder, a_folder_named_install_txt_is_no_log) {
    // POSIX opens a folder and then fails to read it (nothing to report,
    // status 0); Windows does not open it at all (status 1).
    std::filesystem::create_directory("install.txt");
    varrow::internet::message2::message report;
#if defined(_WIN32)
    EXPECT_EQ(read(report).outcome, post::log_outcome::not_opened);
    EXPECT_EQ(post::report_tool_main("1603"), 1);
#else
    EXPECT_EQ(read(report).outcome, post::log_outcome::nothing_to_report);
    EXPECT_EQ(post::report_tool_main("1603"), 0);
#endif
    EXPECT_TRUE(varrow::ui::recording::boxes().empty());
}

TEST_F(in_temp_folder, ansi_log_is_the_analysis_text_and_becomes_utf8) {
    varrow::internet::message2::message report;
    const std::string log = "web/2031/ setup\r\nProductVersion = 5.2\r\n";
    write_log(log);
    const auto reading = read(report);
    ASSERT_EQ(reading.outcome, post::log_outcome::analysed);
    EXPECT_EQ(reading.analysis_text, log);
    EXPECT_EQ(report.body, log);
    EXPECT_EQ(post::product_number(reading.analysis_text), 2031);
}

TEST_F(in_temp_folder, utf16_logs_with_and_without_byte_order_mark) {
    const std::u16string text = u"ProductVersion = 5.2.3.1\r\ndialog SetupError: Error 1720.\r\n";
    std::string bytes;
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    struct row {
        std::string log;
        std::string body;
    } rows[] = {
        // The mark stays as the first character: the body starts with its UTF-8 form.
        {"\xFF\xFE"s + bytes, "\xEF\xBB\xBF"s},
        {bytes, ""},
        // An odd last byte is not used.
        {bytes + "x", ""},
    };
    for (const auto& r : rows) {
        varrow::internet::message2::message report;
        write_log(r.log);
        const auto reading = read(report);
        ASSERT_EQ(reading.outcome, post::log_outcome::analysed);
        EXPECT_EQ(report.body, r.body + "ProductVersion = 5.2.3.1\r\ndialog SetupError: Error 1720.\r\n");
        // As long as the log; the tail after the converted text stays zero.
        ASSERT_EQ(reading.analysis_text.size(), r.log.size());
        EXPECT_EQ(reading.analysis_text.find_first_not_of('\0', (r.log.size() / 2)), std::string::npos);
        EXPECT_EQ(post::product_number(reading.analysis_text), 523);
        EXPECT_EQ(post::setup_error_number(reading.analysis_text), 1720);
    }
}

TEST_F(in_temp_folder, ignored_codes_open_nothing_and_others_look_for_the_log) {
    // Without install.txt a code that is looked at ends with status 1; the
    // ignored ones end with 0 before any file is touched.
    for (const char* code : {"0", "1602", "3010", "0abc", "", "abc"}) {
        EXPECT_EQ(post::report_tool_main(code), 0) << code;
    }
    for (const char* code : {"1603", "-1"}) EXPECT_EQ(post::report_tool_main(code), 1) << code;
    EXPECT_TRUE(varrow::ui::recording::boxes().empty());
}

}  // namespace
