// Sprites: the reference count against the surface's life, loads that fail,
// the missing-file-system message, drawing with and without a surface,
// clones, and the font sheet that the display device reads through the hook.
#include "ui/MVSprite.h"

#include "engine/core/HUnix.h"
#include "engine/media/HImage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingDisplayDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

// A 32-bit TGA of one colour, rows top first.
Bytes solidTga(uint16_t width, uint16_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    Bytes file = ImageFixtures::tgaHeader(2, width, height, 32, 0x28);
    for (int32_t i = 0; i < width * height; ++i)
        file.insert(file.end(), {b, g, r, a});
    return file;
}

std::unique_ptr<HImage> solidImage(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    std::unique_ptr<HImage> image(new HImage(width, height, HImage::FORMAT_32BIT));
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x)
            image->setPixel32(x, y, HImage::s_packRGBA(r, g, b, a));
    }
    return image;
}

std::string text(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

class SpriteTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        H2DDisplayDevice::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        ASSERT_TRUE(device.initScreen(64, 48, "sprites", false, false));
        fs.add("art/red.tga", solidTga(4, 3, 255, 0, 0));
        fs.add("art/big.tga", solidTga(9, 7, 0, 0, 255));
    }
    void TearDown() override { EXPECT_TRUE(device.guardIntact()); }

    RecordingDisplayDevice device;
    MemoryFileSystem fs;
};

// --- Reference counts ---------------------------------------------------------------

enum class Step { Load, Unload };

struct CountCase {
    const char* name;
    std::vector<Step> steps;
    // After each step: the count, whether a surface exists, and how many
    // surfaces the device has made and destroyed so far.
    std::vector<int> counts;
    std::vector<bool> loaded;
    std::vector<int> made;
    std::vector<int> destroyed;
};

TEST_F(SpriteTest, ReferenceCountDecidesTheSurfacesLife)
{
    const Step L = Step::Load;
    const Step U = Step::Unload;
    const std::vector<CountCase> cases = {
        {"two loads then one unload keep the surface; the second unload destroys it",
         {L, L, U, U}, {1, 2, 1, 0}, {true, true, true, false}, {1, 1, 1, 1}, {0, 0, 0, 1}},
        {"an unload before any load goes to -1; the load then makes the surface at 0, the next unload destroys it",
         {U, L, U}, {-1, 0, -1}, {false, true, false}, {0, 1, 1}, {0, 0, 1}},
        {"two unloads too many: the load still makes a surface, the next unload destroys it",
         {U, U, L, U}, {-1, -2, -1, -2}, {false, false, true, false}, {0, 0, 1, 1}, {0, 0, 0, 1}},
        {"a load after the surface went makes a new one",
         {L, U, L, U}, {1, 0, 1, 0}, {true, false, true, false}, {1, 1, 2, 2}, {0, 1, 1, 2}},
    };
    for (const bool fromFile : {true, false}) {
        for (const CountCase& c : cases) {
            SCOPED_TRACE(std::string(c.name) + (fromFile ? " (file)" : " (image)"));
            RecordingDisplayDevice dev;
            MVSprite sprite;
            std::unique_ptr<HImage> image = solidImage(4, 3, 0, 255, 0);
            for (size_t i = 0; i < c.steps.size(); ++i) {
                SCOPED_TRACE("step " + std::to_string(i));
                if (c.steps[i] == Step::Load)
                    EXPECT_TRUE(fromFile ? sprite.loadSprite(&dev, &fs, "art/red.tga")
                                         : sprite.createSpriteFromImage(&dev, image.get()));
                else
                    sprite.unloadSprite();
                EXPECT_EQ(sprite.getRefCount(), c.counts[i]);
                EXPECT_EQ(sprite.isSpriteValid(), c.loaded[i]);
                EXPECT_EQ(dev.surfacesMade(), c.made[i]);
                EXPECT_EQ(dev.surfacesDestroyed(), c.destroyed[i]);
            }
        }
    }
}

