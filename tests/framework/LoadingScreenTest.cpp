// Asset loading behind the loading screen, on a recording display that
// makes real surfaces: the bar's revealed width for each fraction, what is
// drawn and presented, and the sprites released on every way out.
#include "tests/support/ImageDisplayDevice.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestGame.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr int32_t kBarX = 120;
constexpr int32_t kBarY = 336;
constexpr int32_t kBarWidth = 397; // odd, so that the float product matters
constexpr int32_t kBarHeight = 24;

// A solid 32-bit TGA, rows from the top. Channels of 0 or 255 survive any
// 16-bit packing unchanged.
std::string tga(int32_t w, int32_t h, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
{
    Bytes bytes = ImageFixtures::tgaHeader(2, static_cast<uint16_t>(w), static_cast<uint16_t>(h), 32, 0x28);
    for (int32_t i = 0; i < w * h; ++i) {
        bytes.push_back(b);
        bytes.push_back(g);
        bytes.push_back(r);
        bytes.push_back(a);
    }
    return std::string(bytes.begin(), bytes.end());
}

// The bar's right edge for a fraction, by the loader's own arithmetic.
int32_t barRight(float f)
{
    if (!(f > 0.0f))
        f = 0.0f;
    else if (f > 1.0f)
        f = 1.0f;
    return kBarX + static_cast<int32_t>(f * static_cast<float>(kBarWidth));
}

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
};
std::ostream& operator<<(std::ostream& os, const Rgb& c)
{
    return os << "(" << int(c.r) << "," << int(c.g) << "," << int(c.b) << ")";
}

const Rgb kBlack{0, 0, 0};
const Rgb kBackground{0, 0, 255};
const Rgb kBar{255, 0, 0};
const Rgb kLeftLogo{0, 255, 0};
const Rgb kRightLogo{255, 255, 255};

class LoadingScreenTest : public testing::Test {
protected:
    void SetUp() override
    {
        ZipBuilder zip;
        zip.add("art/bg.tga", tga(640, 480, 0, 0, 255))
            .add("art/bar.tga", tga(kBarWidth, kBarHeight, 255, 0, 0))
            .add("art/left.tga", tga(50, 30, 0, 255, 0))
            .add("art/right.tga", tga(160, 80, 255, 255, 255));
        for (int i = 0; i < 4; ++i)
            zip.add("art/s" + std::to_string(i) + ".tga", tga(8 + i, 8, 255, 255, 0));
        const std::string archive = dir.file("test.mvz");
        ASSERT_TRUE(zip.writeTo(archive));

        game.setup().recordingDisplay = true;
        ASSERT_TRUE(game.m_createDisplayDevice("loading", false, false, 640, 480));
        display = game.recordingDisplay();
        ASSERT_TRUE(game.m_createReadFileSystem(archive.c_str(), true));
    }
    void TearDown() override
    {
        game.m_unloadLoadingScreen();
        for (MVSprite& s : sprites) {
            while (s.getRefCount() > 0)
                s.unloadSprite();
        }
        EXPECT_EQ(display->liveSurfaces(), 0);
        EXPECT_TRUE(display->guardIntact());
    }

    bool loadScreen(const char* left = nullptr, const char* right = nullptr)
    {
        return game.m_loadLoadingScreen("art/bg.tga", left, right, "art/bar.tga", kBarX, kBarY);
    }
    Rgb at(int32_t x, int32_t y) const
    {
        Rgb c;
        display->rgbAt(x, y, &c.r, &c.g, &c.b);
        return c;
    }
    size_t presents() const { return display->presents().size(); }
    std::string lastPresent() const
    {
        std::string out;
        for (const HScreenRect& r : display->presents().back())
            out += (out.empty() ? "" : " ") + TestGame::s_rect(r);
        return out;
    }
    static bool unloaded(const MVSprite& s) { return !s.isSpriteValid() && s.getRefCount() == 0; }
    bool loadingScreenUnloaded() const
    {
        return unloaded(game.m_loadingBarSprite) && unloaded(game.m_loadingBackgroundSprite) &&
               unloaded(game.m_loadingLeftLogoSprite) && unloaded(game.m_loadingRightLogoSprite);
    }

