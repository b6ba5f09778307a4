// The in-memory picture that drawing hands to the encoders.
#include "tools/mkarchive/Image.h"

namespace mkarchive {

Image::Image() : m_iWidth(0), m_iHeight(0), m_pixels() {}

Image::Image(int32_t width, int32_t height)
    : m_iWidth(width), m_iHeight(height), m_pixels(size_t(width) * size_t(height), Rgba{0, 0, 0, 0})
{
}

Rgba Image::at(int32_t x, int32_t y) const
{
    return m_pixels[size_t(y) * size_t(m_iWidth) + size_t(x)];
}

void Image::set(int32_t x, int32_t y, Rgba c)
{
    m_pixels[size_t(y) * size_t(m_iWidth) + size_t(x)] = c;
}

void Image::paste(const Image& src, int32_t x, int32_t y)
{
    for (int32_t j = 0; j < src.height(); ++j) {
        for (int32_t i = 0; i < src.width(); ++i) {
            if (x + i >= 0 && x + i < m_iWidth && y + j >= 0 && y + j < m_iHeight)
                set(x + i, y + j, src.at(i, j));
        }
    }
}

bool Image::hasTransparency() const
{
    for (const Rgba& p : m_pixels) {
        if (p.a != 255)
            return true;
    }
    return false;
}

bool Image::hasColourKey() const
{
    for (const Rgba& p : m_pixels) {
        if (p.r == 255 && p.g == 0 && p.b == 255 && p.a != 0)
            return true;
    }
    return false;
}

} // namespace mkarchive
