// The sound manager over an in-memory file system that counts opens and a
// real mixer in the framework's format: samples load once and stay cached
// under their names, play on the mixer's voices, and every failure (unknown
// type, bad file, full cache) leaves nothing cached and nothing leaked.
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HOggVorbisAudioStream.h"
#include "engine/media/HSoundManager.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/OggFixtures.h"
#include "tests/support/WavFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
using Mixer = HAudioMixerStreamingAudioSource;

std::vector<int16_t> values16(const HAudioSample& s)
{
    std::vector<int16_t> v(static_cast<size_t>(s.size) / 2);
    std::memcpy(v.data(), s.data, v.size() * 2);
    return v;
}

std::vector<int16_t> streamDecode(const Bytes& file)
{
    HOggVorbisAudioStream stream;
    EXPECT_TRUE(stream.initStreamingAudioSource());
    EXPECT_TRUE(stream.setDataSource(file.data(), static_cast<int>(file.size()), 16, kRate, 0));
    std::vector<int16_t> pcm(static_cast<size_t>(stream.getUncompressedSizeInBytes()) / 2);
    stream.readNextChunk(pcm.data(), static_cast<int>(pcm.size() * 2));
    stream.shutdownStreamingAudioSource();
    return pcm;
}

// A mono 16-bit click of `frames` frames, every value `value`.
Bytes click(int frames, int16_t value = 1000)
{
    return WavFixtures::wav(1, 16, kRate, WavFixtures::pcm16(std::vector<int16_t>(static_cast<size_t>(frames), value)));
}

class SoundManagerTest : public testing::Test {
protected:
    void SetUp() override
    {
        mixer.configureStreamingAudioSource(2, 16, kRate);
        ASSERT_TRUE(sounds.initSoundManager(&fs, &mixer, 2, 16, kRate));
    }
    void TearDown() override
    {
        // As the framework does: no voice reads the data once it is freed.
        mixer.shutdownStreamingAudioSource();
        sounds.shutdownSoundManager();
    }

    // One stereo 16-bit chunk of `frames` frames from the mixer.
    std::vector<int16_t> mix(int frames)
    {
        std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
        mixer.readNextChunk(out.data(), frames * 4);
        return out;
    }

    MemoryFileSystem fs;
    Mixer mixer;
    HSoundManager sounds;
};

TEST_F(SoundManagerTest, ValidSoundsLoadInTheOutputFormatWithTheirSizesAndValues)
{
    const Bytes oggMono = OggFixtures::vorbis(OggFixtures::tone(4000, 1, kRate, 500), 1, kRate);
    const Bytes oggStereo = OggFixtures::vorbis(OggFixtures::tone(6000, 2, kRate, 250), 2, kRate);
    struct Case {
        const char* name;
        Bytes file;
        int channels;
        int size;
        std::vector<int16_t> values; // the whole decoded sample
    };
    const std::vector<Case> cases = {
        {"sound/mono8.wav", WavFixtures::wav(1, 8, kRate, {128, 255, 0, 64}), 1, 8, {0, 32639, -32640, -64 * 255}},
        {"sound/stereo8.wav", WavFixtures::wav(2, 8, kRate, {255, 0, 129, 127}), 2, 8, {32639, -32640, 257, -255}},
        {"sound/mono16.wav", WavFixtures::wav(1, 16, kRate, WavFixtures::pcm16({-32768, 32767, 5})), 1, 6,
         {-32768, 32767, 5}},
        {"sound/stereo16.wav", WavFixtures::wav(2, 16, kRate, WavFixtures::pcm16({7, -7, 300, -300})), 2, 8,
         {7, -7, 300, -300}},
        {"sound/mono.ogg", oggMono, 1, 4000 * 2, streamDecode(oggMono)},
        {"sound/stereo.ogg", oggStereo, 2, 6000 * 4, streamDecode(oggStereo)},
    };
    for (const Case& c : cases)
        fs.add(c.name, c.file);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(sounds.preloadAudioSample(c.name));
        const HAudioSample* s = sounds.m_findAudioSample(c.name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->channels, c.channels);
        EXPECT_EQ(s->bits, 16);
        EXPECT_EQ(s->rate, kRate);
        EXPECT_EQ(s->size, c.size);
        EXPECT_EQ(values16(*s), c.values);
    }
}

