# Cross-compiling for Windows (x86) with Debian's mingw-w64 (win32 thread
# model). Test builds only: the simulator loads modules built by Microsoft's
# compiler (see docs/windows.md).
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VANTOREL_MINGW_TRIPLET i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

# The x87 default rounds intermediates to 80 bits: traces would differ in the
# last digit from every other build. SSE2 arithmetic matches them exactly.
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")

vantorel_wine_emulator(wine)
