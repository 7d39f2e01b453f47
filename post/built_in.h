#pragma once
// The values built into the report tool. They come from the build settings
// of the program being built (see post/CMakeLists.txt); nothing is read at
// run time.

#include <cstdint>

namespace post::built_in {

// Recipient of the report.
extern const char support_mailbox[];
// Display name in front of the mailbox in the To header.
extern const char display_name[];
// SMTP server that takes the report, and its port.
extern const char mail_host[];
extern const std::uint16_t mail_port;
// Host whose IPv4 address goes into the subject.
extern const char download_host[];
// Argument of the SMTP greeting.
extern const char client_name[];
// Reverse path of the mail: empty, the null sender.
extern const char sender[];

}  // namespace post::built_in
