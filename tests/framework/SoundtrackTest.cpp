// The soundtrack and sound effects on the silent audio device: the mixer is
// pulled by the test instead of an audio thread, so what the game starts,
// stops, rewinds and turns up is read straight from the mixed chunks.
#include "engine/media/HOggVorbisAudioStream.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/OggFixtures.h"
#include "tests/support/TestGame.h"
#include "tests/support/WavFixtures.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int kChunkBytes = 4096;

class SoundtrackTest : public testing::Test {
protected:
    void SetUp() override
    {
        music = OggFixtures::vorbis(OggFixtures::tone(22050, 2, 22050, 440), 2, 22050);
        files.add("music/theme.ogg", music);
        files.add("music/other.ogg", OggFixtures::vorbis(OggFixtures::tone(11025, 2, 22050, 660), 2, 22050));
        files.add("music/short.ogg", music);
        files.setShortRead("music/short.ogg", true);
        files.add("music/not_ogg.ogg", std::string(3000, 'x'));
        files.add("sound/flat.wav", WavFixtures::wav(1, 16, 22050, WavFixtures::pcm16(std::vector<int16_t>(2000, 10000))));
        ASSERT_TRUE(game.getCvarManager()->initCvarManager());
        game.m_initCvars();
        game.getCvarManager()->setVariableString("c_soundDriver", "null");
        ASSERT_TRUE(game.m_createAudioDevice(&files, 2, 16, 22050));
    }
    void TearDown() override { game.m_shutdownAudioDevice(); }

    std::vector<int16_t> mix()
    {
        std::vector<int16_t> out(kChunkBytes / 2);
        EXPECT_EQ(game.getMixer()->readNextChunk(out.data(), kChunkBytes), kChunkBytes);
        return out;
    }
    // The soundtrack's first chunk decoded by a stream of its own.
    std::vector<int16_t> raw()
    {
        HOggVorbisAudioStream stream;
        EXPECT_TRUE(stream.initStreamingAudioSource());
        EXPECT_TRUE(stream.setDataSource(music.data(), static_cast<int>(music.size()), 16, 22050, 0));
        std::vector<int16_t> out(kChunkBytes / 2);
        EXPECT_EQ(stream.readNextChunk(out.data(), kChunkBytes), kChunkBytes);
        stream.shutdownStreamingAudioSource();
        return out;
    }
    static std::vector<int16_t> scaled(const std::vector<int16_t>& pcm, int volume)
    {
        std::vector<int16_t> out;
        for (int16_t v : pcm)
            out.push_back(static_cast<int16_t>((v * volume) >> 8));
        return out;
    }
    static bool silent(const std::vector<int16_t>& pcm)
    {
        for (int16_t v : pcm) {
            if (v != 0)
                return false;
        }
        return true;
    }

    Bytes music;
    MemoryFileSystem files;
    TestGame game;
};

TEST_F(SoundtrackTest, LoadedBeforeTheAudioSetUpDoesNothing)
{
    TestGame other;
    EXPECT_TRUE(other.m_loadSoundtrack("music/theme.ogg", &files, 0));
    EXPECT_EQ(other.m_pSoundtrackData, nullptr);
    EXPECT_EQ(files.openCount("music/theme.ogg"), 0);
    EXPECT_FALSE(other.m_playSoundtrack(true));
}

TEST_F(SoundtrackTest, StartsStopsRewindsAndChangesVolume)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    EXPECT_EQ(game.m_iSoundtrackBytes, static_cast<int32_t>(music.size()));
    EXPECT_EQ(files.openFiles(), 0);
    EXPECT_TRUE(silent(mix())) << "not started yet";

    const std::vector<int16_t> pcm = raw();
    ASSERT_FALSE(silent(pcm));
    EXPECT_TRUE(game.m_playSoundtrack(true));
    EXPECT_TRUE(game.isSoundtrackPlaying());
    // The default music volume 0.25 is 63 of 255.
    EXPECT_EQ(mix(), scaled(pcm, 63));

    game.m_rewindSoundtrack();
    game.setSoundtrackVolume(0.5f);
    EXPECT_EQ(mix(), scaled(pcm, 127));

    game.m_rewindSoundtrack();
    game.setSoundtrackVolume(1.5f);
    EXPECT_FLOAT_EQ(game.getSoundtrackVolume(), 1.0f);
    EXPECT_EQ(mix(), scaled(pcm, 255));

    game.setSoundtrackVolume(-3.0f);
    EXPECT_FLOAT_EQ(game.getSoundtrackVolume(), 0.0f);
    EXPECT_TRUE(silent(mix()));
    game.setSoundtrackVolume(1.0f);

    EXPECT_FALSE(game.m_playSoundtrack(false));
    EXPECT_FALSE(game.isSoundtrackPlaying());
    EXPECT_TRUE(silent(mix()));
}

