// The table tops and their start-screen previews.
//
// Each table is a quiet, mid-to-dark surface with little contrast, so that
// tiles of every set stand out on it: two felts, walnut planks, slate, a
// damask, jade water, a straw mat, black marble, a night sky and terracotta.
// All are computed pixel by pixel from value noise, then darkened towards the
// edges around the middle of the board. The previews (228 x 110) are the
// middle band of each table, reduced.
#include "tools/mkarchive/TableTops.h"

#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Noise.h"
#include "tools/mkarchive/Paint.h"
#include "tools/mkarchive/Producers.h"

#include <algorithm>
#include <cmath>

namespace mkarchive {

namespace {

struct Rgb {
    double r, g, b;
};

Rgb hex(uint32_t v)
{
    return Rgb{double((v >> 16) & 255) / 255.0, double((v >> 8) & 255) / 255.0, double(v & 255) / 255.0};
}

Rgb scale(Rgb c, double k)
{
    return Rgb{c.r * k, c.g * k, c.b * k};
}

Rgb add(Rgb a, Rgb b, double k = 1.0)
{
    return Rgb{a.r + b.r * k, a.g + b.g * k, a.b + b.b * k};
}

Rgb blend(Rgb a, Rgb b, double t)
{
    return Rgb{a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

double smoothstep(double e0, double e1, double x)
{
    const double t = std::clamp((x - e0) / (e1 - e0), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Felt: soft clouds and a fine nap.
Rgb felt(const Noise& n, Rgb base, double x, double y)
{
    const double clouds = n.fractal(x / 45.0, y / 45.0, 4) - 0.5;
    const double nap = n.at(x / 1.7, y / 1.7) - 0.5;
    const double grain = n.lattice(int32_t(x), int32_t(y)) - 0.5;
    return scale(base, 1.0 + 0.16 * clouds + 0.07 * nap + 0.05 * grain);
}

Rgb walnut(const Noise& n, double x, double y)
{
    constexpr double kPlank = 80.0;
    const double fy = y + 22.0;
    const int32_t plank = int32_t(std::floor(fy / kPlank));
    const double in = fy - plank * kPlank;
    const double warp = 10.0 * n.fractal(x / 110.0, plank * 7.3 + in / 40.0, 4);
    const double rings = 0.5 + 0.5 * std::sin((in + warp) * 0.62 + plank * 1.7);
    const double streak = n.fractal(x / 60.0, fy / 3.0, 3);
    Rgb c = blend(hex(0x34200f), hex(0x6a4529), 0.3 + 0.35 * std::pow(rings, 2.5) + 0.35 * streak);
    c = scale(c, 0.92 + 0.16 * n.fractal(x / 140.0 + plank * 3.1, 0.5, 2));
    if (in < 1.0)
        c = scale(c, 0.45);
    else if (in < 2.0)
        c = scale(c, 1.12);
    return c;
}

Rgb slate(const Noise& n, double x, double y)
{
    const double m = n.fractal(x / 80.0, y / 80.0, 5);
    const double layers = n.fractal(x / 300.0, y / 18.0, 3);
    const double speck = n.lattice(int32_t(x), int32_t(y));
    Rgb c = scale(hex(0x394149), 0.82 + 0.3 * m + 0.08 * layers);
    if (speck > 0.985)
        c = scale(c, 1.25);
    return c;
}

Rgb jadeWater(const Noise& n, double x, double y, double h)
{
    Rgb c = blend(hex(0x1c5a57), hex(0x0f3a42), y / h);
    const double a = 1.0 - std::fabs(2.0 * n.fractal(x / 70.0, y / 70.0, 3) - 1.0);
    const double b = 1.0 - std::fabs(2.0 * n.fractal(x / 43.0 + 9.0, y / 43.0 - 4.0, 3) - 1.0);
    const double light = std::pow(a * b, 4.0);
    c = add(c, hex(0x7fd8c4), 0.16 * light);
    return scale(c, 0.95 + 0.1 * n.fractal(x / 200.0, y / 200.0, 2));
}

Rgb strawMat(const Noise& n, double x, double y)
{
    constexpr double kStrip = 9.0;
    const int32_t strip = int32_t(std::floor(y / kStrip));
    const double in = y - strip * kStrip;
    const double fibre = n.at(x / 2.2, strip * 5.7 + in * 0.9);
    Rgb c = scale(hex(0x6d5c35), (strip % 2 == 0 ? 0.95 : 1.02) * (0.86 + 0.24 * fibre));
    // Rounded strips: darker at their edges.
    c = scale(c, 0.78 + 0.22 * std::sin(M_PI * (in + 0.5) / kStrip));
    // Binding threads, every 66 px, a little crooked.
    const double bx = std::fmod(x + 3.0 * n.at(0.5, y / 40.0) + 1000.0, 66.0);
    if (bx < 2.2)
        c = blend(c, hex(0x2d2414), 0.75);
    return scale(c, 0.95 + 0.08 * n.fractal(x / 150.0, y / 150.0, 2));
}

Rgb blackMarble(const Noise& n, double x, double y)
{
    const double t = x * 0.004 + y * 0.003 + 1.7 * n.fractal(x / 170.0, y / 170.0, 4);
    const double v = std::fabs(std::sin(t * M_PI * 2.0));
    const double vein = 0.3 * std::pow(1.0 - v, 10.0) + 0.18 * std::pow(1.0 - v, 40.0);
    Rgb c = scale(hex(0x1d1e24), 0.9 + 0.2 * n.fractal(x / 60.0, y / 60.0, 4));
    return add(c, hex(0x8d8f99), vein);
}

Rgb nightSky(const Noise& n, double x, double y, double h)
{
    Rgb c = blend(hex(0x0c1532), hex(0x1f1942), y / h);
    const double haze = n.fractal(x / 160.0 + 3.0, y / 110.0, 5);
    c = add(c, hex(0x3a3f7a), 0.25 * smoothstep(0.5, 0.8, haze));
    const double star = n.lattice(int32_t(x), int32_t(y));
    if (star > 0.9982)
        c = add(c, hex(0xdfe6ff), 0.25 + 0.5 * (star - 0.9982) / 0.0018);
    return c;
}

Rgb terracotta(const Noise& n, double x, double y)
{
    const double m = n.fractal(x / 55.0, y / 55.0, 5);
    const double bands = n.fractal(x / 260.0, y / 30.0, 3);
    Rgb c = scale(hex(0x7b4431), 0.8 + 0.28 * m + 0.1 * bands);
    const double pore = n.lattice(int32_t(x), int32_t(y));
    if (pore > 0.992)
        c = scale(c, 0.7);
    return c;
}

// A damask of linked rings over burgundy felt.
void damaskPattern(cairo_t* cr, int32_t w, int32_t h)
{
    const double pitch = 52.0;
    cairo_set_line_width(cr, 1.6);
    for (int32_t row = -1; row * pitch < h + pitch; ++row) {
        for (int32_t col = -1; col * pitch < w + pitch; ++col) {
            const double cx = col * pitch + (row % 2 == 0 ? 0.0 : pitch / 2.0);
            const double cy = row * pitch * 0.75;
            for (int32_t k = 0; k < 4; ++k) {
                const double a = k * M_PI / 2.0;
                cairo_new_sub_path(cr);
                cairo_arc(cr, cx + 9.0 * std::cos(a), cy + 9.0 * std::sin(a), 7.0, 0, 2 * M_PI);
            }
            cairo_move_to(cr, cx, cy - 3.5);
            cairo_line_to(cr, cx + 3.5, cy);
            cairo_line_to(cr, cx, cy + 3.5);
            cairo_line_to(cr, cx - 3.5, cy);
            cairo_close_path(cr);
        }
    }
    cairo_set_source_rgba(cr, 1.0, 0.78, 0.6, 0.06);
    cairo_stroke(cr);
}

} // namespace

Image tableTopImage(int32_t option, int32_t w, int32_t h)
{
    const Noise n(uint32_t(option) * 131u + 5u);
    Image img(w, h);
    // The middle of the board area (125-640 on the screen, the table starting
    // at 120), a little above the screen's middle as boards are.
    const double cx = 262.0 * w / kTableTopW;
    const double cy = 225.0 * h / kTableTopH;
    const double reach = std::hypot(270.0 * w / kTableTopW, 255.0 * h / kTableTopH);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            const double fx = x;
            const double fy = y;
            Rgb c{};
            switch (option) {
            case 0: c = felt(n, hex(0x2d6648), fx, fy); break;
            case 1: c = felt(n, hex(0x25456e), fx, fy); break;
            case 2: c = walnut(n, fx, fy); break;
            case 3: c = slate(n, fx, fy); break;
            case 4: c = felt(n, hex(0x5c1c27), fx, fy); break;
            case 5: c = jadeWater(n, fx, fy, h); break;
            case 6: c = strawMat(n, fx, fy); break;
            case 7: c = blackMarble(n, fx, fy); break;
            case 8: c = nightSky(n, fx, fy, h); break;
            default: c = terracotta(n, fx, fy); break;
            }
            const double d = std::hypot(fx - cx, fy - cy) / reach;
            c = scale(c, 1.0 - 0.32 * smoothstep(0.35, 1.05, d));
            auto byte = [](double v) { return uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255.0)); };
            img.set(x, y, Rgba{byte(c.r), byte(c.g), byte(c.b), 255});
        }
    }
    if (option == 4) {
        Canvas canvas(w, h);
        canvas.drawImage(img, 0, 0);
        damaskPattern(canvas.cr(), w, h);
        return canvas.toImage(AlphaMode::Opaque);
    }
    return img;
}

namespace {

// The middle band of the table, as wide as the preview's proportions allow.
Image tablePreview(const Image& table, int32_t w, int32_t h)
{
    Canvas canvas(w, h);
    const double s = double(w) / kTableTopW;
    const double band = h / s;
    drawImageOn(canvas.cr(), table, 0, -((kTableTopH - band) / 2.0) * s, s);
    return canvas.toImage(AlphaMode::Opaque);
}

const char* const kTableFiles[kTableTopCount] = {
    "art/arena10_qz.jpg", "art/arena1_qz.jpg", "art/arena2_qz.jpg", "art/arena3_qz.jpg", "art/arena4_qz.jpg",
    "art/arena5_qz.jpg",  "art/arena6_qz.jpg", "art/arena7_qz.jpg", "art/arena8_qz.jpg", "art/arena9_qz.jpg",
};

const char* const kPreviewFiles[kTableTopCount] = {
    "art/preview_background_10.jpg", "art/preview_background_1.jpg", "art/preview_background_2.jpg",
    "art/preview_background_3.jpg",  "art/preview_background_4.jpg", "art/preview_background_5.jpg",
    "art/preview_background_6.jpg",  "art/preview_background_7.jpg", "art/preview_background_8.jpg",
    "art/preview_background_9.jpg",
};

} // namespace

bool makeTableTops(AssetSet& set)
{
    for (int32_t i = 0; i < kTableTopCount; ++i) {
        const Image table = tableTopImage(i);
        const ManifestEntry* preview = findManifestEntry(kPreviewFiles[i]);
        if (preview == nullptr || !set.addImage(kTableFiles[i], table) ||
            !set.addImage(kPreviewFiles[i], tablePreview(table, preview->width, preview->height)))
            return false;
    }
    return true;
}

} // namespace mkarchive
