# `cmake --build build/default --target docs-images` redraws the README's
# pictures from the tool as built: the built-in flight's plot from the same
# run whose summary the README shows (the doc test checks that text), and the
# contact sheet. Not part of ALL: it rewrites files in the source tree.
find_program(VANTOREL_RSVG_CONVERT rsvg-convert)
set(_images "${CMAKE_SOURCE_DIR}/docs/images")
if(VANTOREL_RSVG_CONVERT)
  set(_to_png "${VANTOREL_RSVG_CONVERT}" --width 1200 --background-color white
              -o "${_images}/builtin-flight.png" "${CMAKE_BINARY_DIR}/docs-images/flight.svg")
else()
  set(_to_png "${CMAKE_COMMAND}" -E echo "docs-images: rsvg-convert not found (Debian: librsvg2-bin)")
  list(APPEND _to_png COMMAND "${CMAKE_COMMAND}" -E false)
endif()
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/docs-images")
add_custom_target(docs-images
  COMMAND $<TARGET_FILE:vantorel-sim> fly --svg flight.svg
  COMMAND ${_to_png}
  COMMAND $<TARGET_FILE:vantorel-sim> render --sheet "${_images}/contact-sheet.png"
  WORKING_DIRECTORY "${CMAKE_BINARY_DIR}/docs-images"
  DEPENDS vantorel-sim
  COMMENT "Redrawing docs/images/builtin-flight.png and contact-sheet.png"
  VERBATIM)
