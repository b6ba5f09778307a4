// Builds the review sheet from whatever the AssetSet holds, so new kinds of
// art show up on it without changes here.
#include "tools/mkarchive/ContactSheet.h"

#include "tools/mkarchive/BoardOverlays.h"
#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Paint.h"
#include "tools/mkarchive/Rng.h"
#include "tools/mkarchive/TileFaces.h"
#include "tools/mkarchive/TileSets.h"
#include "tools/mkarchive/TileStyle.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace mkarchive {

namespace {

constexpr int32_t kSheetWidth = 1640;
constexpr int32_t kGap = 10;
constexpr int32_t kLabel = 14;
const Colour kBackdrop = rgb(0x3d5a4c); // a table green: transparency shows

struct Item {
    std::string label;
    Image image;
    double scale;
};

// Left to right, wrapping at the sheet's width; returns the height used.
int32_t flow(const std::vector<Item>& items, Canvas* canvas, int32_t top)
{
    int32_t x = kGap;
    int32_t y = top;
    int32_t rowHeight = 0;
    Canvas measure(1, 1);
    for (const Item& item : items) {
        double labelW = 0;
        double labelH = 0;
        textInkSize(measure.cr(), Typeface::Sans, 10.5, item.label.c_str(), &labelW, &labelH);
        const int32_t w = std::max(int32_t(item.image.width() * item.scale), int32_t(labelW) + 4);
        const int32_t h = int32_t(item.image.height() * item.scale) + kLabel;
        if (x + w > kSheetWidth - kGap && x > kGap) {
            x = kGap;
            y += rowHeight + kGap;
            rowHeight = 0;
        }
        if (canvas != nullptr) {
            cairo_t* cr = canvas->cr();
            setColour(cr, rgb(0xf2f2e8));
            drawTextOnBaseline(cr, Typeface::Sans, 10.5, item.label.c_str(), x, y + 10, Align::Left);
            canvas->drawImage(item.image, x, y + kLabel, item.scale);
        }
        x += w + kGap;
        rowHeight = std::max(rowHeight, h);
    }
    return y + rowHeight + kGap - top;
}

int32_t heading(Canvas* canvas, const char* text, int32_t top)
{
    if (canvas != nullptr) {
        setColour(canvas->cr(), rgb(0xffffff));
        drawTextOnBaseline(canvas->cr(), Typeface::SansBold, 16, text, kGap, top + 18, Align::Left);
    }
    return 26;
}

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

} // namespace

