// The JPEG reader: flat colours decode to their exact pixels, greyscale is
// converted to RGB; damaged data is refused, harmless warnings are not.
// Other malformed files are in MalformedImageTest.
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HImage.h"
#include "engine/media/HJPGLoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <jpeglib.h>

#include <algorithm>
#include <cstddef>
#include <string>

namespace {

Bytes slice(const Bytes& file, size_t from, size_t to)
{
    return Bytes(file.begin() + static_cast<std::ptrdiff_t>(from), file.begin() + static_cast<std::ptrdiff_t>(to));
}

// A picture that changes from pixel to pixel, so that most of its file is
// scan data.
Bytes busyPixels(int32_t width, int32_t height)
{
    Bytes pixels;
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            pixels.insert(pixels.end(), {static_cast<unsigned char>(x * 5 + y * 3), static_cast<unsigned char>(x * y),
                                         static_cast<unsigned char>(255 - y * 4)});
    }
    return pixels;
}

Bytes busyJpeg(ImageFixtures::JpegScans scans = ImageFixtures::JPEG_ONE_SCAN, int restartRows = 0)
{
    return ImageFixtures::jpeg(64, 48, busyPixels(64, 48), JCS_RGB, 100, scans, restartRows);
}

// The offsets of every marker of the file with this code, in order: header
// segments are stepped over by their length, scan data byte by byte up to
// the next marker other than a restart marker.
std::vector<size_t> markers(const Bytes& file, unsigned char code)
{
    std::vector<size_t> found;
    size_t i = 2;
    while (i + 4 <= file.size() && file[i] == 0xFF) {
        const unsigned char marker = file[i + 1];
        if (marker == code)
            found.push_back(i);
        if (marker == JPEG_EOI)
            break;
        i += 2 + (static_cast<size_t>(file[i + 2]) << 8 | file[i + 3]);
        if (marker != 0xDA)
            continue;
        for (; i + 1 < file.size(); ++i) {
            const unsigned char next = file[i + 1];
            if (file[i] != 0xFF || next == 0)
                continue;
            if (next < 0xD0 || next > 0xD7)
                break;
            if (next == code)
                found.push_back(i);
        }
    }
    return found;
}

// Where the first scan's data begins.
size_t scanData(const Bytes& file)
{
    const size_t sos = markers(file, 0xDA).at(0);
    return sos + 2 + (static_cast<size_t>(file[sos + 2]) << 8 | file[sos + 3]);
}

