// The shared look of screens, buttons and dialogs.
#include "tools/mkarchive/Theme.h"

#include "tools/mkarchive/Noise.h"
#include "tools/mkarchive/TileSets.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace mkarchive {
namespace theme {

namespace {

// Text up to this size is hinted and placed on whole pixels.
constexpr double kHintedUpTo = 16.0;
constexpr double kButtonMargin = 1.5;

void selectFace(cairo_t* cr, Typeface face, double size)
{
    if (size <= kHintedUpTo)
        FontLibrary::s_selectHinted(cr, face, size);
    else
        FontLibrary::s_select(cr, face, size);
}

double snap(double v, double size)
{
    return size <= kHintedUpTo ? std::floor(v + 0.5) : v;
}

double alignedStart(cairo_t* cr, const char* s, double x, Align align)
{
    cairo_text_extents_t e;
    cairo_text_extents(cr, s, &e);
    if (align == Align::Centre)
        return x - e.x_advance / 2.0;
    if (align == Align::Right)
        return x - e.x_advance;
    return x;
}

// Fine light and dark grain, so that smooth gradients do not band.
void paintGrain(cairo_t* cr, double w, double h, uint32_t seed, double strength)
{
    const int32_t iw = int32_t(std::ceil(w));
    const int32_t ih = int32_t(std::ceil(h));
    cairo_surface_t* grain = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, iw, ih);
    if (cairo_surface_status(grain) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "mkarchive: cannot create a %dx%d surface\n", iw, ih);
        std::exit(1);
    }
    cairo_surface_flush(grain);
    unsigned char* data = cairo_image_surface_get_data(grain);
    const int stride = cairo_image_surface_get_stride(grain);
    const Noise noise(seed);
    for (int32_t y = 0; y < ih; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y) * size_t(stride));
        for (int32_t x = 0; x < iw; ++x) {
            const double n = noise.lattice(x, y) - 0.5;
            const uint32_t a = uint32_t(std::fabs(n) * 2.0 * strength * 255.0);
            const uint32_t v = n > 0 ? a : 0; // premultiplied white or black
            row[x] = (a << 24) | (v << 16) | (v << 8) | v;
        }
    }
    cairo_surface_mark_dirty(grain);
    cairo_set_source_surface(cr, grain, 0, 0);
    cairo_paint(cr);
    cairo_surface_destroy(grain);
}

void diamond(cairo_t* cr, double cx, double cy, double r)
{
    cairo_move_to(cr, cx, cy - r);
    cairo_line_to(cr, cx + r, cy);
    cairo_line_to(cr, cx, cy + r);
    cairo_line_to(cr, cx - r, cy);
    cairo_close_path(cr);
}

void pillPath(cairo_t* cr, double x, double y, double w, double h)
{
    roundedRect(cr, x, y, w, h, h / 2.0);
}

// Fill, gloss and rim of the button style over the current path's shape,
// which `shape` rebuilds as often as needed.
template <typename Shape>
void paintButtonBody(cairo_t* cr, double top, double bottom, Look look, Shape shape)
{
    const bool lit = look == Look::Lit;
    if (lit) {
        shape();
        setColour(cr, withAlpha(kGoldLight, 0.45));
        cairo_set_line_width(cr, 3.0);
        cairo_stroke(cr);
    }
    shape();
    if (lit)
        setLinear(cr, 0, top, rgb(0xfde8a8), 0, bottom, rgb(0xd39631));
    else
        setLinear(cr, 0, top, rgb(0x2e7480), 0, bottom, rgb(0x113a44));
    cairo_fill(cr);
    // The upper part catches the light.
    cairo_save(cr);
    shape();
    cairo_clip(cr);
    cairo_rectangle(cr, -1000, top, 3000, (bottom - top) * 0.46);
    setColour(cr, Colour{1, 1, 1, lit ? 0.22 : 0.08});
    cairo_fill(cr);
    cairo_restore(cr);
    shape();
    setColour(cr, lit ? rgb(0xfff3c8) : kGold);
    cairo_set_line_width(cr, 1.4);
    cairo_stroke(cr);
}

Colour labelInk(Look look)
{
    return look == Look::Lit ? rgb(0x2b1806) : kCream;
}

