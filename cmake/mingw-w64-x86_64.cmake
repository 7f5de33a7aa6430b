# Cross-compiles the Windows programs on Debian with MinGW-w64 (the posix thread model, which
# std::thread and std::mutex need).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TESSELLON_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TESSELLON_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TESSELLON_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${TESSELLON_MINGW_PREFIX}-windres)
# Libraries and headers come from the MinGW tree and, when given, from the FLTK built for it
# (TESSELLON_FLTK_PREFIX, see scripts/windows-build.sh); programs always from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${TESSELLON_MINGW_PREFIX})
if(TESSELLON_FLTK_PREFIX)
  list(APPEND CMAKE_FIND_ROOT_PATH ${TESSELLON_FLTK_PREFIX})
endif()
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# GCC 12 reports false overlaps in std::string's inlined copies at -O2 (GCC bug 105651).
set(CMAKE_CXX_FLAGS_INIT "-Wno-restrict")
# No runtime DLLs to ship: libgcc, libstdc++ and winpthread go into the programs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
