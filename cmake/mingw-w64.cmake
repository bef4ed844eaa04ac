# Cross-compiles for 64-bit Windows with Debian's MinGW-w64 (package g++-mingw-w64-x86-64-posix).
# Used by the windows-core preset (the core alone, a build check) and the windows preset (the core
# and its tests, run under Wine).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
#
# QUORVANE_MINGW_THREADS picks the compiler's thread model: posix (the default; the tests use
# std::thread, which GCC 12's win32 model lacks) or win32 (package g++-mingw-w64-x86-64-win32),
# whose runtime leaves winpthread out of the .exe: the program starts no threads of its own.
set(QUORVANE_MINGW_THREADS posix CACHE STRING "Thread model of the MinGW-w64 compiler: posix or win32")
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-${QUORVANE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-${QUORVANE_MINGW_THREADS})
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
# An .exe that runs on its own: libstdc++, libgcc and winpthread linked in, no MinGW DLLs beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
