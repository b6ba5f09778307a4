// Strict TGA parsing for the archive tests.
#include "tests/tools/TgaImage.h"

TgaImage::TgaImage() : m_iWidth(0), m_iHeight(0), m_iBits(0), m_pixels() {}

std::string TgaImage::parse(const std::string& bytes)
{
    if (bytes.size() < 18)
        return "shorter than the 18-byte header";
    const auto u8 = [&](size_t i) { return uint32_t(uint8_t(bytes[i])); };
    if (u8(0) != 0)
        return "has an ID field";
    if (u8(1) != 0)
        return "has a colour map";
    if (u8(2) != 2)
        return "is not uncompressed true colour (type 2)";
    m_iWidth = int32_t(u8(12) | (u8(13) << 8));
    m_iHeight = int32_t(u8(14) | (u8(15) << 8));
    m_iBits = int32_t(u8(16));
    if (m_iBits != 24 && m_iBits != 32)
        return "is neither 24 nor 32 bits per pixel";
    if ((u8(17) & 0x20) != 0)
        return "stores its rows top-down";
    const size_t bpp = size_t(m_iBits / 8);
    const size_t expected = 18 + size_t(m_iWidth) * size_t(m_iHeight) * bpp;
    if (bytes.size() != expected)
        return "holds " + std::to_string(bytes.size()) + " bytes, not " + std::to_string(expected);
    m_pixels.assign(size_t(m_iWidth) * size_t(m_iHeight), TgaPixel{0, 0, 0, 0});
    size_t at = 18;
    for (int32_t row = m_iHeight - 1; row >= 0; --row) {
        for (int32_t x = 0; x < m_iWidth; ++x) {
            TgaPixel p{uint8_t(u8(at + 2)), uint8_t(u8(at + 1)), uint8_t(u8(at)), uint8_t(bpp == 4 ? u8(at + 3) : 255)};
            m_pixels[size_t(row) * size_t(m_iWidth) + size_t(x)] = p;
            at += bpp;
        }
    }
    return "";
}

bool TgaImage::anyTransparent() const
{
    for (const TgaPixel& p : m_pixels) {
        if (p.a != 255)
            return true;
    }
    return false;
}

bool TgaImage::anyColourKey() const
{
    for (const TgaPixel& p : m_pixels) {
        if (p.r == 255 && p.g == 0 && p.b == 255)
            return true;
    }
    return false;
}

bool TgaImage::clear(int32_t x, int32_t y, int32_t w, int32_t h) const
{
    for (int32_t j = y; j < y + h; ++j) {
        for (int32_t i = x; i < x + w; ++i) {
            if (at(i, j).a != 0)
                return false;
        }
    }
    return true;
}
