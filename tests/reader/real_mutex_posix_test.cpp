#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "varrow/exception.h"
#include "varrow/real_mutex.h"

namespace {

// The lock file lives in a fixed shared folder, readable and writable by
// every user whatever the umask, and not moved by $TMPDIR or $HOME.
TEST(RealMutexPosix, LockFileIsSharedAndFixed) {
    const std::string name =
        "Tarnwick.Test.file." + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    struct stat info {};
    const std::string folder = ::stat("/var/tmp", &info) == 0 ? "/var/tmp/" : "/tmp/";
    const std::string path = folder + "Global%5C" + name + ".lock";
    const char* old_tmpdir = std::getenv("TMPDIR");
    const std::string saved = old_tmpdir ? old_tmpdir : "";
    setenv("TMPDIR", "/nonexistent-tmpdir", 1);
    const mode_t old_mask = ::umask(077);
    {
        varrow::real_mutex mutex(name);
        ::umask(old_mask);
        ASSERT_EQ(::lstat(path.c_str(), &info), 0) << path;
        EXPECT_EQ(info.st_mode & 07777, 0666u);
        EXPECT_TRUE(S_ISREG(info.st_mode));
        EXPECT_TRUE(mutex.wait(0));
        // A second object of the same process is a second owner.
        varrow::real_mutex other(name);
        EXPECT_FALSE(other.wait(0));
    }
    ::umask(old_mask);
    if (old_tmpdir) setenv("TMPDIR", saved.c_str(), 1);
    else unsetenv("TMPDIR");
    ::unlink(path.c_str());
}

// A link planted in the shared folder under the lock file's name is not
// followed.
TEST(RealMutexPosix, PlantedLinkIsRefused) {
    const std::string name =
        "Tarnwick.Test.link." + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
    struct stat info {};
    const std::string folder = ::stat("/var/tmp", &info) == 0 ? "/var/tmp/" : "/tmp/";
    const std::string path = folder + "Global%5C" + name + ".lock";
    const std::string target = path + ".target";
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
    EXPECT_THROW(varrow::real_mutex mutex(name), varrow::exception);
    EXPECT_NE(::lstat(target.c_str(), &info), 0) << "the link's target was created";
    ::unlink(path.c_str());
}

}  // namespace
