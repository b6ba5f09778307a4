// A board as the game shows it: a layout dealt with one tile set, tiles in
// the board's drawing order, each with its two shadows cut by its neighbours.
#include "tools/mkarchive/BoardPicture.h"

#include "game/ScreenGeometry.h"
#include "tools/mkarchive/BoardOverlays.h"
#include "tools/mkarchive/Rng.h"
#include "tools/mkarchive/TileFaces.h"
#include "tools/mkarchive/TileSets.h"

#include <algorithm>

namespace mkarchive {

namespace {

// The board's drawing order: lower layers first; on a layer, the tile further
// right first, and in one column the tile further back first. Adjacent swaps,
// as the board does it (the order is not transitive).
void sortForDrawing(std::vector<TilePos>& t)
{
    auto compare = [](const TilePos& a, const TilePos& b) {
        if (a.z != b.z)
            return a.z < b.z ? -1 : 1;
        const int32_t d = a.x - b.x;
        if (d > 1 || d < -1)
            return -d;
        return a.y < b.y ? -1 : (a.y > b.y ? 1 : 0);
    };
    bool swapped = true;
    while (swapped) {
        swapped = false;
        for (size_t i = 0; i + 1 < t.size(); ++i) {
            if (compare(t[i], t[i + 1]) > 0) {
                std::swap(t[i], t[i + 1]);
                swapped = true;
            }
        }
    }
}

struct Rect {
    int32_t left, top, right, bottom;
};

// Composites the part `src` of `image` with its top-left corner at (x, y).
void blendPart(Image& dst, const Image& image, Rect src, int32_t x, int32_t y)
{
    for (int32_t j = src.top; j < src.bottom; ++j) {
        for (int32_t i = src.left; i < src.right; ++i) {
            const int32_t dx = x + i - src.left;
            const int32_t dy = y + j - src.top;
            if (dx < 0 || dy < 0 || dx >= dst.width() || dy >= dst.height())
                continue;
            const Rgba s = image.at(i, j);
            const Rgba d = dst.at(dx, dy);
            const uint32_t a = s.a;
            auto m = [a](uint8_t sc, uint8_t dc) { return uint8_t((sc * a + dc * (255 - a) + 127) / 255); };
            dst.set(dx, dy, Rgba{m(s.r, d.r), m(s.g, d.g), m(s.b, d.b), 255});
        }
    }
}

// A strip is cut where a neighbour's face already covers it, so a shadow
// never darkens a face (the board's own rule, along x or along y).
void cutAcross(Rect& d, Rect& s, const Rect& n)
{
    if (n.left <= d.left && d.left <= n.right) {
        s.left += n.right - d.left;
        d.left = n.right;
    } else if (d.left < n.left && d.right >= n.left) {
        s.right -= d.right - n.left;
        d.right = n.left;
    }
}

void cutDown(Rect& d, Rect& s, const Rect& n)
{
    if (n.top <= d.top && d.top <= n.bottom) {
        s.top += n.bottom - d.top;
        d.top = n.bottom;
    } else if (d.top < n.top && d.bottom >= n.top) {
        s.bottom -= d.bottom - n.top;
        d.bottom = n.top;
    }
}

} // namespace

Image drawLayoutPicture(const std::vector<TilePos>& tiles, int32_t tileSet, const Image* table)
{
    Image board(515, 480);
    for (int32_t y = 0; y < board.height(); ++y) {
        for (int32_t x = 0; x < board.width(); ++x)
            board.set(x, y, Rgba{46, 90, 69, 255});
    }
    if (table != nullptr)
        board.paste(*table, -5, 0);
    drawBoardOnto(board, tiles, tileSet, 0, 0);
    return board;
}

void drawBoardOnto(Image& board, const std::vector<TilePos>& tiles, int32_t tileSet, int32_t ox, int32_t oy)
{
    std::vector<int32_t> faces;
    for (int32_t f = 0; f < geo::kTileSheetColumns * geo::kTileSheetRows; ++f) {
        if (faceIsUsed(f))
            faces.push_back(f);
    }
    const Image top = shadowTopImage();
    const Image right = shadowRightImage();
    auto present = [&tiles](int32_t x, int32_t y, int32_t z) {
        for (const TilePos& t : tiles) {
            if (t.x == x && t.y == y && t.z == z)
                return true;
        }
        return false;
    };
    // Face rectangle of a board position, in board-area pixels (the screen
    // less the left panel).
    auto face = [](int32_t x, int32_t y, int32_t z) {
        const geo::Point at = geo::tileAt(x, y, z);
        const int32_t left = at.x - geo::kPanelW;
        return Rect{left + geo::kTileSideEdge, at.y, left + geo::kTileW, at.y + geo::kTileH - geo::kTileBottomEdge};
    };
    Rng rng(7);
    std::vector<TilePos> order = tiles;
    sortForDrawing(order);
    Image cache[geo::kTileSheetColumns * geo::kTileSheetRows];
    for (const TilePos& t : order) {
        const int32_t f = faces[rng.next() % faces.size()];
        if (cache[f].empty())
            cache[f] = drawTile(tileSet, f);
        const Rect fr = face(t.x, t.y, t.z);
        blendPart(board, cache[f], Rect{0, 0, geo::kTileW, geo::kTileH}, fr.left - geo::kTileSideEdge + ox, fr.top + oy);
        if (!present(t.x, t.y - 2, t.z)) {
            Rect d{fr.left, fr.top - top.height(), fr.left + top.width(), fr.top};
            Rect s{0, 0, top.width(), top.height()};
            const int32_t n[5][2] = {{-1, -2}, {0, -2}, {1, -2}, {2, -2}, {2, -1}};
            for (const auto& o : n) {
                if (present(t.x + o[0], t.y + o[1], t.z))
                    cutAcross(d, s, face(t.x + o[0], t.y + o[1], t.z));
            }
            if (d.left < d.right)
                blendPart(board, top, s, d.left + ox, d.top + oy);
        }
        if (!present(t.x + 2, t.y, t.z)) {
            Rect d{fr.right, fr.top - top.height() + 1, fr.right + right.width(), fr.top - top.height() + 1 + right.height()};
            Rect s{0, 0, right.width(), right.height()};
            const int32_t n[5][2] = {{1, -2}, {2, -2}, {2, -1}, {2, 0}, {2, 1}};
            for (const auto& o : n) {
                if (present(t.x + o[0], t.y + o[1], t.z))
                    cutDown(d, s, face(t.x + o[0], t.y + o[1], t.z));
            }
            if (d.top < d.bottom)
                blendPart(board, right, s, d.left + ox, d.top + oy);
        }
    }
}

} // namespace mkarchive
