# An installer made by the chunkpack tool from the product build of the
# program (Reader, with the platform's message boxes), the stand-in setup
# program and report tool, run from start to end. Run with cmake -P and:
#   RUN_PREFIX  the runner of the build's programs (empty natively)
#   CHUNKPACK READER SETUP REPORT  the programs; SUFFIX ".exe" or ""
#   CODE  the setup exit code (natively at most 255)
#   WORK  a scratch folder; WINE_PREFIX the runner's prefix (Windows build)
file(REMOVE_RECURSE "${WORK}")
file(MAKE_DIRECTORY "${WORK}/temp")
set(installer "${WORK}/installer${SUFFIX}")
execute_process(
  COMMAND ${RUN_PREFIX} "${CHUNKPACK}" create "${installer}" --stub "${READER}" --stub-name "Reader${SUFFIX}"
          --file post "post${SUFFIX}" "${REPORT}" --file executable "setup${SUFFIX}" "${SETUP}"
          --value code "${CODE}" --value parameters "--exit=%code% \"%source%\" %commandline%"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "chunkpack create failed: ${status}")
endif()
file(CHMOD "${installer}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)

if(SUFFIX STREQUAL ".exe")
  # Wine takes the log's name as a Windows path on the Z: drive.
  string(REPLACE "/" "\\" log "Z:${WORK}/log.txt")
else()
  set(log "${WORK}/log.txt")
endif()
set(ENV{TW_TEST_LOG} "${log}")
set(ENV{TMPDIR} "${WORK}/temp")
execute_process(COMMAND ${RUN_PREFIX} "${installer}" first "second word"
                RESULT_VARIABLE status TIMEOUT 600)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the installer ended with ${status}")
endif()

file(STRINGS "${WORK}/log.txt" lines)
set(cwd "")
set(args "")
set(report "")
foreach(line IN LISTS lines)
  if(line MATCHES "^cwd\t(.*)$" AND cwd STREQUAL "")
    set(cwd "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^arg\t(.*)$")
    list(APPEND args "${CMAKE_MATCH_1}")
  elseif(line MATCHES "^report\t(.*)$")
    set(report "${CMAKE_MATCH_1}")
  endif()
endforeach()
set(expected_args "--exit=${CODE};${cwd};first;second word")
if(NOT args STREQUAL expected_args)
  message(FATAL_ERROR "setup arguments: '${args}', expected '${expected_args}'")
endif()
if(NOT report STREQUAL "${CODE}")
  message(FATAL_ERROR "report tool command line: '${report}'")
endif()

# The working folder is gone afterwards.
set(folder "${cwd}")
if(SUFFIX STREQUAL ".exe" AND folder MATCHES "^[Cc]:\\\\(.*)$")
  string(REPLACE "\\" "/" rest "${CMAKE_MATCH_1}")
  set(folder "${WINE_PREFIX}/drive_c/${rest}")
endif()
get_filename_component(parent "${folder}" DIRECTORY)
if(NOT IS_DIRECTORY "${parent}")
  message(FATAL_ERROR "the temporary folder of '${cwd}' is not at ${parent}")
endif()
if(folder STREQUAL "" OR EXISTS "${folder}")
  message(FATAL_ERROR "working folder '${cwd}' left behind (${folder})")
endif()
message(STATUS "installer ran from start to end in ${cwd}")
