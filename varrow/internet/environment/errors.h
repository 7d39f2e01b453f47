#pragma once
// Errors of the socket environment (socket library start-up).
#include "varrow/exception.h"

namespace varrow::internet::environment {
VARROW_ERROR_CLASS(generic, varrow::exception, "internet.environment");
VARROW_ERROR_CLASS(subsystem_not_ready, generic, "subsystem_not_ready");
VARROW_ERROR_CLASS(subsystem_failed, generic, "subsystem_failed");
VARROW_ERROR_CLASS(version_not_supported, generic, "version_not_supported");
}  // namespace varrow::internet::environment
