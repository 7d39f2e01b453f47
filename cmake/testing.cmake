# GoogleTest for both platforms, and tw_add_gtest().
#
# Native builds use the system's GoogleTest; the Windows build compiles the
# sources that Debian installs under /usr/src/googletest.
if(CMAKE_CROSSCOMPILING)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  add_library(tw_gtest_main INTERFACE)
  target_link_libraries(tw_gtest_main INTERFACE gtest_main gmock)
else()
  find_package(GTest REQUIRED)
  add_library(tw_gtest_main INTERFACE)
  target_link_libraries(tw_gtest_main INTERFACE GTest::gtest_main GTest::gmock)
endif()

include(GoogleTest)

# Prefix that runs a program of this build: empty natively, the Wine runner
# (with the build folder's own prefix) for the Windows build. Script tests
# that start the built programs use it.
if(CMAKE_CROSSCOMPILING)
  set(TW_RUN_PREFIX ${CMAKE_CROSSCOMPILING_EMULATOR})
else()
  set(TW_RUN_PREFIX "")
endif()

# tw_add_gtest(<name> SOURCES <files>... [LIBS <libs>...] [ENVIRONMENT <k=v>...])
# Natively every test case becomes a CTest test; under Wine one process per
# test program is far cheaper than one per case, so the program is one test.
function(tw_add_gtest name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE tw_settings tw_gtest_main ${ARG_LIBS})
  target_compile_definitions(${name} PRIVATE
    TW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" TW_BINARY_DIR="${CMAKE_BINARY_DIR}")
  if(CMAKE_CROSSCOMPILING)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES TIMEOUT 900)
    if(ARG_ENVIRONMENT)
      set_tests_properties(${name} PROPERTIES ENVIRONMENT "${ARG_ENVIRONMENT}")
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 120
      PROPERTIES TIMEOUT 300 ENVIRONMENT "${ARG_ENVIRONMENT}")
  endif()
endfunction()
