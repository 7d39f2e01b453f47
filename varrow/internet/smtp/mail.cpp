#include "varrow/internet/smtp/smtp.h"
#include "varrow/text.h"

namespace varrow::internet::smtp {

namespace {

// The DATA phase goes out in sends of up to this many bytes: every send
// call costs far more than the bytes it carries.
constexpr std::size_t data_send_size = 64 * 1024;

// Collects the dot-stuffed message lines and writes them in pieces of
// data_send_size bytes; the bytes and their order are those of one write
// per line.
class data_writer {
public:
    explicit data_writer(transport::tcp::base& transport) : transport_(transport) { pending_.reserve(data_send_size); }

    void add_line(const std::string& line) {
        // Transparency: a line that begins with "." gets one more in front.
        if (!line.empty() && line.front() == '.') append(".");
        append(line);
        append("\r\n");
    }

    void finish() {
        if (!pending_.empty()) transport_.write(pending_);
        pending_.clear();
    }

private:
    void append(std::string_view bytes) {
        while (!bytes.empty()) {
            const std::size_t room = data_send_size - pending_.size();
            const std::size_t taken = bytes.size() < room ? bytes.size() : room;
            pending_.append(bytes.substr(0, taken));
            bytes.remove_prefix(taken);
            if (pending_.size() == data_send_size) finish();
        }
    }

    transport::tcp::base& transport_;
    std::string pending_;
};

}  // namespace

void greet(const std::string& client_name, transport::tcp::base& transport, reply_texts& texts) {
    {
        reply_texts greeting;
        read_reply(transport, greeting);
    }
    try {
        send_command(transport, texts, format_text("EHLO %s", client_name.c_str()));
    } catch (const permanent_failure&) {
        // The server knows no extended greeting: greet plainly instead.
        send_command(transport, texts, format_text("HELO %s", client_name.c_str()));
    }
}

void deliver(const std::string& sender, transport::tcp::base& transport, const std::string& recipient,
             const message_lines& lines) {
    try {
        reply_texts texts;
        send_command(transport, texts, "RSET");
        send_command(transport, texts, format_text("MAIL FROM: <%s>", sender.c_str()));
        send_command(transport, texts, format_text("RCPT TO: <%s>", recipient.c_str()));
        transport.write_line("DATA");
        // Replies other than 354 that do not raise are passed over.
        while (read_reply(transport, texts) != 354) {
        }
        data_writer data(transport);
        for (const std::string& line : lines) data.add_line(line);
        data.finish();
        send_command(transport, texts, ".");
    } catch (const transport::generic& error) {
        throw temporary_failure(error.description());
    }
}

void quit(transport::tcp::base& transport) {
    try {
        reply_texts texts;
        send_command(transport, texts, "QUIT");
    } catch (const transport::generic& error) {
        // The server has accepted the message already; only its goodbye is
        // missing.
        throw unreliable_delivery(error.description());
    }
}

namespace detail {

void send_mail(const std::string& client_name, const address::ip4& server, const std::string& recipient,
               const std::string& sender, const message_lines& lines, std::uint32_t receive_timeout_ms) {
    transport::tcp::raw transport;
    transport.open(server);
    transport.connect_to(server);
    if (!transport::socket_calls::set_receive_timeout(transport.socket(), receive_timeout_ms))
        transport.raise_option_error();
    reply_texts texts;
    greet(client_name, transport, texts);
    deliver(sender, transport, recipient, lines);
    quit(transport);
}

}  // namespace detail

void send_mail(const std::string& client_name, const address::ip4& server, const std::string& recipient,
               const std::string& sender, const message_lines& lines) {
    detail::send_mail(client_name, server, recipient, sender, lines, receive_timeout);
}

}  // namespace varrow::internet::smtp
