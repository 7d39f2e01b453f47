#include "varrow/ui/ui.h"
#include "varrow/system/win32.h"

namespace varrow::ui {

void notice(const std::string& text, const std::string& caption) {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_OK);
}

bool question(const std::string& text, const std::string& caption) {
    return MessageBoxA(nullptr, text.c_str(), caption.c_str(), MB_YESNO) == IDYES;
}

}  // namespace varrow::ui
