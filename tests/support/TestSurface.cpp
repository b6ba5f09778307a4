// Test surfaces with their own arrays.
#include "tests/support/TestSurface.h"

#include <cstring>

TestSurface::TestSurface(int32_t width, int32_t height, bool withMask, int32_t stridePadding) : m_surface()
{
    const int32_t stridePixels = width + stridePadding;
    uint8_t* pixels = new uint8_t[static_cast<size_t>(stridePixels) * height * 2];
    uint16_t* p = reinterpret_cast<uint16_t*>(pixels);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < stridePixels; ++x)
            p[static_cast<size_t>(y) * stridePixels + x] = x < width ? 0 : kPadding;
    }
    m_surface.setSurface(pixels, width, height, 16, stridePixels * 2);
    if (withMask) {
        uint8_t* mask = new uint8_t[static_cast<size_t>(width) * height];
        std::memset(mask, 255, static_cast<size_t>(width) * height);
        m_surface.setAlphaMask(mask);
    }
}

TestSurface::~TestSurface()
{
    m_surface.destroySurface();
}

uint16_t TestSurface::pixel(int32_t x, int32_t y) const
{
    const uint8_t* row = m_surface.getPixels() + static_cast<size_t>(y) * m_surface.getStride();
    return reinterpret_cast<const uint16_t*>(row)[x];
}

void TestSurface::setPixel(int32_t x, int32_t y, uint16_t value)
{
    uint8_t* row = m_surface.getPixels() + static_cast<size_t>(y) * m_surface.getStride();
    reinterpret_cast<uint16_t*>(row)[x] = value;
}

void TestSurface::setMask(int32_t x, int32_t y, uint8_t value)
{
    m_surface.getAlphaMask()[static_cast<size_t>(y) * m_surface.getSurfaceWidth() + x] = value;
}

uint16_t TestSurface::patternAt(uint16_t seed, int32_t x, int32_t y)
{
    uint32_t v = static_cast<uint32_t>(y) * 256u + static_cast<uint32_t>(x) + seed * 40503u;
    v ^= v >> 7;
    v *= 2654435761u;
    return static_cast<uint16_t>((v >> 16) | 1u); // never 0, so a copy always shows
}

void TestSurface::fillPattern(uint16_t seed)
{
    for (int32_t y = 0; y < height(); ++y) {
        for (int32_t x = 0; x < width(); ++x)
            setPixel(x, y, patternAt(seed, x, y));
    }
}
