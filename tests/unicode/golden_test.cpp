// Every code page that charset names can reach, converted byte by byte (and
// for double-byte pages lead byte by sampled trail byte), then each character
// found converted back. The Windows build must reproduce the committed golden
// file, which that build wrote from the platform's own code-page services;
// the POSIX converter must reproduce it for every page the golden file has,
// so both builds are proven to give identical results.
//
// To rewrite the golden file, run the Windows test program with
// TW_UNICODE_GOLDEN_OUT=<file>.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "golden_files.h"
#include "varrow/text.h"
#include "varrow/unicode/conversion.h"

namespace {

using namespace varrow::unicode;

// Numbers reachable through the charset table and the numbered prefixes that
// name real code pages of Windows.
const std::vector<std::int32_t> dumped_codepages = {
    37, 42, 437, 500, 708, 720, 737, 775, 850, 852, 855, 857, 858, 860, 861, 862, 863,
    864, 865, 866, 869, 874, 875, 932, 936, 949, 950, 1026, 1047, 1140, 1141, 1142,
    1143, 1144, 1145, 1146, 1147, 1148, 1149, 1250, 1251, 1252, 1253, 1254, 1255,
    1256, 1257, 1258, 1361, 10000, 10001, 10002, 10003, 10004, 10005, 10006, 10007,
    10008, 10010, 10017, 10021, 10029, 10079, 10081, 10082, 20000, 20002, 20106,
    20107, 20108, 20127, 20273, 20424, 20866, 20932, 20949, 21866, 28591, 28592,
    28593, 28594, 28595, 28596, 28597, 28598, 28599, 28603, 28605, 29001, 38598,
    50221, 51932, 51936, 51949, 52936, 54936, 57002, 57003, 57004, 57005, 57006,
    57007, 57008, 57009, 57010, 57011, 65000, 65001,
};

const unsigned char sampled_trails[] = {0x00, 0x20, 0x30, 0x3F, 0x40, 0x41, 0x5C, 0x7E, 0x7F,
                                        0x80, 0x81, 0xA0, 0xA1, 0xB0, 0xDF, 0xE0, 0xFD, 0xFE, 0xFF};

std::string outcome_of_wide(const std::string& bytes, std::int32_t codepage,
                            std::set<char16_t>* found) {
    try {
        const std::u16string text = to_wide(bytes, codepage);
        std::string out;
        for (char16_t unit : text) {
            out += varrow::format_text("%.4X", static_cast<unsigned>(unit));
            if (found != nullptr) found->insert(unit);
        }
        return out;
    } catch (const varrow::unicode::generic& error) {
        return error.what();
    }
}

std::string outcome_of_bytes(char16_t unit, std::int32_t codepage) {
    try {
        std::string out;
        for (unsigned char byte : to_multibyte(std::u16string(1, unit), codepage))
            out += varrow::format_text("%.2X", byte);
        return out;
    } catch (const varrow::unicode::generic& error) {
        return error.what();
    }
}

// One block per code page: "cp N" and its lines, or "cp N unsupported".
std::map<std::int32_t, std::string> dump() {
    std::map<std::int32_t, std::string> blocks;
    for (const std::int32_t codepage : dumped_codepages) {
        std::ostringstream out;
        const std::string probe = outcome_of_wide("A", codepage, nullptr);
        if (probe == "unicode.invalid_codepage[]") {
            blocks[codepage] = "unsupported\n";
            continue;
        }
        std::set<char16_t> found;
        std::vector<unsigned char> leads;
        for (int row = 0; row < 16; ++row) {
            out << varrow::format_text("%.2X", row * 16);
            for (int column = 0; column < 16; ++column) {
                const int byte = row * 16 + column;
                const std::string result =
                    outcome_of_wide(std::string(1, static_cast<char>(byte)), codepage, &found);
                out << ' ' << result;
                if (result == "unicode.unmappable_character[]")
                    leads.push_back(static_cast<unsigned char>(byte));
            }
            out << '\n';
        }
        for (unsigned char lead : leads) {
            std::string line = varrow::format_text("lead %.2X", lead);
            bool any = false;
            for (unsigned char trail : sampled_trails) {
                const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
                const std::string result = outcome_of_wide(pair, codepage, &found);
                any = any || result.rfind("unicode.", 0) != 0;
                line += ' ' + result;
            }
            if (any) out << line << '\n';
        }
        for (char16_t unit = 0; unit < 0x80; ++unit) found.insert(unit);
        int column = 0;
        for (char16_t unit : found) {
            out << varrow::format_text("%.4X>", static_cast<unsigned>(unit))
                << outcome_of_bytes(unit, codepage) << (++column % 8 == 0 ? '\n' : ' ');
        }
        out << '\n';
        blocks[codepage] = out.str();
    }
    return blocks;
}

std::string render(const std::map<std::int32_t, std::string>& blocks) {
    std::string text;
    for (const auto& [codepage, block] : blocks)
        text += varrow::format_text("cp %d\n", static_cast<int>(codepage)) + block;
    return text;
}

std::map<std::int32_t, std::string> parse(const std::string& text) {
    std::map<std::int32_t, std::string> blocks;
    std::istringstream in(text);
    std::string line;
    std::int32_t current = 0;
    while (std::getline(in, line)) {
        if (line.rfind("cp ", 0) == 0) {
            current = std::stoi(line.substr(3));
            blocks[current];
        } else {
            blocks[current] += line + '\n';
        }
    }
    return blocks;
}

using tw_test::windows_build;

TEST(unicode_golden, every_code_page_matches_the_platform_golden_file) {
    const auto blocks = dump();
    if (const char* target = std::getenv("TW_UNICODE_GOLDEN_OUT")) {
        std::ofstream(target, std::ios::binary) << render(blocks);
        GTEST_SKIP() << "golden file written to " << target;
    }
    const auto golden = parse(tw_test::read_source_file("tests/unicode/golden/codepages.txt"));
    ASSERT_FALSE(golden.empty()) << "golden file missing";
    for (const std::int32_t codepage : dumped_codepages) {
        SCOPED_TRACE(codepage);
        ASSERT_TRUE(golden.count(codepage));
        const std::string& expected = golden.at(codepage);
        const std::string& actual = blocks.at(codepage);
        if (windows_build) {
            EXPECT_EQ(actual, expected);
        } else if (expected != "unsupported\n") {
            EXPECT_EQ(actual, expected);
        }
    }
}

}  // namespace
