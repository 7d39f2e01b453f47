// The installer from start to end: a real installer file is packed from the
// built program, the stand-in setup program and report tool, and started in
// a temporary folder of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "tests/reader/test_folder.h"
#include "tests/reader/test_platform.h"
#include "tools/chunkpack/archive_writer.h"
#include "varrow/real_mutex.h"
#include "varrow/system/folders.h"
#include "varrow/ui/recording.h"

namespace {

namespace fs = std::filesystem;
using namespace tarnwick::reader::testing;
using tarnwick::chunkpack::archive_builder;

const std::string invalid_archive_message =
    "We are sorry, but your installation / update did not complete due to unexpected download errors.\r\n"
    "Please download the whole Tarnwick program from " TW_WEBSITE;

const std::string already_running_message =
    "Another installation is already running or in the process of starting up.\n"
    "Please wait until the other installation has completed before trying again.";

struct box {
    std::string kind, caption, text;
    bool operator==(const box&) const = default;
};

std::ostream& operator<<(std::ostream& out, const box& b) {
    return out << b.kind << " [" << b.caption << "] " << varrow::ui::recording::escape(b.text);
}

// Lines "key<TAB>value" of the stand-ins' log, in order.
using log_lines = std::vector<std::pair<std::string, std::string>>;

std::vector<std::string> values_of(const log_lines& lines, const std::string& key) {
    std::vector<std::string> out;
    for (const auto& [k, v] : lines)
        if (k == key) out.push_back(v);
    return out;
}

// One installation run in a folder of its own: the installer file in it,
// and in its temp/ folder, which the installer is told is the user's
// temporary folder, the working folders.
class Installer : public ::testing::Test {
protected:
    test_folder root{"installer"};
    fs::path temp = root.path() / "temp";
    fs::path config = root.path() / "config";
    fs::path log_file = root.path() / "log.txt";
    fs::path boxes_file = root.path() / "boxes.txt";
    std::map<std::string, std::optional<std::string>> saved;
    // Test runs of other build folders on this machine take the same
    // installation lock; this one keeps them apart.
    varrow::real_mutex serial{"Tarnwick.Tests.Installer"};

    void SetUp() override {
        ASSERT_TRUE(serial.lock());
        fs::create_directories(temp);
        fs::create_directories(config);
        const std::string temp_text = temp.string();
        for (const char* name : {"TMPDIR", "TMP", "TEMP", "TW_TEST_LOG", "TW_UI_RECORD", "XDG_CONFIG_HOME"}) {
            const char* value = std::getenv(name);
            saved[name] = value ? std::optional<std::string>(value) : std::nullopt;
        }
#if defined(_WIN32)
        set_environment("TMP", temp_text);
        set_environment("TEMP", temp_text);
#else
        set_environment("TMPDIR", temp_text);
#endif
        set_environment("TW_TEST_LOG", log_file.string());
        set_environment("TW_UI_RECORD", boxes_file.string());
        store_language_value(std::nullopt, config.string());
    }

    void TearDown() override {
        serial.unlock();
        store_language_value(std::nullopt, config.string());
        for (const auto& [name, value] : saved) set_environment(name, value);
    }

    static std::string setup_name() { return std::string("setup") + program_suffix; }
    static std::string report_name() { return std::string("post") + program_suffix; }

    // The usual installer: the recording build of the program as stub, the
    // report tool under key "post", the setup program under "executable", a
    // data file without key, and the values.
    static archive_builder standard_archive(const std::map<std::string, std::string>& values) {
        archive_builder archive;
        archive.stub(read_file(native_path(TW_READER_RECORDING)), "Reader.exe", "stub");
        archive.file("post", report_name(), read_file(native_path(TW_TEST_REPORT)));
        archive.file("executable", setup_name(), read_file(native_path(TW_TEST_SETUP)));
        archive.file("", "data.txt", "payload");
        for (const auto& [key, value] : values) archive.value(key, value);
        archive.tail();
        return archive;
    }

    std::string write_installer(const std::string& bytes, const std::string& name = "installer") {
        const fs::path path = root.path() / (name + program_suffix);
        write_file(path, bytes);
        fs::permissions(path, fs::perms::owner_all);
        return path.string();
    }

    log_lines read_log() const {
        log_lines lines;
        std::istringstream in(read_file(log_file));
        for (std::string line; std::getline(in, line);) {
            const auto tab = line.find('\t');
            lines.emplace_back(line.substr(0, tab), tab == std::string::npos ? "" : line.substr(tab + 1));
        }
        return lines;
    }

