#pragma once
// Byte-text helpers shared by both programs. Byte text is std::string (any
// byte value, zero included); wide text is std::u16string (UTF-16 units).

#include <string>
#include <string_view>
#include <vector>

namespace varrow {

#if defined(__MINGW32__)
#define VARROW_PRINTF_FORMAT(f, a) __attribute__((format(gnu_printf, f, a)))
#else
#define VARROW_PRINTF_FORMAT(f, a) __attribute__((format(printf, f, a)))
#endif

// printf-style formatting into byte text. Formats into a 1024-byte buffer
// first and doubles it until the output fits. The result is exactly the
// characters written, a zero byte from "%c" included.
std::string format_text(const char* format, ...) VARROW_PRINTF_FORMAT(1, 2);

bool starts_with(std::string_view text, std::string_view prefix);
bool ends_with(std::string_view text, std::string_view suffix);
// Copies in which only the ASCII letters change case.
std::string to_lower(std::string_view text);
std::string to_upper(std::string_view text);
// Equality of the to_lower copies.
bool iequals(std::string_view a, std::string_view b);
// Replaces every occurrence of `from` (not empty) by `to`; the scan goes on
// after the inserted text. An empty `from` leaves the text unchanged.
std::string replace_all(std::string_view text, std::string_view from, std::string_view to);
// Splits at every byte of `separators`. Every separator ends a piece, so
// adjacent separators give empty pieces; the text after the last separator
// is always the last piece, possibly empty.
std::vector<std::string> split_any(std::string_view text, std::string_view separators);

}  // namespace varrow
