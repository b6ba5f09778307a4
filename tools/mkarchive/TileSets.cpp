// Tile bodies, faces and sheets. A tile is drawn as a slab pushed from the back
// (offset 6 px left, 7 px down) to the face: the sweep leaves the two visible
// sides, the face layer's tone near the face and the back layer's tone behind
// it, as on a two-layer tile. The game copies tiles through a mask of fully
// opaque pixels, so the outline's alpha is made 0 or 255.
#include "tools/mkarchive/TileSets.h"

#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Rng.h"
#include "tools/mkarchive/TileFaces.h"

#include <cmath>

namespace mkarchive {

namespace {

constexpr double kEdgeX = 6.0; // the edge shows 6 px to the left of the face
constexpr double kEdgeY = 7.0; // and 7 px below it
constexpr double kRadius = 4.0;

void surfaceTexture(cairo_t* cr, const TileStyle& s, int32_t set, int32_t face)
{
    Rng rng(uint64_t(set) * 1000u + uint64_t(face) + 17u);
    switch (s.surface) {
    case Surface::Plain:
        break;
    case Surface::Mottled:
        for (int32_t i = 0; i < 7; ++i) {
            const double x = rng.range(0, kFaceWidth);
            const double y = rng.range(0, kFaceHeight);
            const double r = rng.range(4, 10);
            cairo_pattern_t* p = cairo_pattern_create_radial(x, y, 0, x, y, r);
            const Colour c = rng.uniform() < 0.5 ? lighter(s.faceTop, 0.5) : darker(s.faceBottom, 0.12);
            cairo_pattern_add_color_stop_rgba(p, 0, c.r, c.g, c.b, 0.35);
            cairo_pattern_add_color_stop_rgba(p, 1, c.r, c.g, c.b, 0.0);
            cairo_set_source(cr, p);
            cairo_paint(cr);
            cairo_pattern_destroy(p);
        }
        break;
    case Surface::Wood: {
        cairo_set_line_width(cr, 0.7);
        double x = rng.range(-2, 2);
        while (x < kFaceWidth + 2) {
            const double wobble = rng.range(0.6, 2.2);
            const double phase = rng.range(0, 6.28);
            setColour(cr, withAlpha(darker(s.faceBottom, 0.35), rng.range(0.12, 0.3)));
            cairo_move_to(cr, x, -1);
            for (int32_t y = 0; y <= kFaceHeight + 2; y += 4)
                cairo_line_to(cr, x + wobble * std::sin(phase + y * 0.13), y);
            cairo_stroke(cr);
            x += rng.range(1.6, 3.6);
        }
        break;
    }
    case Surface::Marble:
        for (int32_t i = 0; i < 3; ++i) {
            setColour(cr, withAlpha(darker(s.faceBottom, 0.35), rng.range(0.18, 0.32)));
            cairo_set_line_width(cr, rng.range(0.5, 1.1));
            double x = rng.range(-4, kFaceWidth + 4);
            double y = -2;
            cairo_move_to(cr, x, y);
            while (y < kFaceHeight + 2) {
                const double nx = x + rng.range(-6, 6);
                const double ny = y + rng.range(6, 12);
                cairo_curve_to(cr, x + rng.range(-4, 4), y + 3, nx + rng.range(-4, 4), ny - 3, nx, ny);
                x = nx;
                y = ny;
            }
            cairo_stroke(cr);
        }
        break;
    case Surface::Gloss: {
        cairo_save(cr);
        cairo_move_to(cr, 0, 0);
        cairo_line_to(cr, kFaceWidth, 0);
        cairo_line_to(cr, kFaceWidth, 9);
        cairo_curve_to(cr, 22, 14, 10, 20, 0, 30);
        cairo_close_path(cr);
        setLinear(cr, 0, 0, Colour{1, 1, 1, 0.2}, 0, 30, Colour{1, 1, 1, 0.0});
        cairo_fill(cr);
        cairo_restore(cr);
        break;
    }
    }
}

} // namespace

void paintTileCell(cairo_t* cr, int32_t set, int32_t face)
{
    const TileStyle& s = kTileStyles[set];
    const double w = kFaceWidth;
    const double h = kFaceHeight;

    // The body: the face outline swept from the back to the front, first a
    // pixel wider in the outline colour, then in the two layers' tones.
    const int32_t steps = 24;
    for (int32_t pass = 0; pass < 2; ++pass) {
        for (int32_t k = 0; k <= steps; ++k) {
            const double t = double(k) / steps;
            const double x = kEdgeX * t;
            const double y = kEdgeY * (1.0 - t);
            if (pass == 0) {
                setColour(cr, s.outline);
                roundedRect(cr, x, y, w, h, kRadius);
            } else {
                const Colour tone = t < 0.45 ? mix(darker(s.back, 0.25), s.back, t / 0.45)
                                             : mix(darker(s.slab, 0.12), s.slab, (t - 0.45) / 0.55);
                setColour(cr, tone);
                roundedRect(cr, x + 0.9, y + 0.9, w - 1.8, h - 1.8, kRadius - 0.6);
            }
            cairo_fill(cr);
        }
    }
    // The lower side is turned from the light: darken it against the left one.
    cairo_save(cr);
    cairo_move_to(cr, kEdgeX + 1, h - 2);
    cairo_line_to(cr, kEdgeX + w, h - 2);
    cairo_line_to(cr, w, h + kEdgeY);
    cairo_line_to(cr, 0, h + kEdgeY);
    cairo_close_path(cr);
    cairo_clip(cr);
    cairo_set_source_rgba(cr, 0, 0, 0, 0.16);
    cairo_paint(cr);
    cairo_restore(cr);
    // A seam between the face layer and the back layer.
    cairo_save(cr);
    setColour(cr, withAlpha(darker(s.back, 0.4), 0.55));
    cairo_set_line_width(cr, 0.8);
    const double seamT = 0.45;
    cairo_move_to(cr, kEdgeX * seamT + 1.2, kEdgeY * (1 - seamT) + 4);
    cairo_line_to(cr, kEdgeX * seamT + 1.2, kEdgeY * (1 - seamT) + h - 2.2);
    cairo_line_to(cr, kEdgeX * seamT + w - 4, kEdgeY * (1 - seamT) + h - 1.2);
    cairo_stroke(cr);
    cairo_restore(cr);

    // The face.
    cairo_save(cr);
    cairo_translate(cr, kEdgeX, 0);
    roundedRect(cr, 0.5, 0.5, w - 1.0, h - 1.0, kRadius);
    setLinear(cr, 0, 0, s.faceTop, 0, h, s.faceBottom);
    cairo_fill_preserve(cr);
    cairo_save(cr);
    cairo_clip(cr);
    surfaceTexture(cr, s, set, face);
    // Bevel: light along the top and left, shade along the bottom and right.
    cairo_set_line_width(cr, 1.2);
    setColour(cr, withAlpha(lighter(s.faceTop, 0.7), 0.7));
    cairo_move_to(cr, 1.6, h - 5);
    cairo_line_to(cr, 1.6, 1.6);
    cairo_line_to(cr, w - 5, 1.6);
    cairo_stroke(cr);
    setColour(cr, withAlpha(darker(s.faceBottom, 0.25), 0.55));
    cairo_move_to(cr, 4, h - 1.6);
    cairo_line_to(cr, w - 1.6, h - 1.6);
    cairo_line_to(cr, w - 1.6, 4);
    cairo_stroke(cr);
    cairo_restore(cr);
    setColour(cr, s.faceLine);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);

    drawFaceSymbol(cr, s, face);
    cairo_restore(cr);
}

Image drawTile(int32_t set, int32_t face)
{
    Canvas canvas(geo::kTileW, geo::kTileH);
    paintTileCell(canvas.cr(), set, face);
    return canvas.toImage(AlphaMode::Binary);
}

Image drawTileSheet(int32_t set)
{
    Image sheet(geo::kTileW * geo::kTileSheetColumns, geo::kTileH * geo::kTileSheetRows);
    for (int32_t face = 0; face < geo::kTileSheetColumns * geo::kTileSheetRows; ++face) {
        if (!faceIsUsed(face))
            continue;
        sheet.paste(drawTile(set, face), geo::kTileW * (face % geo::kTileSheetColumns),
                    geo::kTileH * (face / geo::kTileSheetColumns));
    }
    return sheet;
}

bool makeTileSets(AssetSet& set)
{
    for (int32_t i = 0; i < kTileStyleCount; ++i) {
        if (!set.addImage(kTileStyles[i].file, drawTileSheet(i)))
            return false;
    }
    return true;
}

} // namespace mkarchive
