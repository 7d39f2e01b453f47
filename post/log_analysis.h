#pragma once
// Reading the setup log install.txt and condensing it into the report's
// subject.

#include <cstdint>
#include <string>
#include <string_view>

#include "varrow/internet/message2/message.h"
#include "varrow/system/file.h"

namespace post {

// A decimal field: leading white space skipped, an optional sign, digits up
// to the first other character; no digits give 0 and values beyond the
// 32-bit range are clamped.
std::int32_t decimal_value(std::string_view field);

// True when the first two bytes mark UTF-16 little-endian text: byte 0 is
// 0xFF, 0xFE or 0x00, or byte 1 is 0x00. Needs at least 2 bytes.
bool is_utf16_log(const std::string& bytes);

// The log bytes taken as little-endian code units, unchanged (a byte-order
// mark stays); an odd last byte is not used.
std::u16string utf16_units(const std::string& bytes);

enum class log_outcome {
    not_opened,         // install.txt missing or not to be opened: status 1
    nothing_to_report,  // opened, but the read failed or gave fewer than 3 bytes
    analysed,           // the message has its text; analysis_text is set
};

struct log_reading {
    log_outcome outcome = log_outcome::not_opened;
    // Open from the read until the caller's flow ends (shared for reading).
    varrow::system::file file;
    // A single-byte copy of the log in the ANSI code page, exactly as long
    // as the log; zero bytes in it are ordinary characters.
    std::string analysis_text;
};

// Opens "install.txt" in the current directory, reads it with one read and,
// with 3 bytes or more, sets the report's text from it: ANSI bytes through
// the byte form of set_text, UTF-16 LE through the wide form. The report's
// charset must already be set. Conversion errors of set_text pass out
// unchanged (the file is then closed again).
log_reading read_log(varrow::internet::message2::message& report);

// The number after "web/" up to the next "/"; failing that the number of the
// "ProductVersion = " line with its first two dots removed; 0 when neither
// marker is present or the field holds no number.
std::int32_t product_number(const std::string& analysis_text);

// The four characters in front of the first "." after "dialog SetupError"
// (searched from one character past the marker's end), read as a number; 0
// when the marker or the dot is missing.
std::int32_t setup_error_number(const std::string& analysis_text);

// The built-in download host's IPv4 address in dotted form, or empty.
// Raises nothing.
std::string download_address();

// The subject from its fragments: "TW:%i" (or "TW:NUL" for product 0),
// "  OS:%i.%i  ExitCode:%i", " (Error:%i)" unless error is 0 and
// " (download IP: %s)" unless address is empty.
std::string subject_text(std::int32_t product, std::uint32_t major, std::uint32_t minor, std::int32_t exit_code,
                         std::int32_t error, const std::string& address);

// The subject of the report for this log: product number, setup error
// number and download address, found in that order.
std::string report_subject(const std::string& analysis_text, std::uint32_t major, std::uint32_t minor,
                           std::int32_t exit_code);

}  // namespace post