TEST_F(SoundManagerTest, PlayingHandsTheCachedSampleToAVoiceAtItsVolume)
{
    fs.add("sound/click.wav", WavFixtures::wav(1, 8, kRate, {255, 0, 192}));
    int voice = -1;
    EXPECT_EQ(sounds.playSoundByName(&voice, "sound/click.wav", 0, 128, -100, true), 1);
    EXPECT_EQ(voice, 0);
    const HAudioSample* s = sounds.m_findAudioSample("sound/click.wav");
    ASSERT_NE(s, nullptr);
    EXPECT_TRUE(mixer.isUsingSampleData(s->data));
    // Mono on both sides, (value x 128) >> 8, the pan kept but not applied;
    // then silence once the one pass has ended.
    const int32_t a = (32639 * 128) >> 8;
    const int32_t b = (-32640 * 128) >> 8;
    const int32_t c = (64 * 257 * 128) >> 8;
    EXPECT_EQ(mix(4), (std::vector<int16_t>{static_cast<int16_t>(a), static_cast<int16_t>(a), static_cast<int16_t>(b),
                                            static_cast<int16_t>(b), static_cast<int16_t>(c), static_cast<int16_t>(c),
                                            0, 0}));
    EXPECT_FALSE(mixer.isUsingSampleData(s->data));
}

TEST_F(SoundManagerTest, ALoadedSampleIsNotReadAgainWhileItStaysCached)
{
    fs.add("sound/click.wav", click(10));
    EXPECT_TRUE(sounds.preloadAudioSample("sound/click.wav"));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 1);
    EXPECT_EQ(sounds.playSoundByName(nullptr, "SOUND/Click.wav", 0, 255, 0, true), 1);
    EXPECT_TRUE(sounds.preloadAudioSample("sound/CLICK.WAV")) << "a cached name is found in any case";
    EXPECT_EQ(fs.openCount("sound/click.wav"), 1);

    // After unloading, the next play reads the file afresh.
    mixer.shutdownStreamingAudioSource();
    sounds.unloadAudioSample("Sound/Click.wav");
    EXPECT_EQ(sounds.m_findAudioSample("sound/click.wav"), nullptr);
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 1);
    EXPECT_EQ(fs.openCount("sound/click.wav"), 2);
}

// Freeing a sample stops the voices that play it first (paused ones too),
// so the audio thread never mixes freed memory; other sounds play on.
TEST_F(SoundManagerTest, FreeingASampleStopsEveryVoiceThatPlaysIt)
{
    fs.add("sound/loop.wav", click(16, 2000));
    fs.add("sound/other.wav", click(16, 1000));
    const int32_t other = (1000 * 255) >> 8;
    for (const bool shutdown : {false, true}) {
        SCOPED_TRACE(shutdown ? "shutdownSoundManager" : "unloadAudioSample");
        ASSERT_TRUE(sounds.initSoundManager(&fs, &mixer, 2, 16, kRate));
        int voices[3] = {-1, -1, -1};
        ASSERT_EQ(sounds.playSoundByName(&voices[0], "sound/loop.wav", -1, 255, 0, true), 1);
        ASSERT_EQ(sounds.playSoundByName(&voices[1], "sound/other.wav", -1, 255, 0, true), 1);
        ASSERT_EQ(sounds.playSoundByName(&voices[2], "sound/loop.wav", -1, 255, 0, true), 1);
        sounds.pauseSound(voices[2], true);
        const void* loop = sounds.m_findAudioSample("sound/loop.wav")->data;
        const void* played = sounds.m_findAudioSample("sound/other.wav")->data;
        ASSERT_TRUE(mixer.isUsingSampleData(loop));

        if (shutdown)
            sounds.shutdownSoundManager();
        else
            sounds.unloadAudioSample("sound/loop.wav");
        EXPECT_FALSE(mixer.isUsingSampleData(loop)) << "no voice holds the freed data";
        EXPECT_EQ(mixer.isUsingSampleData(played), !shutdown);
        sounds.pauseSound(voices[2], false);
        const std::vector<int16_t> expected(8, static_cast<int16_t>(shutdown ? 0 : other));
        EXPECT_EQ(mix(4), expected);
        mixer.shutdownStreamingAudioSource();
        sounds.shutdownSoundManager();
    }
}

