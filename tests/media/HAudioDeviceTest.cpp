// The audio devices through SDL's own drivers: the factory's choice by
// "c_soundDriver", the buffer SDL asks to have filled in each format, the
// mixer pulled on SDL's audio thread (dummy driver), a played sample in the
// file of the disk driver, and the failures. Tests that need another driver
// than the dummy one run in a child process.
#include "engine/core/HCvarManager.h"
#include "engine/media/HAudioDevice.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HSDLAudioDevice.h"
#include "engine/media/HSoundManager.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/RecordingAudioSource.h"
#include "tests/support/TempDir.h"
#include "tests/support/WavFixtures.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kRate = 22050;
using Mixer = HAudioMixerStreamingAudioSource;

class Cvars {
public:
    Cvars() { EXPECT_TRUE(m_cvars.initCvarManager()); }
    ~Cvars() { m_cvars.shutdownCvarManager(); }
    HCvarManager* withDriver(const char* driver)
    {
        if (driver)
            m_cvars.addVariable("c_soundDriver", driver, 0);
        return &m_cvars;
    }

private:
    HCvarManager m_cvars;
};

TEST(AudioDeviceFactory, NullInAnyCaseGivesTheSilentDeviceWhichNeverCallsBack)
{
    for (const char* value : {"null", "NULL", "nUlL"}) {
        SCOPED_TRACE(value);
        Cvars cvars;
        RecordingAudioSource silent;
        HAudioDevice* device = HAudioDevice::s_createAudioDevice(cvars.withDriver(value), &silent, 2, 16, kRate);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->getNumChannels(), 0) << "the silent device records no format";
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u) << "and opens nothing";
        device->suspendAudioDevice();
        device->resumeAudioDevice();

        // Meanwhile a real device pulls its own source a few times: the
        // silent device's source has still never been read.
        RecordingAudioSource pulled;
        HAudioDevice* sdl = HAudioDevice::s_createAudioDevice(nullptr, &pulled, 2, 16, kRate);
        ASSERT_NE(sdl, nullptr);
        EXPECT_TRUE(pulled.waitForChunks(3));
        HAudioDevice::s_destroyAudioDevice(sdl);
        HAudioDevice::s_destroyAudioDevice(device);
        EXPECT_EQ(silent.chunks(), 0);
    }
}

