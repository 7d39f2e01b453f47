// The archive reader over a hostile installer file: the tail search, the
// element reader, the record loop and the extraction with its file-name
// checks. Each input is written to a scratch file and read by read_archive
// with the recording user interface; the working folder is a scratch folder
// emptied before every run. The tail search is also run on the input with
// a block border moved into it.
//
// Input: the whole installer file.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "reader/archive/archive_format.h"
#include "reader/archive/read_archive.h"
#include "reader/process_state.h"
#include "varrow/system/file.h"
#include "varrow/ui/recording.h"

namespace fs = std::filesystem;
namespace rd = tarnwick::reader;

namespace {

fs::path scratch;
fs::path archive_path;
fs::path padded_path;
fs::path out_folder;

void write_file(const fs::path& path, std::string_view bytes) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    TW_FUZZ_CHECK(file.good());
}

std::optional<std::uint64_t> tail_of(const fs::path& path) {
    varrow::system::file file = varrow::system::file::open_for_reading(path.string());
    TW_FUZZ_CHECK(file.is_open());
    return rd::find_tail(file, file.size());
}

// The tail search reads the file in blocks from its end. Zero bytes added
// after the input, enough to make it longer than one block, put a block
// border at an offset inside the input chosen by the input; the match
// nearest the end must not change. (The padding only makes one more
// candidate start eligible: a marker that ends exactly at the input's end.)
void check_tail_across_block_border(std::string_view input) {
    constexpr std::size_t block = 64 * 1024;
    const std::string_view marker = rd::tail_marker();
    if (input.size() < 2 * marker.size()) return;
    if (input.substr(input.size() - marker.size()) == marker) return;
    const std::size_t border = static_cast<unsigned char>(input[0]) * input.size() / 256;
    std::string padded(input);
    padded.resize(block + 1 + border, '\0');
    write_file(padded_path, padded);
    TW_FUZZ_CHECK(tail_of(padded_path) == tail_of(archive_path));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // One folder per process, so that parallel fuzzing jobs do not meet.
    const char* base = std::getenv("TW_FUZZ_SCRATCH");
    scratch = fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
              ("tw-fuzz-archive-" + std::to_string(getpid()));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    archive_path = scratch / "installer.exe";
    padded_path = scratch / "padded.exe";
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
    fs::remove(padded_path);
    const std::string_view input = tarnwick::fuzz::as_text(data, size);
    write_file(archive_path, input);
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

    check_tail_across_block_border(input);
    return 0;
}
