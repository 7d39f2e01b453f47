#include "varrow/coding/translate.h"

#include <cstring>
#include <stdexcept>

#include "varrow/text.h"

namespace varrow::coding::translate {

namespace {

constexpr value_table make_table(std::string_view alphabet, bool fold_case,
                                 std::string_view skipped) {
    value_table table{};
    for (auto& entry : table) entry = not_a_symbol;
    for (std::size_t i = 0; i < alphabet.size(); ++i) {
        const auto byte = static_cast<unsigned char>(alphabet[i]);
        table[byte] = static_cast<std::int16_t>(i);
        if (fold_case && byte >= 'a' && byte <= 'z') table[byte - 'a' + 'A'] = static_cast<std::int16_t>(i);
    }
    for (char c : skipped) table[static_cast<unsigned char>(c)] = skipped_symbol;
    return table;
}

// Which bytes to_quoted_printable writes as "=XX".
constexpr std::array<bool, 256> make_escape_set() {
    std::array<bool, 256> escaped{};
    for (unsigned b = 0; b < 256; ++b)
        escaped[b] = b < 0x20 || b > 0x7E || b == '=' || b == '_' || b == '?' || b == '"';
    return escaped;
}
constexpr std::array<bool, 256> escape_set = make_escape_set();
constexpr char upper_hex[] = "0123456789ABCDEF";

void check_width(unsigned bits_per_symbol) {
    if (bits_per_symbol < 1 || bits_per_symbol > 8)
        throw std::invalid_argument("symbol width must be 1 to 8 bits");
}

// Number of symbols encode_bits writes for n bytes: ceil(8n / w), counted in
// 64 bits so that no size overflows on a 32-bit build.
std::uint64_t symbol_count(std::size_t n, unsigned w) {
    return (std::uint64_t{n} * 8 + w - 1) / w;
}

// Room for w * n / 8 decoded bytes, without overflowing n * w.
std::size_t decoded_room(std::size_t n, unsigned w) { return n / 8 * w + n % 8 * w / 8; }

}  // namespace

constexpr char base64_alphabet[65] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char hex_alphabet[17] = "0123456789abcdef";
constexpr value_table base64_table = make_table(base64_alphabet, false, "=");
constexpr value_table hex_table = make_table(hex_alphabet, true, "");

namespace {

// Two base64 symbols for each 12-bit value: halves the lookups of the
// straight path. Built by the compiler.
struct symbol_pairs {
    char pair[4096][2];
};
constexpr symbol_pairs make_base64_pairs() {
    symbol_pairs pairs{};
    for (unsigned v = 0; v < 4096; ++v) {
        pairs.pair[v][0] = base64_alphabet[v >> 6];
        pairs.pair[v][1] = base64_alphabet[v & 63];
    }
    return pairs;
}
constexpr symbol_pairs base64_pairs = make_base64_pairs();

// The packer proper: writes exactly symbol_count(n, w) symbols from `out`
// on and returns the end. Whole groups after which the accumulator is empty
// again take a straight path; the general loop finishes the rest from the
// same (empty) state, so the result is that of the general loop alone.
char* pack_bits(const unsigned char* in, std::size_t n, char* out, const char* alphabet, unsigned w,
                unsigned mask) {
    const unsigned char* const end = in + n;
    if (w == 6 && mask == 63 && alphabet == base64_alphabet) {
        for (; end - in >= 3; in += 3, out += 4) {
            const std::uint32_t a = std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | in[2];
            std::memcpy(out, base64_pairs.pair[a >> 12], 2);
            std::memcpy(out + 2, base64_pairs.pair[a & 0xFFF], 2);
        }
    } else if (w == 6) {
        for (; end - in >= 3; in += 3, out += 4) {
            const std::uint32_t a = std::uint32_t{in[0]} << 16 | std::uint32_t{in[1]} << 8 | in[2];
            out[0] = alphabet[(a >> 18) & mask];
            out[1] = alphabet[(a >> 12) & mask];
            out[2] = alphabet[(a >> 6) & mask];
            out[3] = alphabet[a & mask];
        }
    } else if (w == 4) {
        for (; in != end; ++in, out += 2) {
            out[0] = alphabet[(*in >> 4) & mask];
            out[1] = alphabet[*in & mask];
        }
    }

    std::uint32_t a = 0;
    unsigned k = 0;
    for (;;) {
        if (k < w) {
            if (in == end) {
                if (k == 0) break;
                a <<= w - k;  // fill the last symbol up with zero bits
                k = w;
            } else {
                a = a << 8 | *in++;
                k += 8;
            }
        }
        k -= w;
        *out++ = alphabet[(a >> k) & mask];
    }
    return out;
}

const unsigned char* bytes_of(std::string_view text) {
    return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

void encode_bits(std::string_view input, std::string& output, const char* alphabet,
                 unsigned bits_per_symbol, unsigned mask) {
    check_width(bits_per_symbol);
    const std::uint64_t symbols = symbol_count(input.size(), bits_per_symbol);
    if (symbols > output.max_size() - output.size()) throw std::length_error("encode_bits");
    // Sized once and written through a pointer: no per-symbol append.
    const std::size_t start = output.size();
    output.resize(start + static_cast<std::size_t>(symbols));
    pack_bits(bytes_of(input), input.size(), output.data() + start, alphabet, bits_per_symbol, mask);
}

void decode_bits(std::string_view input, std::string& output, const value_table& table,
                 unsigned bits_per_symbol, bool strict) {
    check_width(bits_per_symbol);
    const unsigned w = bits_per_symbol;
    std::uint32_t a = 0;
    unsigned k = 0;
    for (const char c : input) {
        const auto b = static_cast<unsigned char>(c);
        const std::int16_t v = table[b];
        if (v < 0) {
            if (v == not_a_symbol && strict)
                throw invalid_codeword(format_text("Invalid Codeword 0x%.2X", static_cast<unsigned>(b)));
            continue;
        }
        // Only the low k bits are still needed (k < 8 before the shift), so
        // bits leaving the top of the accumulator never matter.
        a = a << w | static_cast<std::uint32_t>(v);
        k += w;
        if (k >= 8) {
            k -= 8;
            output.push_back(static_cast<char>((a >> k) & 0xFF));
        }
    }
}

std::string to_base64(std::string_view bytes) {
    // encode_bits and the "=" padding, in one allocation of the final size.
    const std::uint64_t padded = (std::uint64_t{bytes.size()} + 2) / 3 * 4;
    std::string out;
    if (padded > out.max_size()) throw std::length_error("to_base64");
    out.resize(static_cast<std::size_t>(padded));
    char* end = pack_bits(bytes_of(bytes), bytes.size(), out.data(), base64_alphabet, 6, 63);
    while (end != out.data() + out.size()) *end++ = '=';
    return out;
}

std::string from_base64(std::string_view text) {
    std::string out;
    out.reserve(decoded_room(text.size(), 6));
    decode_bits(text, out, base64_table, 6, false);
    return out;
}

std::string to_hex(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    encode_bits(bytes, out, hex_alphabet, 4, 15);
    return out;
}

std::string from_hex(std::string_view text) {
    std::string out;
    out.reserve(decoded_room(text.size(), 4));
    decode_bits(text, out, hex_table, 4, true);
    return out;
}

std::string to_quoted_printable(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (escape_set[b]) {
            const char escape[3] = {'=', upper_hex[b >> 4], upper_hex[b & 15]};
            out.append(escape, 3);
        } else {
            out.push_back(c);
        }
    }
    return out;
}

std::string from_quoted_printable(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '=' && text.size() - i > 2) {
            // Two strict hexadecimal digits append exactly one byte.
            decode_bits(text.substr(i + 1, 2), out, hex_table, 4, true);
            i += 3;
        } else {
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}

}  // namespace varrow::coding::translate
