# Cross-compiling for Windows (AMD64) with Debian's mingw-w64 (win32 thread
# model). Test builds only: the simulator loads modules built by Microsoft's
# compiler (see docs/windows.md).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)

set(VANTOREL_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VANTOREL_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${VANTOREL_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${VANTOREL_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VANTOREL_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CTest runs the .exe tests through Wine, quietly, in a prefix of the build's own.
include(${CMAKE_CURRENT_LIST_DIR}/wine.cmake)
vantorel_wine_emulator(wine64)
