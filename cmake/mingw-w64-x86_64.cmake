# Cross build for 64-bit Windows with Debian's mingw-w64 (the -posix compilers: their libstdc++ has
# std::thread). Everything is linked statically (libgcc, libstdc++, winpthread), so an .exe runs on a bare
# Windows, and under Wine, without looking for DLLs. Tests run under Wine when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(SKIMPLANE_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${SKIMPLANE_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${SKIMPLANE_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${SKIMPLANE_MINGW_PREFIX}-windres)

# Libraries and headers come from the mingw-w64 tree only; never from the build machine's /usr/include.
set(CMAKE_FIND_ROOT_PATH /usr/${SKIMPLANE_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# Debian's wine runs 64-bit programs (package wine with wine64); CTest starts every test through it.
find_program(SKIMPLANE_WINE NAMES wine wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
if(SKIMPLANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${SKIMPLANE_WINE})
endif()
