#pragma once
// The two message boxes through which both programs talk to the user. Both
// are modal and have no owner window and no icon.
//
// Three implementations exist, chosen at link time:
//   ui_win32.cpp     MessageBoxA (library varrow_ui on Windows)
//   ui_posix.cpp     standard error / standard input (varrow_ui elsewhere)
//   ui_recording.cpp records every box, answers from a script (varrow_ui_recording)

#include <string>

namespace varrow::ui {

// A notice with an OK button.
void notice(const std::string& text, const std::string& caption);

// A question with the buttons Yes and No; true means Yes.
bool question(const std::string& text, const std::string& caption);

}  // namespace varrow::ui
