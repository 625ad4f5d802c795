# Settings of the Windows test build: mingw-w64 cross-compiling on Linux (the
# toolchain files in cmake/toolchains), programs run under Wine. It tests the
# module's Windows paths here; the DLL the simulator loads is built with
# Microsoft's compiler instead (cmake/simulator_module.cmake, docs/windows.md).
if(NOT MINGW)
  message(FATAL_ERROR "The Windows test build needs mingw-w64 (presets windows-x86, windows-x64). "
                      "For the simulator, configure with -DVANTOREL_SDK_DIR=<the simulator's Orbitersdk folder>.")
endif()

# -O2 as in the Linux build; GCC 12's -O3 reports false -Wrestrict overlaps
# inside std::string.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG")

# The system's windows.h must not turn min and max into macros.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)

# CLI11 and nlohmann/json are header-only. The Linux packages' headers are
# copied on their own into the build folder: putting /usr/include on the
# cross compiler's include path would bring the Linux C library's headers.
function(vantorel_header_only_library target header)
  find_path(_dir ${header} PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH NO_DEFAULT_PATH)
  if(NOT _dir)
    message(FATAL_ERROR "${header} not found (Debian: libcli11-dev, nlohmann-json3-dev)")
  endif()
  string(REGEX REPLACE "/.*" "" top "${header}")
  file(COPY "${_dir}/${top}" DESTINATION "${CMAKE_BINARY_DIR}/third-party/include")
  add_library(${target} INTERFACE IMPORTED GLOBAL)
  target_include_directories(${target} SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/third-party/include")
  unset(_dir CACHE)
endfunction()
vantorel_header_only_library(CLI11::CLI11 CLI/CLI.hpp)
vantorel_header_only_library(nlohmann_json::nlohmann_json nlohmann/json.hpp)

# The host side (host DLL, sound stand-ins, vantorel-sim.exe) shares one GCC
# runtime: an exception thrown in one DLL and caught in another aborts when
# each has a static copy. The runtime DLLs go next to the programs.
foreach(dll libgcc_s_dw2-1.dll libgcc_s_seh-1.dll libstdc++-6.dll libwinpthread-1.dll)
  execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=${dll}
                  OUTPUT_VARIABLE path OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(IS_ABSOLUTE "${path}" AND EXISTS "${path}")
    file(COPY "${path}" DESTINATION "${CMAKE_RUNTIME_OUTPUT_DIRECTORY}")
  endif()
endforeach()