    TempDir dir;
    TestGame game;
    ImageDisplayDevice* display = nullptr;
    MVSprite sprites[10];
};

TEST_F(LoadingScreenTest, BarWidthForEachFraction)
{
    ASSERT_TRUE(loadScreen());
    const float fractions[] = {0.0f, 0.001f, 0.0025f, 0.1f, 0.25f, 1.0f / 3.0f, 0.375f, 0.5f,
                               0.7f, 0.75f, 0.9999f, 1.0f, 1.5f, -0.5f, 0.33333334f, 0.66f};
    for (float f : fractions) {
        game.m_showLoadingScreen(0.0f, nullptr, nullptr);
        EXPECT_EQ(lastPresent(), "0,0,640,480") << f;
        const size_t before = presents();
        game.m_showLoadingScreen(f, nullptr, nullptr);
        const int32_t right = barRight(f);
        EXPECT_EQ(game.m_loadingBarRevealed.right, right) << f;
        EXPECT_EQ(game.m_loadingBarRevealed.left, kBarX) << f;
        if (!(f > 0.0f)) {
            // Acts as 0: the whole screen again, with an empty bar.
            ASSERT_EQ(presents(), before + 1) << f;
            EXPECT_EQ(lastPresent(), "0,0,640,480") << f;
        } else if (right > kBarX) {
            // Only the newly revealed strip is drawn and presented.
            ASSERT_EQ(presents(), before + 1) << f;
            EXPECT_EQ(lastPresent(), TestGame::s_rect(HScreenRect(kBarX, kBarY, right, kBarY + kBarHeight))) << f;
            EXPECT_EQ(at(right - 1, kBarY), kBar) << f;
            EXPECT_EQ(at(right - 1, kBarY + kBarHeight - 1), kBar) << f;
        } else {
            EXPECT_EQ(presents(), before) << f;
        }
        if (right < kBarX + kBarWidth) {
            EXPECT_EQ(at(right, kBarY), kBackground) << f;
        }
        EXPECT_EQ(at(kBarX, kBarY - 1), kBackground) << f;
        EXPECT_EQ(at(kBarX, kBarY + kBarHeight), kBackground) << f;
    }
}

TEST_F(LoadingScreenTest, EachCallDrawsOnlyTheNewColumns)
{
    ASSERT_TRUE(loadScreen());
    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    EXPECT_EQ(display->getLastDirtyArea(), 640 * 480);
    int32_t previous = kBarX;
    for (float f : {0.1f, 0.2f, 0.45f, 0.8f, 1.0f}) {
        game.m_showLoadingScreen(f, nullptr, nullptr);
        const int32_t right = barRight(f);
        EXPECT_EQ(lastPresent(), TestGame::s_rect(HScreenRect(previous, kBarY, right, kBarY + kBarHeight))) << f;
        EXPECT_EQ(display->getLastDirtyArea(), (right - previous) * kBarHeight) << f;
        previous = right;
    }
}

TEST_F(LoadingScreenTest, ASmallerFractionDrawsNothingUntilTheNextZero)
{
    ASSERT_TRUE(loadScreen());
    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    game.m_showLoadingScreen(0.7f, nullptr, nullptr);
    const size_t before = presents();
    game.m_showLoadingScreen(0.5f, nullptr, nullptr);
    EXPECT_EQ(presents(), before);
    EXPECT_EQ(game.m_loadingBarRevealed.right, barRight(0.7f));

    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    EXPECT_EQ(lastPresent(), "0,0,640,480");
    EXPECT_EQ(game.m_loadingBarRevealed.right, kBarX);
    EXPECT_EQ(at(kBarX, kBarY), kBackground) << "the bar is emptied";
}

