// What the board draws around and over tiles: the two shadow strips and the
// two hover outlines.
//
// The shadow is the face's rectangle cast 5 px up and to the right, soft at
// its edges and fading with the distance from the face. The top strip (33 x 6)
// lies over the 6 rows above the face; the right strip (6 x 53) lies right of
// the face from 5 rows above its top down to its bottom, so that it meets the
// top strip. The game blends both with a constant, so they carry alpha only.
//
// The outlines (33 x 48) frame the face: green over a free tile, red over a
// blocked one; their inside is clear.
#include "tools/mkarchive/BoardOverlays.h"

#include "tools/mkarchive/Canvas.h"
#include "tools/mkarchive/Paint.h"
#include "tools/mkarchive/Producers.h"

#include <algorithm>
#include <cmath>

namespace mkarchive {

namespace {

constexpr double kFaceW = 33.0;
constexpr double kFaceH = 48.0;
constexpr double kCast = 5.0;     // how far the shadow falls, up and right
constexpr double kSoft = 1.4;     // width of its soft edge
constexpr double kDarkest = 0.58; // alpha next to the face
constexpr int32_t kTopH = 6;

double smooth(double d)
{
    double t = std::clamp(0.5 + d / (2.0 * kSoft), 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// Shadow alpha at (x, y) in face pixels (origin at the face's top-left).
double shadowAt(double x, double y)
{
    const double box = smooth(x - kCast) * smooth(kFaceW + kCast - x) * smooth(y + kCast) * smooth(kFaceH - kCast - y);
    const double dx = std::max(0.0, x - kFaceW);
    const double dy = std::max(0.0, -y);
    const double dist = std::sqrt(dx * dx + dy * dy);
    const double fade = std::clamp(1.0 - dist / (kCast + 2.5), 0.0, 1.0);
    return kDarkest * box * fade;
}

Image shadowStrip(int32_t w, int32_t h, double originX, double originY)
{
    Image out(w, h);
    for (int32_t j = 0; j < h; ++j) {
        for (int32_t i = 0; i < w; ++i) {
            const double a = shadowAt(originX + i + 0.5, originY + j + 0.5);
            out.set(i, j, Rgba{8, 10, 14, uint8_t(std::lround(a * 255.0))});
        }
    }
    return out;
}

Image outline(Colour c)
{
    Canvas canvas{int32_t(kFaceW), int32_t(kFaceH)};
    cairo_t* cr = canvas.cr();
    // A soft glow inside the frame, then the frame itself.
    roundedRect(cr, 2.5, 2.5, kFaceW - 5.0, kFaceH - 5.0, 3.0);
    setColour(cr, withAlpha(c, 0.35));
    cairo_set_line_width(cr, 3.0);
    cairo_stroke(cr);
    roundedRect(cr, 1.0, 1.0, kFaceW - 2.0, kFaceH - 2.0, 4.0);
    setColour(cr, c);
    cairo_set_line_width(cr, 2.0);
    cairo_stroke(cr);
    return canvas.toImage(AlphaMode::Keep);
}

} // namespace

Image shadowTopImage()
{
    return shadowStrip(33, kTopH, 0.0, -kTopH);
}

Image shadowRightImage()
{
    return shadowStrip(6, 53, kFaceW, -(kTopH - 1.0));
}

bool makeBoardOverlays(AssetSet& set)
{
    return set.addImage("art/shadow_top.tga", shadowTopImage()) &&
           set.addImage("art/shadow_right.tga", shadowRightImage()) &&
           set.addImage("art/outline_green.tga", outline(rgb(0x3cf06a))) &&
           set.addImage("art/outline_red.tga", outline(rgb(0xff3b3b)));
}

} // namespace mkarchive