Colour labelShadow(Look look)
{
    return look == Look::Lit ? Colour{1, 1, 1, 0.35} : Colour{0, 0, 0, 0.6};
}

void triangle(cairo_t* cr, double cx, double cy, double size, bool right)
{
    const double d = right ? 1.0 : -1.0;
    cairo_move_to(cr, cx - d * size * 0.55, cy - size);
    cairo_line_to(cr, cx + d * size * 0.95, cy);
    cairo_line_to(cr, cx - d * size * 0.55, cy + size);
    cairo_close_path(cr);
}

void paintTriangle(cairo_t* cr, double cx, double cy, double size, bool right, Look look)
{
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    triangle(cr, cx, cy + 1.0, size, right);
    setColour(cr, labelShadow(look));
    cairo_fill(cr);
    triangle(cr, cx, cy, size, right);
    setColour(cr, labelInk(look));
    cairo_fill_preserve(cr);
    cairo_set_line_width(cr, 1.2);
    cairo_stroke(cr);
}

} // namespace

void paintGround(cairo_t* cr, double w, double h, uint32_t seed)
{
    cairo_save(cr);
    cairo_rectangle(cr, 0, 0, w, h);
    setLinear(cr, 0, 0, kGroundTop, 0, h, kGroundBottom);
    cairo_fill(cr);

    // A faint lattice of diagonals with a small diamond in every other cell.
    const double pitch = 24.0;
    cairo_set_line_width(cr, 1.0);
    setColour(cr, withAlpha(kGold, 0.05));
    for (double d = -h; d < w + h; d += pitch) {
        cairo_move_to(cr, d, 0);
        cairo_line_to(cr, d + h, h);
        cairo_move_to(cr, d, h);
        cairo_line_to(cr, d + h, 0);
    }
    cairo_stroke(cr);
    setColour(cr, withAlpha(kGold, 0.06));
    for (double y = pitch / 2.0; y < h + pitch; y += pitch) {
        for (double x = 0.0; x < w + pitch; x += pitch)
            diamond(cr, x, y, 2.2);
    }
    cairo_fill(cr);

    paintGrain(cr, w, h, seed, 0.05);

    // Darker towards the edges.
    cairo_pattern_t* v = cairo_pattern_create_radial(w / 2, h / 2, std::fmin(w, h) * 0.25, w / 2, h / 2, std::hypot(w, h) * 0.62);
    cairo_pattern_add_color_stop_rgba(v, 0, 0, 0, 0, 0);
    cairo_pattern_add_color_stop_rgba(v, 1, 0, 0, 0, 0.38);
    cairo_set_source(cr, v);
    cairo_paint(cr);
    cairo_pattern_destroy(v);
    cairo_restore(cr);
}

void paintFrame(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_save(cr);
    cairo_rectangle(cr, x + 5.5, y + 5.5, w - 11, h - 11);
    setColour(cr, kGold);
    cairo_set_line_width(cr, 1.5);
    cairo_stroke(cr);
    cairo_rectangle(cr, x + 9.5, y + 9.5, w - 19, h - 19);
    setColour(cr, withAlpha(kGold, 0.45));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    const double cx[2] = {x + 5.5, x + w - 5.5};
    const double cy[2] = {y + 5.5, y + h - 5.5};
    for (double px : cx) {
        for (double py : cy) {
            diamond(cr, px, py, 4.5);
            setColour(cr, kGold);
            cairo_fill(cr);
            diamond(cr, px, py, 1.8);
            setColour(cr, kGroundBottom);
            cairo_fill(cr);
        }
    }
    cairo_restore(cr);
}

void paintFloatingFrame(cairo_t* cr, double w, double h)
{
    cairo_save(cr);
    cairo_rectangle(cr, 0.5, 0.5, w - 1, h - 1);
    setColour(cr, rgb(0x020405));
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_rectangle(cr, 2, 2, w - 4, h - 4);
    setColour(cr, kGold);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    cairo_restore(cr);
    paintFrame(cr, 1, 1, w - 2, h - 2);
}

