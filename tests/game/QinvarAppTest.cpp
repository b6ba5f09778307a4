// The game's application class started in the test's process with the
// build's archive: the sprite table, sounds, font and music it loads, the
// start screen it ends on, getSprite's alerts, playSound's volume, the sound
// driver it picks, the options it reads from the per-user registry (held
// to their ranges), and the font it gives back at shutdown.
#include "engine/core/HSystemRegistry.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/H2DMemorySurface.h"
#include "engine/media/HAudioSample.h"
#include "tests/support/InputEvents.h"
#include "tests/support/QinvarSession.h"
#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <vector>

namespace {

// The game with the soundtrack's members opened up.
class AppGame : public Qinvar {
public:
    bool soundtrackLoaded() const { return m_pSoundtrackStream != nullptr && m_iSoundtrackBytes > 0; }
    // Asked without getSprite, which would alert on the empty slots.
    bool spriteLoaded(int slot) const { return m_aSprites[slot].isSpriteValid(); }
    const MVSprite& sprite(int slot) const { return m_aSprites[slot]; }
};

using AppSession = GameSession<AppGame>;

// The slots that the asset loader leaves empty: the chosen table top and
// tile set (loaded when a board starts) and four slots without art.
bool emptyAtStart(int slot)
{
    return slot == 8 || slot == 14 || slot == 15 || slot == 74 || slot == 75 || slot == 117;
}

// How many screen pixels of `area` differ from the sprite drawn with its
// top-left corner at (x, y); -1 when the screen or sprite cannot be read.
int differingPixels(const MVSprite& sprite, int32_t x, int32_t y, const HScreenRect& area)
{
    const H2DMemorySurface* s = static_cast<const H2DMemorySurface*>(sprite.getSpriteSurface());
    SDL_Surface* screen = SDL_GetVideoSurface();
    if (!s || !screen || screen->format->BytesPerPixel != 2)
        return -1;
    if (SDL_MUSTLOCK(screen) && SDL_LockSurface(screen) != 0)
        return -1;
    int bad = 0;
    for (int32_t sy = area.top; sy < area.bottom; ++sy) {
        const uint16_t* screenRow =
            reinterpret_cast<const uint16_t*>(static_cast<const uint8_t*>(screen->pixels) + sy * screen->pitch);
        const uint16_t* spriteRow =
            reinterpret_cast<const uint16_t*>(s->getPixels() + static_cast<size_t>(sy - y) * s->getStride());
        for (int32_t sx = area.left; sx < area.right; ++sx)
            bad += screenRow[sx] != spriteRow[sx - x] ? 1 : 0;
    }
    if (SDL_MUSTLOCK(screen))
        SDL_UnlockSurface(screen);
    return bad;
}

// The registry file of a session's HOME written through the engine's own
// registry, as the game would have written it in an earlier run.
class RegistryWriter {
public:
    RegistryWriter() : m_pRegistry(HSystemRegistry::s_getSystemRegistry())
    {
        m_bOpen = m_pRegistry->openRegistry(nullptr, "Moravel", "Qinvar");
    }
    ~RegistryWriter() { close(); }
    bool close()
    {
        const bool ok = m_bOpen && m_pRegistry->closeRegistry();
        m_bOpen = false;
        return ok;
    }
    HSystemRegistry* operator->() { return m_pRegistry; }
    bool isOpen() const { return m_bOpen; }

private:
    HSystemRegistry* m_pRegistry;
    bool m_bOpen;
};

TEST(QinvarApp, LoadsEverySpriteSoundFontAndMusicAndShowsTheStartScreen)
{
    std::unique_ptr<AppSession> session(new AppSession());
    ASSERT_TRUE(session->start());
    AppGame& game = session->game();

    int loaded = 0;
    for (int slot = 0; slot < QVS_COUNT; ++slot) {
        SCOPED_TRACE("slot " + std::to_string(slot));
        const bool valid = game.spriteLoaded(slot);
        EXPECT_EQ(valid, !emptyAtStart(slot));
        loaded += valid ? 1 : 0;
    }
    EXPECT_EQ(loaded, 112);

    for (const char* const* name = Qinvar::s_akpSounds; *name; ++name)
        EXPECT_NE(game.getSoundManager()->m_findAudioSample(*name), nullptr) << *name;
    EXPECT_NE(game.getGameFont(), nullptr);
    EXPECT_TRUE(game.soundtrackLoaded());

    EXPECT_EQ(game.getState(), GS_START);
    EXPECT_FALSE(game.isSuspended());
    // After the first drawing pass: the left panel and the start screen's
    // picture (drawn at x 120), where no preview and no button lies.
    session->script().batch({InputEvents::s_timestamp(1500)});
    session->script().batch({}, [&] {
        EXPECT_EQ(differingPixels(game.sprite(QVS_LEFT_PANEL), 0, 0, HScreenRect(0, 0, 120, 100)), 0);
        EXPECT_EQ(differingPixels(game.sprite(QVS_START_SCREEN), 120, 0, HScreenRect(130, 0, 260, 30)), 0);
    });
    session->run();
    EXPECT_TRUE(session->script().done());
}

TEST(QinvarApp, GetSpriteAlertsOutOfRangeAndEmptySlots)
{
    std::unique_ptr<AppSession> session(new AppSession());
    ASSERT_TRUE(session->start());
    Qinvar& game = session->game();
    struct Case {
        int slot;
        const char* alert; // null: the sprite, no alert
    };
    const Case cases[] = {
        {-1, "getSprite - t out of range, value = -1\n"},
        {118, "getSprite - t out of range, value = 118\n"},
        // Before the first board the tile set's slot is still empty.
        {117, "getSprite - sprite 117 is not valid\n"},
        {8, "getSprite - sprite 8 is not valid\n"},
        {0, nullptr},
        {116, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("slot " + std::to_string(c.slot));
        testing::internal::CaptureStdout();
        MVSprite* sprite = game.getSprite(static_cast<QVSprite_t>(c.slot));
        const std::string out = testing::internal::GetCapturedStdout();
        if (c.alert) {
            EXPECT_EQ(sprite, nullptr);
            EXPECT_EQ(out, std::string("\n\n+-------+\n| Alert |\n+-------+\n") + c.alert + "\n\n");
        } else {
            EXPECT_NE(sprite, nullptr);
            EXPECT_EQ(out, "");
        }
    }
}

TEST(QinvarApp, PlaySoundScalesByTheSoundVolume)
{
    std::unique_ptr<AppSession> session(new AppSession());
    ASSERT_TRUE(session->start());
    Qinvar& game = session->game();
    HAudioMixerStreamingAudioSource* mixer = game.getMixer();
    const char* const name = "sound/qv_guiclick.wav";
    const HAudioSample* sample = game.getSoundManager()->m_findAudioSample(name);
    ASSERT_NE(sample, nullptr);
    ASSERT_EQ(sample->bits, 16);
    ASSERT_EQ(sample->channels, 1);
    // The output is 16-bit stereo; the silent device never pulls it, so the
    // test mixes the chunks itself.
    constexpr int kFrames = 256;
    ASSERT_GE(sample->size, 2 * kFrames);
    std::vector<int16_t> source(kFrames);
    std::memcpy(source.data(), sample->data, sizeof(int16_t) * kFrames);
    int32_t loudest = 0;
    for (int16_t v : source)
        loudest = std::max<int32_t>(loudest, std::abs(v));
    ASSERT_GT(loudest, 1000) << "the click starts too quietly to tell volumes apart";

    struct Case {
        float soundVolume;
        int volume;
        int32_t expectedLevel; // what the voice plays at
    };
    const Case cases[] = {{0.5f, 128, 64}, {1.0f, 128, 128}, {0.0f, 128, 0}, {0.25f, 200, 50}};
    for (const Case& c : cases) {
        SCOPED_TRACE("sound volume " + std::to_string(c.soundVolume) + " x " + std::to_string(c.volume));
        // No music, no voice left from the splash or an earlier case.
        game.m_playSoundtrack(false);
        mixer->shutdownStreamingAudioSource();
        game.getOptions()->soundVolume = c.soundVolume;
        game.playSound(name, c.volume, 0, true);
        std::vector<int16_t> out(2 * kFrames, 12345);
        ASSERT_EQ(mixer->readNextChunk(out.data(), static_cast<int>(sizeof(int16_t) * out.size())),
                  static_cast<int>(sizeof(int16_t) * out.size()));
        for (int f = 0; f < kFrames; ++f) {
            const int32_t expected = (source[f] * c.expectedLevel) >> 8;
            ASSERT_EQ(out[2 * f], expected) << "frame " << f;
            ASSERT_EQ(out[2 * f + 1], expected) << "frame " << f;
        }
    }
}

TEST(QinvarApp, TheSoundDriverNullInAnyCaseRunsSilent)
{
    // SDL cannot open this driver: a game that asked SDL for sound would
    // end up with no audio device at all, one that chose the silent device
    // has one.
    ScopedEnv driver("SDL_AUDIODRIVER", "no-such-driver");
    struct Case {
        const char* tokens;
        bool silent;
    };
    const Case cases[] = {
        {"+set c_soundDriver NuLl", true},
        {"+set c_soundDriver NULL", true},
        {"+set c_soundDriver null", true},
        {"+set c_soundDriver sdl", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tokens);
        std::unique_ptr<AppSession> session(new AppSession());
        ASSERT_TRUE(session->start(c.tokens));
        EXPECT_EQ(session->game().getAudioDevice() != nullptr, c.silent);
        // Without sound the game runs all the same.
        EXPECT_EQ(session->game().getState(), GS_START);
        session->run();
    }
}

TEST(QinvarApp, AFirstStartThatChangedNothingLeavesNoRegistryFile)
{
    std::unique_ptr<AppSession> session(new AppSession());
    ASSERT_TRUE(session->start());
    session->script().batch({InputEvents::s_timestamp(1500)});
    session->run();
    EXPECT_FALSE(fileExists(session->registryPath()));
}

TEST(QinvarApp, ReadsTheStoredOptionsAndLeavesTheRegistryFileAsItWas)
{
    std::unique_ptr<AppSession> session(new AppSession());
    {
        RegistryWriter registry;
        ASSERT_TRUE(registry.isOpen());
        registry->setStringValue("LastHighScoreName", "Ada", 4);
        registry->setU32Value("Layout", 5);
        registry->setU32Value("Background", 3);
        registry->setU32Value("Tileset", 2);
        registry->setU32Value("Autohint", 0);
        registry->setFloatValue("Sound Volume", 0.5f);
        registry->setFloatValue("Music Volume", 0.75f);
        const int32_t fullscreen = 0;
        registry->setBinaryValue("Fullscreen", &fullscreen, 4);
        // A best time of the first layout.
        registry->setStringValue("HSn:0x0", "Grace", 6);
        registry->setU32Value("HSv:0x0", 768);
        registry->setU32Value("HSgt:0x0", 321);
        registry->setU32Value("HSrt:0x0", 300);
        registry->setU32Value("HStl:0x0", 0);
        ASSERT_TRUE(registry.close());
    }
    const std::string before = readFileBytes(session->registryPath());
    ASSERT_FALSE(before.empty());

    ASSERT_TRUE(session->start());
    const QVOptions* options = session->game().getOptions();
    EXPECT_EQ(options->layout, 5);
    EXPECT_EQ(options->background, 3);
    EXPECT_EQ(options->tileSet, 2);
    EXPECT_EQ(options->autoHint, 0);
    EXPECT_EQ(options->soundVolume, 0.5f);
    EXPECT_EQ(options->musicVolume, 0.75f);
    EXPECT_EQ(options->fullscreen, 0);
    EXPECT_STREQ(options->lastHighScoreName, "Ada");
    // The volumes reach the framework's hooks.
    EXPECT_EQ(session->game().getSoundVolume(), 0.5f);
    EXPECT_EQ(session->game().getMusicVolume(), 0.75f);

    session->script().batch({InputEvents::s_timestamp(1500)});
    session->run();
    EXPECT_EQ(readFileBytes(session->registryPath()), before);
}

TEST(QinvarApp, StoredVolumesAreHeldToTheirRange)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float storedSound, storedMusic;
        float sound, music;
    };
    const Case cases[] = {
        {2.0f, -1.0f, 1.0f, 0.0f},
        {-0.25f, 1.5f, 0.0f, 1.0f},
        // Not a number counts as nothing stored: the defaults.
        {nan, nan, 1.0f, 0.25f},
        {inf, -inf, 1.0f, 0.0f},
        {0.3f, 0.6f, 0.3f, 0.6f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.storedSound) + " / " + std::to_string(c.storedMusic));
        std::unique_ptr<AppSession> session(new AppSession());
        {
            RegistryWriter registry;
            ASSERT_TRUE(registry.isOpen());
            registry->setFloatValue("Sound Volume", c.storedSound);
            registry->setFloatValue("Music Volume", c.storedMusic);
        }
        ASSERT_TRUE(session->start());
        EXPECT_EQ(session->game().getOptions()->soundVolume, c.sound);
        EXPECT_EQ(session->game().getOptions()->musicVolume, c.music);
        session->run();
    }
}

TEST(QinvarApp, TheFontIsForgottenOnceItIsDestroyed)
{
    std::unique_ptr<AppSession> session(new AppSession());
    ASSERT_TRUE(session->start());
    ASSERT_NE(session->game().getGameFont(), nullptr);
    session->run();
    EXPECT_EQ(session->game().getGameFont(), nullptr);
}

} // namespace
