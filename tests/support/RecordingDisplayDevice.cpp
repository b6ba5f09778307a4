// The memory display device of the tests.
#include "tests/support/RecordingDisplayDevice.h"

#include "engine/media/HImage.h"

#include <algorithm>
#include <new>

RecordingDisplayDevice::RecordingDisplayDevice(int32_t stridePadding)
    : H2DDisplayDevice(nullptr),
      m_buffer(),
      m_iStridePixels(0),
      m_iPadding(stridePadding > 0 ? stridePadding : 0),
      m_iWidth(0),
      m_iHeight(0),
      m_presents(),
      m_iShutdownCount(0),
      m_iClearCount(0),
      m_bCursorShown(true),
      m_bFailInit(false),
      m_bRefuseImages(false),
      m_bColourKey(false),
      m_iSurfacesMade(0),
      m_iSurfacesDestroyed(0),
      m_drawCalls(),
      m_iDrawDepth(0)
{
}

bool RecordingDisplayDevice::initScreen(int32_t width, int32_t height, const char* title, bool fullscreen,
                                        bool unused)
{
    if (m_bFailInit) {
        m_bFailInit = false;
        return false;
    }
    m_iWidth = std::max(width, 0);
    m_iHeight = std::max(height, 0);
    m_iStridePixels = m_iWidth + m_iPadding;
    m_buffer.assign(static_cast<size_t>(m_iStridePixels) * (m_iHeight + 2), kGuard);
    for (int32_t y = 0; y < m_iHeight; ++y)
        std::fill(rowStart(y), rowStart(y) + m_iWidth, uint16_t{0});
    m_backBuffer.setSurface(reinterpret_cast<uint8_t*>(rowStart(0)), m_iWidth, m_iHeight, 16, m_iStridePixels * 2);
    return H2DDisplayDevice::initScreen(width, height, title, fullscreen, unused);
}

void RecordingDisplayDevice::shutdownScreen()
{
    ++m_iShutdownCount;
}

void RecordingDisplayDevice::clear(const HColor4f& colour)
{
    ++m_iClearCount;
    const auto channel = [](float v) { return static_cast<uint32_t>(static_cast<int32_t>(v * 255.0f) & 0xFF); };
    fill(static_cast<uint16_t>(((channel(colour.r) >> 3) << 11) | ((channel(colour.g) >> 2) << 5) |
                               (channel(colour.b) >> 3)));
}

H2DSurface* RecordingDisplayDevice::createSurfaceFromImage(const HImage* image)
{
    if (m_bRefuseImages || !image || image->getFormat() != HImage::FORMAT_32BIT || !image->getData() ||
        image->getWidth() <= 0 || image->getHeight() <= 0)
        return nullptr;
    int32_t bits[3];
    int32_t shift[3];
    sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shift[0], &shift[1], &shift[2]);
    const int32_t width = image->getWidth();
    const int32_t height = image->getHeight();
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    uint16_t* pixels = new (std::nothrow) uint16_t[count];
    uint8_t* mask = new (std::nothrow) uint8_t[count];
    if (!pixels || !mask) {
        delete[] pixels;
        delete[] mask;
        return nullptr;
    }
    bool opaque = true;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            HImagePixel32 p;
            image->getPixel32(x, y, &p);
            const uint8_t channels[3] = {p.r, p.g, p.b};
            uint32_t v = 0;
            for (int c = 0; c < 3; ++c)
                v |= static_cast<uint32_t>(channels[c] >> (8 - bits[c])) << shift[c];
            const size_t i = static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x);
            pixels[i] = static_cast<uint16_t>(v);
            const bool keyedOut = m_bColourKey && p.r == 255 && p.g == 0 && p.b == 255;
            mask[i] = keyedOut ? 0 : p.a;
            opaque = opaque && mask[i] == 255;
        }
    }
    if (opaque) {
        delete[] mask;
        mask = nullptr;
    }
    // The surface gives both arrays back with delete[] in destroySurface().
    H2DMemorySurface* surface =
        new H2DMemorySurface(reinterpret_cast<uint8_t*>(pixels), width, height, 16, width * 2);
    surface->setAlphaMask(mask);
    ++m_iSurfacesMade;
    return surface;
}

void RecordingDisplayDevice::destroySurface(H2DSurface* surface)
{
    if (surface)
        ++m_iSurfacesDestroyed;
    H2DDisplayDevice::destroySurface(surface);
}

void RecordingDisplayDevice::m_record(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                                      bool blend)
{
    if (m_iDrawDepth == 0)
        m_drawCalls.push_back(DrawCall{dst ? *dst : HScreenRect(), src ? *src : HScreenRect(), surface, blend});
}

bool RecordingDisplayDevice::blendPartialSurface(const HScreenRect* dst, const HScreenRect* src,
                                                 const H2DSurface* surface, BlendAlphaSource srcAlpha,
                                                 BlendParameterSource srcParam, CombineOp srcOp, uint8_t srcConst,
                                                 BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                                                 CombineOp dstOp, uint8_t dstConst, BlendOp op)
{
    m_record(dst, src, surface, true);
    ++m_iDrawDepth;
    const bool drawn = H2DDisplayDevice::blendPartialSurface(dst, src, surface, srcAlpha, srcParam, srcOp, srcConst,
                                                             dstAlpha, dstParam, dstOp, dstConst, op);
    --m_iDrawDepth;
    return drawn;
}

bool RecordingDisplayDevice::blitPartialSurface(const HScreenRect* dst, const HScreenRect* src,
                                                const H2DSurface* surface)
{
    m_record(dst, src, surface, false);
    ++m_iDrawDepth;
    const bool drawn = H2DDisplayDevice::blitPartialSurface(dst, src, surface);
    --m_iDrawDepth;
    return drawn;
}

void RecordingDisplayDevice::showCursor(bool show)
{
    m_bCursorShown = show;
}

void RecordingDisplayDevice::m_putToScreen(const HScreenRect* rects, int32_t count)
{
    m_presents.emplace_back(rects, rects + count);
}

uint16_t* RecordingDisplayDevice::rowStart(int32_t y)
{
    return m_buffer.data() + static_cast<size_t>(y + 1) * m_iStridePixels;
}

const uint16_t* RecordingDisplayDevice::rowStart(int32_t y) const
{
    return m_buffer.data() + static_cast<size_t>(y + 1) * m_iStridePixels;
}

uint16_t RecordingDisplayDevice::pixel(int32_t x, int32_t y) const
{
    return rowStart(y)[x];
}

void RecordingDisplayDevice::setPixel(int32_t x, int32_t y, uint16_t value)
{
    rowStart(y)[x] = value;
}

void RecordingDisplayDevice::fill(uint16_t value)
{
    for (int32_t y = 0; y < m_iHeight; ++y)
        std::fill(rowStart(y), rowStart(y) + m_iWidth, value);
}

bool RecordingDisplayDevice::guardIntact() const
{
    for (int32_t y = -1; y <= m_iHeight; ++y) {
        const uint16_t* row = rowStart(y);
        const bool inside = y >= 0 && y < m_iHeight;
        for (int32_t x = inside ? m_iWidth : 0; x < m_iStridePixels; ++x) {
            if (row[x] != kGuard)
                return false;
        }
    }
    return true;
}
