// Every mapping of every code page that charset names can reach (each byte,
// each pair after a lead byte, each UTF-16 code unit back to bytes), reduced
// to one MD5 digest per page. The Windows build must reproduce the committed
// digests, which it wrote from the platform's own code-page services; the
// POSIX converter must reproduce every digest of a page the platform has.
// The sampled golden file shows the same mappings in readable form; this
// test covers all of them.
//
// To rewrite the digests, run the Windows test program with
// TW_UNICODE_DIGEST_OUT=<file>. codepage_dump prints a page in full.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "golden_files.h"
#include "reader/archive/md5.h"
#include "tools/codepage_dump/page_dump.h"

namespace {

std::vector<std::int32_t> listed_pages() {
    std::vector<std::int32_t> pages;
    std::istringstream in(tw_test::read_source_file("scripts/codepages/pages.txt"));
    for (std::int32_t page = 0; in >> page;) pages.push_back(page);
    return pages;
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (const unsigned char byte : bytes) {
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

// "unsupported", or the MD5 of the page's dump in hex.
std::string summary_of(std::int32_t codepage) {
    const std::string block = tarnwick::tools::dump_codepage(codepage);
    if (block.find(" unsupported\n") != std::string::npos && block.find('\n') + 1 == block.size())
        return "unsupported";
    return hex(tarnwick::reader::md5(block).digest());
}

using tw_test::windows_build;

TEST(unicode_full_dump, every_mapping_of_every_page_matches_the_platform) {
    const std::vector<std::int32_t> pages = listed_pages();
    ASSERT_GT(pages.size(), 100u) << "scripts/codepages/pages.txt missing";
    std::map<std::int32_t, std::string> actual;
    for (const std::int32_t page : pages) actual[page] = summary_of(page);
    if (const char* target = std::getenv("TW_UNICODE_DIGEST_OUT")) {
        std::ofstream out(target, std::ios::binary);
        for (const auto& [page, summary] : actual) out << "cp " << page << ' ' << summary << '\n';
        GTEST_SKIP() << "digests written to " << target;
    }
    std::map<std::int32_t, std::string> golden;
    std::istringstream in(tw_test::read_source_file("tests/unicode/golden/codepage-digests.txt"));
    std::string cp;
    std::int32_t page = 0;
    std::string summary;
    while (in >> cp >> page >> summary) golden[page] = summary;
    ASSERT_FALSE(golden.empty()) << "digest file missing";
    for (const std::int32_t p : pages) {
        SCOPED_TRACE(p);
        ASSERT_TRUE(golden.count(p));
        // Pages the platform lacks have nothing to be compared with.
        if (windows_build || golden.at(p) != "unsupported") {
            EXPECT_EQ(actual.at(p), golden.at(p));
        }
    }
}

}  // namespace
