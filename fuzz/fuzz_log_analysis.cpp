// The setup log reader's parts that see the log's bytes: the UTF-16 / ANSI
// detection, the code-unit view, the conversion of a UTF-16 log into the
// single-byte analysis copy, and product_number / setup_error_number on
// that copy, as read_log and report_subject use them.
//
// Input: the bytes of install.txt.

#include <cstdint>
#include <string>

#include "fuzz/fuzz_support.h"
#include "post/log_analysis.h"
#include "post/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(tarnwick::fuzz::as_text(data, size));
    // read_log gives up on logs of fewer than 3 bytes before looking at them.
    if (bytes.size() < 3) return 0;

    std::string analysis_text;
    if (!post::is_utf16_log(bytes)) {
        analysis_text = bytes;
    } else {
        const std::u16string units = post::utf16_units(bytes);
        TW_FUZZ_CHECK(units.size() == bytes.size() / 2);
        std::string analysis(bytes.size(), '\0');
        post::platform::convert_to_ansi_into(units, analysis);
        TW_FUZZ_CHECK(analysis.size() == bytes.size());
        analysis_text = std::move(analysis);
    }

    const std::int32_t product = post::product_number(analysis_text);
    const std::int32_t error = post::setup_error_number(analysis_text);
    // Both kinds of log through the number readers, whatever the detection
    // said.
    (void)post::product_number(bytes);
    (void)post::setup_error_number(bytes);
    const std::string subject = post::subject_text(product, 10, 0, -1, error, std::string());
    TW_FUZZ_CHECK(subject.rfind("TW:", 0) == 0);
    return 0;
}