void paintDivider(cairo_t* cr, double x0, double x1, double y)
{
    cairo_save(cr);
    const double mid = (x0 + x1) / 2.0;
    cairo_pattern_t* p = cairo_pattern_create_linear(x0, 0, x1, 0);
    cairo_pattern_add_color_stop_rgba(p, 0.0, kGold.r, kGold.g, kGold.b, 0.0);
    cairo_pattern_add_color_stop_rgba(p, 0.5, kGold.r, kGold.g, kGold.b, 0.8);
    cairo_pattern_add_color_stop_rgba(p, 1.0, kGold.r, kGold.g, kGold.b, 0.0);
    cairo_set_source(cr, p);
    cairo_rectangle(cr, x0, std::floor(y), x1 - x0, 1.0);
    cairo_fill(cr);
    cairo_pattern_destroy(p);
    diamond(cr, mid, std::floor(y) + 0.5, 4.0);
    setColour(cr, kGold);
    cairo_fill(cr);
    cairo_restore(cr);
}

void paintField(cairo_t* cr, double x, double y, double w, double h)
{
    cairo_save(cr);
    roundedRect(cr, x + 0.5, y + 0.5, w - 1.0, h - 1.0, 3.0);
    setColour(cr, kField);
    cairo_fill_preserve(cr);
    setColour(cr, kGoldDark);
    cairo_set_line_width(cr, 1.0);
    cairo_stroke(cr);
    cairo_restore(cr);
}

double textWidth(cairo_t* cr, Typeface face, double size, const char* s)
{
    selectFace(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s, &e);
    return e.x_advance;
}

void text(cairo_t* cr, Typeface face, double size, const char* s, double x, double baseline, Align align, Colour c)
{
    cairo_save(cr);
    selectFace(cr, face, size);
    const double start = snap(alignedStart(cr, s, x, align), size);
    cairo_move_to(cr, start, snap(baseline, size));
    setColour(cr, c);
    cairo_show_text(cr, s);
    cairo_new_path(cr);
    cairo_restore(cr);
}

void heading(cairo_t* cr, const char* s, double cx, double baseline, double size)
{
    cairo_save(cr);
    FontLibrary::s_select(cr, Typeface::SerifBold, size);
    const double start = alignedStart(cr, s, cx, Align::Centre);
    cairo_move_to(cr, start + 1.0, baseline + 1.5);
    cairo_text_path(cr, s);
    setColour(cr, Colour{0, 0, 0, 0.6});
    cairo_fill(cr);
    cairo_move_to(cr, start, baseline);
    cairo_text_path(cr, s);
    setLinear(cr, 0, baseline - size * 0.75, kGoldLight, 0, baseline, kGold);
    cairo_fill(cr);
    cairo_restore(cr);
}

namespace {

// Splits `s` into lines of at most `width` (words at blanks, "\n" forces a
// break; a word longer than the width stands on a line of its own).
std::vector<std::string> wrap(cairo_t* cr, Typeface face, double size, const char* s, double width)
{
    std::vector<std::string> lines;
    std::string line;
    std::string word;
    bool open = false; // a line has begun, perhaps still empty
    auto place = [&]() {
        if (word.empty())
            return;
        const std::string tryLine = line.empty() ? word : line + " " + word;
        if (!line.empty() && textWidth(cr, face, size, tryLine.c_str()) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = tryLine;
        }
        open = true;
        word.clear();
    };
    for (const char* p = s; *p != '\0'; ++p) {
        if (*p == ' ') {
            place();
        } else if (*p == '\n') {
            place();
            lines.push_back(line);
            line.clear();
            open = false;
        } else {
            word += *p;
        }
    }
    place();
    if (open)
        lines.push_back(line);
    return lines;
}

} // namespace

double paragraph(cairo_t* cr, Typeface face, double size, const char* s, double x, double baseline, double width,
                 double leading, Colour c, Align align)
{
    const double at = align == Align::Centre ? x + width / 2.0 : (align == Align::Right ? x + width : x);
    for (const std::string& line : wrap(cr, face, size, s, width)) {
        if (!line.empty())
            text(cr, face, size, line.c_str(), at, baseline, align, c);
        baseline += leading;
    }
    return baseline;
}

int32_t paragraphLines(cairo_t* cr, Typeface face, double size, const char* s, double width)
{
    return int32_t(wrap(cr, face, size, s, width).size());
}