// The file with `bytes` written over it from `at` on.
Bytes overwritten(Bytes file, size_t at, const Bytes& bytes)
{
    std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<std::ptrdiff_t>(at));
    return file;
}

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
         ImageFixtures::jpeg(24, 16, ImageFixtures::fill(24, 16, {200, 100, 50}), JCS_RGB, 100,
                             ImageFixtures::JPEG_PROGRESSIVE),
         HImage::s_packRGBA(200, 100, 50, 255)},
        {"a scan for each component",
         ImageFixtures::jpeg(24, 16, ImageFixtures::fill(24, 16, {200, 100, 50}), JCS_RGB, 100,
                             ImageFixtures::JPEG_SCAN_PER_COMPONENT),
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

// libjpeg's warnings of damaged data (it would go on and give its best
// guess) refuse the file, and so does data that ends before the picture is
// whole.
TEST_F(HJPGLoaderTest, RefusesDamagedData)
{
    const Bytes file = busyJpeg();
    const size_t end = file.size() - 2; // the end marker
    Bytes allOnes;
    for (int i = 0; i < 8; ++i)
        allOnes.insert(allOnes.end(), {0xFF, 0x00});

    // The first scan header's spectral end, 63 in a sequential file.
    Bytes notSequential = file;
    const size_t sos = markers(file, 0xDA).at(0);
    const size_t components = file[sos + 4];
    notSequential[sos + 5 + 2 * components + 1] = 62;

    // The first progressive scan of AC coefficients claims to refine
    // coefficients not sent yet.
    Bytes badProgression = busyJpeg(ImageFixtures::JPEG_PROGRESSIVE);
    bool refined = false;
    for (size_t at : markers(badProgression, 0xDA)) {
        const size_t params = at + 5 + 2 * badProgression[at + 4];
        if (badProgression[params] == 0 || badProgression[params + 2] >> 4 != 0)
            continue;
        const unsigned al = badProgression[params + 2] & 15;
        badProgression[params + 2] = static_cast<unsigned char>((al + 1) << 4 | al);
        refined = true;
        break;
    }
    ASSERT_TRUE(refined);

    Bytes renumbered = busyJpeg(ImageFixtures::JPEG_ONE_SCAN, 1);
    const std::vector<size_t> restarts = markers(renumbered, 0xD0);
    ASSERT_FALSE(restarts.empty());
    renumbered[restarts[0] + 1] = 0xD2;

    const Bytes progressive = busyJpeg(ImageFixtures::JPEG_PROGRESSIVE);
    const Bytes perComponent = busyJpeg(ImageFixtures::JPEG_SCAN_PER_COMPONENT);
    ASSERT_EQ(markers(perComponent, 0xDA).size(), 3u);

    struct Case {
        const char* what;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {"a run of one bits in the scan data", overwritten(file, end - 300, allOnes),
         "is damaged: Corrupt JPEG data: bad Huffman code"},
        {"an end marker in the middle of the scan data", overwritten(file, (scanData(file) + end) / 2, {0xFF, 0xD9}),
         "is damaged: Corrupt JPEG data: premature end of data segment"},
        {"cut in the middle of the scan data", slice(file, 0, (scanData(file) + end) / 2),
         "is damaged: Corrupt JPEG data: premature end of data segment"},
        {"a sequential scan of coefficients 0 to 62", notSequential,
         "is damaged: Invalid SOS parameters for sequential JPEG"},
        {"a refinement before the first pass", badProgression,
         "is damaged: Inconsistent progression sequence for component"},
        {"a restart marker out of turn", renumbered, "is damaged: Corrupt JPEG data: found marker 0xd2 instead of RST0"},
        {"progressive, cut before its last scan", slice(progressive, 0, markers(progressive, 0xDA).back()),
         "is truncated"},
        {"a scan for each component, cut before the last", slice(perComponent, 0, markers(perComponent, 0xDA).back()),
         "is truncated"},
    };
    for (const Case& c : cases) {
        DiagnosticRecorder diagnostics;
        dir.write("damaged.jpg", c.file);
        EXPECT_FALSE(loader.load(&fs, "damaged.jpg")) << c.what;
        EXPECT_EQ(loader.getImage(), nullptr) << c.what;
        EXPECT_EQ(diagnostics.count(std::string("HJPGLoader::load - 'damaged.jpg' ") + c.message), 1) << c.what;
    }
}

// Bytes between segments and a missing end marker after the last of the
// data leave the picture whole: it loads as the intact file does, and
// libjpeg's warning goes to the trace.
TEST_F(HJPGLoaderTest, HarmlessWarningsLoadTheWholePicture)
{
    const Bytes file = busyJpeg();
    const Bytes progressive = busyJpeg(ImageFixtures::JPEG_PROGRESSIVE);
    const Bytes perComponent = busyJpeg(ImageFixtures::JPEG_SCAN_PER_COMPONENT);
    const size_t tables = markers(file, 0xDB).at(0);
    const Bytes junk = {0x12, 0x34, 0x56};
    struct Case {
        const char* what;
        Bytes intact;
        Bytes file;
        const char* traced;
    };
    const Case cases[] = {
        {"junk before a marker", file, slice(file, 0, tables) + junk + slice(file, tables, file.size()),
         "Corrupt JPEG data: 3 extraneous bytes before marker 0xdb"},
        {"no end marker", file, slice(file, 0, file.size() - 2), "Premature end of JPEG file"},
        {"junk in place of the end marker", file, slice(file, 0, file.size() - 2) + junk,
         "Premature end of JPEG file"},
        {"progressive, no end marker", progressive, slice(progressive, 0, progressive.size() - 2),
         "Premature end of JPEG file"},
        {"a scan for each component, no end marker", perComponent, slice(perComponent, 0, perComponent.size() - 2),
         "Premature end of JPEG file"},
    };
    for (const Case& c : cases) {
        dir.write("intact.jpg", c.intact);
        ASSERT_TRUE(loader.load(&fs, "intact.jpg")) << c.what;
        const HImage* intact = loader.getImage();
        const Bytes expected(intact->getData(), intact->getData() + intact->getDataSize());

        HStandardFileSystem traceFs;
        traceFs.initFileSystem(dir.path().c_str());
        HFile* trace = traceFs.openFileForWrite("trace.txt");
        ASSERT_NE(trace, nullptr);
        HPlatform::s_setTraceFile(trace);
        dir.write("warned.jpg", c.file);
        const bool loaded = loader.load(&fs, "warned.jpg");
        HPlatform::s_setTraceFile(nullptr);
        trace->close();
        const std::string traced = readFileBytes(dir.file("trace.txt"));
        EXPECT_NE(traced.find(std::string("HJPGLoader::load - 'warned.jpg': ") + c.traced), std::string::npos)
            << c.what << ": " << traced;

        ASSERT_TRUE(loaded) << c.what;
        const HImage* image = loader.getImage();
        ASSERT_EQ(image->getWidth(), 64) << c.what;
        ASSERT_EQ(image->getHeight(), 48) << c.what;
        EXPECT_EQ(Bytes(image->getData(), image->getData() + image->getDataSize()), expected) << c.what;
    }
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
