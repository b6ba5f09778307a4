// The face symbols. Coordinates are pixels of the 33 x 48 face, origin at its
// top-left corner; everything is kept 2 px or more inside the rim.
#include "tools/mkarchive/TileFaces.h"

#include <cmath>
#include <functional>

namespace mkarchive {

namespace {

constexpr double kCx = kFaceWidth / 2.0;

// Fills (or strokes) the path that `path` builds in `c`; an engraved style first
// lays the same shape in a light tone half a pixel down and right, like the lit
// lower edge of a cut.
void ink(cairo_t* cr, const TileStyle& s, Colour c, const std::function<void()>& path, double strokeWidth = 0.0)
{
    auto paintOnce = [&](Colour colour, double dx, double dy) {
        cairo_save(cr);
        cairo_translate(cr, dx, dy);
        path();
        setColour(cr, colour);
        if (strokeWidth > 0.0) {
            cairo_set_line_width(cr, strokeWidth);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_stroke(cr);
        } else {
            cairo_fill(cr);
        }
        cairo_restore(cr);
    };
    if (s.engraved)
        paintOnce(withAlpha(lighter(s.faceTop, 0.6), 0.85), 0.6, 0.6);
    paintOnce(c, 0.0, 0.0);
}

void circlePath(cairo_t* cr, double x, double y, double r)
{
    cairo_new_sub_path(cr);
    cairo_arc(cr, x, y, r, 0.0, 2.0 * M_PI);
}

// The background tone of the face at height y, for cut-outs inside symbols.
Colour faceAt(const TileStyle& s, double y)
{
    return mix(s.faceTop, s.faceBottom, y / kFaceHeight);
}

// ---------------------------------------------------------------- dots

void coin(cairo_t* cr, const TileStyle& s, double x, double y, double r, Colour c)
{
    ink(cr, s, c, [&] { circlePath(cr, x, y, r); });
    // A ring of the face's own tone, then a solid centre: reads as a coin at any size.
    setColour(cr, faceAt(s, y));
    cairo_set_line_width(cr, std::fmax(0.9, r * 0.16));
    circlePath(cr, x, y, r * 0.62);
    cairo_stroke(cr);
    setColour(cr, faceAt(s, y));
    circlePath(cr, x, y, r * 0.2);
    cairo_fill(cr);
}

void bigCoin(cairo_t* cr, const TileStyle& s)
{
    const double x = kCx;
    const double y = 24.0;
    ink(cr, s, s.green, [&] { circlePath(cr, x, y, 13.0); });
    setColour(cr, faceAt(s, y));
    circlePath(cr, x, y, 11.4);
    cairo_fill(cr);
    for (int32_t i = 0; i < 12; ++i) {
        double a = i * M_PI / 6.0;
        ink(cr, s, s.red, [&] { circlePath(cr, x + 9.4 * std::cos(a), y + 9.4 * std::sin(a), 1.5); });
    }
    ink(cr, s, s.blue, [&] { circlePath(cr, x, y, 6.8); });
    setColour(cr, faceAt(s, y));
    cairo_set_line_width(cr, 1.1);
    circlePath(cr, x, y, 4.4);
    cairo_stroke(cr);
    ink(cr, s, s.red, [&] { circlePath(cr, x, y, 2.2); });
}

void drawDots(cairo_t* cr, const TileStyle& s, int32_t n)
{
    struct Dot {
        double x, y, r;
        int32_t colour; // 0 red, 1 green, 2 blue
    };
    auto put = [&](const Dot* dots, int32_t count) {
        for (int32_t i = 0; i < count; ++i) {
            const Colour c = dots[i].colour == 0 ? s.red : (dots[i].colour == 1 ? s.green : s.blue);
            coin(cr, s, dots[i].x, dots[i].y, dots[i].r, c);
        }
    };
    switch (n) {
    case 1:
        bigCoin(cr, s);
        break;
    case 2: {
        const Dot d[] = {{kCx, 13, 7.4, 1}, {kCx, 35, 7.4, 2}};
        put(d, 2);
        break;
    }
    case 3: {
        const Dot d[] = {{8.6, 9.5, 5.8, 2}, {kCx, 24, 5.8, 0}, {24.4, 38.5, 5.8, 1}};
        put(d, 3);
        break;
    }
    case 4: {
        const Dot d[] = {{9.6, 13, 6, 2}, {23.4, 13, 6, 1}, {9.6, 35, 6, 1}, {23.4, 35, 6, 2}};
        put(d, 4);
        break;
    }
    case 5: {
        const Dot d[] = {{8.8, 10, 5.2, 2}, {24.2, 10, 5.2, 1}, {kCx, 24, 5.2, 0}, {8.8, 38, 5.2, 1}, {24.2, 38, 5.2, 2}};
        put(d, 5);
        break;
    }
    case 6: {
        const Dot d[] = {{10, 9, 5, 1}, {23, 9, 5, 1}, {10, 24.5, 5, 0}, {23, 24.5, 5, 0}, {10, 39.5, 5, 0}, {23, 39.5, 5, 0}};
        put(d, 6);
        break;
    }
    case 7: {
        const Dot d[] = {{8, 6.5, 4, 1},  {kCx, 10.5, 4, 1}, {25, 14.5, 4, 1}, {10, 27, 4.6, 0},
                         {23, 27, 4.6, 0}, {10, 39.5, 4.6, 0}, {23, 39.5, 4.6, 0}};
        put(d, 7);
        break;
    }
    case 8: {
        const Dot d[] = {{10.4, 6.8, 4.5, 2},  {22.6, 6.8, 4.5, 2},  {10.4, 18.3, 4.5, 2}, {22.6, 18.3, 4.5, 2},
                         {10.4, 29.8, 4.5, 2}, {22.6, 29.8, 4.5, 2}, {10.4, 41.3, 4.5, 2}, {22.6, 41.3, 4.5, 2}};
        put(d, 8);
        break;
    }
    default: {
        const Dot d[] = {{7.6, 9, 4.3, 2},  {kCx, 9, 4.3, 2},  {25.4, 9, 4.3, 2},  {7.6, 24, 4.3, 0}, {kCx, 24, 4.3, 0},
                         {25.4, 24, 4.3, 0}, {7.6, 39, 4.3, 1}, {kCx, 39, 4.3, 1}, {25.4, 39, 4.3, 1}};
        put(d, 9);
        break;
    }
    }
}

// ---------------------------------------------------------------- bamboo

// One cane centred on (x, y), `len` long, tilted by `angle` radians.
void cane(cairo_t* cr, const TileStyle& s, double x, double y, double len, Colour c, double angle = 0.0)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_rotate(cr, angle);
    const double w = 3.6;
    const double h = len / 2.0;
    ink(cr, s, c, [&] { roundedRect(cr, -w / 2.0, -h, w, len, 1.4); });
    // Joints at both ends and the middle: a band wider than the cane.
    for (double jy : {-h + 1.0, 0.0, h - 1.0}) {
        ink(cr, s, darker(c, 0.25), [&] { roundedRect(cr, -w / 2.0 - 0.7, jy - 0.9, w + 1.4, 1.8, 0.8); });
    }
    // The lit line down the cane.
    setColour(cr, withAlpha(lighter(c, 0.55), 0.9));
    cairo_set_line_width(cr, 0.8);
    cairo_move_to(cr, -0.4, -h + 2.2);
    cairo_line_to(cr, -0.4, -1.3);
    cairo_move_to(cr, -0.4, 1.3);
    cairo_line_to(cr, -0.4, h - 2.2);
    cairo_stroke(cr);
    cairo_restore(cr);
}

void bird(cairo_t* cr, const TileStyle& s)
{
    // Tail: three long feathers fanned down and to the left, each with an eye.
    for (int32_t i = 0; i < 3; ++i) {
        const double a = (118.0 + 22.0 * i) * M_PI / 180.0;
        const double bx = 17.0;
        const double by = 27.0;
        const double tx = bx + 17.0 * std::cos(a);
        const double ty = by + 17.0 * std::sin(a);
        cairo_save(cr);
        cairo_translate(cr, (bx + tx) / 2.0, (by + ty) / 2.0);
        cairo_rotate(cr, a);
        cairo_scale(cr, 9.5, 2.6);
        ink(cr, s, i == 1 ? s.blue : s.green, [&] { circlePath(cr, 0, 0, 1.0); });
        cairo_restore(cr);
        ink(cr, s, s.red, [&] { circlePath(cr, bx + 13.5 * std::cos(a), by + 13.5 * std::sin(a), 1.6); });
    }
    // Body and wing.
    cairo_save(cr);
    cairo_translate(cr, 19.0, 24.0);
    cairo_rotate(cr, -0.5);
    cairo_scale(cr, 7.2, 9.0);
    ink(cr, s, s.green, [&] { circlePath(cr, 0, 0, 1.0); });
    cairo_restore(cr);
    cairo_save(cr);
    cairo_translate(cr, 17.5, 25.5);
    cairo_rotate(cr, -0.7);
    cairo_scale(cr, 3.2, 6.2);
    ink(cr, s, s.blue, [&] { circlePath(cr, 0, 0, 1.0); });
    cairo_restore(cr);
    // Head, beak, eye and crest.
    ink(cr, s, s.red, [&] { circlePath(cr, 23.0, 12.0, 4.4); });
    ink(cr, s, s.accent, [&] {
        cairo_move_to(cr, 26.8, 10.6);
        cairo_line_to(cr, 31.0, 12.6);
        cairo_line_to(cr, 26.6, 13.8);
        cairo_close_path(cr);
    });
    setColour(cr, faceAt(s, 11.0));
    circlePath(cr, 24.2, 11.2, 1.2);
    cairo_fill(cr);
    ink(cr, s, s.ink, [&] { circlePath(cr, 24.4, 11.2, 0.55); });
    for (int32_t i = 0; i < 3; ++i)
        ink(cr, s, s.red, [&] { circlePath(cr, 19.8 + 1.9 * i, 6.3 - (i == 1 ? 0.8 : 0.0), 1.1); });
    // Legs on a cane perch.
    ink(
        cr, s, s.ink,
        [&] {
            cairo_move_to(cr, 19.5, 32.0);
            cairo_line_to(cr, 18.5, 40.5);
            cairo_move_to(cr, 22.5, 31.0);
            cairo_line_to(cr, 22.5, 40.5);
        },
        1.0);
    cane(cr, s, 20.5, 42.5, 17.0, s.green, M_PI / 2.0);
}

void drawBamboo(cairo_t* cr, const TileStyle& s, int32_t n)
{
    const Colour g = s.green;
    const Colour r = s.red;
    const Colour b = s.blue;
    switch (n) {
    case 1:
        bird(cr, s);
        break;
    case 2:
        cane(cr, s, kCx, 13, 18, g);
        cane(cr, s, kCx, 35, 18, b);
        break;
    case 3:
        cane(cr, s, kCx, 13, 18, b);
        cane(cr, s, 10.5, 35, 18, g);
        cane(cr, s, 22.5, 35, 18, g);
        break;
    case 4:
        cane(cr, s, 10.5, 13, 18, b);
        cane(cr, s, 22.5, 13, 18, g);
        cane(cr, s, 10.5, 35, 18, g);
        cane(cr, s, 22.5, 35, 18, b);
        break;
    case 5:
        cane(cr, s, 8, 13, 18, g);
        cane(cr, s, 25, 13, 18, b);
        cane(cr, s, kCx, 24, 18, r);
        cane(cr, s, 8, 35, 18, b);
        cane(cr, s, 25, 35, 18, g);
        break;
    case 6:
        for (double x : {8.5, kCx, 24.5}) {
            cane(cr, s, x, 13, 18, g);
            cane(cr, s, x, 35, 18, b);
        }
        break;
    case 7:
        cane(cr, s, kCx, 8, 13, r);
        for (double x : {8.5, kCx, 24.5}) {
            cane(cr, s, x, 24, 13, g);
            cane(cr, s, x, 39.5, 13, b);
        }
        break;
    case 8:
        // Two rows: upright outer canes around a V, and the V turned over.
        cane(cr, s, 6.5, 13, 18, g);
        cane(cr, s, 26.5, 13, 18, g);
        cane(cr, s, 13.2, 13, 18, b, -0.33);
        cane(cr, s, 19.8, 13, 18, b, 0.33);
        cane(cr, s, 6.5, 35, 18, g);
        cane(cr, s, 26.5, 35, 18, g);
        cane(cr, s, 13.2, 35, 18, b, 0.33);
        cane(cr, s, 19.8, 35, 18, b, -0.33);
        break;
    default:
        for (double x : {7.5, kCx, 25.5}) {
            const Colour c = x == kCx ? r : (x < kCx ? g : b);
            for (double y : {8.5, 24.0, 39.5})
                cane(cr, s, x, y, 13, c);
        }
        break;
    }
}

// ---------------------------------------------------------------- characters

void glyph(cairo_t* cr, const TileStyle& s, Colour c, const char* text, double size, double x, double y,
           double weight = 0.45)
{
    ink(cr, s, c, [&] { textPathCentred(cr, Typeface::Cjk, size, text, x, y); });
    // A thin stroke over the fill makes the light Hei face read as a brush.
    if (weight > 0.0) {
        textPathCentred(cr, Typeface::Cjk, size, text, x, y);
        setColour(cr, c);
        cairo_set_line_width(cr, weight);
        cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
        cairo_stroke(cr);
    }
}

const char* const kNumerals[9] = {"一", "二", "三", "四", "五", "六", "七", "八", "九"};

void drawCharacter(cairo_t* cr, const TileStyle& s, int32_t n)
{
    glyph(cr, s, s.blue, kNumerals[n - 1], 15.5, kCx, 12.5, 0.5);
    glyph(cr, s, s.red, "萬", 20.0, kCx, 33.5, 0.45);
}

// A small index in the top-left corner (winds, flowers, seasons).
void cornerIndex(cairo_t* cr, const TileStyle& s, Colour c, const char* text)
{
    ink(cr, s, c, [&] { textPathCentred(cr, Typeface::SansBold, 7.0, text, 5.2, 5.6); });
}

void drawWind(cairo_t* cr, const TileStyle& s, int32_t i)
{
    const char* const kWinds[4] = {"東", "南", "西", "北"};
    const char* const kLetters[4] = {"E", "S", "W", "N"};
    glyph(cr, s, s.ink, kWinds[i], 25.0, kCx, 25.5, 0.7);
    cornerIndex(cr, s, s.red, kLetters[i]);
}

void drawDragon(cairo_t* cr, const TileStyle& s, int32_t i)
{
    if (i == 0) {
        glyph(cr, s, s.red, "中", 27.0, kCx, 24.0, 0.9);
        return;
    }
    if (i == 1) {
        glyph(cr, s, s.green, "發", 25.0, kCx, 24.0, 0.6);
        return;
    }
    // The white dragon: a double frame with stepped corners.
    auto frame = [&](double inset) {
        const double x0 = 4.0 + inset;
        const double y0 = 5.0 + inset;
        const double x1 = kFaceWidth - 4.0 - inset;
        const double y1 = kFaceHeight - 5.0 - inset;
        const double k = 3.2;
        cairo_move_to(cr, x0 + k, y0);
        cairo_line_to(cr, x1 - k, y0);
        cairo_line_to(cr, x1 - k, y0 + k);
        cairo_line_to(cr, x1, y0 + k);
        cairo_line_to(cr, x1, y1 - k);
        cairo_line_to(cr, x1 - k, y1 - k);
        cairo_line_to(cr, x1 - k, y1);
        cairo_line_to(cr, x0 + k, y1);
        cairo_line_to(cr, x0 + k, y1 - k);
        cairo_line_to(cr, x0, y1 - k);
        cairo_line_to(cr, x0, y0 + k);
        cairo_line_to(cr, x0 + k, y0 + k);
        cairo_close_path(cr);
    };
    ink(cr, s, s.blue, [&] { frame(0.0); }, 1.9);
    ink(cr, s, s.blue, [&] { frame(3.6); }, 0.9);
}

// ---------------------------------------------------------------- flowers and seasons

void petal(cairo_t* cr, double cx, double cy, double angle, double len, double width)
{
    cairo_save(cr);
    cairo_translate(cr, cx, cy);
    cairo_rotate(cr, angle);
    cairo_translate(cr, len / 2.0, 0.0);
    cairo_scale(cr, len / 2.0, width / 2.0);
    circlePath(cr, 0, 0, 1.0);
    cairo_restore(cr);
}

void leaf(cairo_t* cr, const TileStyle& s, double x, double y, double angle, double len, Colour c)
{
    ink(cr, s, c, [&] {
        cairo_save(cr);
        cairo_translate(cr, x, y);
        cairo_rotate(cr, angle);
        cairo_move_to(cr, 0, 0);
        cairo_curve_to(cr, len * 0.3, -len * 0.28, len * 0.7, -len * 0.22, len, 0);
        cairo_curve_to(cr, len * 0.7, len * 0.22, len * 0.3, len * 0.28, 0, 0);
        cairo_close_path(cr);
        cairo_restore(cr);
    });
}

void stem(cairo_t* cr, const TileStyle& s, double x0, double y0, double x1, double y1, Colour c, double w)
{
    ink(
        cr, s, c,
        [&] {
            cairo_move_to(cr, x0, y0);
            cairo_curve_to(cr, x0 + (x1 - x0) * 0.2, y0 + (y1 - y0) * 0.6, x1 - (x1 - x0) * 0.3, y1, x1, y1);
        },
        w);
}

// Plum, orchid, chrysanthemum, bamboo: blossoms above the plant's name.
void drawFlower(cairo_t* cr, const TileStyle& s, int32_t i)
{
    const char* const kNames[4] = {"梅", "蘭", "菊", "竹"};
    const char* const kIndex[4] = {"1", "2", "3", "4"};
    const double cx = kCx;
    const double cy = 17.0;
    switch (i) {
    case 0: // plum: a branch with a five-petal blossom and a bud
        stem(cr, s, 5.0, 31.0, 27.0, 8.0, s.ink, 1.6);
        ink(cr, s, s.red, [&] {
            for (int32_t k = 0; k < 5; ++k)
                circlePath(cr, cx + 5.0 * std::cos(k * 2 * M_PI / 5 - M_PI / 2), cy + 5.0 * std::sin(k * 2 * M_PI / 5 - M_PI / 2), 3.6);
        });
        ink(cr, s, s.accent, [&] { circlePath(cr, cx, cy, 2.0); });
        ink(cr, s, s.red, [&] { circlePath(cr, 8.5, 27.0, 2.3); });
        break;
    case 1: // orchid: three long petals over two leaves
        leaf(cr, s, cx, 31.0, -2.3, 15.0, s.green);
        leaf(cr, s, cx, 31.0, -0.85, 15.0, s.green);
        ink(cr, s, s.blue, [&] {
            petal(cr, cx, cy + 2, -M_PI / 2, 12.0, 5.0);
            petal(cr, cx, cy + 2, -M_PI / 2 - 1.2, 10.0, 4.6);
            petal(cr, cx, cy + 2, -M_PI / 2 + 1.2, 10.0, 4.6);
        });
        ink(cr, s, s.red, [&] { circlePath(cr, cx, cy + 2.5, 1.8); });
        break;
    case 2: // chrysanthemum: a full head of thin petals
        ink(cr, s, s.accent, [&] {
            for (int32_t k = 0; k < 16; ++k)
                petal(cr, cx, cy, k * M_PI / 8.0, 10.0, 2.6);
        });
        ink(cr, s, s.red, [&] {
            for (int32_t k = 0; k < 10; ++k)
                petal(cr, cx, cy, k * M_PI / 5.0 + 0.3, 6.0, 2.2);
        });
        ink(cr, s, s.green, [&] { circlePath(cr, cx, cy, 2.2); });
        break;
    default: // bamboo: a stalk with leaves
        cane(cr, s, 11.0, 18.0, 26.0, s.green);
        leaf(cr, s, 12.0, 12.0, -0.5, 13.0, s.green);
        leaf(cr, s, 12.0, 20.0, 0.25, 14.0, s.blue);
        leaf(cr, s, 12.0, 26.0, -0.15, 11.0, s.green);
        break;
    }
    glyph(cr, s, s.ink, kNames[i], 10.0, cx, 40.0, 0.2);
    cornerIndex(cr, s, s.red, kIndex[i]);
}

// Spring, summer, autumn, winter.
void drawSeason(cairo_t* cr, const TileStyle& s, int32_t i)
{
    const char* const kNames[4] = {"春", "夏", "秋", "冬"};
    const char* const kIndex[4] = {"1", "2", "3", "4"};
    const double cx = kCx;
    const double cy = 18.0;
    switch (i) {
    case 0: // spring: a sprout of three leaves
        stem(cr, s, cx, 31.0, cx, 14.0, s.green, 1.6);
        leaf(cr, s, cx, 20.0, -2.5, 12.0, s.green);
        leaf(cr, s, cx, 20.0, -0.64, 12.0, s.green);
        leaf(cr, s, cx, 14.0, -M_PI / 2, 10.0, s.blue);
        ink(cr, s, s.red, [&] { circlePath(cr, cx, 4.5, 2.0); });
        break;
    case 1: // summer: the sun and its rays
        ink(
            cr, s, s.accent,
            [&] {
                for (int32_t k = 0; k < 12; ++k) {
                    const double a = k * M_PI / 6.0;
                    cairo_move_to(cr, cx + 8.0 * std::cos(a), cy + 8.0 * std::sin(a));
                    cairo_line_to(cr, cx + 12.5 * std::cos(a), cy + 12.5 * std::sin(a));
                }
            },
            1.6);
        ink(cr, s, s.red, [&] { circlePath(cr, cx, cy, 6.6); });
        break;
    case 2: { // autumn: a maple leaf
        ink(cr, s, s.red, [&] {
            const double lobes[5] = {-90, -35, 35, -145, 145};
            for (double d : lobes) {
                const double a = d * M_PI / 180.0;
                petal(cr, cx, cy + 2, a, d == -90 ? 13.0 : 10.5, 6.0);
            }
        });
        stem(cr, s, cx, cy + 2, cx - 1.0, cy + 13.0, s.ink, 1.2);
        ink(
            cr, s, darker(s.red, 0.3),
            [&] {
                cairo_move_to(cr, cx, cy + 2);
                cairo_line_to(cr, cx, cy - 9);
                cairo_move_to(cr, cx, cy + 2);
                cairo_line_to(cr, cx + 7.5, cy - 3);
                cairo_move_to(cr, cx, cy + 2);
                cairo_line_to(cr, cx - 7.5, cy - 3);
            },
            0.7);
        break;
    }
    default: // winter: a snowflake
        ink(
            cr, s, s.blue,
            [&] {
                for (int32_t k = 0; k < 6; ++k) {
                    const double a = k * M_PI / 3.0 + M_PI / 2.0;
                    const double ex = cx + 12.0 * std::cos(a);
                    const double ey = cy + 12.0 * std::sin(a);
                    cairo_move_to(cr, cx, cy);
                    cairo_line_to(cr, ex, ey);
                    for (double side : {-0.6, 0.6}) {
                        const double mx = cx + 7.0 * std::cos(a);
                        const double my = cy + 7.0 * std::sin(a);
                        cairo_move_to(cr, mx, my);
                        cairo_line_to(cr, mx + 4.0 * std::cos(a + side), my + 4.0 * std::sin(a + side));
                    }
                }
            },
            1.5);
        ink(cr, s, s.blue, [&] { circlePath(cr, cx, cy, 2.4); });
        break;
    }
    glyph(cr, s, s.ink, kNames[i], 10.0, cx, 40.0, 0.2);
    cornerIndex(cr, s, s.blue, kIndex[i]);
}

} // namespace

bool faceIsUsed(int32_t face)
{
    const int32_t row = face / 13;
    const int32_t col = face % 13;
    if (face < 0 || row > 3)
        return false;
    if (col <= 8)
        return row <= 2 || col <= 6;
    return row >= 2;
}

void drawFaceSymbol(cairo_t* cr, const TileStyle& style, int32_t face)
{
    if (!faceIsUsed(face))
        return;
    const int32_t row = face / 13;
    const int32_t col = face % 13;
    cairo_save(cr);
    if (col >= 9) {
        if (row == 2)
            drawFlower(cr, style, col - 9);
        else
            drawSeason(cr, style, col - 9);
    } else if (row == 0) {
        drawDots(cr, style, col + 1);
    } else if (row == 1) {
        drawBamboo(cr, style, col + 1);
    } else if (row == 2) {
        drawCharacter(cr, style, col + 1);
    } else if (col <= 3) {
        drawWind(cr, style, col);
    } else {
        drawDragon(cr, style, col - 4);
    }
    cairo_restore(cr);
}

} // namespace mkarchive
