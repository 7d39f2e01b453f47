#pragma once
// Errors of the SMTP client. The category segment is "smtp", not a path
// under "internet".
#include "varrow/exception.h"

namespace varrow::internet::smtp {
VARROW_ERROR_CLASS(generic, varrow::exception, "smtp");
VARROW_ERROR_CLASS(temporary_failure, generic, "temporary_failure");
VARROW_ERROR_CLASS(permanent_failure, generic, "permanent_failure");
VARROW_ERROR_CLASS(unreliable_delivery, generic, "unreliable_delivery");
}  // namespace varrow::internet::smtp
