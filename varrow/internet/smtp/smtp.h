#pragma once
// The SMTP client: reading server replies, and one complete mail
// transaction that hands one message to one recipient.

#include <cstdint>
#include <string>
#include <vector>

#include "varrow/internet/address/address.h"
#include "varrow/internet/smtp/errors.h"
#include "varrow/internet/transport/tcp/tcp.h"

namespace varrow::internet::smtp {

// The text after the code and its separator of each reply line.
using reply_texts = std::vector<std::string>;
// A message in its wire form, one element per line, without line ends.
// The same type as the lines a message2::message makes, so they are sent
// without a copy.
using message_lines = std::vector<std::string>;

// Milliseconds that every wait for server data may last.
inline constexpr std::uint32_t receive_timeout = 30000;
// Most continuation lines' texts a reply may collect, its last line aside.
inline constexpr std::size_t max_reply_texts = 128;

// Reads one whole reply into texts (emptied first) and returns its code.
// Raises temporary_failure / permanent_failure with the last line when it
// begins with "4" / "5"; generic with "Bad response: ", "Invalid
// character: " or "Excess response: " and the offending line for a
// malformed reply; transport errors pass unchanged. After a raise texts
// hold what was collected up to the failing line.
std::int32_t read_reply(transport::tcp::base& transport, reply_texts& texts);

// Writes the command line, then reads its reply as read_reply does.
std::int32_t send_command(transport::tcp::base& transport, reply_texts& texts, const std::string& command);

// Connects to server, greets with client_name (EHLO, HELO after a 5xx
// answer), delivers lines from sender to recipient, and says QUIT. Returns
// only when the server accepted the message and answered QUIT. Raises the
// transport's class for a failed open, connect or time-out option and for
// transport errors during the greeting; the SMTP classes for 4xx and 5xx
// replies and malformed ones; temporary_failure with the transport error's
// description for transport errors from RSET to the final "."; and
// unreliable_delivery for a transport error at QUIT. The socket library
// must be started.
void send_mail(const std::string& client_name, const address::ip4& server, const std::string& recipient,
               const std::string& sender, const message_lines& lines);

// The greeting, then EHLO, or HELO when EHLO draws a 5xx reply.
void greet(const std::string& client_name, transport::tcp::base& transport, reply_texts& texts);
// RSET, MAIL FROM, RCPT TO, DATA, the dot-stuffed lines and ".". Transport
// errors become temporary_failure with their description.
void deliver(const std::string& sender, transport::tcp::base& transport, const std::string& recipient,
             const message_lines& lines);
// QUIT; a transport error becomes unreliable_delivery with its description.
void quit(transport::tcp::base& transport);

namespace detail {
// send_mail with another receive time-out, so that tests of a silent server
// need not wait 30 seconds.
void send_mail(const std::string& client_name, const address::ip4& server, const std::string& recipient,
               const std::string& sender, const message_lines& lines, std::uint32_t receive_timeout_ms);
}  // namespace detail

}  // namespace varrow::internet::smtp
