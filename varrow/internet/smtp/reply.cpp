#include "varrow/internet/smtp/smtp.h"
#include "varrow/variant.h"

namespace varrow::internet::smtp {

std::int32_t read_reply(transport::tcp::base& transport, reply_texts& texts) {
    texts.clear();
    std::string line;
    transport.read_line(line);
    for (;;) {
        if (line.size() < 3) throw generic("Bad response: " + line);
        if (line.size() == 3) break;
        texts.push_back(line.substr(4));
        if (line[3] == ' ') break;
        if (line[3] != '-') throw generic("Invalid character: " + line);
        // The list is appended to before the limit is tested: 128
        // continuation lines and a last line are accepted.
        if (texts.size() > max_reply_texts) throw generic("Excess response: " + line);
        transport.read_line(line);
    }
    // Only the last line's first character decides.
    if (line[0] == '4') throw temporary_failure(line);
    if (line[0] == '5') throw permanent_failure(line);
    return variant(line.substr(0, 3)).as_integer();
}

std::int32_t send_command(transport::tcp::base& transport, reply_texts& texts, const std::string& command) {
    transport.write_line(command);
    return read_reply(transport, texts);
}

}  // namespace varrow::internet::smtp
