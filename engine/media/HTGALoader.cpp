// The TGA reader. The 18-byte header (16-bit fields little-endian):
//   0 ID length, 1 colour-map type, 2 image type, 3-7 colour-map
//   fields (first index, entry count, entry bits), 8 x origin,
//   10 y origin, 12 width, 14 height, 16 bits per pixel, 17 descriptor.
// Then the ID field, the colour map and the pixels, bottom row first unless
// descriptor bit 5 says the origin is at the top, each row from its left end
// unless descriptor bit 4 says it starts at the right.
#include "engine/media/HTGALoader.h"

#include "engine/core/HEndian.h"
#include "engine/core/HErrorManager.h"
#include "engine/media/HImage.h"

#include <cstring>

namespace {

constexpr size_t kHeaderSize = 18;
constexpr uint8_t kTypeTrueColour = 2;
constexpr uint8_t kTypeGreyscale = 3;
constexpr uint8_t kDescriptorRightOrigin = 0x10;
constexpr uint8_t kDescriptorTopOrigin = 0x20;

uint16_t readLittle16(const uint8_t* p)
{
    int16_t v;
    std::memcpy(&v, p, sizeof(v));
    return static_cast<uint16_t>(HEndian::s_littleShort(v));
}

} // namespace

HTGALoader::HTGALoader() = default;

HTGALoader::~HTGALoader() = default;

bool HTGALoader::loadFromMemory(const uint8_t* data, size_t size, const char* name)
{
    unload();
    if (!name)
        name = "";
    if (!data || size < kHeaderSize) {
        HErrorManager::s_db_alert("HTGALoader::load - '%s' is too short for a TGA header", name);
        return false;
    }
    const uint8_t idLength = data[0];
    const uint8_t colourMapType = data[1];
    const uint8_t imageType = data[2];
    const uint16_t colourMapLength = readLittle16(data + 5);
    const uint8_t colourMapEntryBits = data[7];
    const uint16_t width = readLittle16(data + 12);
    const uint16_t height = readLittle16(data + 14);
    const uint8_t bitsPerPixel = data[16];
    const uint8_t descriptor = data[17];

    if (colourMapType != 0)
        HErrorManager::s_db_alert("HTGALoader::load - colormap found in '%s'", name);

    // Only uncompressed true colour and uncompressed greyscale; colour-mapped
    // (1), RLE (9, 10, 11) and empty (0) images are refused.
    HImage::Format format = HImage::FORMAT_NONE;
    size_t filePixelBytes = 0;
    if (imageType == kTypeTrueColour && (bitsPerPixel == 15 || bitsPerPixel == 16)) {
        format = HImage::FORMAT_16BIT;
        filePixelBytes = 2;
    } else if (imageType == kTypeTrueColour && (bitsPerPixel == 24 || bitsPerPixel == 32)) {
        format = HImage::FORMAT_32BIT;
        filePixelBytes = bitsPerPixel / 8;
    } else if (imageType == kTypeGreyscale && bitsPerPixel == 8) {
        format = HImage::FORMAT_8BIT;
        filePixelBytes = 1;
    } else {
        HErrorManager::s_db_alert("HTGALoader::load - unsupported image type %d at %d bits in '%s'", imageType,
                                  bitsPerPixel, name);
        return false;
    }
    if (width == 0 || height == 0 || width > kMaxImageDimension || height > kMaxImageDimension) {
        HErrorManager::s_db_alert("HTGALoader::load - unsupported size %dx%d in '%s'", width, height, name);
        return false;
    }

    // The ID field and any colour map come before the pixels; a true-colour
    // image does not use its map, so it is skipped. With the caps above none
    // of these sums can overflow.
    const size_t colourMapBytes =
        colourMapType != 0 ? static_cast<size_t>(colourMapLength) * ((colourMapEntryBits + 7u) / 8u) : 0;
    const size_t pixelOffset = kHeaderSize + idLength + colourMapBytes;
    const size_t pixelBytes = static_cast<size_t>(width) * height * filePixelBytes;
    if (pixelOffset > size || size - pixelOffset < pixelBytes) {
        HErrorManager::s_db_alert("HTGALoader::load - '%s' is truncated", name);
        return false;
    }

    HImage* image = new HImage(width, height, format);
    if (!image->getData()) {
        delete image;
        HErrorManager::s_db_alert("HTGALoader::load - out of memory for '%s'", name);
        return false;
    }
    const uint8_t* src = data + pixelOffset;
    uint8_t* dst = image->getData();
    const size_t pixels = static_cast<size_t>(width) * height;
    switch (format) {
    case HImage::FORMAT_16BIT:
        // File: x rrrrr ggggg bbbbb. Image: blue 11-15, green 6-10, red 1-5.
        for (size_t i = 0; i < pixels; ++i, src += 2, dst += 2) {
            const unsigned v = src[0] | src[1] << 8;
            const uint16_t out =
                static_cast<uint16_t>(((v >> 10) & 31) << 1 | ((v >> 5) & 31) << 6 | (v & 31) << 11);
            std::memcpy(dst, &out, sizeof(out));
        }
        break;
    case HImage::FORMAT_32BIT:
        if (filePixelBytes == 4) {
            std::memcpy(dst, src, pixelBytes);
        } else {
            for (size_t i = 0; i < pixels; ++i, src += 3, dst += 4) {
                dst[0] = src[0];
                dst[1] = src[1];
                dst[2] = src[2];
                dst[3] = 255;
            }
        }
        break;
    default:
        std::memcpy(dst, src, pixelBytes);
        break;
    }
    m_pImage = image;
    HErrorManager::s_db_trace("...loaded '%s' %dx%dx%d\n", name, image->getWidth(), image->getHeight(),
                              image->getBytesPerPixel());
    if (!(descriptor & kDescriptorTopOrigin))
        image->flipVertical();
    if (descriptor & kDescriptorRightOrigin)
        image->flipHorizontal();
    return true;
}
