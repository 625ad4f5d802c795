# The build for the simulator: the module's sources compiled by Microsoft's
# compiler (or clang-cl) against the simulator's own SDK, as a 32-bit DLL,
# linked with the SDK's import libraries. Nothing of host/ is used: the
# result is Modules/Vantorel.dll, the add-on's module.
#   cmake -S . -B build/simulator -G "Visual Studio 17 2022" -A Win32
#         -DVANTOREL_SDK_DIR=C:/Orbiter/Orbitersdk
#   cmake --build build/simulator --config Release
#   cmake --build build/simulator --config Release --target package
if(NOT MSVC)
  message(FATAL_ERROR "The simulator build needs Microsoft's compiler or clang-cl: the simulator's SDK "
                      "is compiled by it, and a mingw-w64 module does not link against its import libraries.")
endif()
if(NOT CMAKE_SIZEOF_VOID_P EQUAL 4)
  message(FATAL_ERROR "The simulator is a 32-bit program: configure for Win32 (-A Win32, or a 32-bit clang-cl).")
endif()

find_path(VANTOREL_SDK_INCLUDE_DIR Orbitersdk.h PATHS "${VANTOREL_SDK_DIR}/include" NO_DEFAULT_PATH)
find_library(VANTOREL_SDK_ORBITER_LIB orbiter PATHS "${VANTOREL_SDK_DIR}/lib" NO_DEFAULT_PATH)
find_library(VANTOREL_SDK_ORBITERSDK_LIB Orbitersdk PATHS "${VANTOREL_SDK_DIR}/lib" NO_DEFAULT_PATH)
foreach(var VANTOREL_SDK_INCLUDE_DIR VANTOREL_SDK_ORBITER_LIB VANTOREL_SDK_ORBITERSDK_LIB)
  if(NOT ${var})
    message(FATAL_ERROR "VANTOREL_SDK_DIR=${VANTOREL_SDK_DIR}: no include/Orbitersdk.h, lib/orbiter.lib "
                        "and lib/Orbitersdk.lib there (${var} not found)")
  endif()
endforeach()

include(${CMAKE_SOURCE_DIR}/module/sources.cmake)
add_library(vantorel_module SHARED ${VANTOREL_MODULE_SOURCES})
target_include_directories(vantorel_module PRIVATE "${VANTOREL_SDK_INCLUDE_DIR}" ${VANTOREL_MODULE_INCLUDE_DIRS})
target_compile_definitions(vantorel_module PRIVATE NOMINMAX WIN32_LEAN_AND_MEAN _CRT_SECURE_NO_WARNINGS)
# SSE2 arithmetic, as the builds whose traces are checked here.
# Warnings stay warnings: no machine here compiles this build.
target_compile_options(vantorel_module PRIVATE /arch:SSE2 /W4 /utf-8)
target_link_libraries(vantorel_module PRIVATE "${VANTOREL_SDK_ORBITER_LIB}" "${VANTOREL_SDK_ORBITERSDK_LIB}")
set_target_properties(vantorel_module PROPERTIES
  OUTPUT_NAME "Vantorel"
  RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/Modules"
  # The C runtime inside the DLL: no redistributable to install next to the simulator.
  MSVC_RUNTIME_LIBRARY "MultiThreaded$<$<CONFIG:Debug>:Debug>")

install(TARGETS vantorel_module RUNTIME DESTINATION Modules COMPONENT module)
set(VANTOREL_PACKAGE_HAS_MODULE ON)
