#pragma once
// Errors of the unicode conversion; always raised with an empty description.
#include "varrow/exception.h"

namespace varrow::unicode {
VARROW_ERROR_CLASS(generic, varrow::exception, "unicode");
VARROW_ERROR_CLASS(out_of_memory, generic, "out_of_memory");
VARROW_ERROR_CLASS(invalid_codepage, generic, "invalid_codepage");
VARROW_ERROR_CLASS(unmappable_character, generic, "unmappable_character");
}  // namespace varrow::unicode
