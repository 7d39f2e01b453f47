#pragma once
// The platform's socket calls in a neutral form. Each raises by its call's
// table (the platform's error code mapped to a class, with the call's
// failure text; other codes raise transport::generic with the call's status
// text, "0x" and eight lower-case hexadecimal digits of the code).

#include <cstddef>
#include <cstdint>

namespace varrow::internet::transport::socket_calls {

// Wide enough for SOCKET on Win64 and for a file descriptor; INVALID_SOCKET
// (all bits set) and -1 are both -1 here.
using handle = std::intptr_t;
inline constexpr handle invalid = -1;

enum class call { socket, connect, setsockopt, recv, send, closesocket };

// The calling thread's last socket error code (WSAGetLastError or errno).
long last_error();

// Raises for code by the call's table. For closesocket it returns normally
// for the code that counts as success (WSAENOTSOCK, EBADF).
void raise_error(call which, long code);

// socket(family, SOCK_STREAM, 0); raises by the socket table.
handle open_stream(int family);
// connect(); raises by the connect table.
void connect(handle socket, const void* address, std::size_t size);
// One send() of up to length bytes; returns the count (0 when nothing was
// taken); raises by the send table. Never raises SIGPIPE.
std::size_t send(handle socket, const char* buffer, std::size_t length);
// One recv() of up to length bytes; returns the count (0: the peer closed);
// raises by the recv table.
std::size_t recv(handle socket, char* buffer, std::size_t length);
// closesocket(); raises by the closesocket table.
void close(handle socket);
// Sets the receive time-out (SO_RCVTIMEO) in milliseconds; false when the
// platform call failed, with its error code left for last_error().
bool set_receive_timeout(handle socket, std::uint32_t milliseconds);

}  // namespace varrow::internet::transport::socket_calls