    std::vector<box> read_boxes() const {
        std::vector<box> out;
        std::istringstream in(read_file(boxes_file));
        for (std::string line; std::getline(in, line);) {
            const auto first = line.find('\t');
            const auto second = line.find('\t', first + 1);
            out.push_back({line.substr(0, first),
                           varrow::ui::recording::unescape(line.substr(first + 1, second - first - 1)),
                           varrow::ui::recording::unescape(line.substr(second + 1))});
        }
        return out;
    }

    std::vector<std::string> temp_entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(temp)) names.push_back(entry.path().filename().string());
        return names;
    }
};

struct run_case {
    const char* label;
    const char* exit_code;                  // value of the archive's "code"
    std::optional<std::string> language;    // stored language value
    const char* extra_parameters;           // put in front of the parameters
    const char* report_argument;            // what the report tool must get
    std::vector<std::string> leading_arguments;  // before --exit=...
};

TEST_F(Installer, RunsSetupAndReportToolThenRemovesTheWorkingFolder) {
#if defined(_WIN32)
    const std::string nul(1, '\0');
    const std::string german = "DE" + nul;
    const run_case cases[] = {
        {"success", "0", std::nullopt, "", "0", {}},
        {"failure", "1603", std::nullopt, "", "1603", {}},
        {"2^31 + 5", "0x80000005", std::nullopt, "", "-2147483643", {}},
        {"language", "1603", german, "", "1603", {"/L1031"}},
        {"language given", "0", german, "/L1036 ", "0", {"/L1036"}},
    };
#else
    const run_case cases[] = {
        {"success", "0", std::nullopt, "", "0", {}},
        {"failure", "255", std::nullopt, "", "255", {}},
        {"language", "255", "DE\n", "", "255", {"/L1031"}},
        {"language given", "0", "DE\n", "/L1036 ", "0", {"/L1036"}},
    };
#endif
    for (const run_case& c : cases) {
        SCOPED_TRACE(c.label);
        fs::remove(log_file);
        fs::remove(boxes_file);
        store_language_value(c.language, config.string());
        const std::string installer = write_installer(
            standard_archive({{"code", c.exit_code},
                              {"parameters", std::string(c.extra_parameters) + "--exit=%code% \"%source%\" %commandline%"},
                              // The archive cannot change what the installer sets itself.
                              {"source", "planted"},
                              {"commandline", "planted"}})
                .bytes());

        EXPECT_EQ(run(installer, {"alpha", "two words"}), 0u);

        const log_lines lines = read_log();
        ASSERT_EQ(values_of(lines, "setup").size(), 1u);
        const std::vector<std::string> cwd = values_of(lines, "cwd");
        ASSERT_EQ(cwd.size(), 2u);
        // The working folder: a new TW folder in the temporary folder; the
        // setup program and the report tool both run in it.
        EXPECT_EQ(fs::path(cwd[0]).parent_path(), temp);
        EXPECT_EQ(fs::path(cwd[0]).filename().string().substr(0, 2), "TW");
        EXPECT_EQ(cwd[1], cwd[0]);

        std::vector<std::string> expected = c.leading_arguments;
        expected.push_back(std::string("--exit=") + c.exit_code);
        expected.push_back(cwd[0]);  // %source%: the folder without final separator
        expected.push_back("alpha");
        expected.push_back("two words");
        EXPECT_EQ(values_of(lines, "arg"), expected);
        EXPECT_EQ(values_of(lines, "entry"),
                  (std::vector<std::string>{"data.txt", report_name(), setup_name()}));

        EXPECT_EQ(values_of(lines, "report"), std::vector<std::string>{c.report_argument});
        EXPECT_EQ(values_of(lines, "install.txt"), std::vector<std::string>{"Test setup log"});
        EXPECT_TRUE(temp_entries().empty()) << "left behind: " << temp_entries().front();
        EXPECT_EQ(read_boxes(), std::vector<box>{});
    }
}

#if !defined(_WIN32)
// A setup program ended by a signal reports 128 + the signal number.
TEST_F(Installer, SetupKilledBySignal) {
    const std::string installer =
        write_installer(standard_archive({{"parameters", "--signal=9"}}).bytes());
    EXPECT_EQ(run(installer, {}), 0u);
    EXPECT_EQ(values_of(read_log(), "report"), std::vector<std::string>{"137"});
    EXPECT_TRUE(temp_entries().empty());
}
#endif

