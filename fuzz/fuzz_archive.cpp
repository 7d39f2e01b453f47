// The archive reader over a hostile installer file: the tail search, the
// element reader, the record loop and the extraction with its file-name
// checks. Each input is written to a scratch file and read by read_archive
// with the recording user interface; the working folder is a scratch folder
// emptied before every run.
//
// Input: the whole installer file.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "reader/archive/archive_format.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "varrow/ui/recording.h"

namespace fs = std::filesystem;
namespace rd = tarnwick::reader;

namespace {

fs::path scratch;
fs::path archive_path;
fs::path out_folder;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One folder per process, so that parallel fuzzing jobs do not meet.
    const char* base = std::getenv("TW_FUZZ_SCRATCH");
    scratch = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
              ("tw-fuzz-archive-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    archive_path = scratch / "installer.exe";
    out_folder = scratch / "out";
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fs::remove_all(out_folder);
    fs::create_directory(out_folder);
    {
        std::ofstream file(archive_path, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
        TW_FUZZ_CHECK(file.good());
    }
    rd::working_folder = out_folder.string() + "/";
    rd::archive_valid = false;
    rd::installer_variables = rd::variable_store();
    varrow::ui::recording::reset();

    rd::read_archive(archive_path.string());

    // Nothing may land beside the working folder, nor below it in folders.
    std::size_t beside = 0;
    for (const auto& entry : fs::directory_iterator(scratch)) {
        (void)entry;
        ++beside;
    }
    TW_FUZZ_CHECK(beside == 2);
    for (const auto& entry : fs::directory_iterator(out_folder)) {
        TW_FUZZ_CHECK(entry.is_regular_file());
        TW_FUZZ_CHECK(rd::is_plain_file_name(entry.path().filename().string()));
    }
    // The archive is unchanged by reading it.
    TW_FUZZ_CHECK(fs::file_size(archive_path) == size);

    static const std::set<std::string> captions{"Failed to open archive!", "Failed to initialize archive!",
                                                "Invalid Archive!", "Failed to extract file!"};
    const auto& boxes = varrow::ui::recording::boxes();
    // Every failure shows one box and ends the reading.
    TW_FUZZ_CHECK(boxes.size() <= 1);
    for (const auto& box : boxes) {
        TW_FUZZ_CHECK(!box.is_question);
        TW_FUZZ_CHECK(captions.count(box.caption) == 1);
    }
    return 0;
}
