# Both Windows test builds driven from one build folder: each is configured,
# built and tested exactly as its own preset (windows-x64, windows-x86) would,
# in the same folder, so the two ways share their work.
include(ExternalProject)
enable_testing()

# The Linux runner whose traces and sound log the Windows ones must equal,
# built here with the module and the sound stand-in it loads, so this
# workflow needs no other build folder (a fresh clone runs it on its own).
set(linux_dir "${CMAKE_BINARY_DIR}/linux")
set(linux_args -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_COMPILER=${CMAKE_CXX_COMPILER}")
if(CMAKE_CXX_COMPILER_LAUNCHER)
  list(APPEND linux_args "-DCMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER}")
endif()
ExternalProject_Add(linux-runner
  SOURCE_DIR "${CMAKE_SOURCE_DIR}"
  BINARY_DIR "${linux_dir}"
  CMAKE_GENERATOR Ninja
  CMAKE_ARGS ${linux_args}
  BUILD_COMMAND ${CMAKE_COMMAND} --build <BINARY_DIR> --target vantorel-sim
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  USES_TERMINAL_BUILD ON)

foreach(arch x64 x86)
  if(arch STREQUAL "x64")
    set(triplet x86_64-w64-mingw32)
  else()
    set(triplet i686-w64-mingw32)
  endif()
  set(dir "${CMAKE_SOURCE_DIR}/build/windows-${arch}")
  ExternalProject_Add(windows-${arch}
    SOURCE_DIR "${CMAKE_SOURCE_DIR}"
    BINARY_DIR "${dir}"
    CMAKE_GENERATOR Ninja
    CMAKE_ARGS
      "-DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/toolchains/${triplet}.cmake"
      -DCMAKE_BUILD_TYPE=Release
      "-DVANTOREL_LINUX_SIM=${linux_dir}/bin/vantorel-sim"
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_CONFIGURE ON
    USES_TERMINAL_BUILD ON)
  add_test(NAME windows-${arch}
           COMMAND ${CMAKE_CTEST_COMMAND} --test-dir "${dir}" --verbose -j2)
endforeach()
# Each sub-build's tests run verbosely: the output says which checks ran, and
# why any was skipped. One build at a time: each uses both cores.
add_dependencies(windows-x64 linux-runner)
add_dependencies(windows-x86 windows-x64)
set_tests_properties(windows-x86 PROPERTIES DEPENDS windows-x64)
