// Cairo surfaces for drawing art and their conversion to straight-alpha images.
#include "tools/mkarchive/Canvas.h"

#include <cstdio>
#include <cstdlib>

namespace mkarchive {

Canvas::Canvas(int32_t width, int32_t height)
    : m_iWidth(width),
      m_iHeight(height),
      m_pSurface(cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height)),
      m_pCairo(nullptr)
{
    if (cairo_surface_status(m_pSurface) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "mkarchive: cannot create a %dx%d surface\n", width, height);
        std::exit(1);
    }
    m_pCairo = cairo_create(m_pSurface);
    cairo_set_antialias(m_pCairo, CAIRO_ANTIALIAS_GRAY);
}

Canvas::~Canvas()
{
    cairo_destroy(m_pCairo);
    cairo_surface_destroy(m_pSurface);
}

void drawImageOn(cairo_t* cr, const Image& image, double x, double y, double scale)
{
    if (image.empty())
        return;
    cairo_surface_t* tmp = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, image.width(), image.height());
    if (cairo_surface_status(tmp) != CAIRO_STATUS_SUCCESS) {
        std::fprintf(stderr, "mkarchive: cannot create a %dx%d surface\n", image.width(), image.height());
        std::exit(1);
    }
    cairo_surface_flush(tmp);
    unsigned char* data = cairo_image_surface_get_data(tmp);
    int stride = cairo_image_surface_get_stride(tmp);
    for (int32_t y0 = 0; y0 < image.height(); ++y0) {
        uint32_t* row = reinterpret_cast<uint32_t*>(data + size_t(y0) * size_t(stride));
        for (int32_t x0 = 0; x0 < image.width(); ++x0) {
            Rgba p = image.at(x0, y0);
            uint32_t a = p.a;
            uint32_t r = (p.r * a + 127) / 255;
            uint32_t g = (p.g * a + 127) / 255;
            uint32_t b = (p.b * a + 127) / 255;
            row[x0] = (a << 24) | (r << 16) | (g << 8) | b;
        }
    }
    cairo_surface_mark_dirty(tmp);
    cairo_save(cr);
    cairo_translate(cr, x, y);
    cairo_scale(cr, scale, scale);
    cairo_set_source_surface(cr, tmp, 0, 0);
    // Enlargements are for review: keep the pixels sharp.
    cairo_pattern_set_filter(cairo_get_source(cr), scale > 1.0 ? CAIRO_FILTER_NEAREST : CAIRO_FILTER_GOOD);
    cairo_paint(cr);
    cairo_restore(cr);
    cairo_surface_destroy(tmp);
}

void Canvas::drawImage(const Image& image, double x, double y, double scale)
{
    drawImageOn(m_pCairo, image, x, y, scale);
}

Image Canvas::toImage(AlphaMode mode) const
{
    cairo_surface_flush(m_pSurface);
    const unsigned char* data = cairo_image_surface_get_data(m_pSurface);
    int stride = cairo_image_surface_get_stride(m_pSurface);
    Image out(m_iWidth, m_iHeight);
    for (int32_t y = 0; y < m_iHeight; ++y) {
        const uint32_t* row = reinterpret_cast<const uint32_t*>(data + size_t(y) * size_t(stride));
        for (int32_t x = 0; x < m_iWidth; ++x) {
            uint32_t v = row[x];
            uint32_t a = v >> 24;
            uint32_t r = (v >> 16) & 255;
            uint32_t g = (v >> 8) & 255;
            uint32_t b = v & 255;
            if (a != 0 && a != 255) {
                // Cairo stores premultiplied colour; undo it.
                r = (r * 255 + a / 2) / a;
                g = (g * 255 + a / 2) / a;
                b = (b * 255 + a / 2) / a;
                r = r > 255 ? 255 : r;
                g = g > 255 ? 255 : g;
                b = b > 255 ? 255 : b;
            }
            switch (mode) {
            case AlphaMode::Keep:
                break;
            case AlphaMode::Binary:
                a = a >= 128 ? 255 : 0;
                break;
            case AlphaMode::Opaque:
                a = 255;
                break;
            }
            if (a == 0)
                r = g = b = 0;
            out.set(x, y, Rgba{uint8_t(r), uint8_t(g), uint8_t(b), uint8_t(a)});
        }
    }
    return out;
}

} // namespace mkarchive
