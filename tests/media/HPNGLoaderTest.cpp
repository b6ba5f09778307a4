// The PNG reader: exact pixels of palette, RGB and RGBA files, the kinds it
// refuses, and where libpng's errors and warnings are reported. Malformed
// files are in MalformedImageTest.
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HPNGLoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <png.h>

#include <cstring>
#include <string>

namespace {

uint32_t rgba(unsigned r, unsigned g, unsigned b, unsigned a = 255)
{
    return HImage::s_packRGBA(r, g, b, a);
}

std::vector<uint32_t> pixelsOf(const HImage& image)
{
    std::vector<uint32_t> out;
    for (int32_t y = 0; y < image.getHeight(); ++y)
        for (int32_t x = 0; x < image.getWidth(); ++x)
            out.push_back(image.getPixel32(x, y));
    return out;
}

ImageFixtures::PngOptions withColourType(int colourType)
{
    ImageFixtures::PngOptions options;
    options.colourType = colourType;
    return options;
}

class HPNGLoaderTest : public testing::Test {
protected:
    void SetUp() override { fs.initFileSystem(dir.path().c_str()); }

    TempDir dir;
    HStandardFileSystem fs;
    HPNGLoader loader;
};

TEST_F(HPNGLoaderTest, DecodesPaletteRgbAndRgbaToTheExactPixels)
{
    ImageFixtures::PngOptions palette = withColourType(PNG_COLOR_TYPE_PALETTE);
    palette.palette = {255, 0, 0, 0, 128, 0, 1, 2, 3};
    // The palette's transparency is not used.
    palette.paletteAlpha = {0, 77};
    ImageFixtures::PngOptions tagged = withColourType(PNG_COLOR_TYPE_RGB);
    tagged.text = "a comment libpng reads and the loader ignores";

    struct Case {
        const char* what;
        Bytes file;
        int32_t width;
        int32_t height;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {"palette, transparency ignored",
         ImageFixtures::png(3, 2, {0, 1, 2, 2, 1, 0}, palette),
         3,
         2,
         {rgba(255, 0, 0), rgba(0, 128, 0), rgba(1, 2, 3), rgba(1, 2, 3), rgba(0, 128, 0), rgba(255, 0, 0)}},
        {"RGB",
         ImageFixtures::png(2, 2, {10, 20, 30, 40, 50, 60, 70, 80, 90, 255, 254, 253}, withColourType(PNG_COLOR_TYPE_RGB)),
         2,
         2,
         {rgba(10, 20, 30), rgba(40, 50, 60), rgba(70, 80, 90), rgba(255, 254, 253)}},
        {"RGBA",
         ImageFixtures::png(2, 1, {10, 20, 30, 0, 40, 50, 60, 128}, withColourType(PNG_COLOR_TYPE_RGB_ALPHA)),
         2,
         1,
         {rgba(10, 20, 30, 0), rgba(40, 50, 60, 128)}},
        {"RGB with a text chunk", ImageFixtures::png(1, 1, {5, 6, 7}, tagged), 1, 1, {rgba(5, 6, 7)}},
    };
    for (const Case& c : cases) {
        dir.write("image.png", c.file);
        ASSERT_TRUE(loader.load(&fs, "image.png")) << c.what;
        const HImage* image = loader.getImage();
        ASSERT_NE(image, nullptr) << c.what;
        EXPECT_EQ(image->getFormat(), HImage::FORMAT_32BIT) << c.what;
        EXPECT_EQ(image->getWidth(), c.width) << c.what;
        EXPECT_EQ(image->getHeight(), c.height) << c.what;
        EXPECT_EQ(pixelsOf(*image), c.pixels) << c.what;
    }
    loader.unload();
}

TEST_F(HPNGLoaderTest, RefusesKindsItDoesNotConvertWithTheirValues)
{
    ImageFixtures::PngOptions sixteen = withColourType(PNG_COLOR_TYPE_RGB);
    sixteen.bitDepth = 16;
    ImageFixtures::PngOptions fourBitPalette = withColourType(PNG_COLOR_TYPE_PALETTE);
    fourBitPalette.bitDepth = 4;
    fourBitPalette.palette = {1, 2, 3};
    struct Case {
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {ImageFixtures::png(2, 2, Bytes(4, 9), withColourType(PNG_COLOR_TYPE_GRAY)),
         "File 'image.png' has unknown colorType 0 with iBPP = 8"},
        {ImageFixtures::png(1, 1, Bytes{1, 2}, withColourType(PNG_COLOR_TYPE_GRAY_ALPHA)),
         "File 'image.png' has unknown colorType 4 with iBPP = 8"},
        {ImageFixtures::png(1, 1, Bytes(6, 1), sixteen), "File 'image.png' has unknown colorType 2 with iBPP = 16"},
        {ImageFixtures::png(2, 1, Bytes{0}, fourBitPalette), "File 'image.png' has unknown colorType 3 with iBPP = 4"},
        {Bytes{'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, "HPNGLoader::load - invalid PNG file 'image.png'"},
    };
    for (const Case& c : cases) {
        DiagnosticRecorder diagnostics;
        dir.write("image.png", c.file);
        EXPECT_FALSE(loader.load(&fs, "image.png")) << c.message;
        EXPECT_EQ(loader.getImage(), nullptr) << c.message;
        EXPECT_EQ(diagnostics.count(c.message), 1) << c.message;
    }
}

// Finds a chunk by its type; the offset of its length field, or npos.
size_t findChunk(const Bytes& file, const char* type)
{
    for (size_t i = 8; i + 8 <= file.size();) {
        const size_t length = static_cast<size_t>(file[i]) << 24 | file[i + 1] << 16 | file[i + 2] << 8 | file[i + 3];
        if (std::memcmp(&file[i + 4], type, 4) == 0)
            return i;
        i += 12 + length;
    }
    return std::string::npos;
}

TEST_F(HPNGLoaderTest, WarningsGoToTheTraceAndErrorsToAnAlert)
{
    HStandardFileSystem traceFs;
    traceFs.initFileSystem(dir.path().c_str());
    HFile* trace = traceFs.openFileForWrite("trace.txt");
    ASSERT_NE(trace, nullptr);
    HPlatform::s_setTraceFile(trace);

    // A damaged checksum on an ancillary chunk is only a warning.
    ImageFixtures::PngOptions tagged = withColourType(PNG_COLOR_TYPE_RGB);
    tagged.text = "checksum to be damaged";
    Bytes file = ImageFixtures::png(1, 1, {5, 6, 7}, tagged);
    const size_t text = findChunk(file, "tEXt");
    ASSERT_NE(text, std::string::npos);
    const size_t length = file[text + 3];
    file[text + 8 + length] ^= 0xFF;
    dir.write("warned.png", file);

    testing::internal::CaptureStdout();
    EXPECT_TRUE(loader.load(&fs, "warned.png"));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a warning shows no message box";
    ASSERT_NE(loader.getImage(), nullptr);
    EXPECT_EQ(loader.getImage()->getPixel32(0, 0), rgba(5, 6, 7));

    // A damaged checksum on the header is fatal.
    Bytes broken = ImageFixtures::png(1, 1, {5, 6, 7}, withColourType(PNG_COLOR_TYPE_RGB));
    broken[8 + 8 + 13] ^= 0xFF;
    dir.write("broken.png", broken);
    testing::internal::CaptureStdout();
    EXPECT_FALSE(loader.load(&fs, "broken.png"));
    const std::string shown = testing::internal::GetCapturedStdout();
    EXPECT_NE(shown.find("lpng122 encountered fatal error 'IHDR: CRC error'"), std::string::npos) << shown;
    EXPECT_EQ(loader.getImage(), nullptr);

    HPlatform::s_setTraceFile(nullptr);
    trace->close();
    const std::string traced = readFileBytes(dir.file("trace.txt"));
    EXPECT_NE(traced.find("lpng122 encountered warning 'tEXt: CRC error'\n"), std::string::npos) << traced;
}

} // namespace