TEST_F(SpriteTest, ALoadWhileLoadedKeepsTheFirstImageAndName)
{
    MVSprite sprite;
    EXPECT_STREQ(sprite.getSpriteName(), "(unnamed)");
    ASSERT_TRUE(sprite.loadSprite(&device, &fs, "art/red.tga"));
    ASSERT_TRUE(sprite.loadSprite(&device, &fs, "art/big.tga"));
    EXPECT_EQ(fs.openCount("art/big.tga"), 0) << "the second path is not looked at";
    EXPECT_STREQ(sprite.getSpriteName(), "art/red.tga");
    EXPECT_EQ(sprite.getSpriteWidth(), 4);
    EXPECT_EQ(sprite.getSpriteHeight(), 3);
    EXPECT_EQ(sprite.getRefCount(), 2);
    EXPECT_EQ(fs.openFiles(), 0);
    sprite.unloadSprite();
    sprite.unloadSprite();
    EXPECT_EQ(device.surfacesDestroyed(), 1);
}

TEST_F(SpriteTest, TheNameKeepsAtMost63Characters)
{
    const std::string path = std::string(70, 'd') + "/long.tga";
    fs.add(path, solidTga(1, 1, 9, 9, 9));
    MVSprite sprite;
    ASSERT_TRUE(sprite.loadSprite(&device, &fs, path.c_str()));
    EXPECT_EQ(std::string(sprite.getSpriteName()), path.substr(0, 63));
    sprite.unloadSprite();
}

// --- Failed loads -------------------------------------------------------------------

