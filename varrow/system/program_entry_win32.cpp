#include "varrow/system/program_entry.h"
#include "varrow/system/win32.h"

namespace {

// Looked up at run time, so the program still starts on systems that lack it.
void restrict_dll_search() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    using set_default_dll_directories = BOOL(WINAPI*)(DWORD);
    auto set = reinterpret_cast<set_default_dll_directories>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (set) set(0x00000800 /* LOAD_LIBRARY_SEARCH_SYSTEM32 */);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR command_line, int) {
    restrict_dll_search();
    return varrow::system::program_main(command_line ? command_line : "");
}
