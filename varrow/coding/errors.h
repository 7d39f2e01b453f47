#pragma once
// Errors of the transfer codings. The category segment is "translate".
#include "varrow/exception.h"

namespace varrow::coding::translate {
VARROW_ERROR_CLASS(generic, varrow::exception, "translate");
VARROW_ERROR_CLASS(invalid_codeword, generic, "invalid_codeword");
}  // namespace varrow::coding::translate
