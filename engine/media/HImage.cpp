// Decoded pictures and the few whole-image operations offered on them.
#include "engine/media/HImage.h"

#include "engine/core/HErrorManager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

H_IMPLEMENT_CLASS(HImage, "HObject")

namespace {

// Bytes per pixel of a format, without the alert of getBytesPerPixel.
size_t bytesPerPixelOf(HImage::Format format)
{
    switch (format) {
    case HImage::FORMAT_8BIT:
        return 1;
    case HImage::FORMAT_32BIT:
        return 4;
    case HImage::FORMAT_16BIT:
        return 2;
    default:
        return 0;
    }
}

// width x bytes per pixel x height, or false when it does not fit in size_t.
bool byteCount(int32_t width, int32_t height, HImage::Format format, size_t* out)
{
    if (width < 0 || height < 0)
        return false;
    size_t stride = 0;
    if (__builtin_mul_overflow(static_cast<size_t>(width), bytesPerPixelOf(format), &stride))
        return false;
    return !__builtin_mul_overflow(stride, static_cast<size_t>(height), out);
}

} // namespace

HImage::HImage(int32_t width, int32_t height, Format format)
    : m_iWidth(0), m_iHeight(0), m_format(format), m_pData(nullptr)
{
    size_t size = 0;
    if (!byteCount(width, height, format, &size))
        return;
    if (size > 0) {
        m_pData = new (std::nothrow) uint8_t[size];
        if (!m_pData)
            return;
    }
    m_iWidth = width;
    m_iHeight = height;
}

HImage::~HImage()
{
    delete[] m_pData;
}

int32_t HImage::getBytesPerPixel() const
{
    const size_t bpp = bytesPerPixelOf(m_format);
    if (bpp == 0)
        HErrorManager::s_db_alert("getBytesPerPixel - unsupported format '%d'", static_cast<int>(m_format));
    return static_cast<int32_t>(bpp);
}

size_t HImage::getRowStride() const
{
    return bytesPerPixelOf(m_format) * static_cast<size_t>(m_iWidth);
}

size_t HImage::getDataSize() const
{
    return getRowStride() * static_cast<size_t>(m_iHeight);
}

size_t HImage::m_offset(int32_t x, int32_t y, size_t bytesPerPixel) const
{
    return (static_cast<size_t>(y) * static_cast<size_t>(m_iWidth) + static_cast<size_t>(x)) * bytesPerPixel;
}

void HImage::getPixel32(int32_t x, int32_t y, HImagePixel32* pixel) const
{
    const uint8_t* p = m_pData + m_offset(x, y, 4);
    pixel->r = p[2];
    pixel->g = p[1];
    pixel->b = p[0];
    pixel->a = p[3];
}

// The wider accessors go through memcpy: the data is a byte array, and the
// values are in host order, which on every supported host is little-endian.
uint32_t HImage::getPixel32(int32_t x, int32_t y) const
{
    uint32_t v;
    std::memcpy(&v, m_pData + m_offset(x, y, 4), sizeof(v));
    return v;
}

uint16_t HImage::getPixel16(int32_t x, int32_t y) const
{
    uint16_t v;
    std::memcpy(&v, m_pData + m_offset(x, y, 2), sizeof(v));
    return v;
}

uint8_t HImage::getPixel8(int32_t x, int32_t y) const
{
    return m_pData[m_offset(x, y, 1)];
}

void HImage::setPixel32(int32_t x, int32_t y, uint32_t value)
{
    std::memcpy(m_pData + m_offset(x, y, 4), &value, sizeof(value));
}

void HImage::setPixel16(int32_t x, int32_t y, uint16_t value)
{
    std::memcpy(m_pData + m_offset(x, y, 2), &value, sizeof(value));
}

void HImage::setPixel8(int32_t x, int32_t y, uint8_t value)
{
    m_pData[m_offset(x, y, 1)] = value;
}

uint32_t HImage::s_packRGBA(unsigned r, unsigned g, unsigned b, unsigned a)
{
    return (b & 0xFFu) | (g & 0xFFu) << 8 | (r & 0xFFu) << 16 | (a & 0xFFu) << 24;
}

void HImage::destroy()
{
    delete[] m_pData;
    m_pData = nullptr;
    m_iWidth = 0;
    m_iHeight = 0;
    m_format = FORMAT_NONE;
}

void HImage::flipVertical()
{
    if (!m_pData)
        return;
    const size_t stride = getRowStride();
    for (int32_t i = 0; i < m_iHeight / 2; ++i) {
        uint8_t* top = m_pData + static_cast<size_t>(i) * stride;
        uint8_t* bottom = m_pData + static_cast<size_t>(m_iHeight - 1 - i) * stride;
        std::swap_ranges(top, top + stride, bottom);
    }
}

