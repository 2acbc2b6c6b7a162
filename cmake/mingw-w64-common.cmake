# The part of the MinGW-w64 cross build that both bitnesses share; each
# toolchain file sets CMAKE_SYSTEM_PROCESSOR and includes this.
set(CMAKE_SYSTEM_NAME Windows)

set(triple ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${triple}-g++-posix)
set(CMAKE_RC_COMPILER ${triple}-windres)
set(WIDL ${triple}-widl CACHE FILEPATH "Type library compiler")

set(CMAKE_FIND_ROOT_PATH /usr/${triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

# Test programs run under Wine; the scripts set up the prefix and display.
set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# Everything from the toolchain (libgcc, libstdc++, winpthread) is linked in,
# so a binary needs nothing beside it but the system's DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-static")
