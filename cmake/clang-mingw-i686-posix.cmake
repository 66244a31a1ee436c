# Clang aimed at 32-bit Windows as the tests are built (posix thread model:
# GoogleTest's headers need std::mutex), for clang-tidy on the test code.
set(MINGW_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/clang-mingw-i686.cmake)
