// The TGA reader: exact pixels of every accepted kind, the row and column
// order and the skipped ID field and colour map. Refused files are in MalformedImageTest.
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HTGALoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Pixel values in row order (top row first), read with the accessor of the format.
std::vector<uint32_t> pixelsOf(const HImage& image)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < image.getHeight(); ++y) {
        for (int32_t x = 0; x < image.getWidth(); ++x) {
            switch (image.getFormat()) {
            case HImage::FORMAT_32BIT:
                out.push_back(image.getPixel32(x, y));
                break;
            case HImage::FORMAT_16BIT:
                out.push_back(image.getPixel16(x, y));
                break;
            default:
                out.push_back(image.getPixel8(x, y));
                break;
            }
        }
    }
    return out;
}

uint32_t rgba(unsigned r, unsigned g, unsigned b, unsigned a = 255)
{
    return HImage::s_packRGBA(r, g, b, a);
}

class HTGALoaderTest : public testing::Test {
protected:
    void SetUp() override { fs.initFileSystem(dir.path().c_str()); }

    TempDir dir;
    HStandardFileSystem fs;
    HTGALoader loader;
};

TEST_F(HTGALoaderTest, DecodesEveryAcceptedKindToTheExactPixels)
{
    struct Case {
        const char* what;
        Bytes file;
        HImage::Format format;
        int32_t width;
        int32_t height;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {"24-bit, bottom row (blue, green) stored first",
         ImageFixtures::tgaHeader(2, 2, 2, 24) + Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255},
         HImage::FORMAT_32BIT,
         2,
         2,
         {rgba(255, 0, 0), rgba(255, 255, 255), rgba(0, 0, 255), rgba(0, 255, 0)}},
        {"32-bit keeps its alpha",
         ImageFixtures::tgaHeader(2, 2, 1, 32) + Bytes{1, 2, 3, 4, 50, 60, 70, 0},
         HImage::FORMAT_32BIT,
         2,
         1,
         {rgba(3, 2, 1, 4), rgba(70, 60, 50, 0)}},
        {"16-bit red, green, blue and white (bit 15 ignored)",
         ImageFixtures::tgaHeader(2, 4, 1, 16) + Bytes{0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0xFF},
         HImage::FORMAT_16BIT,
         4,
         1,
         {0x003E, 0x07C0, 0xF800, 0xFFFE}},
        {"15-bit reads like 16-bit",
         ImageFixtures::tgaHeader(2, 1, 2, 15) + Bytes{0x00, 0x7C, 0x1F, 0x00},
         HImage::FORMAT_16BIT,
         1,
         2,
         {0xF800, 0x003E}},
        {"8-bit greyscale",
         ImageFixtures::tgaHeader(3, 3, 2, 8) + Bytes{1, 2, 3, 4, 5, 6},
         HImage::FORMAT_8BIT,
         3,
         2,
         {4, 5, 6, 1, 2, 3}},
        {"top-left origin is not flipped",
         ImageFixtures::tgaHeader(3, 3, 2, 8, 0x20) + Bytes{1, 2, 3, 4, 5, 6},
         HImage::FORMAT_8BIT,
         3,
         2,
         {1, 2, 3, 4, 5, 6}},
        // Descriptor bit 4: each row is stored from its right end.
        {"right-to-left rows are mirrored",
         ImageFixtures::tgaHeader(3, 3, 2, 8, 0x10) + Bytes{1, 2, 3, 4, 5, 6},
         HImage::FORMAT_8BIT,
         3,
         2,
         {6, 5, 4, 3, 2, 1}},
        {"right-to-left from the top",
         ImageFixtures::tgaHeader(3, 3, 2, 8, 0x30) + Bytes{1, 2, 3, 4, 5, 6},
         HImage::FORMAT_8BIT,
         3,
         2,
         {3, 2, 1, 6, 5, 4}},
        {"right-to-left 24-bit",
         ImageFixtures::tgaHeader(2, 3, 1, 24, 0x10) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9},
         HImage::FORMAT_32BIT,
         3,
         1,
         {rgba(9, 8, 7), rgba(6, 5, 4), rgba(3, 2, 1)}},
        {"right-to-left 32-bit from the top",
         ImageFixtures::tgaHeader(2, 2, 2, 32, 0x38) + Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16},
         HImage::FORMAT_32BIT,
         2,
         2,
         {rgba(7, 6, 5, 8), rgba(3, 2, 1, 4), rgba(15, 14, 13, 16), rgba(11, 10, 9, 12)}},
        {"right-to-left 16-bit",
         ImageFixtures::tgaHeader(2, 2, 1, 16, 0x10) + Bytes{0x00, 0x7C, 0x1F, 0x00},
         HImage::FORMAT_16BIT,
         2,
         1,
         {0xF800, 0x003E}},
        {"ID field and an unused colour map are skipped",
         ImageFixtures::tgaHeader(2, 1, 1, 24, 0, 3, 1, 2, 24) + Bytes{'i', 'd', '!'} + Bytes{9, 9, 9, 8, 8, 8} +
             Bytes{10, 20, 30},
         HImage::FORMAT_32BIT,
         1,
         1,
         {rgba(30, 20, 10)}},
        {"trailing bytes after the pixels are ignored",
         ImageFixtures::tgaHeader(3, 1, 1, 8) + Bytes{42} + Bytes(26, 0),
         HImage::FORMAT_8BIT,
         1,
         1,
         {42}},
    };
    for (const Case& c : cases) {
        dir.write("image.tga", c.file);
        ASSERT_TRUE(loader.load(&fs, "image.tga")) << c.what;
        const HImage* image = loader.getImage();
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(image->getFormat(), c.format) << c.what;
        EXPECT_EQ(image->getWidth(), c.width) << c.what;
        EXPECT_EQ(image->getHeight(), c.height) << c.what;
        EXPECT_EQ(pixelsOf(*image), c.pixels) << c.what;
    }
    loader.unload();
    EXPECT_EQ(loader.getImage(), nullptr);
}

TEST_F(HTGALoaderTest, TracesTheLoadAndAlertsOnAColourMap)
{
    DiagnosticRecorder diagnostics;
    dir.write("plain.tga", ImageFixtures::tgaHeader(2, 2, 2, 32) + Bytes(16, 7));
    ASSERT_TRUE(loader.load(&fs, "plain.tga"));
    EXPECT_EQ(diagnostics.count("...loaded 'plain.tga' 2x2x4\n"), 1);
    EXPECT_EQ(diagnostics.count("colormap"), 0);

    dir.write("mapped.tga", ImageFixtures::tgaHeader(2, 1, 1, 16, 0, 0, 1, 1, 16) + Bytes{0, 0, 0x00, 0x7C});
    ASSERT_TRUE(loader.load(&fs, "mapped.tga"));
    EXPECT_EQ(diagnostics.count("HTGALoader::load - colormap found in 'mapped.tga'"), 1);
    EXPECT_EQ(loader.getImage()->getPixel16(0, 0), 0x003E);
    loader.unload();
}

} // namespace
