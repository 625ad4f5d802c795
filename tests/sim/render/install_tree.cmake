# Installs the build into a scratch prefix and checks the add-on layout, then
# draws from that tree with the installed module.
# -D BUILD_DIR=... -D PREFIX=... -D SIM=path/to/vantorel-sim
file(REMOVE_RECURSE "${PREFIX}")
execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${PREFIX}"
                RESULT_VARIABLE rc OUTPUT_QUIET)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "cmake --install failed: ${rc}")
endif()
foreach(f Modules/Vantorel.so Meshes/Ombrix/Vantorel.msh Meshes/Ombrix/Vantorel-Cpit.msh
          Meshes/Ombrix/Vantorel-Cpit_n.msh Config/Vantorel.cfg)
  if(NOT EXISTS "${PREFIX}/${f}")
    message(FATAL_ERROR "missing from the install tree: ${f}")
  endif()
endforeach()
file(STRINGS "${PREFIX}/Config/Vantorel.cfg" cfg REGEX "^[A-Za-z]")
if(NOT cfg STREQUAL "ClassName = Vantorel;Module = Vantorel")
  message(FATAL_ERROR "Config/Vantorel.cfg: expected the class and module lines, got '${cfg}'")
endif()
execute_process(COMMAND "${SIM}" render --assets "${PREFIX}" --size 64x48 --out "${PREFIX}/picture.png"
                RESULT_VARIABLE rc ERROR_VARIABLE err)
if(NOT rc EQUAL 0 OR NOT EXISTS "${PREFIX}/picture.png")
  message(FATAL_ERROR "render from the install tree failed (${rc}): ${err}")
endif()
