# Cross build of the Windows x86-64 binaries with MinGW-w64 (POSIX threads).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
