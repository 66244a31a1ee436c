# The 32-bit build of the tests (posix thread model: GoogleTest needs std::mutex),
# for machines that can run 32-bit Windows programs under Wine.
set(MINGW_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
