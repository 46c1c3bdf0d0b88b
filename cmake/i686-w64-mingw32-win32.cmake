# Cross build for 32-bit x86 Windows with mingw-w64 in its win32 thread model:
# the shipped executables. The toolchain's run-time then takes its few locks
# and thread keys from Windows itself, so no POSIX threads library is linked.
include(${CMAKE_CURRENT_LIST_DIR}/i686-w64-mingw32.cmake)

set(CMAKE_C_COMPILER i686-w64-mingw32-gcc-win32)
set(CMAKE_CXX_COMPILER i686-w64-mingw32-g++-win32)
