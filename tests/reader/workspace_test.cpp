#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "reader/process_state.h"
#include "reader/workspace.h"
#include "tests/reader/test_folder.h"
#include "tests/reader/test_platform.h"
#include "varrow/system/folders.h"

namespace {

namespace fs = std::filesystem;
using namespace tarnwick::reader;
using namespace tarnwick::reader::testing;

void make_tree(const fs::path& root) {
    fs::create_directories(root / "a" / "b" / "c");
    write_file(root / "top.txt", "top");
    write_file(root / "a" / "one.bin", std::string(3, '\0'));
    write_file(root / "a" / "b" / "c" / "deep.txt", "deep");
    fs::create_directories(root / "empty");
}

TEST(RemoveTree, RemovesNestedFoldersAndFiles) {
    // With a final separator of either kind, or none.
    for (const char* ending : {"", "/", "sep"}) {
        test_folder folder("remove");
        const fs::path root = folder.path() / "work";
        make_tree(root);
        std::string path = root.string();
        if (std::string(ending) == "/") path += "/";
        if (std::string(ending) == "sep") path += varrow::system::path_separator;
        EXPECT_TRUE(remove_tree(path)) << path;
        EXPECT_FALSE(fs::exists(root)) << path;
        EXPECT_TRUE(fs::exists(folder.path()));
    }
}

TEST(RemoveTree, MissingFolderGivesFalse) {
    test_folder folder("remove");
    write_file(folder.path() / "work", "a file, not a folder");
    EXPECT_FALSE(remove_tree((folder.path() / "missing").string()));
    EXPECT_FALSE(remove_tree((folder.path() / "work").string()));
    EXPECT_TRUE(fs::exists(folder.path() / "work"));
}

TEST(RemoveTree, DotFoldersAreNotEntered) {
    test_folder folder("remove");
    const fs::path root = folder.path() / "work";
    fs::create_directories(root / "sub" / ".cache");
    write_file(root / "sub" / ".cache" / "kept", "kept");
    write_file(root / "sub" / "gone.txt", "gone");
    write_file(root / ".dotfile", "a file with a dot goes");
    EXPECT_FALSE(remove_tree(root.string()));
    EXPECT_TRUE(fs::exists(root / "sub" / ".cache" / "kept"));
    EXPECT_FALSE(fs::exists(root / "sub" / "gone.txt"));
    EXPECT_FALSE(fs::exists(root / ".dotfile"));
}

TEST(RemoveTree, ReadOnlyFile) {
    test_folder folder("remove");
    const fs::path root = folder.path() / "work";
    fs::create_directories(root / "keep" / "inner");
    fs::create_directories(root / "other");
    const fs::path file = root / "keep" / "inner" / "readonly.txt";
    write_file(file, "read only");
    write_file(root / "other" / "x", "x");
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
#if defined(_WIN32)
    // Attributes are not changed: the file and the folders on its path stay.
    EXPECT_FALSE(remove_tree(root.string()));
    EXPECT_TRUE(fs::exists(file));
    EXPECT_FALSE(fs::exists(root / "other"));
#else
    // POSIX deletes by the folder's permission: the file goes.
    EXPECT_TRUE(remove_tree(root.string()));
    EXPECT_FALSE(fs::exists(root));
#endif
}

// Links are removed, never followed: what they point at survives.
TEST(RemoveTree, LinksAreRemovedNotFollowed) {
    test_folder folder("remove");
    const fs::path outside = folder.path() / "outside";
    fs::create_directories(outside / "inner");
    write_file(outside / "precious.txt", "precious");
    write_file(outside / "inner" / "deep.txt", "deep");
    const fs::path root = folder.path() / "work";
    fs::create_directories(root);
    if (!make_link(outside.string(), (root / "folder-link").string(), true) ||
        !make_link((outside / "precious.txt").string(), (root / "file-link").string(), false) ||
        !make_link(outside.string(), (root / ".dot-link").string(), true))
        GTEST_SKIP() << "symbolic links cannot be made here";
    // Wine 8 reports success without making any link.
    if (!fs::exists(root / "folder-link" / "precious.txt"))
        GTEST_SKIP() << "the platform reported a link made, but there is none";
    EXPECT_TRUE(remove_tree(root.string()));
    EXPECT_FALSE(fs::exists(fs::symlink_status(root)));
    EXPECT_EQ(read_file(outside / "precious.txt"), "precious");
    EXPECT_EQ(read_file(outside / "inner" / "deep.txt"), "deep");
}

TEST(RemoveWorkingFolder, LeavesForTheParentAndRemoves) {
    test_folder folder("remove");
    const fs::path root = folder.path() / "TW12345";
    make_tree(root);
    const std::string saved_cwd = varrow::system::current_directory();
    working_folder = (root / "").string();
    ASSERT_TRUE(varrow::system::set_current_directory(working_folder));
    remove_working_folder();
    EXPECT_FALSE(fs::exists(root));
    EXPECT_TRUE(fs::equivalent(fs::path(varrow::system::current_directory()), folder.path()));
    varrow::system::set_current_directory(saved_cwd);
    working_folder.clear();
}

}  // namespace
