// The 18 layouts: their file names in the order of the layout option, their
// titles, and the tile positions of each, as drawn in Layouts.cpp. Other art
// (the layout previews and titles) takes them from here.
#pragma once

#include "tools/mkarchive/AssetSet.h"

#include <vector>

namespace mkarchive {

constexpr int32_t kLayoutCount = 18;

extern const char* const kLayoutFiles[kLayoutCount];
// The names the start screen and the best times show for each layout.
extern const char* const kLayoutTitles[kLayoutCount];

// The 144 positions of layout `index` (0-17) in file order, or an empty vector
// (after printing why) when its drawing breaks a rule of the board.
std::vector<TilePos> layoutPositions(int32_t index);

} // namespace mkarchive
