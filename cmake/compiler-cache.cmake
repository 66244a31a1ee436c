# Every build but the analysis ones compiles through ccache where the machine
# has it (scripts/setup installs it): a fresh clone on the same machine
# compiles only what differs from what a build there compiled before. The
# cache lies outside the clone (ccache's own, ~/.cache/ccache). Paths inside
# the clone are taken relative to it and the build folder is left out of the
# key, so that clones in other folders share the cache; the precompiled test
# headers are cached with the objects that include them.
find_program(CCACHE_PROGRAM ccache)
if(CCACHE_PROGRAM AND NOT CMAKE_CXX_CLANG_TIDY)
  set(launcher ${CMAKE_COMMAND} -E env CCACHE_BASEDIR=${CMAKE_SOURCE_DIR} CCACHE_NOHASHDIR=1
      CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime ${CCACHE_PROGRAM})
  set(CMAKE_C_COMPILER_LAUNCHER ${launcher})
  set(CMAKE_CXX_COMPILER_LAUNCHER ${launcher})
endif()
