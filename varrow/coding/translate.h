#pragma once
// Transfer codings: base64 (RFC 4648 alphabet, padded), lower-case
// hexadecimal, and the "=XX" escape form used for quoted-printable bodies
// and Q encoded words.
//
// Base64 and hexadecimal are instances of one bit packer (encode_bits) and
// one bit unpacker (decode_bits) driven by an alphabet or a value table.
// The functions work on whole byte strings and know nothing of lines. Every
// function keeps no state; the alphabets and tables are constant data.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "varrow/coding/errors.h"

namespace varrow::coding::translate {

// One entry per byte value: 0 or above is the symbol's value, `not_a_symbol`
// marks a byte that is not a symbol, `skipped_symbol` one that is skipped
// without complaint.
using value_table = std::array<std::int16_t, 256>;
constexpr std::int16_t not_a_symbol = -1;
constexpr std::int16_t skipped_symbol = -2;

// "ABC...Zabc...z0123456789+/"; symbol value = position.
extern const char base64_alphabet[65];
// "0123456789abcdef".
extern const char hex_alphabet[17];
// "A".."Z" 0..25, "a".."z" 26..51, "0".."9" 52..61, "+" 62, "/" 63,
// "=" skipped_symbol, every other byte not_a_symbol.
extern const value_table base64_table;
// "0".."9" 0..9, "A".."F" and "a".."f" 10..15, every other byte not_a_symbol.
extern const value_table hex_table;

// Packs the bits of `input`, most significant first, into symbols of
// `bits_per_symbol` bits (1 to 8) and appends alphabet[(bits) & mask] for
// each to `output`. The last symbol is filled up with zero bits; no padding
// is added. `alphabet` must hold at least mask + 1 characters.
// Raises std::invalid_argument for a symbol width outside 1..8 (nothing is
// appended then), otherwise only allocation failures.
void encode_bits(std::string_view input, std::string& output, const char* alphabet,
                 unsigned bits_per_symbol, unsigned mask);

// Unpacks symbols of `bits_per_symbol` bits (1 to 8) into bytes appended to
// `output`; bits left over at the end (fewer than 8) are dropped. Bytes
// whose table value is skipped_symbol are skipped; bytes that are
// not_a_symbol are skipped too, unless `strict`, which raises
// invalid_codeword ("Invalid Codeword 0x%.2X" of the byte). On a raise the
// bytes appended so far stay in `output`; callers abandon it.
// Raises std::invalid_argument for a symbol width outside 1..8.
void decode_bits(std::string_view input, std::string& output, const value_table& table,
                 unsigned bits_per_symbol, bool strict);

// Base64 with "=" padding to a multiple of 4; 57 bytes give 76 characters.
std::string to_base64(std::string_view bytes);
// Skips every byte outside the alphabet ("=", blanks and line breaks
// included) and accepts missing padding. Never raises (but bad_alloc).
std::string from_base64(std::string_view text);

// Two lower-case digits per byte, high half first.
std::string to_hex(std::string_view bytes);
// Accepts both letter cases; any other byte raises invalid_codeword. With
// an odd number of digits the last digit is dropped.
std::string from_hex(std::string_view text);

// Writes "=", "?", "_", the double quote and every byte below 0x20 or above
// 0x7E as "=" and two upper-case hexadecimal digits; every other byte, the
// blank included, unchanged. Breaks no lines.
std::string to_quoted_printable(std::string_view bytes);
// Replaces each "=" followed by two more bytes with the byte those two
// hexadecimal digits give; raises invalid_codeword (naming the first
// offending byte) when they are not both digits. An "=" with fewer than
// two bytes after it, and every other byte ("_" included), stays as it is.
// There is no handling of soft line breaks.
std::string from_quoted_printable(std::string_view text);

}  // namespace varrow::coding::translate
