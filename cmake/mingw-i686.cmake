# Cross-compiles the shipped uninstaller for 32-bit Windows with mingw-w64, win32
# thread model: no winpthreads, so the program imports only what Windows XP has.
# (mingw-i686-posix.cmake reuses this file with the posix thread model.)
if(NOT DEFINED MINGW_THREAD_MODEL)
  set(MINGW_THREAD_MODEL win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-${MINGW_THREAD_MODEL})
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-${MINGW_THREAD_MODEL})
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
# The Pentium Pro (i686) is the oldest processor the program runs on: the C
# and C++ run-time libraries of mingw-w64 are built for it (they use its
# conditional moves), so the program's own code is too, whatever the
# compiler's default (scripts/check-processor).
set(CMAKE_C_FLAGS_INIT "-march=pentiumpro")
set(CMAKE_CXX_FLAGS_INIT "-march=pentiumpro")
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
