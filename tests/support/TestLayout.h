// Layout positions and layout-file text for the board's tests.
#pragma once

#include "game/TilePosition.h"

#include <string>
#include <vector>

class TestLayout {
public:
    // 144 positions on five layers: 12 x 6 tiles, 10 x 4 on them, 8 x 2,
    // 6 x 2, and a row of four straddling the two rows beneath.
    static std::vector<TilePosition> pyramid();
    // One "x,y,z" line per position, each ended by eol.
    static std::string text(const std::vector<TilePosition>& positions, const std::string& eol = "\n");
};
