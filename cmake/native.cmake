# Native build of the portable code with clang: the unit tests under
# AddressSanitizer and UBSan, and one libFuzzer target per parser.
enable_testing()
include_directories(${CMAKE_SOURCE_DIR})
# GoogleTest before the sanitizers' options: it is not the code under test,
# and uninstrumented it builds in a fraction of the time.
set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_compile_options(-g -O1 -Wall -Wextra -fsanitize=address,undefined -fno-sanitize-recover=all)
add_link_options(-fsanitize=address,undefined)
add_library(portable STATIC ${PORTABLE_SOURCES} ${REPORT_PORTABLE_SOURCES})
add_executable(portable_tests
  tests/native/text_lines_test.cpp
  tests/native/text_format_test.cpp
  tests/native/command_words_test.cpp
  tests/native/define_line_test.cpp
  tests/native/environments_test.cpp
  tests/native/self_removal_test.cpp
  tests/native/report_lines_test.cpp
  tests/native/done_count_test.cpp)
target_link_libraries(portable_tests PRIVATE portable GTest::gtest_main)
add_test(NAME portable_tests COMMAND portable_tests)
set_tests_properties(portable_tests PROPERTIES LABELS native)

# The main job's program (main_job/, Python 3 from Debian): its unit tests.
add_test(NAME main_job_program COMMAND /usr/bin/python3 -B -m unittest discover -s ${CMAKE_SOURCE_DIR}/tests/main_job)
set_tests_properties(main_job_program PROPERTIES LABELS native ENVIRONMENT PYTHONPATH=${CMAKE_SOURCE_DIR})

# Static analysis of every folder of C++ code (cppcheck, clang-tidy) and of
# every shell script (shellcheck), label "analysis".
add_test(NAME static-analysis COMMAND ${CMAKE_SOURCE_DIR}/scripts/analyze)
add_test(NAME shellcheck COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-shell)
# The analysis checks every file of two builds under clang-tidy from nothing
# on a fresh clone: about 18 minutes of processor time, and under scripts/test
# it runs beside the rest, over 50 minutes on a 2-core machine that others
# load heavily; the limit only catches a hang.
set_tests_properties(static-analysis PROPERTIES LABELS analysis TIMEOUT 7200)
set_tests_properties(shellcheck PROPERTIES LABELS analysis TIMEOUT 300)

if(CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
  add_subdirectory(tests/fuzz)
endif()
