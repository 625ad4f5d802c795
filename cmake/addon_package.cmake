# The add-on archive (`cpack` in a build folder, ZIP) in the simulator's
# folder layout. Only the simulator build (cmake/simulator_module.cmake) puts
# a module into Modules/; every other build makes the assets-and-sources
# archive, and its name says so. The stand-in builds' own module (a Linux .so,
# or a mingw DLL) is never part of it.
install(DIRECTORY "${VANTOREL_ASSET_DIR}/Meshes/Ombrix/" DESTINATION Meshes/Ombrix COMPONENT addon
        FILES_MATCHING PATTERN "*.msh")
install(DIRECTORY "${VANTOREL_ASSET_DIR}/Sound/Vantorel/" DESTINATION Sound/Vantorel COMPONENT addon
        FILES_MATCHING PATTERN "*.wav")
install(FILES "${VANTOREL_ASSET_DIR}/Config/Vantorel.cfg" DESTINATION Config COMPONENT addon)
install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION . RENAME Vantorel-LICENSE.txt COMPONENT addon)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_NAME Vantorel)
set(CPACK_PACKAGE_VENDOR "The Vantorel developers")
set(CPACK_INCLUDE_TOPLEVEL_DIRECTORY OFF)
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
if(VANTOREL_PACKAGE_HAS_MODULE)
  install(FILES "${CMAKE_SOURCE_DIR}/cmake/packaging/INSTALL-addon.txt" DESTINATION . RENAME Vantorel-INSTALL.txt
          COMPONENT addon)
  set(CPACK_COMPONENTS_ALL addon module)
  set(CPACK_PACKAGE_FILE_NAME "Vantorel-addon-win32")
else()
  install(FILES "${CMAKE_SOURCE_DIR}/cmake/packaging/INSTALL-no-module.txt" DESTINATION . RENAME Vantorel-INSTALL.txt
          COMPONENT addon)
  # What the simulator build needs, to make the module on Windows: in the
  # archive only, not in a plain `cmake --install`.
  install(FILES "${CMAKE_SOURCE_DIR}/CMakeLists.txt" "${CMAKE_SOURCE_DIR}/README.md"
          DESTINATION Vantorel-source COMPONENT sources EXCLUDE_FROM_ALL)
  install(FILES "${CMAKE_SOURCE_DIR}/docs/windows.md" DESTINATION Vantorel-source/docs COMPONENT sources EXCLUDE_FROM_ALL)
  install(DIRECTORY "${CMAKE_SOURCE_DIR}/cmake" "${CMAKE_SOURCE_DIR}/module"
          DESTINATION Vantorel-source COMPONENT sources EXCLUDE_FROM_ALL)
  install(DIRECTORY "${VANTOREL_ASSET_DIR}/" DESTINATION Vantorel-source/assets COMPONENT sources EXCLUDE_FROM_ALL)
  install(FILES "${CMAKE_SOURCE_DIR}/LICENSE" DESTINATION Vantorel-source COMPONENT sources EXCLUDE_FROM_ALL)
  set(CPACK_COMPONENTS_ALL addon sources)
  # Nothing built goes into it: packaging needs no build first.
  set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)
  set(CPACK_PACKAGE_FILE_NAME "Vantorel-assets-and-sources-no-module")
endif()
include(CPack)
