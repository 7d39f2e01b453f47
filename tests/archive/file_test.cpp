#include <gtest/gtest.h>

#include <string>

#include "fixture.h"
#include "varrow/system/file.h"

namespace {

using namespace archive_test;
using varrow::system::file;

class FileLayer : public temp_folder_test {};

TEST_F(FileLayer, SeekBeforeTheStartFailsAndKeepsThePosition) {
    write_file(root_ / "a.bin", "0123456789");
    file f = file::open_for_reading((root_ / "a.bin").string());
    ASSERT_TRUE(f.is_open());
    EXPECT_EQ(f.size(), 10u);
    EXPECT_EQ(f.size_low(), 10u);
    ASSERT_TRUE(f.seek(4));
    EXPECT_FALSE(f.seek(-5));
    EXPECT_EQ(f.position(), 4u);
    ASSERT_TRUE(f.seek(-4));
    EXPECT_EQ(f.position(), 0u);
    char buffer[16] = {};
    std::uint32_t got = 99;
    ASSERT_TRUE(f.seek_to(7));
    ASSERT_TRUE(f.read(buffer, 16, &got));  // success with fewer bytes at the end
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(std::string(buffer, 3), "789");
    ASSERT_TRUE(f.seek_to(7));
    EXPECT_FALSE(f.read_exact(buffer, 4));
}

TEST_F(FileLayer, CreateAlwaysReplaces) {
    const auto path = (root_ / "out.bin").string();
    write_file(path, "a much longer old content");
    {
        file out = file::create_always(path);
        ASSERT_TRUE(out.is_open());
        ASSERT_TRUE(out.write("new", 3));
    }
    EXPECT_EQ(read_file(path), "new");
}

TEST_F(FileLayer, MoveOnlyOwner) {
    write_file(root_ / "m.bin", "x");
    file a = file::open_for_reading((root_ / "m.bin").string());
    ASSERT_TRUE(a.is_open());
    file b = std::move(a);
    EXPECT_FALSE(a.is_open());  // NOLINT(bugprone-use-after-move): the moved-from state is the contract
    EXPECT_TRUE(b.is_open());
    b.close();
    EXPECT_FALSE(b.is_open());
    EXPECT_FALSE(b.seek(1));
}

TEST_F(FileLayer, FailuresGiveTheSystemError) {
    file f = file::open_for_reading((root_ / "missing.bin").string());
    EXPECT_FALSE(f.is_open());
    const std::uint32_t code = varrow::system::last_error();
    EXPECT_EQ(code, 2u);  // ERROR_FILE_NOT_FOUND / ENOENT
    const std::string text = varrow::system::system_error_text(code);
    EXPECT_FALSE(text.empty());
    EXPECT_NE(text.back(), '\n');
    EXPECT_NE(text.back(), '\r');
    EXPECT_FALSE(varrow::system::system_error_text(varrow::system::invalid_name_error()).empty());
    file g = file::create_always((root_ / "no-such-folder" / "x.bin").string());
    EXPECT_FALSE(g.is_open());
}

}  // namespace