TEST_F(SoundManagerTest, ANameLongerThanASlotHoldsIsFoundUnderItsStoredPrefix)
{
    const std::string name = "sound/" + std::string(190, 'a') + ".wav";
    fs.add(name, click(10));
    EXPECT_EQ(sounds.playSoundByName(nullptr, name.c_str(), 0, 255, 0, true), 1);
    EXPECT_EQ(sounds.playSoundByName(nullptr, name.c_str(), 0, 255, 0, true), 1);
    EXPECT_TRUE(sounds.preloadAudioSample(name.c_str()));
    EXPECT_EQ(fs.openCount(name), 1) << "the file is read once, into one slot";
    EXPECT_NE(sounds.m_findAudioSample(name.c_str()), nullptr);
    EXPECT_NE(sounds.m_findAudioSample(name.substr(0, 127).c_str()), nullptr);
}

TEST_F(SoundManagerTest, AFullCacheRefusesTheSixtyFifthSoundAndKeepsNothingOfIt)
{
    DiagnosticRecorder diagnostics;
    for (int i = 0; i <= HSoundManager::kNumSlots; ++i)
        fs.add("sound/s" + std::to_string(i) + ".wav", click(4));
    for (int i = 0; i < HSoundManager::kNumSlots; ++i)
        ASSERT_TRUE(sounds.preloadAudioSample(("sound/s" + std::to_string(i) + ".wav").c_str())) << i;
    EXPECT_EQ(diagnostics.count("couldn't find a free slot"), 0);

    // The 65th decodes, finds no slot and is freed again (the leak checker
    // of the asan build would see it otherwise); nothing plays.
    EXPECT_FALSE(sounds.preloadAudioSample("sound/s64.wav"));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/s64.wav", 0, 255, 0, true), 0);
    EXPECT_EQ(diagnostics.count("m_storeAudioBufferTemplate - couldn't find a free slot"), 2);
    EXPECT_EQ(sounds.m_findAudioSample("sound/s64.wav"), nullptr);
    EXPECT_EQ(mix(4), std::vector<int16_t>(8, 0));

    // A freed slot takes it.
    sounds.unloadAudioSample("sound/s10.wav");
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/s64.wav", 0, 255, 0, true), 1);
    EXPECT_NE(sounds.m_findAudioSample("sound/s64.wav"), nullptr);
}

TEST_F(SoundManagerTest, TheLoaderIsChosenByACaseSensitiveExtensionInTheName)
{
    const Bytes wav = click(4);
    const Bytes ogg = OggFixtures::vorbis(OggFixtures::tone(2000, 1, kRate, 400), 1, kRate);
    struct Case {
        const char* name;
        Bytes file;
        bool loads;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"sound/a.ogg.wav", wav, true, ""},
        {"sound/b.wav.ogg", wav, true, ""},        // ".wav" wins wherever it stands
        {"sound/c.ogg", ogg, true, ""},
        {"sound/d.ogg", wav, false, "file 'sound/d.ogg' is not Ogg Vorbis"},
        {"sound/e.WAV", wav, false, "loadAudioSample - unknown file type for file 'sound/e.WAV'"},
        {"sound/f", wav, false, "unknown file type for file 'sound/f'"},
        {"sound/missing.wav", {}, false, ""},
    };
    for (const Case& c : cases) {
        if (!c.file.empty())
            fs.add(c.name, c.file);
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosticRecorder diagnostics;
        EXPECT_EQ(sounds.preloadAudioSample(c.name), c.loads);
        EXPECT_EQ(sounds.m_findAudioSample(c.name) != nullptr, c.loads);
        if (c.message[0] != '\0') {
            EXPECT_EQ(diagnostics.count(c.message), 1);
        }
        EXPECT_EQ(diagnostics.count("...loading sound '" + std::string(c.name) + "'"), 1);
    }
    // A failed load caches nothing: the next try reads the file again.
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/d.ogg", 0, 255, 0, true), 0);
    EXPECT_EQ(fs.openCount("sound/d.ogg"), 2);
    fs.add("sound/missing.wav", wav);
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/missing.wav", 0, 255, 0, true), 1);
}

