// The JPEG reader: flat colours decode to their exact pixels, greyscale is
// converted to RGB. Malformed files are in MalformedImageTest.
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HJPGLoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

namespace {

class HJPGLoaderTest : public testing::Test {
protected:
    void SetUp() override { fs.initFileSystem(dir.path().c_str()); }

    // Every pixel of the loaded image equals `expected`; reports the first that does not.
    void expectFlat(uint32_t expected, const char* what)
    {
        const HImage* image = loader.getImage();
        ASSERT_NE(image, nullptr) << what;
        ASSERT_EQ(image->getFormat(), HImage::FORMAT_32BIT) << what;
        for (int32_t y = 0; y < image->getHeight(); ++y) {
            for (int32_t x = 0; x < image->getWidth(); ++x) {
                ASSERT_EQ(image->getPixel32(x, y), expected) << what << " at " << x << "," << y;
            }
        }
    }

    TempDir dir;
    HStandardFileSystem fs;
    HJPGLoader loader;
};

TEST_F(HJPGLoaderTest, FlatColoursDecodeExactly)
{
    struct Case {
        const char* what;
        Bytes file;
        uint32_t pixel;
    };
    const Case cases[] = {
        {"RGB", ImageFixtures::jpeg(24, 16, ImageFixtures::fill(24, 16, {200, 100, 50}), JCS_RGB),
         HImage::s_packRGBA(200, 100, 50, 255)},
        {"progressive RGB",
         ImageFixtures::jpeg(24, 16, ImageFixtures::fill(24, 16, {200, 100, 50}), JCS_RGB, 100, true),
         HImage::s_packRGBA(200, 100, 50, 255)},
        {"greyscale becomes grey RGB", ImageFixtures::jpeg(9, 5, ImageFixtures::fill(9, 5, {77}), JCS_GRAYSCALE),
         HImage::s_packRGBA(77, 77, 77, 255)},
    };
    for (const Case& c : cases) {
        dir.write("flat.jpg", c.file);
        ASSERT_TRUE(loader.load(&fs, "flat.jpg")) << c.what;
        expectFlat(c.pixel, c.what);
    }
    EXPECT_EQ(loader.getImage()->getWidth(), 9);
    EXPECT_EQ(loader.getImage()->getHeight(), 5);
    loader.unload();
}

TEST_F(HJPGLoaderTest, TracesTheLoad)
{
    DiagnosticRecorder diagnostics;
    dir.write("flat.jpeg", ImageFixtures::jpeg(16, 8, ImageFixtures::fill(16, 8, {1, 2, 3}), JCS_RGB));
    ASSERT_TRUE(loader.load(&fs, "flat.jpeg"));
    EXPECT_EQ(diagnostics.count("...loaded 'flat.jpeg' 16x8x32\n"), 1);
    loader.unload();
}

} // namespace
