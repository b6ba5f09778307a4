// Drawing helpers shared by the art producers.
#include "tools/mkarchive/Paint.h"

#include <cmath>

namespace mkarchive {

Colour mix(Colour a, Colour b, double t)
{
    return Colour{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

Colour lighter(Colour c, double t)
{
    return mix(c, Colour{1, 1, 1, c.a}, t);
}

Colour darker(Colour c, double t)
{
    return mix(c, Colour{0, 0, 0, c.a}, t);
}

void setColour(cairo_t* cr, Colour c)
{
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

void roundedRect(cairo_t* cr, double x, double y, double w, double h, double radius)
{
    double r = std::fmin(radius, std::fmin(w, h) / 2.0);
    cairo_new_sub_path(cr);
    cairo_arc(cr, x + w - r, y + r, r, -M_PI / 2.0, 0.0);
    cairo_arc(cr, x + w - r, y + h - r, r, 0.0, M_PI / 2.0);
    cairo_arc(cr, x + r, y + h - r, r, M_PI / 2.0, M_PI);
    cairo_arc(cr, x + r, y + r, r, M_PI, 1.5 * M_PI);
    cairo_close_path(cr);
}

void setLinear(cairo_t* cr, double x0, double y0, Colour a, double x1, double y1, Colour b)
{
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, y0, x1, y1);
    cairo_pattern_add_color_stop_rgba(p, 0.0, a.r, a.g, a.b, a.a);
    cairo_pattern_add_color_stop_rgba(p, 1.0, b.r, b.g, b.b, b.a);
    cairo_set_source(cr, p);
    cairo_pattern_destroy(p);
}

namespace {

void inkOrigin(cairo_t* cr, Typeface face, double size, const char* text, double cx, double cy, double* x, double* y)
{
    FontLibrary::s_select(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    *x = cx - (e.x_bearing + e.width / 2.0);
    *y = cy - (e.y_bearing + e.height / 2.0);
}

} // namespace

void drawTextCentred(cairo_t* cr, Typeface face, double size, const char* text, double cx, double cy)
{
    double x = 0;
    double y = 0;
    inkOrigin(cr, face, size, text, cx, cy, &x, &y);
    cairo_move_to(cr, x, y);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void textInkSize(cairo_t* cr, Typeface face, double size, const char* text, double* w, double* h)
{
    FontLibrary::s_select(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    *w = e.width;
    *h = e.height;
}

void drawTextOnBaseline(cairo_t* cr, Typeface face, double size, const char* text, double x, double baseline, Align align)
{
    FontLibrary::s_select(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, text, &e);
    double start = x;
    if (align == Align::Centre)
        start = x - e.x_advance / 2.0;
    else if (align == Align::Right)
        start = x - e.x_advance;
    cairo_move_to(cr, start, baseline);
    cairo_show_text(cr, text);
    cairo_new_path(cr);
}

void textPathCentred(cairo_t* cr, Typeface face, double size, const char* text, double cx, double cy)
{
    double x = 0;
    double y = 0;
    inkOrigin(cr, face, size, text, cx, cy, &x, &y);
    cairo_move_to(cr, x, y);
    cairo_text_path(cr, text);
}

} // namespace mkarchive
