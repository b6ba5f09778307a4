// The nine tile-set sheets: 13 x 4 cells of 39 x 55 pixels, each tile's face
// at x 6-39, y 0-48 of its cell with the tile's edge 6 px to the left and 7 px
// below. Other art (tile-set previews, layout pictures) draws tiles from here.
#pragma once

#include "tools/mkarchive/Image.h"

#include <cairo.h>

#include <cstdint>

namespace mkarchive {

// One whole cell (39 x 55) of `face` (0-51) in tile set `set` (0-8), alpha
// either 0 or 255. An unused face gives a blank tile.
Image drawTile(int32_t set, int32_t face);

// The same tile drawn on `cr` with the cell's top-left corner at the origin,
// smooth-edged, at whatever scale and angle `cr` has: for art that shows tiles
// larger or turned.
void paintTileCell(cairo_t* cr, int32_t set, int32_t face);

// The sheet of tile set `set`: every used cell drawn, the other cells clear.
Image drawTileSheet(int32_t set);

} // namespace mkarchive
