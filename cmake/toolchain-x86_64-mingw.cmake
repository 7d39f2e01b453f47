# The same Windows code for x86_64, run by 64-bit Wine. Only for running the
# Windows tests on hosts whose kernel cannot execute 32-bit programs (and so
# cannot run 32-bit Wine); the product is the i686 build.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TW_MINGW_PREFIX x86_64-w64-mingw32)
set(TW_WINE_ARCH win64)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
