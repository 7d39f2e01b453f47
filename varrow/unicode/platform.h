#pragma once
// The platform's code-page converter behind to_multibyte and to_wide
// (internal to the module). Called with non-empty input and a code page
// other than direct_codepage; raises the same classes as the public
// functions and returns nothing partial.

#include <cstdint>
#include <string>

namespace varrow::unicode::platform {

// `restricted`: neither the used-default report is requested nor, in
// to_wide, strict input checking (restricted_codepage(codepage)).
std::string to_multibyte(const std::u16string& text, std::int32_t codepage, bool restricted);
std::u16string to_wide(const std::string& bytes, std::int32_t codepage, bool restricted);

}  // namespace varrow::unicode::platform
