#pragma once
// The Winsock start-up and shut-down tables, apart from the calls so that
// every code of them can be checked.
namespace varrow::internet::environment {

// Raises the start-up table's class for a nonzero WSAStartup result.
[[noreturn]] void raise_startup_error(long result);
// Raises the shut-down table's class for a WSACleanup error code; returns
// for WSANOTINITIALISED, which counts as success.
void raise_shutdown_error(long code);

}  // namespace varrow::internet::environment
