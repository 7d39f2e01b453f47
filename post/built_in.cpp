// Compiled once per program, each with its own values: the product takes the
// build's cache variables, the test builds loopback values.
#include "post/built_in.h"

#if !defined(TW_SUPPORT_MAILBOX) || !defined(TW_MAIL_HOST) || !defined(TW_MAIL_PORT) || \
    !defined(TW_DOWNLOAD_HOST)
#error "the built-in values of the report tool must be given as compile definitions"
#endif

static_assert(TW_MAIL_PORT > 0 && TW_MAIL_PORT <= 65535, "the mail port must be a TCP port number");

namespace post::built_in {

const char support_mailbox[] = TW_SUPPORT_MAILBOX;
const char display_name[] = "Installation Support";
const char mail_host[] = TW_MAIL_HOST;
const std::uint16_t mail_port = TW_MAIL_PORT;
const char download_host[] = TW_DOWNLOAD_HOST;
const char client_name[] = "installer";
const char sender[] = "";

}  // namespace post::built_in
