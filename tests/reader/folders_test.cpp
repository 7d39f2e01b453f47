#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "tests/reader/test_folder.h"
#include "tests/reader/test_platform.h"
#include "varrow/system/folders.h"
#if defined(_WIN32)
#include "varrow/system/win32.h"
#endif

namespace {

namespace fs = std::filesystem;
using namespace tarnwick::reader::testing;

#if defined(_WIN32)
// GetTempPathA follows the TMP variable of the process.
TEST(TempFolder, FollowsTheEnvironment) {
    test_folder folder("temp");
    const std::string path = folder.path().string();
    char saved[1024] = {};
    const bool had = GetEnvironmentVariableA("TMP", saved, sizeof saved) > 0;
    set_environment("TMP", path);
    EXPECT_EQ(varrow::system::temp_folder(), path + "\\");
    set_environment("TMP", had ? std::optional<std::string>(saved) : std::nullopt);
}
#else
TEST(TempFolder, FromTmpdirWithOneFinalSlash) {
    const char* old = std::getenv("TMPDIR");
    const std::optional<std::string> saved = old ? std::optional<std::string>(old) : std::nullopt;
    struct {
        std::optional<std::string> tmpdir;
        const char* expected;
    } cases[] = {
        {"/some/where", "/some/where/"},
        {"/some/where/", "/some/where/"},
        {"/", "/"},
        {"", "/tmp/"},
        {std::nullopt, "/tmp/"},
    };
    for (const auto& c : cases) {
        set_environment("TMPDIR", c.tmpdir);
        EXPECT_EQ(varrow::system::temp_folder(), c.expected) << (c.tmpdir ? *c.tmpdir : "(unset)");
    }
    set_environment("TMPDIR", saved);
}
#endif

TEST(ModulePath, IsThisProgram) {
    const std::string path = varrow::system::module_path();
    ASSERT_FALSE(path.empty());
    EXPECT_EQ(fs::path(path).filename().string(), std::string("reader_unit_tests") + program_suffix);
    EXPECT_TRUE(fs::is_regular_file(path));
}

TEST(Folders, CreateOnlyNewAndEnter) {
    test_folder folder("folders");
    const std::string fresh = (folder.path() / "fresh").string();
    EXPECT_TRUE(varrow::system::create_private_folder(fresh));
    EXPECT_FALSE(varrow::system::create_private_folder(fresh)) << "an existing folder counts as made";
    EXPECT_FALSE(varrow::system::create_folder(fresh));
    EXPECT_FALSE(varrow::system::create_folder((folder.path() / "no" / "parent").string()));
#if !defined(_WIN32)
    EXPECT_EQ(fs::status(fresh).permissions() & fs::perms::all, fs::perms::owner_all);
#endif
    const std::string saved = varrow::system::current_directory();
    ASSERT_TRUE(varrow::system::set_current_directory(fresh));
    EXPECT_TRUE(fs::equivalent(varrow::system::current_directory(), fresh));
    EXPECT_FALSE(varrow::system::set_current_directory((folder.path() / "missing").string()));
    ASSERT_TRUE(varrow::system::set_current_directory(saved));
}

}  // namespace
