// A decoded picture in memory: width, height, one of three pixel formats and
// the pixel bytes, rows top to bottom with no gap between them. The image
// loaders produce it and the display device turns it into a surface.
//
// The byte count is computed in size_t with checked multiplication: an image
// whose size cannot be represented or allocated is made empty (0 x 0, no
// data), so users check getData() before touching pixels.
#pragma once

#include "engine/core/HObject.h"
#include "engine/media/HImagePixel32.h"

#include <cstddef>
#include <cstdint>

class HImage : public HObject {
    H_DECLARE_CLASS(HImage)
public:
    enum Format : int32_t {
        FORMAT_NONE = 0,
        // One 8-bit value per pixel.
        FORMAT_8BIT = 1,
        // Bytes blue, green, red, alpha; as a little-endian 32-bit value blue
        // is in bits 0-7 and alpha in bits 24-31.
        FORMAT_32BIT = 2,
        // 16-bit value: bit 0 zero, red in bits 1-5, green 6-10, blue 11-15.
        FORMAT_16BIT = 3,
    };

    // The data's contents are not set. A format other than 1, 2 or 3 counts as
    // 0 bytes per pixel; a negative size or one that does not fit in memory
    // gives an empty image.
    HImage(int32_t width, int32_t height, Format format);
    ~HImage() override;

    HImage(const HImage&) = delete;
    HImage& operator=(const HImage&) = delete;

    int32_t getWidth() const { return m_iWidth; }
    int32_t getHeight() const { return m_iHeight; }
    Format getFormat() const { return m_format; }
    uint8_t* getData() { return m_pData; }
    const uint8_t* getData() const { return m_pData; }

    // 4, 1 or 2 for formats 2, 1 and 3; any other format raises a developer
    // alert and gives 0.
    int32_t getBytesPerPixel() const;
    // Bytes per pixel x width.
    size_t getRowStride() const;
    // Row stride x height: the number of bytes getData() points to.
    size_t getDataSize() const;

    // The pixel accessors do not validate: the caller keeps 0 <= x < width,
    // 0 <= y < height and uses the accessor of the image's format.
    void getPixel32(int32_t x, int32_t y, HImagePixel32* pixel) const;
    uint32_t getPixel32(int32_t x, int32_t y) const;
    uint16_t getPixel16(int32_t x, int32_t y) const;
    uint8_t getPixel8(int32_t x, int32_t y) const;
    void setPixel32(int32_t x, int32_t y, uint32_t value);
    void setPixel16(int32_t x, int32_t y, uint16_t value);
    void setPixel8(int32_t x, int32_t y, uint8_t value);

    // The format-2 value of a colour (low 8 bits of each channel).
    static uint32_t s_packRGBA(unsigned r, unsigned g, unsigned b, unsigned a);

    // Frees the data and leaves an empty image of format 0.
    void destroy();
    // Exchanges row i with row height - 1 - i, in place.
    void flipVertical();
    // Exchanges column i with column width - 1 - i in every row, in place.
    void flipHorizontal();
    // A new image (created with new, owned by the caller) with a copy of the data.
    HImage* cloneImage() const;
    // A new image of the given size and this format holding the pixels from
    // (x, y) on; null when the rectangle is empty or not inside this image.
    HImage* createSubImage(int32_t x, int32_t y, int32_t width, int32_t height) const;
    // Not implemented: raises a developer alert and converts nothing.
    void convertFormats(HImage* dst, Format format) const;
    // Halves a format-2 image into dst, which must be a format-2 image of at
    // least ((width + 1) / 2) x ((height + 1) / 2); each output byte is the
    // sum of a 2 x 2 block's bytes shifted right by 2, the last column or row
    // standing in for a missing neighbour. Any other dst is left untouched.
    void boxFilter(HImage* dst) const;
    // Reads this 8-bit image as a height map and writes a format-2 normal map
    // into dst, which must be a format-2 image of the same size.
    void makeNormalMap(HImage* dst) const;
    // Three ramps of 256 16-bit entries, for red, green and blue in that
    // order: each colour channel of a format-2 image becomes the upper 8 bits
    // of its ramp's entry at the old value; alpha stays.
    void applyGamma(const unsigned short (*ramps)[256]);

private:
    // Offset of pixel (x, y) in bytes for `bytesPerPixel`-byte pixels.
    size_t m_offset(int32_t x, int32_t y, size_t bytesPerPixel) const;

    int32_t m_iWidth;
    int32_t m_iHeight;
    Format m_format;
    uint8_t* m_pData;
};
