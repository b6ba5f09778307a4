// Decoded images: sizes, pixel layout and the whole-image operations.
#include "engine/media/HImage.h"

#include "tests/support/DiagnosticRecorder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// A format-2 image whose pixel (x, y) holds bytes (x, y, 10 * x + y, 255).
std::unique_ptr<HImage> numbered(int32_t width, int32_t height)
{
    auto image = std::make_unique<HImage>(width, height, HImage::FORMAT_32BIT);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            uint8_t* p = image->getData() + (static_cast<size_t>(y) * width + x) * 4;
            p[0] = static_cast<uint8_t>(x);
            p[1] = static_cast<uint8_t>(y);
            p[2] = static_cast<uint8_t>(10 * x + y);
            p[3] = 255;
        }
    }
    return image;
}

TEST(HImageTest, FormatsGiveBytesPerPixelStrideAndSize)
{
    struct Row {
        HImage::Format format;
        int32_t bytesPerPixel;
    };
    const Row rows[] = {{HImage::FORMAT_8BIT, 1}, {HImage::FORMAT_32BIT, 4}, {HImage::FORMAT_16BIT, 2}};
    for (const Row& row : rows) {
        HImage image(5, 3, row.format);
        EXPECT_EQ(image.getBytesPerPixel(), row.bytesPerPixel) << row.format;
        EXPECT_EQ(image.getRowStride(), static_cast<size_t>(5 * row.bytesPerPixel)) << row.format;
        EXPECT_EQ(image.getDataSize(), static_cast<size_t>(15 * row.bytesPerPixel)) << row.format;
        EXPECT_NE(image.getData(), nullptr) << row.format;
        EXPECT_EQ(image.getWidth(), 5);
        EXPECT_EQ(image.getHeight(), 3);
    }
    EXPECT_STREQ(HImage(1, 1, HImage::FORMAT_8BIT).getClassName(), "HImage");
    EXPECT_STREQ(HImage(1, 1, HImage::FORMAT_8BIT).getBaseClassName(), "HObject");
}

TEST(HImageTest, AnUnknownFormatHasNoBytesAndRaisesTheAlert)
{
    DiagnosticRecorder diagnostics;
    HImage image(4, 4, static_cast<HImage::Format>(7));
    EXPECT_EQ(image.getData(), nullptr);
    EXPECT_EQ(image.getDataSize(), 0u);
    EXPECT_EQ(image.getBytesPerPixel(), 0);
    EXPECT_EQ(diagnostics.count("getBytesPerPixel - unsupported format '7'"), 1);
}

TEST(HImageTest, ANegativeSizeGivesAnEmptyImage)
{
    for (const auto& size : {std::pair<int32_t, int32_t>{-1, 4}, {4, -1}, {INT32_MIN, INT32_MIN}}) {
        HImage image(size.first, size.second, HImage::FORMAT_32BIT);
        EXPECT_EQ(image.getData(), nullptr);
        EXPECT_EQ(image.getWidth(), 0);
        EXPECT_EQ(image.getHeight(), 0);
        EXPECT_EQ(image.getDataSize(), 0u);
    }
}

TEST(HImageTest, Pixel32RecordAndPackingAgreeOnTheByteOrder)
{
    HImage image(2, 2, HImage::FORMAT_32BIT);
    std::memset(image.getData(), 0, image.getDataSize());
    const uint8_t bytes[4] = {10, 20, 30, 40};
    std::memcpy(image.getData() + image.getRowStride() + 4, bytes, 4); // pixel (1, 1)

    HImagePixel32 pixel{};
    image.getPixel32(1, 1, &pixel);
    EXPECT_EQ(pixel.r, 30);
    EXPECT_EQ(pixel.g, 20);
    EXPECT_EQ(pixel.b, 10);
    EXPECT_EQ(pixel.a, 40);

    EXPECT_EQ(HImage::s_packRGBA(30, 20, 10, 40), image.getPixel32(1, 1));
    EXPECT_EQ(HImage::s_packRGBA(0x11E, 0x214, 0x30A, 0x428), HImage::s_packRGBA(30, 20, 10, 40))
        << "only the low 8 bits of each channel count";
    image.setPixel32(0, 1, HImage::s_packRGBA(1, 2, 3, 4));
    EXPECT_EQ(image.getData()[image.getRowStride() + 0], 3);
    EXPECT_EQ(image.getData()[image.getRowStride() + 3], 4);

    HImage grey(3, 2, HImage::FORMAT_8BIT);
    grey.setPixel8(2, 1, 77);
    EXPECT_EQ(grey.getData()[5], 77);
    EXPECT_EQ(grey.getPixel8(2, 1), 77);
    HImage wide(3, 2, HImage::FORMAT_16BIT);
    wide.setPixel16(1, 1, 0xBEEF);
    EXPECT_EQ(wide.getPixel16(1, 1), 0xBEEF);
    EXPECT_EQ(wide.getData()[8], 0xEF);
}

