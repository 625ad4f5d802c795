// A tiny 5x7 bitmap font for labelling pictures (capitals, digits and a few signs).
#ifndef VANTOREL_SIM_RENDER_BITMAP_FONT_H
#define VANTOREL_SIM_RENDER_BITMAP_FONT_H

#include <string_view>

#include "render/image.h"

namespace vantorel_sim {

// Rows top to bottom, bit 4 the leftmost column; lower case draws as upper
// case and a character without a glyph as '?'.
const unsigned char* Glyph(char c);

// Draws `text` with its top-left corner at (x, y), each font pixel a
// scale x scale block, on a box of `box` colour; returns the width drawn.
int DrawLabel(Image& image, int x, int y, std::string_view text, int scale, Rgb8 ink, Rgb8 box);

}  // namespace vantorel_sim

#endif
