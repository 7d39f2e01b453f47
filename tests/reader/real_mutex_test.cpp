#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <regex>
#include <string>
#include <thread>

#include "tests/reader/test_folder.h"
#include "tests/reader/test_platform.h"
#include "varrow/exception.h"
#include "varrow/real_mutex.h"

namespace {

using varrow::real_mutex;
using namespace tarnwick::reader::testing;

// A name of the tests' own (on POSIX its lock file stays, one per name).
std::string unique_name(const char* label) { return std::string("Tarnwick.Test.") + label; }

TEST(RealMutexName, ComposedByPlatformVersion) {
    struct {
        const char* name;
        unsigned long major;
        const char* expected;
    } cases[] = {
        {"Tarnwick.Installation", 6, "Global\\Tarnwick.Installation"},
        {"Tarnwick.Installation", 5, "Global\\Tarnwick.Installation"},
        {"Tarnwick.Installation", 4, "Tarnwick.Installation"},
        {"Local\\Word", 10, "Local\\Word"},
        {"Local\\Word", 4, "Word"},
        {"a\\b\\c", 4, "c"},
        {"trailing\\", 4, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(real_mutex::compose_name(c.name, c.major), c.expected) << c.name;
}

// Runs `f` on another thread: a Windows mutex belongs to its thread, a POSIX
// lock to its open file, so another thread with its own object is another
// owner on both.
template <typename F>
auto on_other_thread(F f) {
    return std::async(std::launch::async, f).get();
}

TEST(RealMutex, OneOwnerAtATime) {
    const std::string name = unique_name("owner");
    real_mutex first(name);
    ASSERT_TRUE(first.wait(0));
    EXPECT_FALSE(on_other_thread([&] { return real_mutex(name).wait(0); }));
    // A limited wait gives up while the owner keeps it.
    EXPECT_FALSE(on_other_thread([&] { return real_mutex(name).wait(50); }));
    first.unlock();
    EXPECT_TRUE(on_other_thread([&] {
        real_mutex other(name);
        const bool taken = other.wait(0);
        if (taken) other.unlock();
        return taken;
    }));
}

TEST(RealMutex, LockWaitsUntilTheOwnerReleases) {
    const std::string name = unique_name("lock");
    real_mutex first(name);
    ASSERT_TRUE(first.lock());
    std::promise<void> ready;
    auto waiter = std::async(std::launch::async, [&] {
        real_mutex other(name);
        ready.set_value();
        const bool taken = other.lock();
        other.unlock();
        return taken;
    });
    ready.get_future().wait();
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(waiter.wait_for(std::chrono::seconds(0)), std::future_status::timeout);
    first.unlock();
    EXPECT_TRUE(waiter.get());
}

TEST(RealMutex, UnlockWithoutOwnershipRaises) {
    real_mutex mutex(unique_name("unlock"));
    try {
        mutex.unlock();
        FAIL() << "unlock of a mutex not owned succeeded";
    } catch (const varrow::exception& error) {
        EXPECT_STREQ(error.category(), "");
        EXPECT_TRUE(std::regex_match(error.what(), std::regex(R"(\[ReleaseMutex returned 0x[0-9a-f]{8}\])")))
            << error.what();
    }
}

// A lock whose owner died without releasing it is free for the next one.
TEST(RealMutex, AbandonedByAKilledOwnerIsTaken) {
    const std::string name = unique_name("abandoned");
    test_folder folder("mutex");
    const auto marker = folder.path() / "marker";
    program holder(native_path(TW_LOCK_HOLDER), {name, marker.string()});
    for (int i = 0; i < 3000 && !std::filesystem::exists(marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(read_file(marker), "taken\n");
    real_mutex mutex(name);
    EXPECT_FALSE(mutex.wait(0));
    holder.kill();
    EXPECT_TRUE(mutex.wait(0));

    // And a holder started now finds it taken.
    const auto second_marker = folder.path() / "second";
    program second(native_path(TW_LOCK_HOLDER), {name, second_marker.string()});
    for (int i = 0; i < 3000 && !std::filesystem::exists(second_marker); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(read_file(second_marker), "busy\n");
    second.kill();
}

}  // namespace
