// The board area (515 x 480) of a layout dealt in one tile set, drawn the way
// the game draws it: for layout previews and the contact sheet.
#pragma once

#include "tools/mkarchive/AssetSet.h"

#include <vector>

namespace mkarchive {

// Faces follow a fixed shuffle; the table is a plain green.
Image drawLayoutPicture(const std::vector<TilePos>& tiles, int32_t tileSet);

} // namespace mkarchive