TEST_F(SpriteTest, AFailedLoadTakesNoReferenceAndMakesNoSurface)
{
    Bytes shortFile = solidTga(4, 4, 1, 2, 3);
    shortFile.resize(shortFile.size() - 5);
    fs.add("art/short.tga", shortFile);
    struct Case {
        const char* name;
        const char* path;
        bool refuse; // the device makes no surface from the image
        const char* alert;
    };
    const Case cases[] = {
        {"missing file", "art/none.tga", false, "Could not open 'art/none.tga'"},
        {"unknown kind", "art/red.bmp", false, "Could not open 'art/red.bmp'"},
        {"truncated file", "art/short.tga", false, "Could not open 'art/short.tga'"},
        {"loaded, but no surface comes of it", "art/red.tga", true, "no surface made from 'art/red.tga'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDisplayDevice dev;
        dev.refuseImages(c.refuse);
        DiagnosticRecorder diagnostics;
        MVSprite sprite;
        EXPECT_FALSE(sprite.loadSprite(&dev, &fs, c.path));
        EXPECT_EQ(diagnostics.count(c.alert), 1);
        EXPECT_EQ(sprite.getRefCount(), 0);
        EXPECT_FALSE(sprite.isSpriteValid());
        EXPECT_STREQ(sprite.getSpriteName(), "(unnamed)");
        EXPECT_EQ(fs.openFiles(), 0);
        // The owner's unload finds nothing to destroy.
        sprite.unloadSprite();
        EXPECT_EQ(sprite.getRefCount(), -1);
        EXPECT_EQ(dev.surfacesDestroyed(), 0);
        // A later load that works makes the sprite usable.
        dev.refuseImages(false);
        EXPECT_TRUE(sprite.loadSprite(&dev, &fs, "art/red.tga"));
        EXPECT_TRUE(sprite.isSpriteValid());
        sprite.unloadSprite();
    }
}

TEST_F(SpriteTest, AnImageThatGivesNoSurfaceTakesNoReference)
{
    std::unique_ptr<HImage> image = solidImage(2, 2, 1, 2, 3);
    MVSprite sprite;
    device.refuseImages(true);
    EXPECT_FALSE(sprite.createSpriteFromImage(&device, image.get()));
    EXPECT_EQ(sprite.getRefCount(), 0);
    EXPECT_FALSE(sprite.createSpriteFromImage(&device, nullptr));
    EXPECT_FALSE(sprite.createSpriteFromImage(nullptr, image.get()));
    EXPECT_EQ(sprite.getRefCount(), 0);
    EXPECT_FALSE(sprite.isSpriteValid());
    device.refuseImages(false);
    EXPECT_TRUE(sprite.createSpriteFromImage(&device, image.get()));
    EXPECT_EQ(sprite.getRefCount(), 1);
    // The image stays the caller's and untouched.
    EXPECT_NE(image->getData(), nullptr);
    sprite.unloadSprite();
    EXPECT_EQ(device.surfacesDestroyed(), 1);
}

TEST_F(SpriteTest, WithoutAFileSystemTheMessageNamesTheGame)
{
    struct Case {
        const char* name;
        HUnix::GameNameFunction game;
        const char* expected;
    };
    const Case cases[] = {
        {"a game is running", [] { return "Tile Test"; },
         "Tile Test's read file system was not initialized.  Please report this error to "
         "support@moravel.example.org\n"},
        {"no game", nullptr,
         "The game's read file system was not initialized.  Please report this error to "
         "support@moravel.example.org\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        RecordingDisplayDevice* dev = &device;
        const ChildResult r = runInChild([&] {
            HUnix::s_setGameNameFunction(c.game);
            MVSprite sprite;
            const bool ok = sprite.loadSprite(dev, nullptr, "art/red.tga");
            std::printf("result=%d count=%d valid=%d device=%d\n", ok, sprite.getRefCount(), sprite.isSpriteValid(),
                        sprite.getDisplayDevice() == dev);
        });
        ASSERT_TRUE(r.exited);
        EXPECT_EQ(r.exitCode, 0);
        const std::string box = "+-------+\n| Error |\n+-------+\n" + std::string(c.expected);
        EXPECT_NE(r.out.find(box), std::string::npos) << r.out;
        EXPECT_NE(r.out.find("result=0 count=0 valid=0 device=1"), std::string::npos) << r.out;
    }
}

// --- Sizes and drawing ----------------------------------------------------------------

TEST_F(SpriteTest, AnUnloadedSpriteHasNoSizeAndSaysSo)
{
    DiagnosticRecorder diagnostics;
    MVSprite sprite;
    HScreenRect r(1, 2, 3, 4);
    sprite.getSizeRect(&r);
    EXPECT_EQ(text(r), "(0,0,0,0)");
    EXPECT_EQ(diagnostics.count("getWidth: m_pSpriteSurface == 0 for sprite '(unnamed)'"), 1);
    EXPECT_EQ(diagnostics.count("getHeight: m_pSpriteSurface == 0 for sprite '(unnamed)'"), 1);

    ASSERT_TRUE(sprite.loadSprite(&device, &fs, "art/big.tga"));
    sprite.getSizeRect(&r);
    EXPECT_EQ(text(r), "(0,0,9,7)");
    sprite.unloadSprite();
}

TEST_F(SpriteTest, NoDrawingCallWithoutASurface)
{
    const HScreenRect dst(0, 0, 4, 3);
    const HScreenRect src(0, 0, 4, 3);
    MVSprite neverLoaded;
    MVSprite unloaded;
    ASSERT_TRUE(unloaded.loadSprite(&device, &fs, "art/red.tga"));
    unloaded.unloadSprite();
    ASSERT_EQ(unloaded.getDisplayDevice(), &device);
    device.fill(0x1234);
    DiagnosticRecorder diagnostics;
    for (MVSprite* sprite : {&neverLoaded, &unloaded}) {
        sprite->drawSpriteAtPoint(HScreenPoint{1, 1});
        sprite->drawPartialSpriteAtLocation(&dst, &src);
        sprite->blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA,
                                             BPS_ONE, CO_PRODUCT, 255, BO_ADD);
    }
    EXPECT_TRUE(device.drawCalls().empty());
    EXPECT_EQ(device.getDirtyList().getRectangleCount(), 0);
    EXPECT_TRUE(diagnostics.messages().empty());
    for (int32_t y = 0; y < 48; ++y) {
        for (int32_t x = 0; x < 64; ++x)
            ASSERT_EQ(device.pixel(x, y), 0x1234);
    }
}

TEST_F(SpriteTest, DrawingGoesThroughTheDeviceThatMadeTheSurface)
{
    MVSprite sprite;
    ASSERT_TRUE(sprite.loadSprite(&device, &fs, "art/red.tga"));
    const uint16_t red = 0xF800;

    sprite.drawSpriteAtPoint(HScreenPoint{62, 46});
    ASSERT_EQ(device.drawCalls().size(), 1u);
    EXPECT_FALSE(device.drawCalls()[0].blend);
    // Clipped to the screen, the source trimmed alike.
    EXPECT_EQ(text(device.drawCalls()[0].dst), "(62,46,64,48)");
    EXPECT_EQ(text(device.drawCalls()[0].src), "(0,0,2,2)");
    EXPECT_EQ(device.pixel(63, 47), red);
    EXPECT_EQ(device.pixel(61, 47), 0);

    device.clearDrawCalls();
    const HScreenRect dst(10, 10, 12, 11);
    const HScreenRect src(1, 1, 3, 2);
    sprite.blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA,
                                        BPS_ONE, CO_PRODUCT, 255, BO_ADD);
    sprite.drawPartialSpriteAtLocation(&dst, &src);
    ASSERT_EQ(device.drawCalls().size(), 2u);
    EXPECT_TRUE(device.drawCalls()[0].blend);
    EXPECT_FALSE(device.drawCalls()[1].blend);
    for (const RecordingDisplayDevice::DrawCall& call : device.drawCalls()) {
        EXPECT_EQ(call.surface, sprite.getSpriteSurface());
        EXPECT_EQ(text(call.dst), "(10,10,12,11)");
        EXPECT_EQ(text(call.src), "(1,1,3,2)");
    }
    EXPECT_EQ(device.pixel(10, 10), red);
    EXPECT_EQ(device.pixel(11, 10), red);
    EXPECT_EQ(device.pixel(12, 10), 0);
    sprite.unloadSprite();
}

