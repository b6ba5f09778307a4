// The symbols on the tile faces: dots, bamboo and characters 1-9, the four
// winds, the three dragons, four flowers and four seasons, drawn by face
// number (the cell of the 13 x 4 sheet) in any style.
#pragma once

#include "tools/mkarchive/TileStyle.h"

#include <cairo.h>

namespace mkarchive {

constexpr int32_t kFaceWidth = 33;
constexpr int32_t kFaceHeight = 48;

// True for the 42 cells the board uses (rows 0-2 columns 0-8, row 3 columns
// 0-6, rows 2 and 3 columns 9-12).
bool faceIsUsed(int32_t face);

// Draws the symbol of `face` with the face's top-left corner at the origin of
// `cr`, inside kFaceWidth x kFaceHeight.
void drawFaceSymbol(cairo_t* cr, const TileStyle& style, int32_t face);

} // namespace mkarchive
