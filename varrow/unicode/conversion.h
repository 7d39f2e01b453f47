#pragma once
// Conversion between wide text (UTF-16 code units) and byte text in a
// numbered code page.
//
// Code page numbers are the platform's identifiers (0 is the ANSI code page
// of the system or, on POSIX, of the locale: 65001 for UTF-8 locales, 1252
// for the C locale). The reserved value `direct_codepage` maps each byte
// 0..255 to the code unit of the same value and back, without the platform.
//
// Every failure raises a class of varrow/unicode/errors.h with an empty
// description; nothing is partially returned. Both functions leave their
// input unchanged and keep no state, so they may run on any thread.

#include <cstdint>
#include <string>

#include "varrow/unicode/errors.h"

namespace varrow::unicode {

// Each byte stands for the code unit of the same value (0 to 255).
constexpr std::int32_t direct_codepage = -1;

// Wide text to bytes in `codepage`.
// - Empty text gives empty bytes for any code page (nothing is examined).
// - direct_codepage: a unit above 0xFF (surrogates included) raises
//   unmappable_character.
// - A code page the platform does not know raises invalid_codepage.
// - A character that the code page cannot hold (the platform would write its
//   default character) raises unmappable_character; for a
//   restricted_codepage the platform is not asked for that report.
// - No output for another reason: out_of_memory (insufficient buffer),
//   unmappable_character (invalid parameter), generic (anything else).
std::string to_multibyte(const std::u16string& text, std::int32_t codepage);

// Bytes in `codepage` to wide text.
// - Empty bytes give empty text for any code page.
// - direct_codepage never fails.
// - An invalid byte sequence raises unmappable_character for code pages
//   outside restricted_codepage; restricted ones yield what the platform
//   makes of it instead (U+FFFD for invalid UTF-8).
// - A code page the platform does not know raises invalid_codepage.
// - No output for another reason: out_of_memory or generic.
std::u16string to_wide(const std::string& bytes, std::int32_t codepage);

// True for the code pages with which the platform accepts neither the
// strict-input flag nor the used-default-character report: 42, 50221,
// 50222, 50225, 50227, 50229, 52936, 54936, 57002..57011, 65000 (UTF-7) and
// 65001 (UTF-8).
bool restricted_codepage(std::int32_t codepage) noexcept;

}  // namespace varrow::unicode