TEST(AudioDeviceFactory, AnythingElseGivesTheSDLDevice)
{
    struct Case {
        const char* name;
        const char* value; // null: the variable is not there
        bool manager;
    };
    const Case cases[] = {
        {"default", "default", true}, {"sdl", "sdl", true},  {"a prefix of null", "nul", true},
        {"null and a blank", "null ", true}, {"empty", "", true}, {"no variable", nullptr, true},
        {"no manager", nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Cvars cvars;
        RecordingAudioSource source;
        HCvarManager* manager = c.manager ? cvars.withDriver(c.value) : nullptr;
        HAudioDevice* device = HAudioDevice::s_createAudioDevice(manager, &source, 2, 16, kRate);
        ASSERT_NE(device, nullptr);
        EXPECT_EQ(device->getNumChannels(), 2);
        EXPECT_EQ(device->getBitsPerSample(), 16);
        EXPECT_EQ(device->getSampleRate(), kRate);
        EXPECT_NE(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        EXPECT_TRUE(source.waitForChunks(1)) << "SDL calls back once the device is open";
        HAudioDevice::s_destroyAudioDevice(device);
        // Closed: audio shut down again, and no timer subsystem was ever
        // started.
        EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
        EXPECT_EQ(SDL_WasInit(SDL_INIT_TIMER), 0u);
    }
    HAudioDevice::s_destroyAudioDevice(nullptr);
}

TEST(SDLAudioDevice, AsksForABufferSizedByTheRateInItsOwnFormat)
{
    struct Case {
        int channels;
        int bits;
        int rate;
        int bytes; // per callback
    };
    const Case cases[] = {
        {2, 16, 22050, 4096}, // the framework's format: 1024 frames
        {2, 8, 22050, 2048},  // unsigned 8-bit
        {2, 24, 22050, 4096}, // anything but 8 opens 16-bit output
        {1, 16, 11025, 1024}, {1, 8, 8000, 512},   {2, 16, 11026, 4096},
        {2, 16, 44100, 8192}, {2, 16, 48000, 16384},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels, " << c.bits << " bits, " << c.rate << " Hz");
        RecordingAudioSource source;
        HAudioDevice* device = HAudioDevice::s_createAudioDevice(nullptr, &source, c.channels, c.bits, c.rate);
        ASSERT_NE(device, nullptr);
        EXPECT_TRUE(source.waitForChunks(2));
        HAudioDevice::s_destroyAudioDevice(device);
        for (int length : source.lengths())
            EXPECT_EQ(length, c.bytes);
    }
    struct Frames {
        int rate;
        int frames;
    };
    for (const Frames f : {Frames{8000, 512}, Frames{11025, 512}, Frames{11026, 1024}, Frames{22050, 1024},
                           Frames{22051, 2048}, Frames{44100, 2048}, Frames{44101, 4096}, Frames{48000, 4096}})
        EXPECT_EQ(HSDLAudioDevice::s_framesPerCallback(f.rate), f.frames) << f.rate;
}

TEST(SDLAudioDevice, RefusesANullSourceAndClosesWhenDeletedOpen)
{
    EXPECT_EQ(HAudioDevice::s_createAudioDevice(nullptr, nullptr, 2, 16, kRate), nullptr);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);

    RecordingAudioSource source;
    HSDLAudioDevice* device = new HSDLAudioDevice();
    ASSERT_TRUE(device->m_createAudioDevice(&source, 2, 16, kRate));
    EXPECT_EQ(device->getSource(), &source);
    EXPECT_TRUE(source.waitForChunks(1));
    delete device;
    EXPECT_EQ(SDL_WasInit(SDL_INIT_AUDIO), 0u);
}

// The mixer as the framework sets it up, with sounds loaded through the
// sound manager and an SDL device pulling it through a recorder.
class MixerOnDevice : public testing::Test {
protected:
    void SetUp() override
    {
        mixer.configureStreamingAudioSource(2, 16, kRate);
        ASSERT_TRUE(sounds.initSoundManager(&fs, &mixer, 2, 16, kRate));
    }
    void TearDown() override
    {
        // The framework's order: the device first, then the voices' data.
        HAudioDevice::s_destroyAudioDevice(device);
        mixer.shutdownStreamingAudioSource();
        sounds.shutdownSoundManager();
    }

    MemoryFileSystem fs;
    Mixer mixer;
    HSoundManager sounds;
    RecordingAudioSource recorder{&mixer};
    HAudioDevice* device = nullptr;
};

TEST_F(MixerOnDevice, TheDummyDriverPullsChunksFromTheMixer)
{
    fs.add("sound/short.wav", WavFixtures::wav(1, 16, kRate, WavFixtures::pcm16(std::vector<int16_t>(300, 500))));
    ASSERT_EQ(sounds.playSoundByName(nullptr, "sound/short.wav", 0, 255, 0, false), 1);
    ASSERT_TRUE(sounds.m_soundIsPlaying("sound/short.wav"));
    device = HAudioDevice::s_createAudioDevice(nullptr, &recorder, 2, 16, kRate);
    ASSERT_NE(device, nullptr);
    // The 300 frames end within the first chunk the device mixes.
    ASSERT_TRUE(recorder.waitForChunks(2));
    EXPECT_FALSE(sounds.m_soundIsPlaying("sound/short.wav"));
}

// Sounds started, stopped and unloaded on this thread while SDL's audio
// thread mixes them: meant for the thread sanitizer as much as for the
// result. Stopping a voice before its data is freed is what keeps the
// threads apart.
TEST_F(MixerOnDevice, SoundsStartAndStopWhileTheAudioThreadMixes)
{
    const char* names[] = {"sound/a.wav", "sound/b.wav", "sound/c.wav"};
    for (int i = 0; i < 3; ++i)
        fs.add(names[i], WavFixtures::wav(i == 1 ? 2 : 1, i == 2 ? 8 : 16, kRate,
                                          Bytes(static_cast<size_t>(3000 + 1000 * i), 0x30)));
    device = HAudioDevice::s_createAudioDevice(nullptr, &recorder, 2, 16, kRate);
    ASSERT_NE(device, nullptr);
    for (int round = 0; round < 60; ++round) {
        int voice = -1;
        EXPECT_EQ(sounds.playSoundByName(&voice, names[round % 3], round % 4 == 0 ? -1 : 0, 200, 0, true), 1);
        if (round % 5 == 4) {
            // Asks the mixer about the voices without a break until the
            // audio thread has mixed another chunk, so that the two threads
            // really overlap.
            const int target = recorder.chunks() + 1;
            for (int spins = 0; recorder.chunks() < target && spins < 100000000; ++spins)
                sounds.m_soundIsPlaying(names[spins % 3]);
            ASSERT_TRUE(recorder.waitForChunks(target));
        }
        if (round % 10 == 9) {
            for (int v = 0; v < Mixer::kNumVoices; ++v)
                sounds.stopSound(v);
            EXPECT_FALSE(sounds.m_soundIsPlaying(names[round % 3]));
            sounds.unloadAudioSample(names[round % 3]);
        }
    }
    ASSERT_TRUE(recorder.waitForChunks(recorder.chunks() + 2));
}

TEST(SDLAudioDevice, ABogusDriverMakesTheFactoryFail)
{
    const ChildResult r = runInChild([] {
        setenv("SDL_AUDIODRIVER", "bogus", 1);
        RecordingAudioSource source;
        HAudioDevice* device = HAudioDevice::s_createAudioDevice(nullptr, &source, 2, 16, kRate);
        if (device)
            _exit(2);
        _exit(SDL_WasInit(SDL_INIT_AUDIO) == 0 ? 0 : 3);
    });
    EXPECT_TRUE(r.exited);
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    // SDL initialises audio without a driver and refuses only the opening,
    // which the device does not report.
    EXPECT_EQ(r.out, "");
}

// The value the disk driver's file holds for a sample value through the
// loader (8 to 16 bits) and the mixer's volume, on both channels.
int16_t mixed(uint8_t u, int volume)
{
    const int32_t m = static_cast<int32_t>(u) - 128;
    const int32_t v = m >= 0 ? m * 257 : m * 255;
    return static_cast<int16_t>((v * volume) >> 8);
}

TEST(SDLAudioDevice, APlayedSampleReachesTheDiskDriversFileAsTheMixerComputesIt)
{
    constexpr int kFrames = 1500; // across the first two callbacks of 1024 frames
    constexpr int kVolume = 200;
    constexpr size_t kChunkBytes = 4096;
    Bytes pcm(kFrames);
    for (int i = 0; i < kFrames; ++i)
        pcm[static_cast<size_t>(i)] = static_cast<uint8_t>(i == 0 ? 255 : (i * 37) % 256);

    TempDir dir;
    const std::string output = dir.file("out.raw");
    const ChildResult r = runInChild([&] {
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", output.c_str(), 1);
        setenv("SDL_DISKAUDIODELAY", "1", 1);
        MemoryFileSystem fs;
        fs.add("sound/ramp.wav", WavFixtures::wav(1, 8, kRate, pcm));
        Mixer mixer;
        mixer.configureStreamingAudioSource(2, 16, kRate);
        HSoundManager sounds;
        sounds.initSoundManager(&fs, &mixer, 2, 16, kRate);
        if (sounds.playSoundByName(nullptr, "sound/ramp.wav", 0, kVolume, 0, false) != 1)
            _exit(2);
        RecordingAudioSource recorder(&mixer);
        HAudioDevice* device = HAudioDevice::s_createAudioDevice(nullptr, &recorder, 2, 16, kRate);
        if (!device)
            _exit(3);
        const bool pulled = recorder.waitForChunks(4);
        HAudioDevice::s_destroyAudioDevice(device);
        mixer.shutdownStreamingAudioSource();
        sounds.shutdownSoundManager();
        _exit(pulled ? 0 : 4);
    });
    ASSERT_TRUE(r.exited);
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;

    const std::string raw = readFileBytes(output);
    ASSERT_EQ(raw.size() % kChunkBytes, 0u);
    // The output thread may write a few silent buffers before playback
    // resumes; the first sound starts a buffer.
    size_t start = 0;
    while (start < raw.size() && raw.compare(start, kChunkBytes, std::string(kChunkBytes, '\0')) == 0)
        start += kChunkBytes;
    ASSERT_GE(raw.size() - start, 3 * kChunkBytes) << "the sample's two buffers and one after them";
    std::vector<int16_t> got((raw.size() - start) / 2);
    std::memcpy(got.data(), raw.data() + start, got.size() * 2);
    std::vector<int16_t> expected(got.size(), 0);
    for (int i = 0; i < kFrames; ++i) {
        expected[2 * static_cast<size_t>(i)] = mixed(pcm[static_cast<size_t>(i)], kVolume);
        expected[2 * static_cast<size_t>(i) + 1] = mixed(pcm[static_cast<size_t>(i)], kVolume);
    }
    EXPECT_EQ(got, expected);
}

} // namespace