TEST(HImageTest, FlipVerticalSwapsRowsAroundTheMiddle)
{
    for (int32_t height : {1, 2, 3, 4}) {
        auto image = numbered(3, height);
        image->flipVertical();
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < 3; ++x) {
                HImagePixel32 p{};
                image->getPixel32(x, y, &p);
                EXPECT_EQ(p.g, height - 1 - y) << "height " << height << " at " << x << "," << y;
                EXPECT_EQ(p.b, x);
            }
        }
    }
}

TEST(HImageTest, FlipHorizontalMirrorsEveryRowInEveryFormat)
{
    for (int32_t width : {1, 2, 3, 4}) {
        auto image = numbered(width, 2);
        image->flipHorizontal();
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                HImagePixel32 p{};
                image->getPixel32(x, y, &p);
                EXPECT_EQ(p.b, width - 1 - x) << "width " << width << " at " << x << "," << y;
                EXPECT_EQ(p.r, 10 * (width - 1 - x) + y);
                EXPECT_EQ(p.g, y);
                EXPECT_EQ(p.a, 255);
            }
        }
    }
    HImage wide(3, 1, HImage::FORMAT_16BIT);
    for (int32_t x = 0; x < 3; ++x)
        wide.setPixel16(x, 0, static_cast<uint16_t>(0x0102 * (x + 1)));
    wide.flipHorizontal();
    EXPECT_EQ(wide.getPixel16(0, 0), 0x0306);
    EXPECT_EQ(wide.getPixel16(1, 0), 0x0204);
    EXPECT_EQ(wide.getPixel16(2, 0), 0x0102);
    HImage grey(2, 2, HImage::FORMAT_8BIT);
    const uint8_t values[4] = {1, 2, 3, 4};
    std::memcpy(grey.getData(), values, 4);
    grey.flipHorizontal();
    EXPECT_EQ(grey.getPixel8(0, 0), 2);
    EXPECT_EQ(grey.getPixel8(1, 0), 1);
    EXPECT_EQ(grey.getPixel8(0, 1), 4);
    EXPECT_EQ(grey.getPixel8(1, 1), 3);
}

TEST(HImageTest, DestroyLeavesAnEmptyImage)
{
    HImage image(4, 4, HImage::FORMAT_32BIT);
    image.destroy();
    EXPECT_EQ(image.getData(), nullptr);
    EXPECT_EQ(image.getWidth(), 0);
    EXPECT_EQ(image.getHeight(), 0);
    EXPECT_EQ(image.getFormat(), HImage::FORMAT_NONE);
    image.flipVertical(); // nothing to do, nothing touched
    image.flipHorizontal();
}

TEST(HImageTest, CloneCopiesTheData)
{
    auto image = numbered(3, 2);
    std::unique_ptr<HImage> copy(image->cloneImage());
    ASSERT_NE(copy->getData(), nullptr);
    EXPECT_NE(copy->getData(), image->getData());
    EXPECT_EQ(copy->getFormat(), image->getFormat());
    EXPECT_EQ(std::memcmp(copy->getData(), image->getData(), image->getDataSize()), 0);
}

