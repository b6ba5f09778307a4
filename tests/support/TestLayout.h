// Layout positions and layout-file text for the board's tests.
#pragma once

#include "game/QVBoard.h"
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
    // Puts a present tile of that face (its own match group) at (x, y, z)
    // into the board's slot, counts it, and brings the draw order up to
    // date; for tests that lay out a few tiles by hand, on a board that
    // emptyBoard emptied (or one never dealt), from slot 0 up.
    static QVTile* placeTile(QVBoard& board, int slot, int32_t x, int32_t y, int32_t z, int32_t face);
    // Takes every tile off a board, dealt or not: no tile, no selection, no
    // hovered tile, nothing in the draw order, no tile left and no match.
    static void emptyBoard(QVBoard& board);
};
