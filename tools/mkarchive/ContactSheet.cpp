// Builds the review sheet from whatever the AssetSet holds, so new kinds of
// art show up on it without changes here.
#include "tools/mkarchive/ContactSheet.h"

#include "game/ScreenGeometry.h"
#include "tools/mkarchive/BoardPicture.h"
#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Paint.h"
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

} // namespace

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
                        Image cell(geo::kTileW, geo::kTileH);
                        for (int32_t y = 0; y < geo::kTileH; ++y) {
                            for (int32_t x = 0; x < geo::kTileW; ++x)
                                cell.set(x, y,
                                         e->image.at(geo::kTileW * (face % geo::kTileSheetColumns) + x,
                                                     geo::kTileH * (face / geo::kTileSheetColumns) + y));
                        }
                        samples.push_back({face == sampleFaces[0] ? std::string(name + 4) : std::string(), cell, 2.0});
                    }
                }
            } else {
                const int32_t size = std::max(e->image.width(), e->image.height());
                images.push_back({name + 4, e->image, size <= 20 ? 4.0 : (size <= 128 ? 2.0 : (size <= 300 ? 1.0 : 0.5))});
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
