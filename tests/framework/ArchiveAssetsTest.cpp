// The generated resource archive loaded as the game loads it: read whole
// into memory, its art drawn into sprites behind its own loading screen.
// The pictures of the loading screen are written beside the archive for a
// person to look at.
#include "game/ScreenGeometry.h"
#include "tests/support/ImageDisplayDevice.h"
#include "tests/support/TestGame.h"
#include "tests/support/TestPaths.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kSpriteCount = 48;

bool isLoadingScreenArt(const char* name)
{
    return std::strcmp(name, "art/loading_qz.jpg") == 0 || std::strcmp(name, "art/loading_partner_qz.jpg") == 0 ||
           std::strcmp(name, "art/progress_qz.tga") == 0;
}

class ArchiveAssetsTest : public testing::Test {
protected:
    void SetUp() override
    {
        game.setup().recordingDisplay = true;
        ASSERT_TRUE(game.m_createDisplayDevice("archive", false, false, 640, 480));
        display = game.recordingDisplay();
        const std::string archive = buildArchivePath();
        ASSERT_TRUE(game.m_createReadFileSystem(archive.c_str(), true)) << archive << " (build the project first)";
    }
    void TearDown() override
    {
        for (MVSprite& s : sprites) {
            while (s.getRefCount() > 0)
                s.unloadSprite();
        }
        game.m_unloadLoadingScreen();
        EXPECT_EQ(display->liveSurfaces(), 0);
    }

    TestGame game;
    ImageDisplayDevice* display = nullptr;
    MVSprite sprites[kSpriteCount];
};

TEST_F(ArchiveAssetsTest, LoadingScreenArt)
{
    ASSERT_TRUE(game.m_loadLoadingScreen("art/loading_qz.jpg", nullptr, "art/loading_partner_qz.jpg",
                                         "art/progress_qz.tga", geo::kProgressBar.x, geo::kProgressBar.y));
    EXPECT_EQ(game.m_loadingBackgroundSprite.getSpriteWidth(), 640);
    EXPECT_EQ(game.m_loadingBackgroundSprite.getSpriteHeight(), 480);
    EXPECT_EQ(game.m_loadingRightLogoSprite.getSpriteWidth(), 160);
    EXPECT_EQ(game.m_loadingBarSprite.getSpriteWidth(), 400);
    EXPECT_EQ(game.m_loadingBarSprite.getSpriteHeight(), 24);
    game.m_showLoadingScreen(0.0f, nullptr, nullptr);
    game.m_showLoadingScreen(0.4f, nullptr, nullptr);
    EXPECT_EQ(game.m_loadingBarRevealed.right, 120 + static_cast<int32_t>(0.4f * 400.0f));
    EXPECT_TRUE(display->savePng(pictureFile("framework_loading_screen_40.png")));
    EXPECT_TRUE(display->guardIntact());
    game.m_unloadLoadingScreen();
}

TEST_F(ArchiveAssetsTest, SpritesLoadBehindTheLoadingScreen)
{
    std::vector<MVSpriteInfo> table;
    std::vector<const mkarchive::ManifestEntry*> entries;
    for (const mkarchive::ManifestEntry& e : mkarchive::kManifest) {
        if (static_cast<int>(table.size()) == kSpriteCount)
            break;
        if ((e.format != mkarchive::AssetFormat::Tga && e.format != mkarchive::AssetFormat::Jpeg) ||
            isLoadingScreenArt(e.name))
            continue;
        table.push_back(MVSpriteInfo{&sprites[table.size()], e.name});
        entries.push_back(&e);
    }
    ASSERT_EQ(static_cast<int>(table.size()), kSpriteCount);
    const char* sounds[] = {"sound/qv_guiclick.wav", "sound/qv_match.ogg", nullptr};

    ASSERT_TRUE(game.m_loadAssets(table.data(), kSpriteCount, "music/theme_qz.ogg", 0, sounds,
                                  "art/loading_qz.jpg", nullptr, "art/loading_partner_qz.jpg", "art/progress_qz.tga",
                                  geo::kProgressBar.x, geo::kProgressBar.y, 1.0f, nullptr, nullptr));
    for (int i = 0; i < kSpriteCount; ++i) {
        ASSERT_TRUE(sprites[i].isSpriteValid()) << entries[i]->name;
        EXPECT_EQ(sprites[i].getSpriteWidth(), entries[i]->width) << entries[i]->name;
        EXPECT_EQ(sprites[i].getSpriteHeight(), entries[i]->height) << entries[i]->name;
    }
    // The loading screen is gone; the sprites remain.
    EXPECT_EQ(display->liveSurfaces(), kSpriteCount);
    EXPECT_FALSE(game.m_loadingBackgroundSprite.isSpriteValid());
    // One whole frame, then only strips of the bar: the first sprite's frame
    // and one frame per named sprite after it, and the sounds' frames.
    ASSERT_FALSE(display->presents().empty());
    EXPECT_EQ(TestGame::s_rect(display->presents().front().front()), "0,0,640,480");
    const mkarchive::ManifestEntry* bar = mkarchive::findManifestEntry("art/progress_qz.tga");
    ASSERT_NE(bar, nullptr);
    for (size_t i = 1; i < display->presents().size(); ++i) {
        for (const HScreenRect& r : display->presents()[i]) {
            EXPECT_EQ(r.top, geo::kProgressBar.y);
            EXPECT_EQ(r.bottom, geo::kProgressBar.y + bar->height);
        }
    }
    EXPECT_EQ(game.m_loadingBarRevealed.right, geo::kProgressBar.x + bar->width);
    EXPECT_TRUE(display->savePng(pictureFile("framework_loading_screen_done.png")));
}

} // namespace