TEST_F(SoundManagerTest, OverlapDecidesWhetherAPlayingSoundStartsAgain)
{
    fs.add("sound/long.wav", click(5000));
    int first = -1;
    int second = -1;
    EXPECT_EQ(sounds.playSoundByName(&first, "sound/long.wav", 0, 255, 0, false), 1);
    EXPECT_EQ(first, 0);
    EXPECT_TRUE(sounds.m_soundIsPlaying("SOUND/LONG.WAV"));
    EXPECT_EQ(sounds.playSoundByName(&second, "sound/long.wav", 0, 255, 0, false), 0);
    EXPECT_EQ(second, -1) << "nothing started";
    EXPECT_EQ(sounds.playSoundByName(&second, "sound/long.wav", 0, 255, 0, true), 1);
    EXPECT_EQ(second, 1);

    // Both mixed at full scale, (1000 x 255) >> 8 each.
    EXPECT_EQ(mix(1), (std::vector<int16_t>{2 * 996, 2 * 996}));
    sounds.setSoundVolume(second, 0);
    EXPECT_EQ(mix(1), (std::vector<int16_t>{996, 996}));
    sounds.pauseSound(first, true);
    EXPECT_EQ(mix(1), (std::vector<int16_t>{0, 0}));
    sounds.stopSound(first);
    sounds.stopSound(second);
    EXPECT_FALSE(sounds.m_soundIsPlaying("sound/long.wav"));
    EXPECT_EQ(sounds.playSoundByName(&first, "sound/long.wav", 0, 255, 0, false), 1);
}

TEST_F(SoundManagerTest, AFullMixerStillCountsAsPlayed)
{
    fs.add("sound/long.wav", click(5000));
    for (int i = 0; i < Mixer::kNumVoices; ++i)
        EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/long.wav", -1, 255, 0, true), 1);
    int voice = -7;
    EXPECT_EQ(sounds.playSoundByName(&voice, "sound/long.wav", -1, 255, 0, true), 1);
    EXPECT_EQ(voice, -7);
    // A sample the mixer refuses (8 bits into a 16-bit mixer) likewise.
    HSoundManager eightBit;
    ASSERT_TRUE(eightBit.initSoundManager(&fs, &mixer, 2, 8, kRate));
    EXPECT_EQ(eightBit.playSoundByName(nullptr, "sound/long.wav", 0, 255, 0, true), 1);
    eightBit.shutdownSoundManager();
}

TEST(SoundManager, NothingLoadsOrPlaysUninitialisedOrAfterShutdown)
{
    MemoryFileSystem fs;
    fs.add("sound/click.wav", click(10));
    Mixer mixer;
    mixer.configureStreamingAudioSource(2, 16, kRate);
    HSoundManager sounds;
    EXPECT_FALSE(sounds.preloadAudioSample("sound/click.wav"));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 0);
    sounds.stopSound(0); // no mixer: nothing happens

    ASSERT_TRUE(sounds.initSoundManager(&fs, nullptr, 2, 16, kRate));
    EXPECT_TRUE(sounds.preloadAudioSample("sound/click.wav"));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 0) << "no mixer";

    ASSERT_TRUE(sounds.initSoundManager(&fs, &mixer, 2, 16, kRate));
    EXPECT_EQ(sounds.playSoundByName(nullptr, nullptr, 0, 255, 0, true), 0);
    EXPECT_FALSE(sounds.preloadAudioSample(nullptr));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 1);

    mixer.shutdownStreamingAudioSource();
    sounds.shutdownSoundManager();
    EXPECT_EQ(sounds.m_findAudioSample("sound/click.wav"), nullptr) << "every slot freed";
    EXPECT_FALSE(sounds.preloadAudioSample("sound/click.wav"));
    EXPECT_EQ(sounds.playSoundByName(nullptr, "sound/click.wav", 0, 255, 0, true), 0);
    EXPECT_EQ(fs.openCount("sound/click.wav"), 1);
}

} // namespace
