// One position of a layout: one line of a layout file. x and y count half
// tiles (a tile covers 2 x 2 cells, its neighbour in a row lies at x + 2), z is
// the layer, 0 at the bottom.
#pragma once

#include <cstddef>
#include <cstdint>

struct TilePosition {
    int32_t x;
    int32_t y;
    int32_t z;
};

// The reader sizes its output as bytes / 12 entries.
static_assert(sizeof(TilePosition) == 12, "three signed 32-bit values");
static_assert(offsetof(TilePosition, x) == 0 && offsetof(TilePosition, y) == 4 && offsetof(TilePosition, z) == 8,
              "x, y, z in this order");
