// The board area (515 x 480) of a layout dealt in one tile set, drawn the way
// the game draws it: for layout previews and the contact sheet.
#pragma once

#include "tools/mkarchive/AssetSet.h"

#include <vector>

namespace mkarchive {

// Faces follow a fixed shuffle. The table is a plain green, or `table` (a
// 520 x 480 table top, which the game draws 5 px left of the board area).
Image drawLayoutPicture(const std::vector<TilePos>& tiles, int32_t tileSet, const Image* table = nullptr);

// The same tiles and shadows over `dst`, with the board area's top-left
// corner at (originX, originY) of `dst`.
void drawBoardOnto(Image& dst, const std::vector<TilePos>& tiles, int32_t tileSet, int32_t originX, int32_t originY);

} // namespace mkarchive
