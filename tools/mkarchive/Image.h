// A picture in memory: 8-bit red, green, blue and alpha per pixel, rows top to
// bottom, alpha not premultiplied. Every image of the archive passes through
// one on its way from the drawing code to its encoder.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace mkarchive {

struct Rgba {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    uint8_t a;
};

class Image {
public:
    Image();
    Image(int32_t width, int32_t height); // transparent black

    int32_t width() const { return m_iWidth; }
    int32_t height() const { return m_iHeight; }
    bool empty() const { return m_iWidth == 0 || m_iHeight == 0; }

    Rgba at(int32_t x, int32_t y) const;
    void set(int32_t x, int32_t y, Rgba c);

    // Copies `src` with its top-left corner at (x, y), replacing the pixels it
    // covers; parts outside this image are cut off.
    void paste(const Image& src, int32_t x, int32_t y);

    bool hasTransparency() const; // some alpha below 255
    bool hasColourKey() const;    // some visible pixel exactly (255, 0, 255)

    const std::vector<Rgba>& pixels() const { return m_pixels; }

private:
    int32_t m_iWidth;
    int32_t m_iHeight;
    std::vector<Rgba> m_pixels;
};

} // namespace mkarchive
