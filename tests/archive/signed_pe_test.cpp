#include <gtest/gtest.h>

#include <functional>
#include <vector>
#include <string>

#include "fixture.h"
#include "reader/archive/archive_format.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "tools/chunkpack/archive_writer.h"
#include "varrow/system/file.h"

namespace {

using namespace archive_test;
namespace r = tarnwick::reader;
using tarnwick::chunkpack::archive_builder;

void put32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>(v >> (8 * i));
}
void put16(std::string& s, std::size_t at, std::uint16_t v) {
    s[at] = static_cast<char>(v);
    s[at + 1] = static_cast<char>(v >> 8);
}

// The headers of a PE image (no sections), 1024 bytes.
std::string pe_headers(bool pe32_plus, std::uint32_t directories = 16) {
    std::string h(1024, '\0');
    h[0] = 'M';
    h[1] = 'Z';
    put32(h, 0x3C, 0x80);
    h.replace(0x80, 4, std::string("PE\0\0", 4));
    const std::size_t optional = 0x80 + 4 + 20;
    put16(h, 0x80 + 4 + 16, pe32_plus ? 240 : 224);
    put16(h, optional, pe32_plus ? 0x20b : 0x10b);
    put32(h, optional + (pe32_plus ? 108 : 92), directories);
    return h;
}

void set_certificate_table(std::string& image, bool pe32_plus, std::uint32_t offset, std::uint32_t size) {
    const std::size_t entry = 0x80 + 4 + 20 + (pe32_plus ? 144 : 128);
    put32(image, entry, offset);
    put32(image, entry + 4, size);
}

struct signed_file {
    std::string bytes;
    std::uint32_t table_offset = 0;
    std::uint32_t table_size = 0;
};

// Headers, the real archive (origin = real), then a certificate table that
// holds a complete fake archive (origin = fake) and ends the file.
signed_file make_signed(bool pe32_plus, std::uint32_t directories = 16) {
    archive_builder real;
    real.stub(pe_headers(pe32_plus, directories) + noise(2000, 31), "Reader.exe", "stub")
        .value("origin", "real")
        .file("", "real.txt", "R")
        .tail();
    signed_file s;
    s.bytes = real.bytes();
    while (s.bytes.size() % 8) s.bytes.push_back('\0');
    s.table_offset = static_cast<std::uint32_t>(s.bytes.size());
    archive_builder fake;
    fake.raw(noise(600, 32)).value("origin", "fake").file("", "fake.txt", "F").tail();
    std::string table = fake.bytes();
    while (table.size() % 8) table.push_back('\0');
    s.table_size = static_cast<std::uint32_t>(table.size());
    s.bytes += table;
    set_certificate_table(s.bytes, pe32_plus, s.table_offset, s.table_size);
    return s;
}

class SignedImage : public temp_folder_test {
protected:
    std::string run(const std::string& bytes) {
        const auto path = root_ / "installer.exe";
        write_file(path, bytes);
        r::read_archive(path.string());
        const std::string* origin = r::installer_variables.find_value("origin");
        return origin ? *origin : "<absent>";
    }
};

TEST_F(SignedImage, CertificateTableIsFound) {
    for (bool plus : {false, true}) {
        const signed_file s = make_signed(plus);
        write_file(root_ / "s.exe", s.bytes);
        auto f = varrow::system::file::open_for_reading((root_ / "s.exe").string());
        const auto table = r::find_certificate_table(f);
        ASSERT_TRUE(table.has_value()) << plus;
        EXPECT_EQ(table->offset, s.table_offset);
        EXPECT_EQ(table->size, s.table_size);
        EXPECT_EQ(r::search_end(f), s.table_offset);
    }
}

TEST_F(SignedImage, ArchiveInsideTheCertificateTableIsNotUsed) {
    struct row {
        const char* what;
        std::function<std::string()> make;
        const char* origin;
    };
    const std::vector<row> rows = {
        {"PE32, table ends the file", [] { return make_signed(false).bytes; }, "real"},
        {"PE32+, table ends the file", [] { return make_signed(true).bytes; }, "real"},
        // Searched from the end as before:
        {"not a PE file",
         [] {
             auto b = make_signed(false).bytes;
             b[0] = 'X';
             return b;
         },
         "fake"},
        {"no PE signature",
         [] {
             auto b = make_signed(false).bytes;
             b[0x81] = 'X';
             return b;
         },
         "fake"},
        {"bytes behind the table",
         [] { return make_signed(false).bytes + "trailing"; }, "fake"},
        {"empty table entry",
         [] {
             auto s = make_signed(false);
             set_certificate_table(s.bytes, false, 0, 0);
             return s.bytes;
         },
         "fake"},
        {"too few data directories", [] { return make_signed(false, 4).bytes; }, "fake"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        TearDown();
        SetUp();
        EXPECT_EQ(run(row.make()), row.origin);
        EXPECT_TRUE(r::archive_valid);
        EXPECT_EQ(fs::exists(work() / "real.txt"), std::string(row.origin) == "real");
        EXPECT_EQ(fs::exists(work() / "fake.txt"), std::string(row.origin) == "fake");
    }
}

}  // namespace
