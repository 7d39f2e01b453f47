#pragma once
// UTF-8 and UTF-7 as the Windows code-page services write and read them
// (code pages 65001 and 65000; internal to the module). Neither ever fails:
// both are restricted code pages, so invalid input is replaced or passed
// through instead of being reported.

#include <string>

namespace varrow::unicode {

// A lone surrogate unit becomes U+FFFD (EF BF BD). Output is at most three
// bytes per unit.
std::string utf16_to_utf8(const std::u16string& text);

// Invalid sequences become U+FFFD: a byte that cannot begin a sequence, a
// lead byte whose next byte does not continue it, a lead byte together with
// a first continuation byte that can only make an overlong form, a surrogate
// or a value above U+10FFFF, and a sequence cut short (by the end or by a
// byte that does not continue it). At most one unit per input byte.
std::u16string utf8_to_utf16(const std::string& bytes);

// Directly written: letters, digits, ' ( ) , - . / : ? and space, tab, CR,
// LF, NUL; "+" is written "+-"; every other run goes base64 between "+" and "-".
// Output is at most five bytes per unit.
std::string utf16_to_utf7(const std::u16string& text);

// "+" opens base64 ("+-" is a plus sign); the first byte that is not a
// base64 letter ends it and is kept, unless it is "-". Bits left over at the
// end of a run are dropped; bytes outside base64 become the unit of the same
// value. At most one unit per input byte; may give no unit at all.
std::u16string utf7_to_utf16(const std::string& bytes);

}  // namespace varrow::unicode
