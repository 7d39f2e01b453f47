#include "tools/codepage_dump/page_dump.h"

#include <cstdio>
#include <vector>

#include "varrow/unicode/conversion.h"
#include "varrow/unicode/errors.h"

namespace tarnwick::tools {

namespace {

using namespace varrow::unicode;

// The error's short name: the text of what() up to the bracket.
std::string error_name(const generic& error) {
    std::string what = error.what();
    const auto bracket = what.find('[');
    return bracket == std::string::npos ? what : what.substr(0, bracket);
}

// `format` formats one value in at most 15 characters.
void append_hex(std::string& out, const char* format, unsigned value) {
    char text[16];
    std::snprintf(text, sizeof text, format, value);
    out += text;
}

// Appends " UUUU" per unit and returns true, or stores the error's name.
bool read_units(const std::string& bytes, std::int32_t codepage, std::string& out,
                std::string& error) {
    try {
        const std::u16string text = to_wide(bytes, codepage);
        for (const char16_t unit : text) append_hex(out, " %.4X", unit);
        return true;
    } catch (const generic& e) {
        error = error_name(e);
        return false;
    }
}

}  // namespace

std::string dump_codepage(std::int32_t codepage) {
    std::string out;
    std::string units;
    std::string error;
    if (!read_units("A", codepage, units, error) && error == "unicode.invalid_codepage") {
        return "cp " + std::to_string(codepage) + " unsupported\n";
    }
    out += "cp " + std::to_string(codepage) + '\n';
    std::vector<int> leads;
    long failures = 0;
    for (int byte = 0; byte < 256; ++byte) {
        append_hex(out, "b %.2X", static_cast<unsigned>(byte));
        if (!read_units(std::string(1, static_cast<char>(byte)), codepage, out, error)) {
            out += " !" + error;
            leads.push_back(byte);
        }
        out += '\n';
    }
    for (const int lead : leads) {
        for (int trail = 0; trail < 256; ++trail) {
            const std::string pair{static_cast<char>(lead), static_cast<char>(trail)};
            units.clear();
            if (read_units(pair, codepage, units, error)) {
                append_hex(out, "p %.4X", static_cast<unsigned>(lead << 8 | trail));
                out += units + '\n';
            } else {
                ++failures;
            }
        }
    }
    for (std::uint32_t unit = 0; unit <= 0xFFFF; ++unit) {
        try {
            const std::string bytes =
                to_multibyte(std::u16string(1, static_cast<char16_t>(unit)), codepage);
            append_hex(out, "u %.4X ", unit);
            for (const unsigned char byte : bytes) append_hex(out, "%.2X", byte);
            out += '\n';
        } catch (const generic&) {
            ++failures;
        }
    }
    out += "fail " + std::to_string(failures) + '\n';
    return out;
}

}  // namespace tarnwick::tools
