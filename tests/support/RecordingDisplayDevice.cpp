// The memory display device of the tests.
#include "tests/support/RecordingDisplayDevice.h"

#include <algorithm>

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
      m_bFailInit(false)
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

H2DSurface* RecordingDisplayDevice::createSurfaceFromImage(const HImage* /*image*/)
{
    return nullptr;
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
