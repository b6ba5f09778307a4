// Image files for the loader tests, made in memory: TGA byte by byte, PNG
// through libpng and JPEG through libjpeg. Pixel arrays are rows top to
// bottom with no gap between them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

// The bytes of a followed by those of b, for files put together from parts.
inline Bytes operator+(Bytes a, const Bytes& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

class ImageFixtures {
public:
    ImageFixtures() = delete;

    // The 18-byte TGA header; the caller appends the ID field, any colour
    // map and the pixels.
    static Bytes tgaHeader(uint8_t imageType, uint16_t width, uint16_t height, uint8_t bitsPerPixel,
                           uint8_t descriptor = 0, uint8_t idLength = 0, uint8_t colourMapType = 0,
                           uint16_t colourMapLength = 0, uint8_t colourMapEntryBits = 0);

    struct PngOptions {
        // PNG_COLOR_TYPE_* value.
        int colourType = 2;
        int bitDepth = 8;
        bool interlaced = false;
        // Palette entries as red, green, blue triples.
        Bytes palette;
        // Alpha of the first palette entries (a tRNS chunk), when not empty.
        Bytes paletteAlpha;
        // The transparent colour (a tRNS chunk), when not empty: red, green,
        // blue for an RGB image, one grey value for a greyscale image.
        std::vector<uint16_t> transparentColour;
        // A tEXt chunk, when not empty.
        const char* text = nullptr;
    };
    // `pixels` holds one sample per channel (palette: one index) per pixel.
    static Bytes png(int32_t width, int32_t height, const Bytes& pixels, const PngOptions& options);

    // How a JPEG's data is split into scans.
    enum JpegScans {
        // One scan of every component, sequential.
        JPEG_ONE_SCAN,
        // The library's standard progression.
        JPEG_PROGRESSIVE,
        // Sequential, one scan for each component in turn.
        JPEG_SCAN_PER_COMPONENT,
    };
    // `colourSpace` is a J_COLOR_SPACE value: 2 (JCS_RGB) takes 3 bytes per
    // pixel, 1 (JCS_GRAYSCALE) one, 4 (JCS_CMYK) four. Quality 100 with no
    // chroma subsampling keeps flat colours close to exact. A restart
    // marker follows every `restartRows` rows of blocks when not 0.
    static Bytes jpeg(int32_t width, int32_t height, const Bytes& pixels, int colourSpace, int quality = 100,
                      JpegScans scans = JPEG_ONE_SCAN, int restartRows = 0);

    // Writes a picture of 0xRRGGBB pixels (as a window is read back) to a
    // PNG file; false when it cannot be written.
    static bool writeRgbPng(const std::string& path, int32_t width, int32_t height, const std::vector<uint32_t>& rgb);
    // The same, each pixel (row by row) asked of `pixelAt`.
    static bool writeRgbPng(const std::string& path, int32_t width, int32_t height,
                            const std::function<uint32_t(int32_t x, int32_t y)>& pixelAt);

    // A pixel array of one repeated sample tuple.
    static Bytes fill(int32_t width, int32_t height, const Bytes& pixel);
};
