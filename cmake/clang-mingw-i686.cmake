# Clang aimed at 32-bit Windows with the mingw-w64 headers and libstdc++ of the
# shipped build's compiler. Used only to produce compile_commands.json for
# clang-tidy; nothing is linked with it. (clang-mingw-i686-posix.cmake reuses
# this file with the test build's thread model.)
if(NOT DEFINED MINGW_THREAD_MODEL)
  set(MINGW_THREAD_MODEL win32)
endif()
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER clang)
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_C_COMPILER_TARGET i686-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET i686-w64-mingw32)
set(CMAKE_RC_COMPILER i686-w64-mingw32-windres)
set(CMAKE_SYSROOT /usr/i686-w64-mingw32)
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)
# Clang does not find Debian's mingw-w64 gcc, whose version is named "12-win32"
# (or "12-posix"): its libstdc++ headers are named here.
file(GLOB mingw_cxx /usr/lib/gcc/i686-w64-mingw32/*-${MINGW_THREAD_MODEL}/include/c++)
set(CMAKE_CXX_FLAGS_INIT "-nostdinc++ -isystem ${mingw_cxx} -isystem ${mingw_cxx}/i686-w64-mingw32 -isystem ${mingw_cxx}/backward")
set(CMAKE_FIND_ROOT_PATH /usr/i686-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