TEST_F(LoadingScreenTest, FractionsOutsideActAsTheirBounds)
{
    ASSERT_TRUE(loadScreen());
    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    game.m_showLoadingScreen(1.5f, nullptr, nullptr);
    EXPECT_EQ(game.m_loadingBarRevealed.right, kBarX + kBarWidth);
    EXPECT_EQ(at(kBarX + kBarWidth - 1, kBarY), kBar);
    EXPECT_EQ(at(kBarX + kBarWidth, kBarY), kBackground);
    // Below 0 is 0: the screen is drawn again with an empty bar.
    game.m_showLoadingScreen(-0.5f, nullptr, nullptr);
    EXPECT_EQ(lastPresent(), "0,0,640,480");
    EXPECT_EQ(game.m_loadingBarRevealed.right, kBarX);
}

TEST_F(LoadingScreenTest, LogosSitInTheBottomCorners)
{
    ASSERT_TRUE(loadScreen("art/left.tga", "art/right.tga"));
    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    EXPECT_EQ(at(0, 449), kLeftLogo);
    EXPECT_EQ(at(49, 478), kLeftLogo);
    EXPECT_EQ(at(50, 478), kBackground);
    EXPECT_EQ(at(0, 448), kBackground);
    EXPECT_EQ(at(0, 479), kBackground);
    EXPECT_EQ(at(479, 399), kRightLogo);
    EXPECT_EQ(at(638, 478), kRightLogo);
    EXPECT_EQ(at(639, 478), kBackground);
    EXPECT_EQ(at(478, 399), kBackground);
    EXPECT_EQ(at(10, 10), kBackground);
}

TEST_F(LoadingScreenTest, BitmapsShowTheScreenBeforeEachNamedEntry)
{
    ASSERT_TRUE(loadScreen());
    MVSpriteInfo table[10] = {};
    for (int i = 0; i < 10; ++i)
        table[i].sprite = &sprites[i];
    table[0].fileName = "art/s0.tga";
    table[5].fileName = "art/s1.tga";
    ASSERT_TRUE(game.m_loadBitmaps(table, 10, 0.75f, nullptr, nullptr));
    // Drawn at 0 and at five steps of 0.75 / 10.
    float sixth = 0.0f;
    for (int i = 0; i < 5; ++i)
        sixth += 0.75f / 10.0f;
    EXPECT_FLOAT_EQ(sixth, 0.375f);
    ASSERT_EQ(presents(), 2u);
    EXPECT_EQ(TestGame::s_rect(display->presents()[0][0]), "0,0,640,480");
    EXPECT_EQ(game.m_loadingBarRevealed.right, barRight(sixth));
    EXPECT_TRUE(sprites[0].isSpriteValid());
    EXPECT_TRUE(sprites[5].isSpriteValid());
    EXPECT_FALSE(sprites[1].isSpriteValid());
    EXPECT_EQ(sprites[5].getSpriteWidth(), 9);
}

TEST_F(LoadingScreenTest, AFirstEntryWithoutANameStillDrawsTheWholeScreenFirst)
{
    ASSERT_TRUE(loadScreen());
    MVSpriteInfo table[4] = {{&sprites[0], nullptr}, {&sprites[1], "art/s1.tga"}, {&sprites[2], nullptr},
                             {&sprites[3], "art/s3.tga"}};
    ASSERT_TRUE(game.m_loadBitmaps(table, 4, 1.0f, nullptr, nullptr));
    ASSERT_EQ(presents(), 2u);
    EXPECT_EQ(TestGame::s_rect(display->presents()[0][0]), "0,0,640,480");
    EXPECT_EQ(at(10, 10), kBackground);
    // The bar starts at its own left edge, not at some earlier value.
    EXPECT_EQ(TestGame::s_rect(display->presents()[1][0]),
              TestGame::s_rect(HScreenRect(barRight(0.25f), kBarY, barRight(0.75f), kBarY + kBarHeight)));
    EXPECT_EQ(at(kBarX, kBarY), kBar);
}

