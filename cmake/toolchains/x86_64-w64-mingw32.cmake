# Cross-compiling for Windows (AMD64) with Debian's mingw-w64 (win32 thread
# model). Test builds only: the simulator loads modules built by Microsoft's
# compiler (see docs/windows.md).
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(VANTOREL_MINGW_TRIPLET x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
vantorel_wine_emulator(wine64)