// Without a "post" variable the run ends silently after the setup program;
// a setup program that cannot be started is reported and nothing else runs.
TEST_F(Installer, MissingReportToolAndMissingSetup) {
    archive_builder no_report;
    no_report.stub(read_file(native_path(TW_READER_RECORDING)), "Reader.exe", "stub")
        .file("executable", setup_name(), read_file(native_path(TW_TEST_SETUP)))
        .value("parameters", "--exit=3")
        .tail();
    EXPECT_EQ(run(write_installer(no_report.bytes(), "no-report"), {}), 0u);
    EXPECT_EQ(values_of(read_log(), "setup").size(), 1u);
    EXPECT_TRUE(values_of(read_log(), "report").empty());
    EXPECT_EQ(read_boxes(), std::vector<box>{});

    fs::remove(log_file);
    archive_builder no_setup;
    no_setup.stub(read_file(native_path(TW_READER_RECORDING)), "Reader.exe", "stub")
        .file("post", report_name(), read_file(native_path(TW_TEST_REPORT)))
        .value("executable", "not-there")
        .tail();
    EXPECT_EQ(run(write_installer(no_setup.bytes(), "no-setup"), {}), 0u);
    EXPECT_FALSE(fs::exists(log_file)) << "something was started";
    EXPECT_EQ(read_boxes(), (std::vector<box>{{"notice", "ShellExecuteEx failed", "Unable to spawn process"}}));
    EXPECT_TRUE(temp_entries().empty());
}

