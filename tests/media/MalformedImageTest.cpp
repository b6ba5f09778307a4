// Damaged, hostile and unusual image files: every one either fails cleanly
// or decodes to exactly the right pixels, and none reads or writes out of
// bounds (the asan build checks that) or ends the process.
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HImageLoaderProxy.h"

#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace {

Bytes cut(const Bytes& file, size_t size)
{
    return Bytes(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(std::min(size, file.size())));
}

ImageFixtures::PngOptions pngOf(int colourType)
{
    ImageFixtures::PngOptions options;
    options.colourType = colourType;
    return options;
}

// The expected pixel at (x, y) of an image that decodes.
using PixelFn = uint32_t (*)(int32_t x, int32_t y);

uint32_t wideGradient(int32_t x, int32_t y)
{
    return HImage::s_packRGBA(x & 255, x >> 8, y, 200);
}

uint32_t wideRgbGradient(int32_t x, int32_t y)
{
    return HImage::s_packRGBA(x & 255, x >> 8, y, 255);
}

uint32_t flatOrange(int32_t, int32_t)
{
    return HImage::s_packRGBA(200, 100, 50, 255);
}

uint32_t flatGrey(int32_t, int32_t)
{
    return HImage::s_packRGBA(77, 77, 77, 255);
}

Bytes gradientPixels(int32_t width, int32_t height, bool alpha)
{
    Bytes pixels;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            pixels.insert(pixels.end(), {static_cast<unsigned char>(x & 255), static_cast<unsigned char>(x >> 8),
                                         static_cast<unsigned char>(y)});
            if (alpha)
                pixels.push_back(200);
        }
    }
    return pixels;
}

struct Row {
    std::string what;
    const char* name;
    Bytes file;
    // Null: the load must fail.
    PixelFn pixel;
    int32_t width;
    int32_t height;
};

