#pragma once
// Errors of the transports. The connection classes are enclosed in
// tcp::base (see tcp/connection_errors.h) but their category runs through
// "internet.transport" and "connection_failed" only.
#include "varrow/exception.h"

namespace varrow::internet::transport {
VARROW_ERROR_CLASS(generic, varrow::exception, "internet.transport");
VARROW_ERROR_CLASS(operation_interrupted, generic, "operation_interrupted");
VARROW_ERROR_CLASS(not_a_socket, generic, "not_a_socket");
VARROW_ERROR_CLASS(address_in_use, generic, "address_in_use");
VARROW_ERROR_CLASS(address_not_valid, generic, "address_not_valid");
}  // namespace varrow::internet::transport