TEST_F(SoundtrackTest, StartingTwiceStartsOnce)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    game.setSoundtrackVolume(1.0f);
    EXPECT_TRUE(game.m_playSoundtrack(true));
    const std::vector<int16_t> first = mix();
    EXPECT_TRUE(game.m_playSoundtrack(true));
    // Not restarted: the music goes on where it was.
    EXPECT_NE(mix(), first);
    game.m_rewindSoundtrack();
    EXPECT_EQ(mix(), first);
}

TEST_F(SoundtrackTest, UnloadTwiceIsHarmless)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    ASSERT_TRUE(game.m_playSoundtrack(true));
    game.m_unloadSoundtrack();
    EXPECT_EQ(game.m_pSoundtrackData, nullptr);
    EXPECT_EQ(game.m_pSoundtrackStream, nullptr);
    EXPECT_FALSE(game.isSoundtrackPlaying());
    EXPECT_TRUE(silent(mix()));
    game.m_unloadSoundtrack();
    game.m_rewindSoundtrack();
    EXPECT_FALSE(game.m_playSoundtrack(true)) << "no stream to play";
    // Without a stream a load waits for the next audio set-up.
    EXPECT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    EXPECT_EQ(game.m_pSoundtrackData, nullptr);
}

TEST_F(SoundtrackTest, ReloadReplacesTheBytes)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/other.ogg", &files, 0));
    ASSERT_TRUE(game.m_playSoundtrack(true));
    mix();
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    EXPECT_EQ(game.m_iSoundtrackBytes, static_cast<int32_t>(music.size()));
    game.setSoundtrackVolume(1.0f);
    EXPECT_EQ(mix(), scaled(raw(), 255));
}

TEST_F(SoundtrackTest, AFailedReadKeepsTheSoundtrackThatPlays)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    const uint8_t* before = game.m_pSoundtrackData;
    EXPECT_FALSE(game.m_loadSoundtrack("music/short.ogg", &files, 0));
    EXPECT_FALSE(game.m_loadSoundtrack("music/missing.ogg", &files, 0));
    EXPECT_FALSE(game.m_loadSoundtrack(nullptr, &files, 0));
    EXPECT_FALSE(game.m_loadSoundtrack("music/theme.ogg", nullptr, 0));
    EXPECT_EQ(game.m_pSoundtrackData, before);
    EXPECT_EQ(files.openFiles(), 0);
    game.setSoundtrackVolume(1.0f);
    ASSERT_TRUE(game.m_playSoundtrack(true));
    EXPECT_EQ(mix(), scaled(raw(), 255));
}

TEST_F(SoundtrackTest, BytesThatAreNotOggVorbisFailToLoad)
{
    EXPECT_FALSE(game.m_loadSoundtrack("music/not_ogg.ogg", &files, 0));
    ASSERT_TRUE(game.m_playSoundtrack(true));
    EXPECT_TRUE(silent(mix()));
    game.m_rewindSoundtrack();
}

TEST_F(SoundtrackTest, SecondAudioSetUpReleasesTheFirstStream)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    ASSERT_TRUE(game.m_playSoundtrack(true));
    ASSERT_TRUE(game.m_createAudioDevice(&files, 2, 16, 22050));
    EXPECT_FALSE(game.isSoundtrackPlaying());
    EXPECT_EQ(game.m_pSoundtrackData, nullptr);
    EXPECT_NE(game.m_pSoundtrackStream, nullptr);
    EXPECT_TRUE(silent(mix()));
}

TEST_F(SoundtrackTest, SoundsPlayAtTheGameSoundVolume)
{
    game.soundVolume = 0.5f;
    game.playSound("sound/flat.wav", 128, 0, false);
    std::vector<int16_t> out = mix();
    EXPECT_EQ(out[0], (10000 * 64) >> 8);
    EXPECT_EQ(out[1], (10000 * 64) >> 8);

    // Every voice stopped before the next play.
    game.getMixer()->shutdownStreamingAudioSource();
    game.soundVolume = 0.0f;
    game.playSound("sound/flat.wav", 128, 0, false);
    EXPECT_TRUE(silent(mix()));

    // Out-of-range levels are held to the byte's range.
    game.getMixer()->shutdownStreamingAudioSource();
    game.soundVolume = 4.0f;
    game.playSound("sound/flat.wav", 255, 0, false);
    EXPECT_EQ(mix()[0], (10000 * 255) >> 8);
}

TEST_F(SoundtrackTest, MuteSilencesTheMixer)
{
    ASSERT_TRUE(game.m_loadSoundtrack("music/theme.ogg", &files, 0));
    ASSERT_TRUE(game.m_playSoundtrack(true));
    game.mute(true);
    EXPECT_TRUE(silent(mix()));
    game.mute(false);
    EXPECT_FALSE(silent(mix()));
}

} // namespace
