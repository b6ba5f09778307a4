// Surfaces in system memory: sizes, release and cloning.
#include "engine/media/H2DMemorySurface.h"

#include <cstddef>
#include <cstring>
#include <new>

H2DMemorySurface::H2DMemorySurface() : H2DMemorySurface(nullptr, 0, 0, 0, 0) {}

H2DMemorySurface::H2DMemorySurface(uint8_t* pixels, int32_t width, int32_t height, int32_t bitsPerPixel,
                                   int32_t stride)
    : m_pPixels(pixels), m_iWidth(width), m_iHeight(height), m_iBitsPerPixel(bitsPerPixel), m_iStride(stride)
{
}

int32_t H2DMemorySurface::getSurfaceWidth() const
{
    return m_iWidth;
}

int32_t H2DMemorySurface::getSurfaceHeight() const
{
    return m_iHeight;
}

void H2DMemorySurface::destroySurface()
{
    delete[] m_pPixels;
    m_pPixels = nullptr;
    delete[] m_pAlphaMask;
    m_pAlphaMask = nullptr;
}

H2DMemorySurface* H2DMemorySurface::cloneSurface() const
{
    H2DMemorySurface* clone = new (std::nothrow) H2DMemorySurface();
    if (!clone)
        return nullptr;
    const size_t width = m_iWidth > 0 ? static_cast<size_t>(m_iWidth) : 0;
    const size_t height = m_iHeight > 0 ? static_cast<size_t>(m_iHeight) : 0;
    const size_t bytesPerPixel = m_iBitsPerPixel > 0 ? static_cast<size_t>(m_iBitsPerPixel / 8) : 0;
    const size_t rowBytes = width * bytesPerPixel;
    // Rows that overlap cannot be told apart from a buffer overrun.
    if (m_pPixels && m_iStride >= 0 && static_cast<size_t>(m_iStride) < rowBytes && height > 1) {
        delete clone;
        return nullptr;
    }
    clone->m_iWidth = m_iWidth;
    clone->m_iHeight = m_iHeight;
    clone->m_iBitsPerPixel = m_iBitsPerPixel;
    clone->m_iStride = static_cast<int32_t>(rowBytes);

    if (m_pPixels && rowBytes * height > 0) {
        clone->m_pPixels = new (std::nothrow) uint8_t[rowBytes * height];
        if (!clone->m_pPixels) {
            delete clone;
            return nullptr;
        }
        // Row by row through the source's own stride: the same bytes as one
        // block copy for packed rows, and still in bounds for padded ones.
        const bool packed = static_cast<size_t>(m_iStride) == rowBytes;
        if (packed) {
            std::memcpy(clone->m_pPixels, m_pPixels, rowBytes * height);
        } else {
            for (size_t y = 0; y < height; ++y)
                std::memcpy(clone->m_pPixels + y * rowBytes, m_pPixels + y * static_cast<size_t>(m_iStride),
                            rowBytes);
        }
    }
    if (m_pAlphaMask && width * height > 0) {
        uint8_t* mask = new (std::nothrow) uint8_t[width * height];
        if (!mask) {
            clone->destroySurface();
            delete clone;
            return nullptr;
        }
        std::memcpy(mask, m_pAlphaMask, width * height);
        clone->m_pAlphaMask = mask;
    }
    return clone;
}

void H2DMemorySurface::setSurface(uint8_t* pixels, int32_t width, int32_t height, int32_t bitsPerPixel,
                                  int32_t stride)
{
    m_pPixels = pixels;
    m_iWidth = width;
    m_iHeight = height;
    m_iBitsPerPixel = bitsPerPixel;
    m_iStride = stride;
}

void H2DMemorySurface::setPixels(uint8_t* pixels, int32_t stride)
{
    m_pPixels = pixels;
    m_iStride = stride;
}
