#include <cstdio>
#include <cstdlib>
#include <string>

#include "varrow/text.h"
#include "varrow/ui/recording.h"
#include "varrow/ui/ui.h"

namespace varrow::ui {

namespace recording {

std::vector<box>& boxes() {
    static std::vector<box> all;
    return all;
}

std::deque<bool>& answers() {
    static std::deque<bool> queued;
    return queued;
}

void reset() {
    boxes().clear();
    answers().clear();
}

std::string escape(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        switch (c) {
            case '\\': out += "\\\\"; break;
            case '\t': out += "\\t"; break;
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            default:
                if (c < 0x20) out += format_text("\\x%.2X", c);
                else out += static_cast<char>(c);
        }
    }
    return out;
}

std::string unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const char n = text[++i];
        if (n == 't') out += '\t';
        else if (n == 'r') out += '\r';
        else if (n == 'n') out += '\n';
        else if (n == 'x' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
            i += 2;
        } else out += n;
    }
    return out;
}

}  // namespace recording

namespace {

void record(bool is_question, const std::string& text, const std::string& caption) {
    recording::boxes().push_back({is_question, text, caption});
    if (const char* path = std::getenv("TW_UI_RECORD"); path && *path) {
        if (std::FILE* f = std::fopen(path, "ab")) {
            const std::string line = std::string(is_question ? "question" : "notice") + "\t" +
                                     recording::escape(caption) + "\t" + recording::escape(text) + "\n";
            std::fwrite(line.data(), 1, line.size(), f);
            std::fclose(f);
        }
    }
}

// Index of the next scripted answer from TW_UI_ANSWERS.
std::size_t scripted_answer_index = 0;

}  // namespace

void notice(const std::string& text, const std::string& caption) { record(false, text, caption); }

bool question(const std::string& text, const std::string& caption) {
    record(true, text, caption);
    auto& queued = recording::answers();
    if (!queued.empty()) {
        const bool answer = queued.front();
        queued.pop_front();
        return answer;
    }
    const char* script = std::getenv("TW_UI_ANSWERS");
    if (script && scripted_answer_index < std::string(script).size()) {
        const char c = script[scripted_answer_index++];
        return c == 'y' || c == 'Y';
    }
    return false;
}

}  // namespace varrow::ui