void HImage::flipHorizontal()
{
    if (!m_pData)
        return;
    const size_t bytesPerPixel = static_cast<size_t>(getBytesPerPixel());
    const size_t stride = getRowStride();
    for (int32_t y = 0; y < m_iHeight; ++y) {
        uint8_t* row = m_pData + static_cast<size_t>(y) * stride;
        for (int32_t i = 0; i < m_iWidth / 2; ++i) {
            uint8_t* left = row + static_cast<size_t>(i) * bytesPerPixel;
            uint8_t* right = row + static_cast<size_t>(m_iWidth - 1 - i) * bytesPerPixel;
            std::swap_ranges(left, left + bytesPerPixel, right);
        }
    }
}

HImage* HImage::cloneImage() const
{
    HImage* copy = new HImage(m_iWidth, m_iHeight, m_format);
    if (m_pData && copy->m_pData)
        std::memcpy(copy->m_pData, m_pData, getDataSize());
    return copy;
}

HImage* HImage::createSubImage(int32_t x, int32_t y, int32_t width, int32_t height) const
{
    // Compared in 64 bits so that x + width cannot wrap.
    if (x < 0 || y < 0 || width <= 0 || height <= 0 || static_cast<int64_t>(x) + width > m_iWidth ||
        static_cast<int64_t>(y) + height > m_iHeight)
        return nullptr;
    HImage* sub = new HImage(width, height, m_format);
    const size_t bpp = bytesPerPixelOf(m_format);
    if (bpp == 0) {
        HErrorManager::s_db_alert("Unknown pixel format in createSubImage()");
        return sub;
    }
    if (!sub->m_pData || !m_pData)
        return sub;
    const size_t rowBytes = bpp * static_cast<size_t>(width);
    for (int32_t row = 0; row < height; ++row)
        std::memcpy(sub->m_pData + static_cast<size_t>(row) * rowBytes, m_pData + m_offset(x, y + row, bpp), rowBytes);
    return sub;
}

void HImage::convertFormats(HImage* /*dst*/, Format /*format*/) const
{
    HErrorManager::s_db_alert("HImage::convertFormats - Not implemented");
}

void HImage::boxFilter(HImage* dst) const
{
    if (!dst || m_format != FORMAT_32BIT || dst->m_format != FORMAT_32BIT || !m_pData || !dst->m_pData)
        return;
    if (dst->m_iWidth < (m_iWidth + 1) / 2 || dst->m_iHeight < (m_iHeight + 1) / 2)
        return;
    for (int32_t y = 0; y < m_iHeight; y += 2) {
        const int32_t y1 = std::min(y + 1, m_iHeight - 1);
        for (int32_t x = 0; x < m_iWidth; x += 2) {
            const int32_t x1 = std::min(x + 1, m_iWidth - 1);
            const uint8_t* p00 = m_pData + m_offset(x, y, 4);
            const uint8_t* p10 = m_pData + m_offset(x1, y, 4);
            const uint8_t* p01 = m_pData + m_offset(x, y1, 4);
            const uint8_t* p11 = m_pData + m_offset(x1, y1, 4);
            uint8_t* out = dst->m_pData + dst->m_offset(x / 2, y / 2, 4);
            for (int c = 0; c < 4; ++c)
                out[c] = static_cast<uint8_t>((p00[c] + p10[c] + p01[c] + p11[c]) >> 2);
        }
    }
}

void HImage::makeNormalMap(HImage* dst) const
{
    if (!dst || m_format != FORMAT_8BIT || dst->m_format != FORMAT_32BIT || !m_pData || !dst->m_pData)
        return;
    if (dst->m_iWidth != m_iWidth || dst->m_iHeight != m_iHeight)
        return;
    for (int32_t y = 0; y < m_iHeight; ++y) {
        const int32_t yn = (y + 1) % m_iHeight;
        for (int32_t x = 0; x < m_iWidth; ++x) {
            const int32_t xn = (x + 1) % m_iWidth;
            const float h = getPixel8(x, y) / 255.0f;
            const float dx = 4.0f * (h - getPixel8(xn, y) / 255.0f);
            const float dy = 4.0f * (h - getPixel8(x, yn) / 255.0f);
            const float n = 1.0f / std::sqrt(dx * dx + dy * dy + 1.0f);
            uint8_t* out = dst->m_pData + dst->m_offset(x, y, 4);
            out[0] = static_cast<uint8_t>(static_cast<int>(-dx * n * 127.0f + 128.0f));
            out[1] = static_cast<uint8_t>(static_cast<int>(dy * n * 127.0f + 128.0f));
            out[2] = static_cast<uint8_t>(static_cast<int>(n * 127.0f + 128.0f));
            out[3] = 255;
        }
    }
}

void HImage::applyGamma(const unsigned short (*ramps)[256])
{
    if (!ramps || m_format != FORMAT_32BIT || !m_pData)
        return;
    const size_t pixels = static_cast<size_t>(m_iWidth) * static_cast<size_t>(m_iHeight);
    for (size_t i = 0; i < pixels; ++i) {
        uint8_t* p = m_pData + i * 4;
        p[2] = static_cast<uint8_t>(ramps[0][p[2]] >> 8);
        p[1] = static_cast<uint8_t>(ramps[1][p[1]] >> 8);
        p[0] = static_cast<uint8_t>(ramps[2][p[0]] >> 8);
    }
}
