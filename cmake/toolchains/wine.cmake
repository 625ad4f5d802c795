# vantorel_wine_emulator(loader): runs Windows programs with Wine's loader
# ("wine" for 32-bit programs, "wine64" for 64-bit ones). The loaders are
# called directly: Debian's `wine` wrapper picks the 32-bit loader even for a
# 64-bit program. WINEDEBUG=-all keeps Wine's own messages out of the
# programs' output; the prefix lives in the build folder, created on first use.
function(vantorel_wine_emulator loader)
  find_program(VANTOREL_WINE_${loader} NAMES ${loader} PATHS /usr/lib/wine NO_DEFAULT_PATH)
  find_program(VANTOREL_WINE_${loader} NAMES ${loader})
  if(NOT VANTOREL_WINE_${loader})
    message(WARNING "Wine (${loader}) not found: the Windows programs are built but their tests cannot run")
    return()
  endif()
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_COMMAND} -E env WINEDEBUG=-all "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix"
      ${VANTOREL_WINE_${loader}}
      PARENT_SCOPE)
endfunction()
