#pragma once
// Errors of addresses and name resolution.
#include "varrow/exception.h"

namespace varrow::internet::address {
VARROW_ERROR_CLASS(generic, varrow::exception, "internet.address");
VARROW_ERROR_CLASS(invalid_address_format, generic, "invalid_address_format");
VARROW_ERROR_CLASS(host_not_found, generic, "host_not_found");
VARROW_ERROR_CLASS(service_not_found, generic, "service_not_found");
}  // namespace varrow::internet::address
