# The product: 32-bit Windows, mingw-w64 for i686, run by 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(TW_MINGW_PREFIX i686-w64-mingw32)
set(TW_WINE_ARCH win32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
