// Small drawing helpers over cairo shared by every kind of art: colours,
// rounded rectangles, gradients and text placed by its ink box.
#pragma once

#include "tools/mkarchive/FontLibrary.h"

#include <cairo.h>
#include <cstdint>

namespace mkarchive {

struct Colour {
    double r;
    double g;
    double b;
    double a;
};

// 0xRRGGBB, opaque.
constexpr Colour rgb(uint32_t hex)
{
    return Colour{double((hex >> 16) & 255) / 255.0, double((hex >> 8) & 255) / 255.0, double(hex & 255) / 255.0, 1.0};
}
constexpr Colour withAlpha(Colour c, double a) { return Colour{c.r, c.g, c.b, a}; }
// t = 0 gives a, t = 1 gives b.
Colour mix(Colour a, Colour b, double t);
Colour lighter(Colour c, double t); // towards white
Colour darker(Colour c, double t);  // towards black

void setColour(cairo_t* cr, Colour c);

// Adds a rounded rectangle to the current path.
void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius);

// A linear gradient from (x0, y0) in colour a to (x1, y1) in colour b, as source.
void setLinear(cairo_t* cr, double x0, double y0, Colour a, double x1, double y1, Colour b);

enum class Align { Left, Centre, Right };

// Draws `text` (UTF-8) so that its ink box is centred on (cx, cy) — the visual
// middle, whatever the face's ascent and descent.
void drawTextCentred(cairo_t* cr, Typeface face, double size, const char* text, double cx, double cy);
// The same, and also returns the ink box's size.
void textInkSize(cairo_t* cr, Typeface face, double size, const char* text, double* w, double* h);
// Draws `text` on a baseline at (x, baseline) aligned by its advance width.
void drawTextOnBaseline(cairo_t* cr, Typeface face, double size, const char* text, double x, double baseline, Align align);
// Adds the outline of `text`, ink box centred on (cx, cy), to the current path.
void textPathCentred(cairo_t* cr, Typeface face, double size, const char* text, double cx, double cy);

} // namespace mkarchive
