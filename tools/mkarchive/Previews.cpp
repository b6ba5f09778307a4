// The start screen's previews: a picture and a title for each layout, and a
// few tiles of each tile set.
//
// A layout preview is the layout's own positions (layoutPositions) dealt in
// the first tile set on the first table top, drawn at full size and halved, so
// that preview and layout never disagree. The start screen copies titles and
// tile-set previews through a mask that keeps only fully opaque pixels, so
// their alpha is either 0 or 255; the best-times dialog shows the titles too.
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/BoardPicture.h"
#include "tools/mkarchive/Layouts.h"
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/TableTops.h"
#include "tools/mkarchive/Theme.h"
#include "tools/mkarchive/TileSets.h"
#include "tools/mkarchive/TileStyle.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace mkarchive {

namespace {

Image layoutPreview(const std::vector<TilePos>& tiles, int32_t w, int32_t h)
{
    // The tiles' extent on the board, shadows included (board-area pixels).
    int32_t left = 1 << 20, top = 1 << 20, right = -(1 << 20), bottom = -(1 << 20);
    for (const TilePos& t : tiles) {
        const int32_t x = geo::tileAt(t.x, t.y, t.z).x - geo::kPanelW;
        const int32_t y = geo::tileAt(t.x, t.y, t.z).y;
        left = std::min(left, x);
        right = std::max(right, x + geo::kTileW + 6);
        top = std::min(top, y - 6);
        bottom = std::max(bottom, y + geo::kTileH);
    }
    // Drawn at twice the preview's size, centred, then halved.
    Image big = tableTopImage(0, 2 * w, 2 * h);
    drawBoardOnto(big, tiles, 0, (2 * w - (left + right)) / 2, (2 * h - (top + bottom)) / 2);
    Canvas canvas(w, h);
    drawImageOn(canvas.cr(), big, 0, 0, 0.5);
    return canvas.toImage(AlphaMode::Opaque);
}

// A dark plaque with a gold rim and the title in light gold; the corners are
// cut off square so that the mask keeps a clean shape.
Image layoutTitle(const char* title, int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    const double c = 3.0;
    auto plaque = [&](double inset) {
        const double x0 = inset, y0 = inset, x1 = w - inset, y1 = h - inset;
        const double k = c - inset * 0.4;
        cairo_move_to(cr, x0 + k, y0);
        cairo_line_to(cr, x1 - k, y0);
        cairo_line_to(cr, x1, y0 + k);
        cairo_line_to(cr, x1, y1 - k);
        cairo_line_to(cr, x1 - k, y1);
        cairo_line_to(cr, x0 + k, y1);
        cairo_line_to(cr, x0, y1 - k);
        cairo_line_to(cr, x0, y0 + k);
        cairo_close_path(cr);
    };
    plaque(0.0);
    setColour(cr, theme::kGold);
    cairo_fill(cr);
    plaque(1.0);
    setLinear(cr, 0, 1, rgb(0x1c4852), 0, h - 1, rgb(0x0b2029));
    cairo_fill(cr);
    double size = 13.0;
    while (size > 9.0 && theme::textWidth(cr, Typeface::SansBold, size, title) > w - 12)
        size -= 0.5;
    theme::text(cr, Typeface::SansBold, size, title, w / 2.0, std::floor(h / 2.0 + size * 0.73 / 2.0 + 0.5),
                Align::Centre, theme::kGoldLight);
    return canvas.toImage(AlphaMode::Binary);
}

// Five tiles of the set in a row, as on a board: drawn from the right, so
// that each tile's edge lies under its left neighbour's face.
Image tileSetPreview(int32_t set, int32_t w, int32_t h)
{
    struct Placed {
        int32_t x, z, face;
    };
    // Dots, bamboo, a dragon, characters and a flower.
    const Placed tiles[] = {{8, 0, 35}, {6, 0, 30}, {4, 0, 43}, {2, 0, 13}, {0, 0, 0}};
    const geo::Point first = geo::tileAt(0, 0, 0);
    const int32_t extentW = geo::tileAt(8, 0, 0).x - first.x + geo::kTileW;
    const int32_t extentH = geo::kTileH;
    const int32_t ox = (w - extentW) / 2;
    const int32_t oy = (h - extentH) / 2;
    Image out(w, h);
    for (const Placed& p : tiles) {
        const Image tile = drawTile(set, p.face);
        const int32_t x = ox + geo::tileAt(p.x, 0, p.z).x - first.x;
        const int32_t y = oy + geo::tileAt(p.x, 0, p.z).y - first.y;
        for (int32_t j = 0; j < tile.height(); ++j) {
            for (int32_t i = 0; i < tile.width(); ++i) {
                if (tile.at(i, j).a == 255 && x + i >= 0 && x + i < w && y + j >= 0 && y + j < h)
                    out.set(x + i, y + j, tile.at(i, j));
            }
        }
    }
    return out;
}

} // namespace

bool makePreviews(AssetSet& set)
{
    for (int32_t i = 0; i < kLayoutCount; ++i) {
        const std::vector<TilePos> tiles = layoutPositions(i);
        if (tiles.empty())
            return false;
        char preview[48];
        char title[48];
        std::snprintf(preview, sizeof(preview), "art/preview_layout_%d.jpg", i + 1);
        std::snprintf(title, sizeof(title), "art/title_layout_%d.tga", i + 1);
        const ManifestEntry* pe = findManifestEntry(preview);
        const ManifestEntry* te = findManifestEntry(title);
        if (pe == nullptr || te == nullptr) {
            std::fprintf(stderr, "mkarchive: the manifest lacks '%s' or '%s'\n", preview, title);
            return false;
        }
        if (!set.addImage(preview, layoutPreview(tiles, pe->width, pe->height)) ||
            !set.addImage(title, layoutTitle(kLayoutTitles[i], te->width, te->height)))
            return false;
    }
    for (int32_t i = 0; i < kTileStyleCount; ++i) {
        // "art/tileset_X.tga" has the preview "art/preview_tile_X.tga".
        char name[64];
        std::snprintf(name, sizeof(name), "art/preview_tile_%s", kTileStyles[i].file + std::strlen("art/tileset_"));
        const ManifestEntry* e = findManifestEntry(name);
        if (e == nullptr) {
            std::fprintf(stderr, "mkarchive: the manifest lacks '%s'\n", name);
            return false;
        }
        if (!set.addImage(name, tileSetPreview(i, e->width, e->height)))
            return false;
    }
    return true;
}

} // namespace mkarchive
