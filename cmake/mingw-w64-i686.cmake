# Cross build of the Windows i686 (32-bit) binaries with MinGW-w64 (POSIX threads).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# The picture conversion uses SSE2 (as every x86-64 has it); Windows keeps a
# 32-bit thread's stack only 4-byte aligned, so functions that need more
# realign it themselves.
set(CMAKE_C_FLAGS_INIT "-msse2 -mstackrealign")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mstackrealign")