// --- Clones -----------------------------------------------------------------------------

TEST_F(SpriteTest, ACloneCopiesALoadedSpritesSurface)
{
    MVSprite sprite;
    HObject notASprite;
    EXPECT_EQ(sprite.clone(notASprite), nullptr);
    EXPECT_EQ(sprite.clone(sprite), nullptr) << "an unloaded sprite has nothing to copy";

    ASSERT_TRUE(sprite.loadSprite(&device, &fs, "art/big.tga"));
    std::unique_ptr<MVSprite> copy(sprite.clone(sprite));
    ASSERT_NE(copy.get(), nullptr);
    EXPECT_STREQ(copy->getSpriteName(), "(unnamed)");
    EXPECT_EQ(copy->getRefCount(), 0);
    EXPECT_EQ(copy->getDisplayDevice(), &device);
    ASSERT_TRUE(copy->isSpriteValid());
    EXPECT_NE(copy->getSpriteSurface(), sprite.getSpriteSurface());
    EXPECT_EQ(copy->getSpriteWidth(), 9);
    EXPECT_EQ(copy->getSpriteHeight(), 7);

    // Each surface goes on its own.
    copy->unloadSprite();
    EXPECT_FALSE(copy->isSpriteValid());
    EXPECT_TRUE(sprite.isSpriteValid());
    sprite.drawSpriteAtPoint(HScreenPoint{0, 0});
    EXPECT_EQ(device.pixel(8, 6), 0x001F);
    sprite.unloadSprite();
}

// --- Font sheets ------------------------------------------------------------------------

TEST_F(SpriteTest, TheDeviceDrawsTextFromALoadedSheetSprite)
{
    // One row of 16 cells of 2 x 2 pixels: characters 16 to 31.
    std::unique_ptr<HImage> sheetImage = solidImage(32, 2, 255, 255, 255);
    MVSprite sheet;
    EXPECT_EQ(MVSprite::s_getFontSheetSurface(nullptr), nullptr);
    EXPECT_EQ(MVSprite::s_getFontSheetSurface(&sheet), nullptr);
    H2DFont* font = device.createFont(&sheet, 2, 2);
    ASSERT_NE(font, nullptr);
    const char glyph[] = {17, 0};
    const HScreenRect clip(0, 0, 64, 48);

    device.drawText(glyph, 5, 5, clip, TJ_LEFT, font, nullptr);
    EXPECT_EQ(device.pixel(5, 5), 0) << "an unloaded sheet draws nothing";

    ASSERT_TRUE(sheet.createSpriteFromImage(&device, sheetImage.get()));
    EXPECT_EQ(MVSprite::s_getFontSheetSurface(&sheet), sheet.getSpriteSurface());
    device.drawText(glyph, 5, 5, clip, TJ_LEFT, font, nullptr);
    EXPECT_EQ(device.pixel(5, 5), 0xFFFF);
    EXPECT_EQ(device.pixel(6, 6), 0xFFFF);
    EXPECT_EQ(device.pixel(7, 5), 0);

    device.destroyFont(font);
    sheet.unloadSprite();
}

} // namespace
