// Images to surfaces for the recording display, and screen pictures.
#include "tests/support/ImageDisplayDevice.h"

#include "engine/media/H2DMemorySurface.h"
#include "engine/media/HImage.h"
#include "tests/support/ImageFixtures.h"

#include <new>

namespace {

struct Format {
    int32_t bits[3];
    int32_t shift[3];

    Format() : bits(), shift()
    {
        H2DDisplayDevice::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    }

    uint16_t pack(uint32_t r, uint32_t g, uint32_t b) const
    {
        const uint32_t c[3] = {r, g, b};
        uint32_t v = 0;
        for (int i = 0; i < 3; ++i)
            v |= (c[i] >> (8 - bits[i])) << shift[i];
        return static_cast<uint16_t>(v);
    }

    uint8_t channel(uint16_t pixel, int i) const
    {
        const uint32_t max = (1u << bits[i]) - 1;
        const uint32_t v = (static_cast<uint32_t>(pixel) >> shift[i]) & max;
        return static_cast<uint8_t>(v * 255 / max);
    }
};

} // namespace

ImageDisplayDevice::ImageDisplayDevice() : RecordingDisplayDevice(), m_iSurfacesMade(0), m_iSurfacesDestroyed(0) {}

H2DSurface* ImageDisplayDevice::createSurfaceFromImage(const HImage* image)
{
    if (!image || image->getFormat() != HImage::FORMAT_32BIT || !image->getData())
        return nullptr;
    const int32_t width = image->getWidth();
    const int32_t height = image->getHeight();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint8_t* pixels = new (std::nothrow) uint8_t[count * 2 + 1]();
    uint8_t* mask = new (std::nothrow) uint8_t[count + 1];
    H2DMemorySurface* surface = new (std::nothrow) H2DMemorySurface(nullptr, width, height, 16, width * 2);
    if (!pixels || !mask || !surface) {
        delete[] pixels;
        delete[] mask;
        delete surface;
        return nullptr;
    }
    const Format format;
    uint16_t* out = reinterpret_cast<uint16_t*>(pixels);
    bool masked = false;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            HImagePixel32 p;
            image->getPixel32(x, y, &p);
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            out[i] = format.pack(p.r, p.g, p.b);
            mask[i] = (p.r == 255 && p.g == 0 && p.b == 255) ? 0 : p.a;
            masked = masked || mask[i] != 255;
        }
    }
    surface->setPixels(pixels, width * 2);
    if (masked)
        surface->setAlphaMask(mask);
    else
        delete[] mask;
    ++m_iSurfacesMade;
    return surface;
}

void ImageDisplayDevice::destroySurface(H2DSurface* surface)
{
    if (surface)
        ++m_iSurfacesDestroyed;
    RecordingDisplayDevice::destroySurface(surface);
}

void ImageDisplayDevice::rgbAt(int32_t x, int32_t y, uint8_t* r, uint8_t* g, uint8_t* b) const
{
    const Format format;
    const uint16_t v = pixel(x, y);
    *r = format.channel(v, 0);
    *g = format.channel(v, 1);
    *b = format.channel(v, 2);
}

bool ImageDisplayDevice::savePng(const std::string& path) const
{
    return ImageFixtures::writeRgbPng(path, m_iScreenWidth, m_iScreenHeight, [this](int32_t x, int32_t y) {
        uint8_t r, g, b;
        rgbAt(x, y, &r, &g, &b);
        return (static_cast<uint32_t>(r) << 16) | (static_cast<uint32_t>(g) << 8) | b;
    });
}
