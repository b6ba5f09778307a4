// A memory surface that a test fills pixel by pixel and that gives its
// arrays back when it goes out of scope. Rows may be padded (the padding
// holds a guard value) to show reads through the wrong stride.
#pragma once

#include "engine/media/H2DMemorySurface.h"

#include <cstdint>

class TestSurface {
public:
    static constexpr uint16_t kPadding = 0xDEAD;

    // Pixels 0; with a mask, every mask byte 255.
    TestSurface(int32_t width, int32_t height, bool withMask, int32_t stridePadding = 0);
    ~TestSurface();

    TestSurface(const TestSurface&) = delete;
    TestSurface& operator=(const TestSurface&) = delete;

    H2DMemorySurface* get() { return &m_surface; }
    const H2DMemorySurface* get() const { return &m_surface; }
    int32_t width() const { return m_surface.getSurfaceWidth(); }
    int32_t height() const { return m_surface.getSurfaceHeight(); }

    uint16_t pixel(int32_t x, int32_t y) const;
    void setPixel(int32_t x, int32_t y, uint16_t value);
    void setMask(int32_t x, int32_t y, uint8_t value);
    // Every pixel a value of its own: (y * 256 + x) mixed into 16 bits.
    void fillPattern(uint16_t seed);
    static uint16_t patternAt(uint16_t seed, int32_t x, int32_t y);

private:
    H2DMemorySurface m_surface;
};