TEST_F(LoadingScreenTest, AssetsLoadAndTheLoadingScreenGoes)
{
    MVSpriteInfo table[4] = {{&sprites[0], "art/s0.tga"}, {&sprites[1], nullptr}, {&sprites[2], "art/s2.tga"},
                             {&sprites[3], "art/s3.tga"}};
    const char* sounds[] = {"sound/a.wav", "sound/b.ogg", nullptr};
    ASSERT_TRUE(game.m_loadAssets(table, 4, "music/none.ogg", 0, sounds, "art/bg.tga", "art/left.tga",
                                  "art/right.tga", "art/bar.tga", kBarX, kBarY, 1.0f, nullptr, nullptr));
    EXPECT_TRUE(loadingScreenUnloaded());
    EXPECT_EQ(display->liveSurfaces(), 3);
    EXPECT_TRUE(sprites[0].isSpriteValid());
    EXPECT_FALSE(sprites[1].isSpriteValid());
    // The last frame shows the whole bar.
    EXPECT_EQ(game.m_loadingBarRevealed.right, kBarX + kBarWidth);
    EXPECT_EQ(at(kBarX + kBarWidth - 1, kBarY + 5), kBar);
}

TEST_F(LoadingScreenTest, AnEmptySoundListStillLoadsTheAssets)
{
    MVSpriteInfo table[1] = {{&sprites[0], "art/s0.tga"}};
    const char* none[] = {nullptr};
    ASSERT_TRUE(game.m_loadAssets(table, 1, nullptr, 0, none, "art/bg.tga", nullptr, nullptr, "art/bar.tga", kBarX,
                                  kBarY, 1.0f, nullptr, nullptr));
    EXPECT_TRUE(loadingScreenUnloaded());
    EXPECT_FALSE(game.m_loadSoundAssets(nullptr, 0, none, 0.75f, 1.0f));
    EXPECT_FALSE(game.m_loadSoundAssets(nullptr, 0, nullptr, 0.75f, 1.0f));
}

TEST_F(LoadingScreenTest, SoundsFillTheRestOfTheBar)
{
    ASSERT_TRUE(loadScreen());
    const char* sounds[] = {"a.wav", "b.wav", "c.wav", nullptr};
    EXPECT_TRUE(game.m_loadSoundAssets(nullptr, 0, sounds, 0.75f, 1.0f));
    float f = 0.75f;
    std::vector<std::string> strips;
    int32_t previous = barRight(0.75f);
    for (int i = 0; i < 3; ++i) {
        f += 0.25f / 3.0f;
        strips.push_back(TestGame::s_rect(HScreenRect(previous, kBarY, barRight(f), kBarY + kBarHeight)));
        previous = barRight(f);
    }
    ASSERT_EQ(presents(), 4u);
    EXPECT_EQ(TestGame::s_rect(display->presents()[0][0]), "0,0,640,480");
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(TestGame::s_rect(display->presents()[i + 1][0]), strips[i]);
}

TEST_F(LoadingScreenTest, AMissingSpriteFailsAndReleasesTheLoadingScreen)
{
    MVSpriteInfo table[3] = {{&sprites[0], "art/s0.tga"}, {&sprites[1], "art/missing.tga"},
                             {&sprites[2], "art/s2.tga"}};
    const char* sounds[] = {"sound/a.wav", nullptr};
    testing::internal::CaptureStdout();
    const bool ok = game.m_loadAssets(table, 3, nullptr, 0, sounds, "art/bg.tga", "art/left.tga", "art/right.tga",
                                      "art/bar.tga", kBarX, kBarY, 1.0f, nullptr, nullptr);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_FALSE(ok);
    EXPECT_EQ(out, "\n\n+-------+\n| Error |\n+-------+\nFailed to load bitmaps\n\n");
    EXPECT_TRUE(loadingScreenUnloaded());
    // What loaded before the failure stays the caller's.
    EXPECT_TRUE(sprites[0].isSpriteValid());
    EXPECT_FALSE(sprites[2].isSpriteValid());
    EXPECT_EQ(display->liveSurfaces(), 1);
}