std::vector<Row> rows()
{
    std::vector<Row> r;
    const Bytes tga24 = ImageFixtures::tgaHeader(2, 2, 2, 24) + Bytes(12, 9);
    r.push_back({"TGA shorter than its header", "a.tga", cut(tga24, 17), nullptr, 0, 0});
    r.push_back({"TGA missing its last pixel byte", "a.tga", cut(tga24, tga24.size() - 1), nullptr, 0, 0});
    r.push_back({"TGA claiming 65535 x 65535", "a.tga", ImageFixtures::tgaHeader(2, 65535, 65535, 32) + Bytes(64, 1),
                 nullptr, 0, 0});
    r.push_back({"TGA 4097 pixels wide", "a.tga", ImageFixtures::tgaHeader(3, 4097, 1, 8) + Bytes(4097, 1), nullptr,
                 0, 0});
    r.push_back({"TGA 0 pixels high", "a.tga", ImageFixtures::tgaHeader(2, 4, 0, 24) + Bytes(12, 1), nullptr, 0, 0});
    r.push_back({"RLE true-colour TGA", "a.tga", ImageFixtures::tgaHeader(10, 2, 1, 24) + Bytes{0x81, 1, 2, 3},
                 nullptr, 0, 0});
    r.push_back({"RLE greyscale TGA", "a.tga", ImageFixtures::tgaHeader(11, 2, 1, 8) + Bytes{0x81, 1}, nullptr, 0, 0});
    r.push_back({"colour-mapped TGA", "a.tga",
                 ImageFixtures::tgaHeader(1, 2, 1, 8, 0, 0, 1, 2, 24) + Bytes{0, 0, 255, 255, 0, 0} + Bytes{0, 1},
                 nullptr, 0, 0});
    r.push_back({"TGA without image data (type 0)", "a.tga", ImageFixtures::tgaHeader(0, 1, 1, 8) + Bytes{1}, nullptr,
                 0, 0});
    r.push_back({"true-colour TGA at 8 bits", "a.tga", ImageFixtures::tgaHeader(2, 1, 1, 8) + Bytes{1}, nullptr, 0, 0});
    r.push_back({"TGA whose ID field runs past the end", "a.tga",
                 ImageFixtures::tgaHeader(3, 1, 1, 8, 0, 255) + Bytes(10, 1), nullptr, 0, 0});
    r.push_back({"TGA whose colour map runs past the end", "a.tga",
                 ImageFixtures::tgaHeader(2, 1, 1, 24, 0, 0, 1, 65535, 32) + Bytes(100, 1), nullptr, 0, 0});

    const Bytes png = ImageFixtures::png(40, 30, gradientPixels(40, 30, true), pngOf(PNG_COLOR_TYPE_RGB_ALPHA));
    for (size_t size : {size_t{0}, size_t{8}, size_t{20}, size_t{33}, png.size() / 2, png.size() - 13})
        r.push_back({"PNG cut to " + std::to_string(size) + " bytes", "a.png", cut(png, size), nullptr, 0, 0});
    r.push_back({"RGBA PNG 2000 pixels wide", "a.png",
                 ImageFixtures::png(2000, 3, gradientPixels(2000, 3, true), pngOf(PNG_COLOR_TYPE_RGB_ALPHA)),
                 wideGradient, 2000, 3});
    r.push_back({"RGB PNG 2000 pixels wide", "a.png",
                 ImageFixtures::png(2000, 2, gradientPixels(2000, 2, false), pngOf(PNG_COLOR_TYPE_RGB)),
                 wideRgbGradient, 2000, 2});
    r.push_back({"PNG 4097 pixels wide", "a.png",
                 ImageFixtures::png(4097, 1, Bytes(4097 * 3, 5), pngOf(PNG_COLOR_TYPE_RGB)), nullptr, 0, 0});
    ImageFixtures::PngOptions palette = pngOf(PNG_COLOR_TYPE_PALETTE);
    palette.palette = {1, 2, 3, 4, 5, 6};
    r.push_back({"PNG palette index beyond the palette", "a.png", ImageFixtures::png(3, 1, {0, 1, 2}, palette),
                 nullptr, 0, 0});
    ImageFixtures::PngOptions interlaced = pngOf(PNG_COLOR_TYPE_RGB_ALPHA);
    interlaced.interlaced = true;
    r.push_back({"interlaced PNG", "a.png", ImageFixtures::png(9, 9, gradientPixels(9, 9, true), interlaced), nullptr,
                 0, 0});
    // The header of a 1 x 1 file rewritten to 65535 x 65535, checksum included.
    Bytes huge = ImageFixtures::png(1, 1, Bytes{1, 2, 3}, pngOf(PNG_COLOR_TYPE_RGB));
    for (int i = 16; i < 24; ++i)
        huge[i] = i % 4 < 2 ? 0 : 0xFF;
    const uLong crc = crc32(0, huge.data() + 12, 17);
    for (int i = 0; i < 4; ++i)
        huge[29 + i] = static_cast<unsigned char>(crc >> (24 - 8 * i));
    r.push_back({"PNG claiming 65535 x 65535", "a.png", huge, nullptr, 0, 0});

    // Busy pictures, so that most of each file is scan data.
    const Bytes jpeg = ImageFixtures::jpeg(64, 48, gradientPixels(64, 48, false), JCS_RGB);
    for (size_t size : {size_t{0}, size_t{2}, size_t{100}, jpeg.size() / 2, jpeg.size() - 40})
        r.push_back({"JPEG cut to " + std::to_string(size) + " of " + std::to_string(jpeg.size()) + " bytes", "a.jpg",
                     cut(jpeg, size), nullptr, 0, 0});
    const Bytes progressive =
        ImageFixtures::jpeg(64, 48, gradientPixels(64, 48, false), JCS_RGB, 100, ImageFixtures::JPEG_PROGRESSIVE);
    for (size_t size : {progressive.size() / 2, progressive.size() - 40})
        r.push_back({"progressive JPEG cut to " + std::to_string(size) + " of " + std::to_string(progressive.size()) +
                         " bytes",
                     "a.jpg", cut(progressive, size), nullptr, 0, 0});
    r.push_back({"JPEG 2000 pixels wide", "a.jpg",
                 ImageFixtures::jpeg(2000, 9, ImageFixtures::fill(2000, 9, {200, 100, 50}), JCS_RGB), flatOrange,
                 2000, 9});
    r.push_back({"JPEG 4100 pixels wide", "a.jpg",
                 ImageFixtures::jpeg(4100, 1, ImageFixtures::fill(4100, 1, {200, 100, 50}), JCS_RGB), nullptr, 0, 0});
    r.push_back({"greyscale JPEG", "a.jpg", ImageFixtures::jpeg(17, 5, ImageFixtures::fill(17, 5, {77}), JCS_GRAYSCALE),
                 flatGrey, 17, 5});
    r.push_back({"CMYK JPEG", "a.jpg", ImageFixtures::jpeg(8, 8, ImageFixtures::fill(8, 8, {0, 50, 100, 0}), JCS_CMYK),
                 nullptr, 0, 0});
    Bytes garbage = cut(jpeg, 200);
    for (size_t i = 2; i < garbage.size(); ++i)
        garbage[i] = static_cast<unsigned char>(i * 37);
    r.push_back({"JPEG of garbage after its start marker", "a.jpg", garbage, nullptr, 0, 0});
    return r;
}

TEST(MalformedImageTest, EveryFileFailsCleanlyOrDecodesExactly)
{
    TempDir dir;
    HStandardFileSystem fs;
    fs.initFileSystem(dir.path().c_str());
    for (const Row& row : rows()) {
        SCOPED_TRACE(row.what);
        dir.write(row.name, row.file);
        HImageLoaderProxy proxy;
        testing::internal::CaptureStdout(); // libpng's fatal errors show an alert
        const bool loaded = proxy.load(&fs, row.name);
        testing::internal::GetCapturedStdout();
        if (!row.pixel) {
            EXPECT_FALSE(loaded);
            EXPECT_EQ(proxy.getImage(), nullptr);
            continue;
        }
        ASSERT_TRUE(loaded);
        const HImage* image = proxy.getImage();
        ASSERT_NE(image, nullptr);
        ASSERT_EQ(image->getFormat(), HImage::FORMAT_32BIT);
        ASSERT_EQ(image->getWidth(), row.width);
        ASSERT_EQ(image->getHeight(), row.height);
        for (int32_t y = 0; y < row.height; ++y)
            for (int32_t x = 0; x < row.width; ++x)
                ASSERT_EQ(image->getPixel32(x, y), row.pixel(x, y)) << "at " << x << "," << y;
        proxy.unload();
    }
}

} // namespace
