# Cross-compiling for 64-bit Windows with Debian's mingw-w64 (g++-mingw-w64-x86-64).
#
# Used by scripts/build-windows.sh for what needs no FLTK on Windows:
#   cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake ...
# The posix-thread compilers are the ones chosen: GoogleTest needs std::mutex,
# which the default win32-thread compilers lack, and one runtime for every
# object keeps the static link consistent. RUVELLO_MINGW_THREADS=win32 picks
# the others.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(ruvello_mingw_prefix x86_64-w64-mingw32)
if(DEFINED ENV{RUVELLO_MINGW_THREADS})
  set(ruvello_mingw_threads $ENV{RUVELLO_MINGW_THREADS})
else()
  set(ruvello_mingw_threads posix)
endif()

set(CMAKE_C_COMPILER ${ruvello_mingw_prefix}-gcc-${ruvello_mingw_threads})
set(CMAKE_CXX_COMPILER ${ruvello_mingw_prefix}-g++-${ruvello_mingw_threads})
set(CMAKE_RC_COMPILER ${ruvello_mingw_prefix}-windres)

# Libraries and headers come from the mingw root, never from the Linux system.
set(CMAKE_FIND_ROOT_PATH /usr/${ruvello_mingw_prefix})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
