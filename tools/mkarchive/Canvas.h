// A cairo drawing surface of a fixed size that turns into an Image. All art is
// drawn through one: producers take `cr()` and draw with cairo and the helpers
// of Paint.h, then ask for the picture with the alpha treatment it needs.
#pragma once

#include "tools/mkarchive/Image.h"

#include <cairo.h>

namespace mkarchive {

enum class AlphaMode {
    Keep,   // soft alpha as drawn (shadows, outlines, glyphs)
    Binary, // alpha >= 128 becomes 255, the rest 0 (art the game copies with a mask)
    Opaque, // every pixel opaque (screens and JPEG art)
};

// Draws `image` on `cr` with its top-left corner at (x, y), optionally scaled
// (enlargements stay sharp, reductions are filtered).
void drawImageOn(cairo_t* cr, const Image& image, double x, double y, double scale = 1.0);

class Canvas {
public:
    Canvas(int32_t width, int32_t height); // fully transparent
    ~Canvas();

    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    cairo_t* cr() const { return m_pCairo; }
    cairo_surface_t* surface() const { return m_pSurface; }
    int32_t width() const { return m_iWidth; }
    int32_t height() const { return m_iHeight; }

    // Draws `image` with its top-left corner at (x, y), optionally scaled.
    void drawImage(const Image& image, double x, double y, double scale = 1.0);

    Image toImage(AlphaMode mode) const;

private:
    int32_t m_iWidth;
    int32_t m_iHeight;
    cairo_surface_t* m_pSurface;
    cairo_t* m_pCairo;
};

} // namespace mkarchive
