#pragma once
// The recording user interface, for tests.
//
// In-process: every box is appended to boxes(); questions take their answer
// from the front of the queued answers (No when none is queued).
//
// Across processes (a test build of a program linked with this library):
//   TW_UI_RECORD=<file>  each box is appended to the file as one line
//                        "<kind>\t<escaped caption>\t<escaped text>\n", kind
//                        being "notice" or "question"; escape() says how.
//   TW_UI_ANSWERS=<y/n letters>  answers for the questions in order; a
//                        question beyond them is answered No. Answers queued
//                        in-process come first.

#include <deque>
#include <string>
#include <vector>

namespace varrow::ui::recording {

struct box {
    bool is_question = false;
    std::string text;
    std::string caption;
    bool operator==(const box&) const = default;
};

// The boxes shown so far, in order.
std::vector<box>& boxes();
// Answers for the next questions (true = Yes), consumed from the front.
std::deque<bool>& answers();
// Forgets recorded boxes and queued answers.
void reset();

// The line form used in the record file: backslash, tab, CR and LF become
// \\, \t, \r and \n; other bytes below 0x20 become \xHH.
std::string escape(const std::string& text);
std::string unescape(const std::string& text);

}  // namespace varrow::ui::recording
