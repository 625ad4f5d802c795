// The contact sheet: the standard set of pictures in one labelled image.
#ifndef VANTOREL_SIM_RENDER_CONTACT_SHEET_H
#define VANTOREL_SIM_RENDER_CONTACT_SHEET_H

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "render/views.h"

namespace vantorel_sim {

struct SheetTile {
    std::string label;
    RenderRequest request;
};

// Gear down, half-way and up; canopy open; flaps down; rudder and elevator
// deflected; ailerons; the cockpit unlit and lit with its instruments at set
// readings. Each tile `tile_width_px` x `tile_height_px`.
std::vector<SheetTile> StandardTiles(int tile_width_px, int tile_height_px, const DrawOptions& draw);

// Writes the tiles in rows of `columns` as a PNG into an open stream, each with its label in its
// top-left corner. One row of tiles is drawn at a time and its rows of
// pixels written out, so memory holds a row of pictures, not the sheet.
// on_tile(i) after tile i is drawn.
void WriteContactSheet(VesselScene& scene, const std::vector<SheetTile>& tiles, int columns, std::FILE* file,
                       const std::string& name,
                       const std::function<void(std::size_t)>& on_tile = {});

}  // namespace vantorel_sim

#endif
