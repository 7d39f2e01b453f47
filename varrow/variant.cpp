#include "varrow/variant.h"

#include <cmath>
#include <limits>

namespace varrow {

namespace {

bool is_space(char32_t c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Reads a decimal number the way the C library's strtol does, but clamps to
// 32 bits on every platform (long is 64 bits on Linux).
template <typename Char>
std::int32_t read_decimal(const std::basic_string<Char>& s) {
    std::size_t i = 0;
    while (i < s.size() && is_space(static_cast<char32_t>(s[i]))) ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == Char('+') || s[i] == Char('-'))) {
        negative = s[i] == Char('-');
        ++i;
    }
    constexpr std::int64_t limit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t value = 0;
    for (; i < s.size() && s[i] >= Char('0') && s[i] <= Char('9'); ++i) {
        if (value <= limit) value = value * 10 + (s[i] - Char('0'));
    }
    if (negative) {
        value = -value;
        if (value < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
        return static_cast<std::int32_t>(value);
    }
    if (value > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(value);
}

}  // namespace

variant::variant(std::int32_t value) : tag_(1), integer_(value) {}
variant::variant(float value) : tag_(2), floating_(value) {}
variant::variant(const std::string& value) : tag_(3), text_(std::make_unique<std::string>(value)) {}
variant::variant(const std::u16string& value)
    : tag_(4), wide_text_(std::make_unique<std::u16string>(value)) {}

variant variant::with_raw_tag(std::int32_t tag) {
    variant v;
    v.tag_ = tag;
    return v;
}

std::int32_t variant::as_integer() const {
    switch (tag_) {
        case 0:
            return 0;
        case 1:
            return integer_;
        case 2: {
            // Truncation toward zero; values outside the range saturate
            // instead of being undefined.
            const double t = std::trunc(static_cast<double>(floating_));
            if (std::isnan(t)) return 0;
            if (t >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
            if (t <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
            return static_cast<std::int32_t>(t);
        }
        case 3:
            return text_ ? read_decimal(*text_) : 0;
        case 4:
            return wide_text_ ? read_decimal(*wide_text_) : 0;
        default:
            throw generic("as_integer() failed");
    }
}

}  // namespace varrow
