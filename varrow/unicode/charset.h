#pragma once
// Charset names (as in a MIME charset parameter: utf-8, ISO-8859-1,
// windows-1252, ...) to the code page numbers of varrow/unicode/conversion.h.

#include <cstdint>
#include <map>
#include <string>

namespace varrow::unicode {

// Normalised charset name -> code page, compared bytewise. Filled completely
// during static initialisation (before main) with insert-if-absent, destroyed
// at exit, only read in between. Names are stored normalised: ASCII letters
// lowered, every "-" and "_" removed.
extern const std::map<std::string, std::int32_t> charset_table;

// The code page for a charset name. Normalises a copy of the name (ASCII
// letters lowered, then every "-" and every "_" removed; blanks, dots,
// colons and plus signs stay), then:
// 1. a name in charset_table gives its code page;
// 2. a name beginning with "iso8859", "latin" or "csisolatin" (tried in that
//    order) gives 28590 + the decimal number that follows (read like
//    variant::as_integer: no digits give 0, out-of-range values clamp).
//    After "latin" and "csisolatin" the number is a Latin alphabet number,
//    so 5..10 name the ISO 8859 parts 9, 10, 13, 14, 15 and 16 that carry
//    those alphabets (latin5 is Turkish 28599, latin9 is 28605);
// 3. a name beginning with "windows", "dos", "ibm" or "cp" gives the number
//    that follows (so "cp" alone gives 0, the ANSI code page);
// 4. anything else gives -1 (direct_codepage).
// The number is not checked here: a code page the platform lacks makes the
// later conversion raise invalid_codepage. Raises nothing of its own (only
// std::bad_alloc can escape). Must not be called before main or after it
// returns (charset_table is filled by static initialisation).
std::int32_t codepage_of(const std::string& name);

}  // namespace varrow::unicode
