#include "varrow/text.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace varrow {

std::string format_text(const char* format, ...) {
    std::vector<char> buffer(1024);
    for (;;) {
        va_list args;
        va_start(args, format);
        const int written = std::vsnprintf(buffer.data(), buffer.size(), format, args);
        va_end(args);
        // A negative count (older runtimes) or a count that does not fit
        // means the output was cut: double and format again.
        if (written >= 0 && static_cast<std::size_t>(written) < buffer.size())
            return std::string(buffer.data(), static_cast<std::size_t>(written));
        if (written < 0 && buffer.size() > (std::size_t{1} << 30)) return std::string();
        buffer.resize(buffer.size() * 2);
    }
}

bool starts_with(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

bool ends_with(std::string_view text, std::string_view suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

std::string to_lower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string to_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

bool iequals(std::string_view a, std::string_view b) { return to_lower(a) == to_lower(b); }

std::string replace_all(std::string_view text, std::string_view from, std::string_view to) {
    std::string out(text);
    if (from.empty()) return out;
    std::size_t pos = 0;
    while ((pos = out.find(from, pos)) != std::string::npos) {
        out.replace(pos, from.size(), to);
        pos += to.size();
    }
    return out;
}

std::vector<std::string> split_any(std::string_view text, std::string_view separators) {
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (separators.find(text[i]) != std::string_view::npos) {
            pieces.emplace_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    pieces.emplace_back(text.substr(start));
    return pieces;
}

}  // namespace varrow