void outlinedText(cairo_t* cr, Typeface face, double size, const char* s, double x, double midY, Align align)
{
    cairo_save(cr);
    FontLibrary::s_select(cr, face, size);
    cairo_text_extents_t e;
    cairo_text_extents(cr, s, &e);
    double start = x - e.x_bearing;
    if (align == Align::Centre)
        start = x - (e.x_bearing + e.width / 2.0);
    else if (align == Align::Right)
        start = x - (e.x_bearing + e.width);
    const double baseline = midY - (e.y_bearing + e.height / 2.0);
    cairo_move_to(cr, start, baseline);
    cairo_text_path(cr, s);
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    setColour(cr, Colour{0.10, 0.06, 0.02, 0.92});
    cairo_set_line_width(cr, 2.4);
    cairo_stroke_preserve(cr);
    setLinear(cr, 0, midY - e.height / 2.0, rgb(0xfffbe8), 0, midY + e.height / 2.0, rgb(0xffc93c));
    cairo_fill(cr);
    cairo_restore(cr);
}

void paintButton(cairo_t* cr, double x, double y, double w, double h, const char* label, Look look)
{
    cairo_save(cr);
    const double m = kButtonMargin;
    const double bx = x + m + 0.7;
    const double by = y + m + 0.7;
    const double bw = w - 2.0 * m - 1.4;
    const double bh = h - 2.0 * m - 1.4;
    paintButtonBody(cr, by, by + bh, look, [&]() { pillPath(cr, bx, by, bw, bh); });

    // The label: as large as the style allows, smaller when it would crowd the ends.
    double size = h >= 36 ? 16.0 : 13.0;
    const double room = bw - bh * 0.6 - 4.0;
    while (size > 9.0 && textWidth(cr, Typeface::SansBold, size, label) > room)
        size -= 0.5;
    const double cx = x + w / 2.0;
    // Cap height of the sans faces is 0.73 of the size: that centres capitals and digits.
    const double baseline = std::floor(y + h / 2.0 + size * 0.73 / 2.0 + 0.5);
    text(cr, Typeface::SansBold, size, label, cx, baseline + 1.0, Align::Centre, labelShadow(look));
    text(cr, Typeface::SansBold, size, label, cx, baseline, Align::Centre, labelInk(look));
    cairo_restore(cr);
}

Image buttonImage(int32_t w, int32_t h, const char* label, Look look)
{
    Canvas canvas(w, h);
    paintButton(canvas.cr(), 0, 0, w, h, label, look);
    return canvas.toImage(AlphaMode::Keep);
}

Image arrowButtonImage(int32_t w, int32_t h, bool right, Look look)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    const double r = std::fmin(w, h) / 2.0 - kButtonMargin - 0.7;
    const double cx = w / 2.0;
    const double cy = h / 2.0;
    paintButtonBody(cr, cy - r, cy + r, look, [&]() {
        cairo_new_sub_path(cr);
        cairo_arc(cr, cx, cy, r, 0, 2 * M_PI);
        cairo_close_path(cr);
    });
    paintTriangle(cr, cx + (right ? 0.6 : -0.6), cy, r * 0.45, right, look);
    return canvas.toImage(AlphaMode::Keep);
}

Image pageButtonImage(int32_t w, int32_t h, bool right, Look look)
{
    Canvas canvas(w, h);
    cairo_t* cr = canvas.cr();
    const double m = kButtonMargin + 0.7;
    paintButtonBody(cr, m, h - m, look, [&]() { pillPath(cr, m, m, w - 2 * m, h - 2 * m); });
    paintTriangle(cr, w / 2.0 + (right ? 0.8 : -0.8), h / 2.0, (h - 2 * m) * 0.24, right, look);
    return canvas.toImage(AlphaMode::Keep);
}

void paintTile(cairo_t* cr, int32_t set, int32_t face, double x, double y, double scale)
{
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    // The shadow falls up and to the right, as on the board.
    for (int32_t i = 0; i < 3; ++i) {
        const double grow = 1.5 * i;
        roundedRect(cr, 6 + 4 - grow, -4 - grow, 33 + 2 * grow, 48 + 2 * grow, 4 + grow);
        setColour(cr, Colour{0, 0, 0, 0.16});
        cairo_fill(cr);
    }
    paintTileCell(cr, set, face);
    cairo_restore(cr);
}

} // namespace theme
} // namespace mkarchive
