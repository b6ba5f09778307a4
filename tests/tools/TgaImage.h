// A strict reader of the TGA files the archive holds: type 2, no ID, no
// colour map, 24 or 32 bits, rows bottom-up, nothing after the pixels.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TgaPixel {
    uint8_t r;
    uint8_t g;
    uint8_t b;
    uint8_t a;
};

class TgaImage {
public:
    TgaImage();

    // Empty string on success, else what is wrong with the file.
    std::string parse(const std::string& bytes);

    int32_t width() const { return m_iWidth; }
    int32_t height() const { return m_iHeight; }
    int32_t bitsPerPixel() const { return m_iBits; }
    // (x, y) with y = 0 the top row.
    TgaPixel at(int32_t x, int32_t y) const { return m_pixels[size_t(y) * size_t(m_iWidth) + size_t(x)]; }

    bool anyTransparent() const;
    bool anyColourKey() const; // some pixel exactly (255, 0, 255), whatever its alpha
    // True when every pixel of the rectangle has alpha 0.
    bool clear(int32_t x, int32_t y, int32_t w, int32_t h) const;

private:
    int32_t m_iWidth;
    int32_t m_iHeight;
    int32_t m_iBits;
    std::vector<TgaPixel> m_pixels;
};
