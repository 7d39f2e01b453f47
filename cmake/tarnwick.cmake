# Platform selection and the compile settings shared by every target.
#
# TW_PLATFORM is "win32" or "posix". A module with platform calls keeps them
# in NAME_win32.cpp and NAME_posix.cpp beside its portable code; list NAME
# with tw_platform_sources() and the build picks the matching file.

if(WIN32)
  set(TW_PLATFORM win32)
else()
  set(TW_PLATFORM posix)
endif()

add_library(tw_settings INTERFACE)
target_compile_options(tw_settings INTERFACE -Wall -Wextra -Wshadow -Wnon-virtual-dtor)
if(TW_WERROR)
  target_compile_options(tw_settings INTERFACE -Werror)
endif()
if(TW_SANITIZE)
  target_compile_options(tw_settings INTERFACE -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(tw_settings INTERFACE -fsanitize=address,undefined)
endif()
if(WIN32)
  # Use the C99-conforming printf family of the mingw runtime everywhere.
  target_compile_definitions(tw_settings INTERFACE __USE_MINGW_ANSI_STDIO=1)
  target_link_options(tw_settings INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# tw_platform_sources(<target> <name>...): adds <name>_<platform>.cpp for each name.
function(tw_platform_sources target)
  foreach(name IN LISTS ARGN)
    target_sources(${target} PRIVATE ${name}_${TW_PLATFORM}.cpp)
  endforeach()
endfunction()

# tw_gui_program(<target>): a GUI program without console window on Windows
# (WinMain entry point); an ordinary program elsewhere.
function(tw_gui_program target)
  if(WIN32)
    set_target_properties(${target} PROPERTIES WIN32_EXECUTABLE ON)
    target_link_options(${target} PRIVATE -mwindows)
  endif()
endfunction()
