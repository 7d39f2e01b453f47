#include "varrow/unicode/utf.h"

#include <cstdint>

namespace varrow::unicode {

namespace {

constexpr char16_t replacement = 0xFFFD;

bool is_continuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void append_utf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void append_utf16(std::u16string& out, std::uint32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 | (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 | (cp & 0x3FF)));
    }
}

// Whether lead and first continuation byte can begin a valid sequence: no
// overlong form, no surrogate, nothing above U+10FFFF.
bool valid_second(unsigned char lead, unsigned char second) {
    switch (lead) {
    case 0xE0: return second >= 0xA0;
    case 0xED: return second < 0xA0;
    case 0xF0: return second >= 0x90;
    case 0xF4: return second < 0x90;
    default: return true;
    }
}

bool utf7_direct(char16_t unit) {
    if ((unit >= u'A' && unit <= u'Z') || (unit >= u'a' && unit <= u'z') ||
        (unit >= u'0' && unit <= u'9'))
        return true;
    switch (unit) {
    case u'\'': case u'(': case u')': case u',': case u'-': case u'.': case u'/':
    case u':': case u'?': case u' ': case u'\t': case u'\r': case u'\n': case u'\0':
        return true;
    default:
        return false;
    }
}

constexpr char base64_letters[] =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

int base64_value(unsigned char byte) {
    if (byte >= 'A' && byte <= 'Z') return byte - 'A';
    if (byte >= 'a' && byte <= 'z') return byte - 'a' + 26;
    if (byte >= '0' && byte <= '9') return byte - '0' + 52;
    if (byte == '+') return 62;
    if (byte == '/') return 63;
    return -1;
}

}  // namespace

std::string utf16_to_utf8(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 3);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < text.size() &&
            text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            const std::uint32_t cp =
                0x10000 + ((static_cast<std::uint32_t>(unit) - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            append_utf8(out, cp);
            ++i;
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            append_utf8(out, replacement);
        } else {
            append_utf8(out, unit);
        }
    }
    return out;
}

std::u16string utf8_to_utf16(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    const std::size_t size = bytes.size();
    std::size_t i = 0;
    while (i < size) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            out.push_back(lead);
            ++i;
            continue;
        }
        std::size_t length = 0;
        std::uint32_t cp = 0;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
            cp = lead & 0x1F;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            cp = lead & 0x0F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            cp = lead & 0x07;
        } else {
            out.push_back(replacement);  // cannot begin a sequence
            ++i;
            continue;
        }
        ++i;
        if (i >= size || !is_continuation(static_cast<unsigned char>(bytes[i]))) {
            out.push_back(replacement);  // the lead byte alone
            continue;
        }
        if (!valid_second(lead, static_cast<unsigned char>(bytes[i]))) {
            out.push_back(replacement);  // lead and first continuation together
            ++i;
            continue;
        }
        std::size_t taken = 1;
        while (taken < length && i < size && is_continuation(static_cast<unsigned char>(bytes[i]))) {
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i]) & 0x3F);
            ++i;
            ++taken;
        }
        if (taken < length) {
            out.push_back(replacement);  // cut short; the next byte starts afresh
            continue;
        }
        append_utf16(out, cp);
    }
    return out;
}

std::string utf16_to_utf7(const std::u16string& text) {
    std::string out;
    out.reserve(text.size() * 5);
    std::size_t i = 0;
    while (i < text.size()) {
        const char16_t unit = text[i];
        if (unit == u'+') {
            out += "+-";
            ++i;
        } else if (utf7_direct(unit)) {
            out.push_back(static_cast<char>(unit));
            ++i;
        } else {
            out.push_back('+');
            std::uint32_t bits = 0;
            int count = 0;
            while (i < text.size() && text[i] != u'+' && !utf7_direct(text[i])) {
                bits = (bits << 16) | text[i];
                count += 16;
                while (count >= 6) {
                    count -= 6;
                    out.push_back(base64_letters[(bits >> count) & 0x3F]);
                }
                bits &= (1u << count) - 1;
                ++i;
            }
            if (count > 0) out.push_back(base64_letters[(bits << (6 - count)) & 0x3F]);
            out.push_back('-');
        }
    }
    return out;
}

std::u16string utf7_to_utf16(const std::string& bytes) {
    std::u16string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        ++i;
        if (byte != '+') {
            out.push_back(byte);
            continue;
        }
        if (i < bytes.size() && bytes[i] == '-') {
            out.push_back(u'+');
            ++i;
            continue;
        }
        std::uint32_t bits = 0;
        int count = 0;
        while (i < bytes.size()) {
            const int value = base64_value(static_cast<unsigned char>(bytes[i]));
            if (value < 0) break;
            bits = (bits << 6) | static_cast<std::uint32_t>(value);
            count += 6;
            if (count >= 16) {
                count -= 16;
                out.push_back(static_cast<char16_t>(bits >> count));
                bits &= (1u << count) - 1;
            }
            ++i;
        }
        if (i < bytes.size() && bytes[i] == '-') ++i;  // the run's end mark
    }
    return out;
}

}  // namespace varrow::unicode