TEST_F(Installer, SecondInstallerWhileTheFirstRuns) {
    const fs::path started = root.path() / "started";
    const fs::path release = root.path() / "release";
    const std::string first = write_installer(
        standard_archive({{"parameters", "--started=\"" + started.string() + "\" --wait-for=\"" +
                                             release.string() + "\""}})
            .bytes(),
        "first");
    program running(first, {});
    for (int i = 0; i < 6000 && !fs::exists(started); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_TRUE(fs::exists(started)) << "the first installation did not start its setup program";
    ASSERT_EQ(temp_entries().size(), 1u);

    // The second one, with a temporary folder of its own, creates nothing.
    const fs::path second_temp = root.path() / "temp2";
    fs::create_directories(second_temp);
#if defined(_WIN32)
    set_environment("TMP", second_temp.string());
    set_environment("TEMP", second_temp.string());
#else
    set_environment("TMPDIR", second_temp.string());
#endif
    const std::string second = write_installer(standard_archive({}).bytes(), "second");
    EXPECT_EQ(run(second, {}), 1u);
    EXPECT_EQ(read_boxes(), (std::vector<box>{{"notice", "Already Running", already_running_message}}));
    EXPECT_TRUE(fs::is_empty(second_temp));
    EXPECT_EQ(values_of(read_log(), "setup").size(), 1u);

    write_file(release, "go");
    EXPECT_EQ(running.wait(), 0u);
    EXPECT_TRUE(temp_entries().empty());
    EXPECT_EQ(values_of(read_log(), "report"), std::vector<std::string>{"0"});
}

// An installer whose lock holder was killed without releasing it runs.
TEST_F(Installer, AbandonedLockIsTaken) {
    const fs::path marker = root.path() / "marker";
    program holder(native_path(TW_LOCK_HOLDER), {"Tarnwick.Installation", marker.string()});
    for (int i = 0; i < 3000 && !fs::exists(marker); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(read_file(marker), "taken\n");
    const std::string installer = write_installer(standard_archive({{"parameters", "--exit=1"}}).bytes());
    EXPECT_EQ(run(installer, {}), 1u) << "the lock was not held";
    EXPECT_EQ(read_boxes().size(), 1u);
    fs::remove(boxes_file);
    holder.kill();
    EXPECT_EQ(run(installer, {}), 0u);
    EXPECT_EQ(values_of(read_log(), "report"), std::vector<std::string>{"1"});
    EXPECT_EQ(read_boxes(), std::vector<box>{});
}

// A digest mismatch: the invalid-archive box twice, nothing started, the
// working folder removed, status 0.
TEST_F(Installer, CorruptedByteShowsInvalidArchiveTwice) {
    archive_builder archive = standard_archive({{"parameters", "--exit=1603"}});
    std::string bytes = archive.bytes();
    // A byte inside the data file's contents, "payload".
    const auto at = bytes.rfind("payload");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 3] ^= 0x20;
    EXPECT_EQ(run(write_installer(bytes), {}), 0u);
    const box invalid{"notice", "Invalid Archive!", invalid_archive_message};
    EXPECT_EQ(read_boxes(), (std::vector<box>{invalid, invalid}));
    EXPECT_FALSE(fs::exists(log_file)) << "something was started";
    EXPECT_TRUE(temp_entries().empty());
}

// The bare program without any archive: nothing is started, the working
// folder goes, status 0. If its own image holds no marker text the reader
// first says "Failed to initialize archive!"; a marker text inside the image
// is taken for a tail element whose length and digest then fail.
TEST_F(Installer, NoArchiveAtAll) {
    const std::string image = read_file(native_path(TW_READER_RECORDING));
    const std::string installer = write_installer(image, "bare");
    EXPECT_EQ(run(installer, {}), 0u);
    const std::vector<box> boxes = read_boxes();
    ASSERT_FALSE(boxes.empty());
    EXPECT_EQ(boxes.back(), (box{"notice", "Invalid Archive!", invalid_archive_message}));
    if (image.find("chunked-installer-tail") == std::string::npos) {
        ASSERT_EQ(boxes.size(), 2u);
        EXPECT_EQ(boxes[0].caption, "Failed to initialize archive!");
        EXPECT_EQ(boxes[0].text.substr(0, 6 + fs::path(installer).string().size()), "File: " + installer);
    }
    EXPECT_FALSE(fs::exists(log_file));
    EXPECT_TRUE(temp_entries().empty());
}

#if !defined(_WIN32)
// An error of the lock reaches the top: "Unhandled Exception" with the
// error's what() as caption, nothing created, status 0. A link planted
// under the lock file's name is refused (ELOOP, 0x28).
TEST_F(Installer, LockErrorIsShownAsUnhandledException) {
    const std::string folder = fs::is_directory("/var/tmp") ? "/var/tmp/" : "/tmp/";
    const std::string lock_file = folder + "Global%5CTarnwick.Installation.lock";
    // No installation runs now (these tests never run at the same time), so
    // the lock file may be replaced for this test.
    fs::remove(lock_file);
    fs::create_symlink(root.path() / "elsewhere", lock_file);
    const std::string installer = write_installer(standard_archive({{"parameters", "--exit=1"}}).bytes());
    const std::uint32_t status = run(installer, {});
    fs::remove(lock_file);
    EXPECT_EQ(status, 0u);
    EXPECT_EQ(read_boxes(),
              (std::vector<box>{{"notice", "[OpenMutex returned 0x00000028]", "Unhandled Exception"}}));
    EXPECT_FALSE(fs::exists(log_file));
    EXPECT_TRUE(temp_entries().empty());
    EXPECT_FALSE(fs::exists(root.path() / "elsewhere"));
}
#endif

// A TW folder that is already there is never used: the next number is.
TEST_F(Installer, ExistingWorkingFolderIsNotReused) {
    // Plant the folders of the next seconds, with a file in each.
    const auto now = static_cast<long long>(std::time(nullptr));
    std::vector<fs::path> planted;
    for (long long s = now; s < now + 30; ++s) {
        planted.push_back(temp / ("TW" + std::to_string(s)));
        fs::create_directories(planted.back());
        write_file(planted.back() / "planted.txt", "planted");
    }
    const std::string installer = write_installer(standard_archive({{"parameters", "--exit=0"}}).bytes());
    EXPECT_EQ(run(installer, {}), 0u);
    const std::vector<std::string> cwd = values_of(read_log(), "cwd");
    ASSERT_FALSE(cwd.empty());
    for (const auto& p : planted) {
        EXPECT_NE(fs::path(cwd[0]), p);
        EXPECT_EQ(read_file(p / "planted.txt"), "planted");
    }
    EXPECT_EQ(temp_entries().size(), planted.size());
    EXPECT_EQ(values_of(read_log(), "entry"), (std::vector<std::string>{"data.txt", report_name(), setup_name()}));
#if !defined(_WIN32)
    // Only its owner may enter the folder that the installer made.
    EXPECT_EQ(values_of(read_log(), "mode"), std::vector<std::string>{"700"});
#endif
}

}  // namespace
