// Layout positions and layout-file text for the board's tests.
#include "tests/support/TestLayout.h"

namespace {

void addBlock(std::vector<TilePosition>* out, int x0, int y0, int columns, int rows, int z)
{
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < columns; ++c)
            out->push_back(TilePosition{x0 + 2 * c, y0 + 2 * r, z});
    }
}

} // namespace

std::vector<TilePosition> TestLayout::pyramid()
{
    std::vector<TilePosition> p;
    addBlock(&p, 0, 0, 12, 6, 0); // 72
    addBlock(&p, 2, 2, 10, 4, 1); // 40
    addBlock(&p, 4, 4, 8, 2, 2);  // 16
    addBlock(&p, 6, 4, 6, 2, 3);  // 12
    addBlock(&p, 8, 5, 4, 1, 4);  // 4
    return p;
}

std::string TestLayout::text(const std::vector<TilePosition>& positions, const std::string& eol)
{
    std::string s;
    for (const TilePosition& t : positions)
        s += std::to_string(t.x) + "," + std::to_string(t.y) + "," + std::to_string(t.z) + eol;
    return s;
}

void TestLayout::emptyBoard(QVBoard& board)
{
    board.deselect();
    board.hoverTile = nullptr;
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        board.tiles[i] = QVTile();
        board.drawOrder[i] = nullptr;
    }
    board.tilesLeft = 0;
    board.availableMatches = 0;
}

QVTile* TestLayout::placeTile(QVBoard& board, int slot, int32_t x, int32_t y, int32_t z, int32_t face)
{
    QVTile& t = board.tiles[slot];
    board.drawOrder[slot] = &t;
    t.present = true;
    t.x = x;
    t.y = y;
    t.z = z;
    t.face = face;
    t.matchGroup = face;
    ++board.tilesLeft;
    board.sortTiles();
    return &t;
}