TEST(HImageTest, SubImageCopiesTheRectangleInEveryFormat)
{
    auto image = numbered(4, 3);
    std::unique_ptr<HImage> sub(image->createSubImage(1, 1, 2, 2));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->getWidth(), 2);
    EXPECT_EQ(sub->getHeight(), 2);
    HImagePixel32 p{};
    sub->getPixel32(1, 0, &p);
    EXPECT_EQ(p.b, 2);
    EXPECT_EQ(p.g, 1);
    sub->getPixel32(0, 1, &p);
    EXPECT_EQ(p.b, 1);
    EXPECT_EQ(p.g, 2);

    HImage grey(3, 3, HImage::FORMAT_8BIT);
    for (int i = 0; i < 9; ++i)
        grey.getData()[i] = static_cast<uint8_t>(i);
    std::unique_ptr<HImage> greySub(grey.createSubImage(1, 1, 2, 2));
    ASSERT_NE(greySub, nullptr);
    EXPECT_EQ(greySub->getPixel8(0, 0), 4);
    EXPECT_EQ(greySub->getPixel8(1, 1), 8);

    HImage wide(2, 2, HImage::FORMAT_16BIT);
    wide.setPixel16(1, 1, 0x1234);
    std::unique_ptr<HImage> wideSub(wide.createSubImage(1, 1, 1, 1));
    ASSERT_NE(wideSub, nullptr);
    EXPECT_EQ(wideSub->getPixel16(0, 0), 0x1234);
}

TEST(HImageTest, SubImageOutsideTheImageIsRefused)
{
    auto image = numbered(4, 3);
    const int32_t rects[][4] = {{-1, 0, 2, 2},  {0, -1, 2, 2}, {3, 0, 2, 1},       {0, 2, 1, 2},
                                {0, 0, 0, 1},   {0, 0, 1, 0},  {1, 0, INT32_MAX, 1}, {0, 0, 5, 3}};
    for (const auto& r : rects)
        EXPECT_EQ(image->createSubImage(r[0], r[1], r[2], r[3]), nullptr) << r[0] << "," << r[1] << " " << r[2]
                                                                          << "x" << r[3];
}

TEST(HImageTest, BoxFilterAveragesBlocksAndRepeatsTheLastColumn)
{
    HImage image(3, 1, HImage::FORMAT_32BIT);
    const uint8_t bytes[12] = {0, 10, 100, 255, 4, 20, 200, 255, 9, 30, 50, 1};
    std::memcpy(image.getData(), bytes, sizeof(bytes));
    HImage half(2, 1, HImage::FORMAT_32BIT);
    std::memset(half.getData(), 0xAA, half.getDataSize());
    image.boxFilter(&half);
    const uint8_t expected[8] = {2, 15, 150, 255, 9, 30, 50, 1};
    EXPECT_EQ(std::memcmp(half.getData(), expected, sizeof(expected)), 0);

    HImage tooSmall(1, 1, HImage::FORMAT_32BIT);
    std::memset(tooSmall.getData(), 0xAA, 4);
    image.boxFilter(&tooSmall);
    EXPECT_EQ(tooSmall.getPixel32(0, 0), 0xAAAAAAAAu) << "a destination too small is left untouched";
}

TEST(HImageTest, GammaRampsMapRedGreenAndBlueAndKeepAlpha)
{
    unsigned short ramps[3][256];
    for (int i = 0; i < 256; ++i) {
        ramps[0][i] = static_cast<unsigned short>((255 - i) << 8); // red inverted
        ramps[1][i] = static_cast<unsigned short>(i << 8 | 0xFF);  // green unchanged
        ramps[2][i] = static_cast<unsigned short>((i / 2) << 8);   // blue halved
    }
    HImage image(1, 1, HImage::FORMAT_32BIT);
    image.setPixel32(0, 0, HImage::s_packRGBA(10, 20, 30, 40));
    image.applyGamma(ramps);
    EXPECT_EQ(image.getPixel32(0, 0), HImage::s_packRGBA(245, 20, 15, 40));
}

TEST(HImageTest, NormalMapOfASlope)
{
    HImage heights(2, 1, HImage::FORMAT_8BIT);
    heights.setPixel8(0, 0, 255);
    heights.setPixel8(1, 0, 0);
    HImage normals(2, 1, HImage::FORMAT_32BIT);
    heights.makeNormalMap(&normals);
    // dx = +4 and -4 (the right neighbour wraps), dy = 0, n = 1 / sqrt(17).
    const uint8_t expected[8] = {4, 128, 158, 255, 251, 128, 158, 255};
    EXPECT_EQ(std::memcmp(normals.getData(), expected, sizeof(expected)), 0);

    HImage flat(2, 2, HImage::FORMAT_8BIT);
    std::memset(flat.getData(), 50, flat.getDataSize());
    HImage flatNormals(2, 2, HImage::FORMAT_32BIT);
    flat.makeNormalMap(&flatNormals);
    EXPECT_EQ(flatNormals.getPixel32(1, 1), 0xFFFF8080u);
}

} // namespace