namespace {

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

Image drawLayoutPicture(const std::vector<TilePos>& tiles, int32_t tileSet)
{
    Image board(515, 480);
    for (int32_t y = 0; y < board.height(); ++y) {
        for (int32_t x = 0; x < board.width(); ++x)
            board.set(x, y, Rgba{46, 90, 69, 255});
    }
    std::vector<int32_t> faces;
    for (int32_t f = 0; f < kTileSheetColumns * kTileSheetRows; ++f) {
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
    // less the 125-px left panel).
    auto face = [](int32_t x, int32_t y, int32_t z) {
        const int32_t left = (33 * x) / 2 + 131 + 6 * z - 125;
        const int32_t t = 24 * y + 30 - 7 * z;
        return Rect{left + 6, t, left + 39, t + 48};
    };
    Rng rng(7);
    std::vector<TilePos> order = tiles;
    sortForDrawing(order);
    Image cache[kTileSheetColumns * kTileSheetRows];
    for (const TilePos& t : order) {
        const int32_t f = faces[rng.next() % faces.size()];
        if (cache[f].empty())
            cache[f] = drawTile(tileSet, f);
        const Rect fr = face(t.x, t.y, t.z);
        blendPart(board, cache[f], Rect{0, 0, kTileCellWidth, kTileCellHeight}, fr.left - 6, fr.top);
        if (!present(t.x, t.y - 2, t.z)) {
            Rect d{fr.left, fr.top - top.height(), fr.left + top.width(), fr.top};
            Rect s{0, 0, top.width(), top.height()};
            const int32_t n[5][2] = {{-1, -2}, {0, -2}, {1, -2}, {2, -2}, {2, -1}};
            for (const auto& o : n) {
                if (present(t.x + o[0], t.y + o[1], t.z))
                    cutAcross(d, s, face(t.x + o[0], t.y + o[1], t.z));
            }
            if (d.left < d.right)
                blendPart(board, top, s, d.left, d.top);
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
                blendPart(board, right, s, d.left, d.top);
        }
    }
    return board;
}

bool writeContactSheet(const AssetSet& set, const std::string& path)
{
    std::vector<Item> tileSets;
    std::vector<Item> samples;
    std::vector<Item> images;
    std::vector<Item> layouts;
    std::vector<Item> fullSize;
    const int32_t sampleFaces[] = {0, 4, 8, 13, 17, 26, 30, 39, 41, 43, 44, 45, 35, 38, 49, 51};
    for (const AssetSet::Entry* e : set.entries()) {
        const char* name = e->manifest->name;
        if (!e->image.empty()) {
            if (std::strncmp(name, "art/tileset_", 12) == 0) {
                tileSets.push_back({name, e->image, 1.0});
                for (int32_t i = 0; i < kTileStyleCount; ++i) {
                    if (std::strcmp(kTileStyles[i].file, name) != 0)
                        continue;
                    for (int32_t face : sampleFaces) {
                        Image cell(kTileCellWidth, kTileCellHeight);
                        for (int32_t y = 0; y < kTileCellHeight; ++y) {
                            for (int32_t x = 0; x < kTileCellWidth; ++x)
                                cell.set(x, y, e->image.at(kTileCellWidth * (face % 13) + x, kTileCellHeight * (face / 13) + y));
                        }
                        samples.push_back({face == sampleFaces[0] ? std::string(name + 4) : std::string(), cell, 2.0});
                    }
                }
            } else {
                const int32_t size = std::max(e->image.width(), e->image.height());
                images.push_back({name + 4, e->image, size <= 20 ? 4.0 : (size <= 128 ? 2.0 : 1.0)});
            }
        } else if (!e->tiles.empty()) {
            layouts.push_back({name + 8, drawLayoutPicture(e->tiles, 0), 0.5});
            // Two boards at the game's own scale, to judge tiles and shadows.
            if (fullSize.size() < 2)
                fullSize.push_back({name + 8, drawLayoutPicture(e->tiles, fullSize.empty() ? 0 : 3), 1.0});
        }
    }

    // Measure, then draw.
    int32_t height = 0;
    height += heading(nullptr, "", 0) + flow(tileSets, nullptr, 0);
    height += heading(nullptr, "", 0) + flow(samples, nullptr, 0);
    height += heading(nullptr, "", 0) + flow(images, nullptr, 0);
    height += heading(nullptr, "", 0) + flow(layouts, nullptr, 0);
    height += heading(nullptr, "", 0) + flow(fullSize, nullptr, 0);

    Canvas canvas(kSheetWidth, height + kGap);
    setColour(canvas.cr(), kBackdrop);
    cairo_paint(canvas.cr());
    int32_t y = 0;
    y += heading(&canvas, "Tile sets", y);
    y += flow(tileSets, &canvas, y);
    y += heading(&canvas, "Tiles at 2x", y);
    y += flow(samples, &canvas, y);
    y += heading(&canvas, "Other images (small ones enlarged)", y);
    y += flow(images, &canvas, y);
    y += heading(&canvas, "Layouts", y);
    y += flow(layouts, &canvas, y);
    y += heading(&canvas, "Boards at full size", y);
    y += flow(fullSize, &canvas, y);
    if (!makeParentFolders(path) || cairo_surface_write_to_png(canvas.surface(), path.c_str()) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "mkarchive: cannot write the contact sheet '%s'\n", path.c_str());
        return false;
    }
    return true;
}

} // namespace mkarchive
