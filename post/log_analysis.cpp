#include "post/log_analysis.h"

#include <cstring>

#include "post/built_in.h"
#include "post/platform.h"
#include "varrow/text.h"
#include "varrow/variant.h"

namespace post {

namespace {

constexpr char log_name[] = "install.txt";
constexpr std::string_view web_marker = "web/";
constexpr std::string_view version_marker = "ProductVersion = ";
constexpr std::string_view error_marker = "dialog SetupError";

}  // namespace

std::int32_t decimal_value(std::string_view field) {
    return varrow::variant(std::string(field)).as_integer();
}

bool is_utf16_log(const std::string& bytes) {
    const auto b0 = static_cast<unsigned char>(bytes.at(0));
    const auto b1 = static_cast<unsigned char>(bytes.at(1));
    const bool ansi = b0 != 0xFF && b0 != 0xFE && b0 != 0x00 && b1 != 0x00;
    return !ansi;
}

std::u16string utf16_units(const std::string& bytes) {
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    }
    return units;
}

log_reading read_log(varrow::internet::message2::message& report) {
    log_reading reading;
    reading.file = varrow::system::file::open_for_reading(log_name);
    if (!reading.file.is_open()) {
        reading.outcome = log_outcome::not_opened;
        return reading;
    }
    reading.outcome = log_outcome::nothing_to_report;

    // One read of the size the file has now (its low 32 bits); a log that
    // grows meanwhile is cut there, one that shrinks gives what is left.
    std::string bytes(reading.file.size_low(), '\0');
    std::uint32_t delivered = 0;
    if (!reading.file.read(bytes.data(), static_cast<std::uint32_t>(bytes.size()), &delivered)) return reading;
    bytes.resize(delivered);
    if (bytes.size() < 3) return reading;

    if (!is_utf16_log(bytes)) {
        report.set_text(bytes);
        reading.analysis_text = bytes;
    } else {
        const std::u16string text = utf16_units(bytes);
        report.set_text(text);
        std::string analysis(bytes.size(), '\0');
        platform::convert_to_ansi_into(text, analysis);
        reading.analysis_text = std::move(analysis);
    }
    reading.outcome = log_outcome::analysed;
    return reading;
}

std::int32_t product_number(const std::string& analysis_text) {
    if (const auto p = analysis_text.find(web_marker); p != std::string::npos) {
        const std::size_t start = p + web_marker.size();
        const std::size_t end = analysis_text.find('/', start);
        return decimal_value(std::string_view(analysis_text).substr(start, end == std::string::npos ? end : end - start));
    }
    if (const auto p = analysis_text.find(version_marker); p != std::string::npos) {
        const std::size_t start = p + version_marker.size();
        const std::size_t end = analysis_text.find('\n', start);
        std::string field = analysis_text.substr(start, end == std::string::npos ? end : end - start);
        // 5.2.3.1 reads as 523: the first two dots go, any further dot ends
        // the number.
        for (int i = 0; i < 2; ++i) {
            if (const auto dot = field.find('.'); dot != std::string::npos) field.erase(dot, 1);
        }
        return decimal_value(field);
    }
    return 0;
}

std::int32_t setup_error_number(const std::string& analysis_text) {
    const auto p = analysis_text.find(error_marker);
    if (p == std::string::npos) return 0;
    // The search starts one character past the marker's end.
    const auto q = analysis_text.find('.', p + error_marker.size() + 1);
    if (q == std::string::npos) return 0;
    // The four characters right in front of the dot; the marker's own 17
    // characters lie before q, so q - 4 is always inside the text.
    return decimal_value(std::string_view(analysis_text).substr(q - 4, 4));
}

std::string download_address() {
    return platform::dotted_ipv4_address(built_in::download_host);
}

std::string subject_text(std::int32_t product, std::uint32_t major, std::uint32_t minor, std::int32_t exit_code,
                         std::int32_t error, const std::string& address) {
    std::string subject;
    subject += product != 0 ? varrow::format_text("TW:%i", product) : std::string("TW:NUL");
    subject += varrow::format_text("  OS:%i.%i  ExitCode:%i", static_cast<int>(major), static_cast<int>(minor),
                                   exit_code);
    if (error != 0) subject += varrow::format_text(" (Error:%i)", error);
    if (!address.empty()) subject += varrow::format_text(" (download IP: %s)", address.c_str());
    return subject;
}

std::string report_subject(const std::string& analysis_text, std::uint32_t major, std::uint32_t minor,
                           std::int32_t exit_code) {
    const std::int32_t product = product_number(analysis_text);
    const std::int32_t error = setup_error_number(analysis_text);
    const std::string address = download_address();
    return subject_text(product, major, minor, exit_code, error, address);
}

}  // namespace post
