#include "varrow/system/command_line.h"

namespace varrow::system {

std::string quote_argument(std::string_view argument) {
    if (!argument.empty() && argument.find_first_of(" \t\n\v\r\"") == std::string_view::npos)
        return std::string(argument);
    std::string out = "\"";
    std::size_t backslashes = 0;
    for (char c : argument) {
        if (c == '\\') {
            ++backslashes;
            continue;
        }
        if (c == '"') {
            // Backslashes before a quote are doubled, and the quote escaped.
            out.append(backslashes * 2 + 1, '\\');
            out += '"';
        } else {
            out.append(backslashes, '\\');
            out += c;
        }
        backslashes = 0;
    }
    // Backslashes before the closing quote are doubled too.
    out.append(backslashes * 2, '\\');
    out += '"';
    return out;
}

std::string join_arguments(const std::vector<std::string>& arguments) {
    std::string out;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (i) out += ' ';
        out += quote_argument(arguments[i]);
    }
    return out;
}

std::vector<std::string> split_arguments(std::string_view text) {
    std::vector<std::string> out;
    std::size_t i = 0;
    const std::size_t n = text.size();
    for (;;) {
        while (i < n && (text[i] == ' ' || text[i] == '\t')) ++i;
        if (i >= n) break;
        std::string argument;
        bool quoted = false;
        while (i < n) {
            const char c = text[i];
            if (!quoted && (c == ' ' || c == '\t')) break;
            if (c == '\\') {
                std::size_t count = 0;
                while (i < n && text[i] == '\\') {
                    ++count;
                    ++i;
                }
                if (i < n && text[i] == '"') {
                    argument.append(count / 2, '\\');
                    if (count % 2) {
                        argument += '"';
                        ++i;
                    }
                    // An even count leaves the quote to toggle quoting.
                } else {
                    argument.append(count, '\\');
                }
                continue;
            }
            if (c == '"') {
                if (quoted && i + 1 < n && text[i + 1] == '"') {
                    argument += '"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            argument += c;
            ++i;
        }
        out.push_back(std::move(argument));
    }
    return out;
}

}  // namespace varrow::system
