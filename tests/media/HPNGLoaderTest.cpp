// The PNG reader: exact pixels of palette, RGB and RGBA files with their
// transparency, the kinds it refuses, and where libpng's errors and warnings
// are reported. Malformed files are in MalformedImageTest.
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
#include <zlib.h>

#include <cstddef>
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

// The file with one more chunk, of `type` and `data`, just before its image
// data; its checksum is right unless `damageChecksum`.
Bytes withChunk(const Bytes& file, const char* type, const Bytes& data, bool damageChecksum = false)
{
    Bytes chunk;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<unsigned char>(data.size() >> shift));
    chunk.insert(chunk.end(), type, type + 4);
    chunk.insert(chunk.end(), data.begin(), data.end());
    uLong crc = crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4));
    if (damageChecksum)
        crc ^= 1;
    for (int shift = 24; shift >= 0; shift -= 8)
        chunk.push_back(static_cast<unsigned char>(crc >> shift));
    const size_t at = findChunk(file, "IDAT");
    Bytes out(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(at));
    out.insert(out.end(), chunk.begin(), chunk.end());
    out.insert(out.end(), file.begin() + static_cast<std::ptrdiff_t>(at), file.end());
    return out;
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
        {"palette",
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

// Palette alpha per entry (entries past the chunk opaque) and the RGB
// transparent colour (alpha 0 for exactly that colour) become the alpha
// channel; a transparency chunk where the image has its own alpha changes
// nothing, as in libpng.
TEST_F(HPNGLoaderTest, TransparencyChunkBecomesTheAlphaChannel)
{
    ImageFixtures::PngOptions palette = withColourType(PNG_COLOR_TYPE_PALETTE);
    palette.palette = {255, 0, 0, 0, 128, 0, 1, 2, 3};
    palette.paletteAlpha = {0, 77};
    ImageFixtures::PngOptions allAlpha = palette;
    allAlpha.paletteAlpha = {10, 20, 30};
    ImageFixtures::PngOptions keyed = withColourType(PNG_COLOR_TYPE_RGB);
    keyed.transparentColour = {10, 20, 30};
    const Bytes ownAlpha =
        ImageFixtures::png(2, 1, {10, 20, 30, 0, 40, 50, 60, 128}, withColourType(PNG_COLOR_TYPE_RGB_ALPHA));

    struct Case {
        const char* what;
        Bytes file;
        std::vector<uint32_t> pixels;
    };
    const Case cases[] = {
        {"palette alpha for the first two of three entries",
         ImageFixtures::png(3, 2, {0, 1, 2, 2, 1, 0}, palette),
         {rgba(255, 0, 0, 0), rgba(0, 128, 0, 77), rgba(1, 2, 3), rgba(1, 2, 3), rgba(0, 128, 0, 77),
          rgba(255, 0, 0, 0)}},
        {"palette alpha for every entry",
         ImageFixtures::png(3, 1, {2, 0, 1}, allAlpha),
         {rgba(1, 2, 3, 30), rgba(255, 0, 0, 10), rgba(0, 128, 0, 20)}},
        {"RGB transparent colour, and colours one step from it",
         ImageFixtures::png(4, 1, {10, 20, 30, 10, 20, 31, 11, 20, 30, 30, 20, 10}, keyed),
         {rgba(10, 20, 30, 0), rgba(10, 20, 31), rgba(11, 20, 30), rgba(30, 20, 10)}},
        {"RGBA with a transparency chunk keeps its own alpha",
         withChunk(ownAlpha, "tRNS", {0, 10, 0, 20, 0, 30}),
         {rgba(10, 20, 30, 0), rgba(40, 50, 60, 128)}},
    };
    for (const Case& c : cases) {
        dir.write("image.png", c.file);
        ASSERT_TRUE(loader.load(&fs, "image.png")) << c.what;
        ASSERT_EQ(loader.getImage()->getFormat(), HImage::FORMAT_32BIT) << c.what;
        EXPECT_EQ(pixelsOf(*loader.getImage()), c.pixels) << c.what;
    }
    loader.unload();
}

// A transparency chunk that libpng sets aside (damaged, too long, the wrong
// size, samples beyond the bit depth) would leave the picture opaque where
// the file says it is not: refused.
TEST_F(HPNGLoaderTest, RefusesTransparencyThatCannotBeApplied)
{
    ImageFixtures::PngOptions paletteOptions = withColourType(PNG_COLOR_TYPE_PALETTE);
    paletteOptions.palette = {255, 0, 0, 0, 128, 0};
    const Bytes palette = ImageFixtures::png(2, 1, {0, 1}, paletteOptions);
    const Bytes rgb = ImageFixtures::png(1, 1, {10, 20, 30}, withColourType(PNG_COLOR_TYPE_RGB));
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"palette alpha with a damaged checksum", withChunk(palette, "tRNS", {0, 77}, true)},
        {"more palette alpha entries than palette entries", withChunk(palette, "tRNS", {0, 77, 99})},
        {"RGB transparent colour with a damaged checksum", withChunk(rgb, "tRNS", {0, 10, 0, 20, 0, 30}, true)},
        {"RGB transparent colour of four bytes", withChunk(rgb, "tRNS", {0, 10, 0, 20})},
        {"RGB transparent colour beyond 8 bits", withChunk(rgb, "tRNS", {1, 10, 0, 20, 0, 30})},
    };
    for (const Case& c : cases) {
        DiagnosticRecorder diagnostics;
        dir.write("image.png", c.file);
        EXPECT_FALSE(loader.load(&fs, "image.png")) << c.what;
        EXPECT_EQ(loader.getImage(), nullptr) << c.what;
        EXPECT_EQ(diagnostics.count("HPNGLoader::load - transparency of 'image.png' cannot be applied"), 1) << c.what;
    }
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
