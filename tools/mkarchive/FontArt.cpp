// The text font and the counter digits.
//
// "art/font.tga": 16 columns of 8 x 12 cells; character c sits in column
// c mod 16 of row c / 16 - 1, so the sheet's seven rows hold characters 16 to
// 127 and its first row (16-31) stays blank. The game draws text in the
// sheet's own colours, a warm yellow here: dialogs put it on dark ground.
//
// The digits, colon and comma (12 x 20 each) are drawn right to left from the
// clock's and counters' right edges over the table top, so they carry their
// own dark outline. In "mm:ss" the minutes' last digit overlaps the colon's
// cell by 2 columns, so the colon's mark keeps to x >= 3.
#include "game/ScreenGeometry.h"
#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Paint.h"
#include "tools/mkarchive/Producers.h"

#include <cmath>
#include <cstdio>

namespace mkarchive {

namespace {

constexpr int32_t kDigitW = 12;
constexpr int32_t kDigitH = 20;
const Colour kTextInk = rgb(0xffe45c);
const Colour kDigitTop = rgb(0xfffbe8);
const Colour kDigitBottom = rgb(0xffc93c);
const Colour kDigitEdge = Colour{0.10, 0.06, 0.02, 0.92};
constexpr double kDigitMid = 8.5; // vertical middle of a digit's ink

Image fontSheet()
{
    Canvas canvas(16 * geo::kFontW, 7 * geo::kFontH);
    cairo_t* cr = canvas.cr();
    setColour(cr, kTextInk);
    for (int32_t c = 33; c < 127; ++c) {
        const char text[2] = {char(c), '\0'};
        // Hinted and placed on whole pixels: stems one pixel wide and sharp.
        // Each glyph is clipped to its cell, so none spills into a neighbour.
        const int32_t cellX = (c % 16) * geo::kFontW;
        const int32_t cellY = (c / 16 - 1) * geo::kFontH;
        cairo_save(cr);
        cairo_rectangle(cr, cellX, cellY, geo::kFontW, geo::kFontH);
        cairo_clip(cr);
        FontLibrary::s_selectHinted(cr, Typeface::MonoBold, 11.0);
        cairo_text_extents_t e;
        cairo_text_extents(cr, text, &e);
        cairo_move_to(cr, cellX + std::floor((geo::kFontW - e.x_advance) / 2.0 + 0.5), cellY + 9.0);
        cairo_show_text(cr, text);
        cairo_restore(cr);
    }
    // Only the coverage varies; the colour is exactly the ink everywhere
    // (undoing cairo's premultiplied edges would otherwise scatter it).
    Image sheet = canvas.toImage(AlphaMode::Keep);
    const Rgba ink{uint8_t(kTextInk.r * 255 + 0.5), uint8_t(kTextInk.g * 255 + 0.5), uint8_t(kTextInk.b * 255 + 0.5), 0};
    for (int32_t y = 0; y < sheet.height(); ++y) {
        for (int32_t x = 0; x < sheet.width(); ++x) {
            const uint8_t a = sheet.at(x, y).a;
            if (a != 0)
                sheet.set(x, y, Rgba{ink.r, ink.g, ink.b, a});
        }
    }
    return sheet;
}

// Fills and outlines the current path in the digits' colours.
void paintDigitPath(cairo_t* cr)
{
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, kDigitEdge);
    cairo_set_line_width(cr, 2.2);
    cairo_stroke_preserve(cr);
    setLinear(cr, 0, 2, kDigitTop, 0, 15, kDigitBottom);
    cairo_fill(cr);
}

Image digit(char c)
{
    Canvas canvas(kDigitW, kDigitH);
    cairo_t* cr = canvas.cr();
    const char text[2] = {c, '\0'};
    textPathCentred(cr, Typeface::CondensedBold, 18.0, text, kDigitW / 2.0, kDigitMid);
    paintDigitPath(cr);
    return canvas.toImage(AlphaMode::Keep);
}

Image colon()
{
    Canvas canvas(kDigitW, kDigitH);
    cairo_t* cr = canvas.cr();
    cairo_new_sub_path(cr);
    cairo_arc(cr, 6.5, kDigitMid - 3.6, 1.7, 0, 6.2832);
    cairo_new_sub_path(cr);
    cairo_arc(cr, 6.5, kDigitMid + 3.6, 1.7, 0, 6.2832);
    paintDigitPath(cr);
    return canvas.toImage(AlphaMode::Keep);
}

// The game draws the comma 3 px lower than the digits: its mark sits at the
// digits' foot in its own cell.
Image comma()
{
    Canvas canvas(kDigitW, kDigitH);
    cairo_t* cr = canvas.cr();
    cairo_move_to(cr, 5.0, 11.0);
    cairo_line_to(cr, 8.4, 11.0);
    cairo_curve_to(cr, 8.4, 13.5, 7.4, 15.2, 5.0, 16.4);
    cairo_line_to(cr, 4.6, 15.4);
    cairo_curve_to(cr, 5.6, 14.6, 6.0, 14.0, 6.0, 13.6);
    cairo_line_to(cr, 5.0, 13.6);
    cairo_close_path(cr);
    paintDigitPath(cr);
    return canvas.toImage(AlphaMode::Keep);
}

} // namespace

bool makeFontArt(AssetSet& set)
{
    if (!set.addImage("art/font.tga", fontSheet()))
        return false;
    for (char c = '0'; c <= '9'; ++c) {
        char name[32];
        std::snprintf(name, sizeof(name), "art/font_number_%c.tga", c);
        if (!set.addImage(name, digit(c)))
            return false;
    }
    return set.addImage("art/font_colon.tga", colon()) && set.addImage("art/font_comma.tga", comma());
}

} // namespace mkarchive
