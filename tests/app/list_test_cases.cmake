# SPDX-License-Identifier: Apache-2.0
# Run after a Qt Test program is built: asks it for its test functions (-functions) and writes
# one CTest test per function, each with its own time limit and the offscreen platform.
#   cmake -D EXECUTABLE=... -D PREFIX=window.plots. -D TIMEOUT=60 -D WORKING_DIRECTORY=...
#         -D OUTPUT=cases.cmake -P list_test_cases.cmake
foreach(variable EXECUTABLE PREFIX TIMEOUT WORKING_DIRECTORY OUTPUT)
  if(NOT DEFINED ${variable})
    message(FATAL_ERROR "list_test_cases.cmake: ${variable} is not set")
  endif()
endforeach()

# The window's remembered settings (pressure unit, recent cases) are read from a folder of the
# build's, never from the user's: a unit chosen in the window must not change what a test sees.
set(environment "QT_QPA_PLATFORM=offscreen;LC_ALL=C.UTF-8;XDG_CONFIG_HOME=${WORKING_DIRECTORY}/xdg-config")
# Listing runs no case; a sanitized build must not fail on what Qt leaves at exit.
execute_process(
  COMMAND ${CMAKE_COMMAND} -E env QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0
          ${EXECUTABLE} -functions
  OUTPUT_VARIABLE listing
  ERROR_VARIABLE errors
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} -functions failed (${status}):\n${errors}")
endif()

string(REPLACE "\n" ";" lines "${listing}")
set(script "# Written by list_test_cases.cmake from ${EXECUTABLE} -functions.\n")
set(count 0)
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z_][A-Za-z0-9_]*)\\(\\)$")
    set(name "${PREFIX}${CMAKE_MATCH_1}")
    string(APPEND script
      "add_test([==[${name}]==] [==[${EXECUTABLE}]==] [==[${CMAKE_MATCH_1}]==])\n"
      "set_tests_properties([==[${name}]==] PROPERTIES TIMEOUT ${TIMEOUT}"
      " WORKING_DIRECTORY [==[${WORKING_DIRECTORY}]==] ENVIRONMENT [==[${environment}]==])\n")
    math(EXPR count "${count} + 1")
  endif()
endforeach()
if(count EQUAL 0)
  message(FATAL_ERROR "${EXECUTABLE} -functions listed no test function:\n${listing}")
endif()
file(WRITE "${OUTPUT}" "${script}")
