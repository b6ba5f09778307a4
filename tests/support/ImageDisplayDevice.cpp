// The recording display with the colour key, and its screen's pictures.
#include "tests/support/ImageDisplayDevice.h"

#include "engine/core/HGlobal.h"
#include "framework/HPuzzleGame.h"
#include "tests/support/ImageFixtures.h"

namespace {

struct Format {
    int32_t bits[3];
    int32_t shift[3];

    Format() : bits(), shift()
    {
        H2DDisplayDevice::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    }

    uint8_t channel(uint16_t pixel, int i) const
    {
        const uint32_t max = (1u << bits[i]) - 1;
        const uint32_t v = (static_cast<uint32_t>(pixel) >> shift[i]) & max;
        return static_cast<uint8_t>(v * 255 / max);
    }
};

} // namespace

ImageDisplayDevice::ImageDisplayDevice() : RecordingDisplayDevice()
{
    setColourKey(true);
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

bool ImageDisplayDevice::s_install(HPuzzleGame* game, H2DDisplayDevice** slot, int32_t width, int32_t height,
                                   const char* title, bool fullscreen, bool flag)
{
    if (*slot)
        game->m_shutdownDisplayDevice();
    ImageDisplayDevice* device = new ImageDisplayDevice();
    if (!device->initScreen(width, height, title, fullscreen, flag)) {
        delete device;
        *slot = nullptr;
        return false;
    }
    *slot = device;
    HGlobal::s_register2DDisplayDevice(device);
    return true;
}
