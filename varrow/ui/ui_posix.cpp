#include <cstdio>
#include <iostream>
#include <string>

#include "varrow/text.h"
#include "varrow/ui/ui.h"

namespace varrow::ui {

namespace {

void show(const std::string& text, const std::string& caption) {
    // Caption and text once each, as the box would show them.
    std::string out = caption + "\n" + text + "\n";
    std::fwrite(out.data(), 1, out.size(), stderr);
}

std::string trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\t' || s[b] == '\r')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\t' || s[e - 1] == '\r')) --e;
    return s.substr(b, e - b);
}

}  // namespace

void notice(const std::string& text, const std::string& caption) {
    show(text, caption);
    std::fflush(stderr);
}

bool question(const std::string& text, const std::string& caption) {
    show(text, caption);
    std::fputs("[y/N] ", stderr);
    std::fflush(stderr);
    std::string line;
    // End of input (or a read error) means No.
    if (!std::getline(std::cin, line)) return false;
    const std::string answer = to_lower(trim(line));
    return answer == "y" || answer == "yes";
}

}  // namespace varrow::ui
