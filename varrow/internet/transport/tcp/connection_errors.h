#pragma once
// The connection error classes. Expand VARROW_TCP_CONNECTION_ERRORS inside
// the public part of class internet::transport::tcp::base, so that they are
// named tcp::base::connection_refused and so on.
#include "varrow/internet/transport/errors.h"

#define VARROW_TCP_CONNECTION_ERRORS                                                            \
    VARROW_ERROR_CLASS(connection_failed, ::varrow::internet::transport::generic, "connection_failed"); \
    VARROW_ERROR_CLASS(connection_aborted, connection_failed, "connection_aborted");            \
    VARROW_ERROR_CLASS(connection_closed, connection_failed, "connection_closed");              \
    VARROW_ERROR_CLASS(connection_refused, connection_failed, "connection_refused");            \
    VARROW_ERROR_CLASS(connection_reset, connection_failed, "connection_reset");                \
    VARROW_ERROR_CLASS(connection_timed_out, connection_failed, "connection_timed_out");        \
    VARROW_ERROR_CLASS(network_unreachable, connection_failed, "network_unreachable");          \
    VARROW_ERROR_CLASS(host_unreachable, connection_failed, "host_unreachable")
