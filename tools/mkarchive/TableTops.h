// The ten table tops (520 x 480, drawn at (120, 0) behind the board), in the
// order of the table-top option, for other art that shows a board on one.
#pragma once

#include "tools/mkarchive/Image.h"

#include <cstdint>

namespace mkarchive {

constexpr int32_t kTableTopCount = 10;
constexpr int32_t kTableTopW = 520;
constexpr int32_t kTableTopH = 480;

// Table top `option` (0-9), opaque; other sizes give the same surface over a
// larger or smaller area (for pictures of boards outside the game's screen).
Image tableTopImage(int32_t option, int32_t w = kTableTopW, int32_t h = kTableTopH);

} // namespace mkarchive