TEST_F(LoadingScreenTest, MissingArtShowsWhatLoaded)
{
    EXPECT_FALSE(game.m_loadLoadingScreen("art/no_bg.tga", nullptr, "art/right.tga", "art/bar.tga", kBarX, kBarY));
    game.m_showLoadingScreen(0.5f, nullptr, nullptr);
    EXPECT_EQ(at(10, 10), kBlack);
    EXPECT_EQ(at(kBarX, kBarY), kBar);
    EXPECT_EQ(at(500, 420), kRightLogo);
    game.m_unloadLoadingScreen();
    EXPECT_TRUE(loadingScreenUnloaded());
    EXPECT_EQ(display->liveSurfaces(), 0);

    // Without its bar the screen still draws; the bar stays empty.
    EXPECT_FALSE(game.m_loadLoadingScreen("art/bg.tga", nullptr, nullptr, "art/no_bar.tga", kBarX, kBarY));
    game.m_showLoadingScreen(0.9f, nullptr, nullptr);
    EXPECT_EQ(at(kBarX, kBarY), kBackground);
    EXPECT_EQ(game.m_loadingBarRevealed.right, kBarX);
    game.m_unloadLoadingScreen();
    EXPECT_TRUE(loadingScreenUnloaded());
}

TEST_F(LoadingScreenTest, AMissingBottomLeftLogoFailsAtOnce)
{
    EXPECT_FALSE(game.m_loadLoadingScreen("art/bg.tga", "art/no_logo.tga", nullptr, "art/bar.tga", kBarX, kBarY));
    EXPECT_FALSE(game.m_loadingBackgroundSprite.isSpriteValid());
    game.m_unloadLoadingScreen();
    EXPECT_TRUE(loadingScreenUnloaded());
}

TEST_F(LoadingScreenTest, LoadedTwiceUnloadsWhole)
{
    ASSERT_TRUE(loadScreen("art/left.tga"));
    ASSERT_TRUE(loadScreen("art/left.tga"));
    EXPECT_EQ(display->liveSurfaces(), 3);
    game.m_unloadLoadingScreen();
    EXPECT_TRUE(loadingScreenUnloaded());
    EXPECT_EQ(display->liveSurfaces(), 0);
}

TEST(LoadingScreenWithoutDisplayTest, NothingIsDrawnAndNoSpriteLoads)
{
    TestGame game;
    MVSprite sprite;
    MVSpriteInfo table[1] = {{&sprite, "art/s0.tga"}};
    game.m_showLoadingScreen(0.5f, nullptr, nullptr);
    EXPECT_FALSE(game.m_loadBitmaps(table, 1, 0.75f, nullptr, nullptr));
    EXPECT_FALSE(sprite.isSpriteValid());
    EXPECT_TRUE(game.m_loadBitmaps(nullptr, 5, 0.75f, nullptr, nullptr));
    EXPECT_TRUE(game.m_loadBitmaps(table, 0, 0.75f, nullptr, nullptr));
}

class FakeMap : public MVCollisionMap {
public:
    explicit FakeMap(bool ok) : m_bOk(ok) {}
    bool loadCollisionMap(HFileSystem* files, const char* fileName) override
    {
        loads.push_back(std::string(fileName) + (files ? "" : " (no files)"));
        return m_bOk;
    }
    std::vector<std::string> loads;

private:
    bool m_bOk;
};

TEST(CollisionMapTest, LoadsNamedEntriesInOrderAndStopsAtAFailure)
{
    TestGame game;
    FakeMap a(true), b(false), c(true);
    MVCollisionMapInfo maps[4] = {{&a, "a.map"}, {&c, nullptr}, {&b, "b.map"}, {&c, "c.map"}};
    EXPECT_FALSE(game.m_loadCollisionMaps(maps, 4));
    EXPECT_EQ(a.loads, (std::vector<std::string>{"a.map (no files)"}));
    EXPECT_EQ(b.loads.size(), 1u);
    EXPECT_TRUE(c.loads.empty());
    EXPECT_TRUE(game.m_loadCollisionMaps(maps, 2));
    EXPECT_TRUE(game.m_loadCollisionMaps(nullptr, 3));
}

} // namespace
