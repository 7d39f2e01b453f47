// The setup log reader on any install.txt: read_log with its UTF-16 / ANSI
// detection and the single-byte analysis copy, the report's wire form with
// the log as its text, and product_number / setup_error_number on the copy,
// as report_subject uses them.
//
// Input: the bytes of install.txt. Each run writes the log into a scratch
// folder of the process and reads it there (the folder is the current one
// only while read_log runs, so relative corpus paths keep working).

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "post/log_analysis.h"
#include "varrow/internet/message2/message.h"
#include "varrow/unicode/errors.h"

namespace fs = std::filesystem;

namespace {

fs::path scratch;

// Makes `folder` the current folder for the lifetime of the object.
class current_folder {
public:
    explicit current_folder(const fs::path& folder) : previous_(fs::current_path()) { fs::current_path(folder); }
    ~current_folder() { fs::current_path(previous_); }
    current_folder(const current_folder&) = delete;
    current_folder& operator=(const current_folder&) = delete;

private:
    fs::path previous_;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const char* base = std::getenv("TW_FUZZ_SCRATCH");
    scratch = fs::absolute(fs::path(base != nullptr ? base : fs::temp_directory_path().string()) /
                           ("tw-fuzz-log-" + std::to_string(getpid())));
    fs::remove_all(scratch);
    fs::create_directories(scratch);
    std::atexit([] {
        std::error_code ignored;
        fs::remove_all(scratch, ignored);
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(tarnwick::fuzz::as_text(data, size));
    {
        std::ofstream log(scratch / "install.txt", std::ios::binary | std::ios::trunc);
        log.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        TW_FUZZ_CHECK(log.good());
    }

    varrow::internet::message2::message report;
    report.charset = "utf-8";
    post::log_reading reading;
    try {
        const current_folder in_scratch(scratch);
        reading = post::read_log(report);
    } catch (const varrow::unicode::generic&) {
        return 0;
    }
    if (bytes.size() < 3) {
        TW_FUZZ_CHECK(reading.outcome == post::log_outcome::nothing_to_report);
        return 0;
    }
    TW_FUZZ_CHECK(reading.outcome == post::log_outcome::analysed);
    TW_FUZZ_CHECK(reading.analysis_text.size() == bytes.size());
    if (!post::is_utf16_log(bytes)) {
        TW_FUZZ_CHECK(reading.analysis_text == bytes);
    } else {
        TW_FUZZ_CHECK(post::utf16_units(bytes).size() == bytes.size() / 2);
    }
    reading.file.close();

    try {
        (void)report.lines();
    } catch (const varrow::unicode::generic&) {
    }

    const std::int32_t product = post::product_number(reading.analysis_text);
    const std::int32_t error = post::setup_error_number(reading.analysis_text);
    // The raw bytes too, whatever the detection said.
    (void)post::product_number(bytes);
    (void)post::setup_error_number(bytes);
    const std::string subject = post::subject_text(product, 10, 0, -1, error, std::string());
    TW_FUZZ_CHECK(subject.rfind("TW:", 0) == 0);
    return 0;
}
