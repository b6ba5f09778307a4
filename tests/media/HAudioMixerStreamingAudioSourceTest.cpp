// The software mixer: the volume formula, looping, the refusals of
// playSample, clamping, muting, the music layer and the formats it mixes,
// driven through readNextChunk with a scripted music stream.
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/core/PTL.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HCompressedAudioStream.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Mixer = HAudioMixerStreamingAudioSource;
constexpr int kRate = 22050;

// Music that delivers the values 1, 2, 3, ... (times `step`), as many bytes
// as asked unless `limit` says fewer, and records every request.
class ScriptedMusic : public HCompressedAudioStream {
public:
    explicit ScriptedMusic(int channels, int16_t step = 1) : m_step(step) { m_iNumChannels = channels; }

    bool initStreamingAudioSource() override { return true; }
    void shutdownStreamingAudioSource() override {}
    void rewindAudioStream() override { next = 0; }
    int getUncompressedSizeInBytes() override { return 0; }
    int readNextChunk(void* buffer, int length) override
    {
        requests.push_back(length);
        const int bytes = limit >= 0 && limit < length ? limit : length;
        int16_t* out = static_cast<int16_t*>(buffer);
        for (int i = 0; i < bytes / 2; ++i)
            out[i] = static_cast<int16_t>(++next * m_step);
        return bytes;
    }

    std::vector<int> requests;
    int limit = -1;
    int next = 0;

private:
    int16_t m_step;
};

// Sample data in a heap block of exactly its size, so that a read past the
// end shows under the address sanitizer.
struct Sample16 {
    Sample16(std::vector<int16_t> values, int channels, int rate = kRate) : pcm(std::move(values))
    {
        record = HAudioSample{reinterpret_cast<uint8_t*>(pcm.data()), channels, 16, rate,
                              static_cast<int32_t>(pcm.size() * 2)};
    }
    std::vector<int16_t> pcm;
    HAudioSample record;
};

struct Sample8 {
    Sample8(std::vector<uint8_t> values, int channels, int rate = kRate) : pcm(std::move(values))
    {
        record = HAudioSample{pcm.data(), channels, 8, rate, static_cast<int32_t>(pcm.size())};
    }
    std::vector<uint8_t> pcm;
    HAudioSample record;
};

// `frames` stereo 16-bit frames, left and right interleaved.
std::vector<int16_t> mix16(Mixer& mixer, int frames)
{
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2, 0x5A5A);
    EXPECT_EQ(mixer.readNextChunk(out.data(), frames * 4), frames * 4);
    return out;
}

std::vector<uint8_t> mix8(Mixer& mixer, int bytes)
{
    std::vector<uint8_t> out(static_cast<size_t>(bytes), 0x5A);
    EXPECT_EQ(mixer.readNextChunk(out.data(), bytes), bytes);
    return out;
}

// Left and right of each mono value.
std::vector<int16_t> bothSides(const std::vector<int16_t>& mono)
{
    std::vector<int16_t> out;
    for (int16_t v : mono) {
        out.push_back(v);
        out.push_back(v);
    }
    return out;
}

class MixerTest : public testing::Test {
protected:
    void SetUp() override { mixer.configureStreamingAudioSource(2, 16, kRate); }
    Mixer mixer;
};

TEST(HAudioMixer, TheVolumeFormulaIsAShiftBy8)
{
    const std::vector<int16_t> values16 = {32767, -32768, 1000, -1, 255};
    const std::vector<uint8_t> values8 = {255, 0, 200, 127, 128};
    for (const int volume : {0, 128, 255}) {
        SCOPED_TRACE(testing::Message() << "volume " << volume);
        std::vector<int16_t> expected16;
        for (int16_t v : values16)
            expected16.push_back(static_cast<int16_t>((v * volume) >> 8));
        std::vector<uint8_t> expected8;
        for (uint8_t u : values8)
            expected8.push_back(static_cast<uint8_t>(128 + (((u - 128) * volume) >> 8)));

        // Stereo 16-bit mixer: a mono sample sounds on both sides, a stereo
        // one on its own.
        Mixer stereo16;
        stereo16.configureStreamingAudioSource(2, 16, kRate);
        Sample16 mono(values16, 1);
        ASSERT_EQ(stereo16.playSample(nullptr, &mono.record, volume, 0, 0), 0);
        EXPECT_EQ(mix16(stereo16, 5), bothSides(expected16));
        Sample16 pair({values16[0], values16[1], values16[2], values16[3]}, 2);
        ASSERT_EQ(stereo16.playSample(nullptr, &pair.record, volume, 0, 0), 0);
        EXPECT_EQ(mix16(stereo16, 2), std::vector<int16_t>(expected16.begin(), expected16.begin() + 4));

        Mixer mono8;
        mono8.configureStreamingAudioSource(1, 8, kRate);
        Sample8 sample8(values8, 1);
        ASSERT_EQ(mono8.playSample(nullptr, &sample8.record, volume, 0, 0), 0);
        EXPECT_EQ(mix8(mono8, 5), expected8);

        Mixer stereo8;
        stereo8.configureStreamingAudioSource(2, 8, kRate);
        Sample8 monoOn8(values8, 1);
        ASSERT_EQ(stereo8.playSample(nullptr, &monoOn8.record, volume, 0, 0), 0);
        std::vector<uint8_t> doubled;
        for (uint8_t e : expected8)
            doubled.insert(doubled.end(), {e, e});
        EXPECT_EQ(mix8(stereo8, 10), doubled);
        Sample8 pair8({values8[0], values8[1], values8[2], values8[3]}, 2);
        ASSERT_EQ(stereo8.playSample(nullptr, &pair8.record, volume, 0, 0), 0);
        EXPECT_EQ(mix8(stereo8, 4), std::vector<uint8_t>(expected8.begin(), expected8.begin() + 4));
    }
}

TEST_F(MixerTest, TheLoopCountSaysHowOftenASamplePlays)
{
    const std::vector<int16_t> values = {100, 200, 300};
    struct Case {
        int loopCount;
        int plays; // -1: still playing at the end
    };
    for (const Case c : {Case{0, 1}, Case{2, 3}, Case{-1, -1}}) {
        SCOPED_TRACE(testing::Message() << "loop count " << c.loopCount);
        Sample16 sample(values, 1);
        int voice = -7;
        ASSERT_EQ(mixer.playSample(&voice, &sample.record, 255, 0, c.loopCount), 0);
        EXPECT_EQ(voice, 0);
        const int frames = 3 * 40;
        const std::vector<int16_t> out = mix16(mixer, frames);
        for (int f = 0; f < frames; ++f) {
            const bool sounding = c.plays < 0 || f < 3 * c.plays;
            const int16_t expected = sounding ? static_cast<int16_t>((values[size_t(f % 3)] * 255) >> 8) : 0;
            ASSERT_EQ(out[size_t(2 * f)], expected) << "frame " << f;
        }
        EXPECT_EQ(mixer.isUsingSampleData(sample.record.data), c.plays < 0) << "a finished voice is free";
        mixer.stopSample(voice);
    }
}

TEST_F(MixerTest, PlaySampleRefusesWhatDoesNotFitTheMixer)
{
    const std::vector<int16_t> values = {1000, 2000, 3000, 4000};
    struct Case {
        const char* what;
        HAudioSample sample;
        int loopCount;
        bool nullSample;
    };
    std::vector<int16_t> pcm = values;
    uint8_t* data = reinterpret_cast<uint8_t*>(pcm.data());
    const Case cases[] = {
        {"no sample", {}, 0, true},
        {"loop count below -1", {data, 1, 16, kRate, 8}, -2, false},
        {"8 bits on a 16-bit mixer", {data, 1, 8, kRate, 8}, 0, false},
        {"more channels than the mixer", {data, 3, 16, kRate, 8}, 0, false},
        {"another rate", {data, 1, 16, 11025, 8}, 0, false},
        {"no data", {nullptr, 1, 16, kRate, 8}, 0, false},
        {"no channels", {data, 0, 16, kRate, 8}, 0, false},
        {"empty", {data, 1, 16, kRate, 0}, 0, false},
        {"half a value", {data, 1, 16, kRate, 1}, 0, false},
        {"one value of a stereo frame", {data, 2, 16, kRate, 2}, 0, false},
        {"negative size", {data, 1, 16, kRate, -4}, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        int voice = -7;
        EXPECT_EQ(mixer.playSample(&voice, c.nullSample ? nullptr : &c.sample, 255, 0, c.loopCount), -2);
        EXPECT_EQ(voice, -7) << "nothing written";
        EXPECT_FALSE(mixer.isUsingSampleData(data));
        EXPECT_EQ(mix16(mixer, 4), std::vector<int16_t>(8, 0)) << "nothing sounds";
    }
    // The loop count -1 and a single frame are the limits that are taken.
    Sample16 oneFrame({1000, 2000}, 2);
    int voice = -7;
    EXPECT_EQ(mixer.playSample(&voice, &oneFrame.record, 255, 0, -1), 0);
    EXPECT_EQ(voice, 0) << "the refusals used no voice";
}

TEST_F(MixerTest, ASampleAtAnotherRateIsTraced)
{
    TempDir dir;
    HStandardFileSystem traceFs;
    traceFs.initFileSystem(dir.path().c_str());
    HFile* trace = traceFs.openFileForWrite("trace.txt");
    ASSERT_NE(trace, nullptr);
    HPlatform::s_setTraceFile(trace);
    Sample16 slow({1, 2}, 1, 11025);
    EXPECT_EQ(mixer.playSample(nullptr, &slow.record, 255, 0, 0), -2);
    HPlatform::s_setTraceFile(nullptr);
    trace->close();
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")),
              "HAudioMixerStreamingAudioSource::playSample - the sample's rate is 11025 Hz, not 22050 Hz\n");
}

TEST_F(MixerTest, OnlyWholeFramesOfASampleArePlayed)
{
    // Three values of a stereo sample: one frame and a stray value that a
    // second frame would read past the end of the data.
    Sample16 odd({8000, -8000, 1234}, 2);
    ASSERT_EQ(mixer.playSample(nullptr, &odd.record, 255, 0, -1), 0);
    const int16_t l = (8000 * 255) >> 8;
    const int16_t r = (-8000 * 255) >> 8;
    EXPECT_EQ(mix16(mixer, 3), std::vector<int16_t>({l, r, l, r, l, r}));

    Mixer stereo8;
    stereo8.configureStreamingAudioSource(2, 8, kRate);
    Sample8 odd8({255, 0, 77}, 2);
    ASSERT_EQ(stereo8.playSample(nullptr, &odd8.record, 255, 0, -1), 0);
    const uint8_t l8 = 128 + ((127 * 255) >> 8);
    const uint8_t r8 = 128 + ((-128 * 255) >> 8);
    EXPECT_EQ(mix8(stereo8, 6), std::vector<uint8_t>({l8, r8, l8, r8, l8, r8}));
}

TEST_F(MixerTest, ANinthSampleFindsNoVoice)
{
    std::vector<Sample16> samples;
    for (int i = 0; i < 9; ++i)
        samples.emplace_back(std::vector<int16_t>{int16_t(100 * (i + 1)), int16_t(100 * (i + 1))}, 1);
    for (int i = 0; i < 8; ++i) {
        int voice = -7;
        ASSERT_EQ(mixer.playSample(&voice, &samples[size_t(i)].record, 255, 0, -1), 0);
        EXPECT_EQ(voice, i) << "the lowest free voice";
    }
    mixer.pauseSample(7, true); // a paused voice still holds its sample
    DiagnosticRecorder diagnostics;
    int voice = -7;
    EXPECT_EQ(mixer.playSample(&voice, &samples[8].record, 255, 0, 0), -1);
    EXPECT_EQ(voice, -7);
    EXPECT_EQ(diagnostics.messages(),
              std::vector<std::string>{"*WARNING* HAudioMixerStreamingAudioSource::playSample - out of voices\n"});
    EXPECT_FALSE(mixer.isUsingSampleData(samples[8].record.data));
    int sum = 0;
    for (int i = 0; i < 7; ++i)
        sum += (100 * (i + 1) * 255) >> 8;
    EXPECT_EQ(mix16(mixer, 1), std::vector<int16_t>({int16_t(sum), int16_t(sum)})) << "voices 0-6 unchanged";

    mixer.stopSample(3);
    EXPECT_FALSE(mixer.isUsingSampleData(samples[3].record.data));
    EXPECT_EQ(mixer.playSample(&voice, &samples[8].record, 255, 0, 0), 0);
    EXPECT_EQ(voice, 3);
}

TEST(HAudioMixer, SumsAreClampedOnceAfterAllVoices)
{
    // Two voices up and one down: clamping after every voice would lose the
    // first excess and end far too low.
    Mixer stereo16;
    stereo16.configureStreamingAudioSource(2, 16, kRate);
    Sample16 up({30000}, 1);
    Sample16 up2({30000}, 1);
    Sample16 down({-30000}, 1);
    for (Sample16* s : {&up, &up2, &down})
        ASSERT_EQ(stereo16.playSample(nullptr, &s->record, 255, 0, 2), 0);
    const int16_t one = (30000 * 255) >> 8;
    const int16_t minusOne = (-30000 * 255) >> 8;
    EXPECT_EQ(mix16(stereo16, 1), std::vector<int16_t>({int16_t(one + one + minusOne), int16_t(one + one + minusOne)}));
    stereo16.stopSample(2);
    EXPECT_EQ(mix16(stereo16, 1), std::vector<int16_t>({32767, 32767})) << "clipped, not wrapped";
    Sample16 low({-30000}, 1);
    Sample16 low2({-30000}, 1);
    stereo16.shutdownStreamingAudioSource();
    for (Sample16* s : {&low, &low2})
        ASSERT_EQ(stereo16.playSample(nullptr, &s->record, 255, 0, 0), 0);
    EXPECT_EQ(mix16(stereo16, 1), std::vector<int16_t>({-32768, -32768}));

    Mixer mono8;
    mono8.configureStreamingAudioSource(1, 8, kRate);
    Sample8 high({255}, 1);
    Sample8 high2({255}, 1);
    Sample8 bottom({0}, 1);
    for (Sample8* s : {&high, &high2, &bottom})
        ASSERT_EQ(mono8.playSample(nullptr, &s->record, 255, 0, 1), 0);
    const int h = (127 * 255) >> 8;
    const int b = (-128 * 255) >> 8;
    EXPECT_EQ(mix8(mono8, 1), std::vector<uint8_t>({uint8_t(128 + h + h + b)}));
    mono8.stopSample(2);
    EXPECT_EQ(mix8(mono8, 1), std::vector<uint8_t>({255}));
}

TEST(HAudioMixer, SilenceIsZeroIn16BitsAnd128In8Bits)
{
    struct Case {
        int channels;
        int bits;
        uint8_t silence;
    };
    for (const Case c : {Case{2, 16, 0}, Case{1, 8, 128}, Case{2, 8, 128}}) {
        SCOPED_TRACE(testing::Message() << c.channels << " channels " << c.bits << " bits");
        Mixer mixer;
        mixer.configureStreamingAudioSource(c.channels, c.bits, kRate);
        EXPECT_EQ(mix8(mixer, 4096), std::vector<uint8_t>(4096, c.silence));
    }
}

TEST_F(MixerTest, AMutedMixerIsSilentButGoesOn)
{
    ScriptedMusic music(2);
    mixer.playCompressedAudioStream(nullptr, &music, 255);
    Sample16 ramp({10, 20, 30, 40, 50, 60}, 1);
    mixer.mute(true);
    EXPECT_TRUE(mixer.isMuted());
    ASSERT_EQ(mixer.playSample(nullptr, &ramp.record, 255, 0, 0), 0);
    EXPECT_EQ(mix16(mixer, 2), std::vector<int16_t>(4, 0));
    mixer.mute(false);
    // Two frames of voice and four values of music went by while muted.
    const std::vector<int16_t> out = mix16(mixer, 1);
    EXPECT_EQ(out[0], ((5 * 255) >> 8) + ((30 * 255) >> 8));
    EXPECT_EQ(out[1], ((6 * 255) >> 8) + ((30 * 255) >> 8));
}

TEST_F(MixerTest, VoiceControlsActOnOneVoice)
{
    Sample16 ramp({100, 200, 300, 400}, 1);
    int voice = -1;
    ASSERT_EQ(mixer.playSample(&voice, &ramp.record, 255, 0, -1), 0);
    const auto level = [](int v, int volume) { return int16_t((v * volume) >> 8); };
    EXPECT_EQ(mix16(mixer, 1)[0], level(100, 255));
    mixer.pauseSample(voice, true);
    EXPECT_EQ(mix16(mixer, 2), std::vector<int16_t>(4, 0)) << "paused";
    EXPECT_TRUE(mixer.isUsingSampleData(ramp.record.data));
    mixer.pauseSample(voice, false);
    EXPECT_EQ(mix16(mixer, 1)[0], level(200, 255)) << "on from where it stood";
    mixer.setSampleVolume(voice, 64);
    EXPECT_EQ(mix16(mixer, 1)[0], level(300, 64));
    mixer.rewindSample(voice);
    EXPECT_EQ(mix16(mixer, 1)[0], level(100, 64));

    // Voice numbers outside 0 to 7 change nothing.
    mixer.pauseSample(8, true);
    mixer.stopSample(-1);
    mixer.rewindSample(99);
    mixer.setSampleVolume(-5, 0);
    EXPECT_EQ(mix16(mixer, 1)[0], level(200, 64));

    mixer.stopSample(voice);
    EXPECT_FALSE(mixer.isUsingSampleData(ramp.record.data));
    EXPECT_FALSE(mixer.isUsingSampleData(nullptr)) << "an idle voice plays nothing";
    EXPECT_EQ(mix16(mixer, 1), std::vector<int16_t>(2, 0));
}

TEST_F(MixerTest, MusicIsTheBaseLayer)
{
    ScriptedMusic music(2, 1000);
    int handle = -1;
    EXPECT_EQ(mixer.playCompressedAudioStream(&handle, &music, 128), 0);
    EXPECT_EQ(handle, 0);
    Sample16 voice({50}, 1);
    ASSERT_EQ(mixer.playSample(nullptr, &voice.record, 255, 0, 0), 0);
    std::vector<int16_t> out = mix16(mixer, 2);
    EXPECT_EQ(music.requests, std::vector<int>{8});
    EXPECT_EQ(out, std::vector<int16_t>({int16_t(500 + 49), int16_t(1000 + 49), 1500, 2000}));

    // Playing the same stream again keeps its volume; the volume call
    // changes it.
    handle = -1;
    EXPECT_EQ(mixer.playCompressedAudioStream(&handle, &music, 255), 0);
    EXPECT_EQ(handle, -1);
    EXPECT_EQ(mix16(mixer, 1), std::vector<int16_t>({2500, 3000}));
    mixer.setStreamingAudioSourceVolume(64);
    EXPECT_EQ(mix16(mixer, 1), std::vector<int16_t>({(7000 * 64) >> 8, (8000 * 64) >> 8}));

    // Shutting the voices down leaves the music.
    mixer.shutdownStreamingAudioSource();
    EXPECT_EQ(mix16(mixer, 1), std::vector<int16_t>({(9000 * 64) >> 8, (10000 * 64) >> 8}));

    mixer.stopCompressedAudioStream(handle);
    music.requests.clear();
    EXPECT_EQ(mix16(mixer, 4), std::vector<int16_t>(8, 0));
    EXPECT_TRUE(music.requests.empty()) << "a stopped stream is not read";
}

TEST_F(MixerTest, MonoMusicSoundsOnBothChannels)
{
    ScriptedMusic music(1, 100);
    mixer.playCompressedAudioStream(nullptr, &music, 255);
    const std::vector<int16_t> out = mix16(mixer, 3);
    EXPECT_EQ(music.requests, std::vector<int>{6}) << "half the bytes: one value a frame";
    EXPECT_EQ(out, bothSides({(100 * 255) >> 8, (200 * 255) >> 8, (300 * 255) >> 8}));
}

TEST_F(MixerTest, ShortMusicIsCompletedWithSilence)
{
    for (const int channels : {1, 2}) {
        SCOPED_TRACE(testing::Message() << channels << " music channels");
        ScriptedMusic music(channels, 1000);
        music.limit = 5; // two whole values and a stray byte
        mixer.playCompressedAudioStream(nullptr, &music, 255);
        const std::vector<int16_t> out = mix16(mixer, 4);
        const int16_t a = (1000 * 255) >> 8;
        const int16_t b = (2000 * 255) >> 8;
        EXPECT_EQ(out, channels == 2 ? std::vector<int16_t>({a, b, 0, 0, 0, 0, 0, 0})
                                     : std::vector<int16_t>({a, a, b, b, 0, 0, 0, 0}));
        music.limit = 0;
        EXPECT_EQ(mix16(mixer, 4), std::vector<int16_t>(8, 0)) << "nothing delivered";
        mixer.stopCompressedAudioStream(0);
    }
}

TEST_F(MixerTest, LongChunksAreMixedInPiecesTheScratchBufferHolds)
{
    ScriptedMusic music(2);
    mixer.playCompressedAudioStream(nullptr, &music, 255);
    const int frames = 5000; // 20,000 bytes
    const std::vector<int16_t> out = mix16(mixer, frames);
    EXPECT_EQ(music.requests, std::vector<int>({Mixer::kMaxChunkBytes, frames * 4 - Mixer::kMaxChunkBytes}));
    for (int i = 0; i < frames * 2; ++i)
        ASSERT_EQ(out[size_t(i)], int16_t(((i + 1) * 255) >> 8)) << "value " << i;

    ScriptedMusic mono(1);
    mixer.playCompressedAudioStream(nullptr, &mono, 255);
    mix16(mixer, frames);
    EXPECT_EQ(mono.requests, std::vector<int>({Mixer::kMaxChunkBytes / 2, (frames * 4 - Mixer::kMaxChunkBytes) / 2}));
}

TEST(HAudioMixer, An8BitMixerPlaysNoMusic)
{
    // The music layer writes 16-bit values: on 8-bit output it would write
    // twice the buffer.
    Mixer mixer;
    mixer.configureStreamingAudioSource(2, 8, kRate);
    ScriptedMusic music(2, 1000);
    mixer.playCompressedAudioStream(nullptr, &music, 255);
    EXPECT_EQ(mix8(mixer, 64), std::vector<uint8_t>(64, 128));
    EXPECT_TRUE(music.requests.empty());
}

TEST(HAudioMixer, OtherFormatsKeepTheBaseLayerAndRaiseAnAlert)
{
    struct Case {
        int channels;
        int bits;
        const char* message;
    };
    const Case cases[] = {
        {0, 0, "readNextChunk: unsupported format 0 channels 0 bits"}, // never configured
        {1, 16, "readNextChunk: unsupported format 1 channels 16 bits"},
        {2, 4, "readNextChunk: unsupported format 2 channels 4 bits"},
        {6, 16, "readNextChunk: unsupported format 6 channels 16 bits"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        Mixer mixer;
        if (c.bits != 0)
            mixer.configureStreamingAudioSource(c.channels, c.bits, kRate);
        Sample16 sample({1000, 2000, 3000, 4000}, 1);
        const bool played = mixer.playSample(nullptr, &sample.record, 255, 0, 0) == 0;
        EXPECT_EQ(played, c.bits == 16);
        ScriptedMusic music(2, 10);
        mixer.playCompressedAudioStream(nullptr, &music, 255);
        DiagnosticRecorder diagnostics;
        const std::vector<int16_t> out = mix16(mixer, 2);
        EXPECT_EQ(diagnostics.messages(), std::vector<std::string>{c.message});
        if (c.bits == 16)
            EXPECT_EQ(out, std::vector<int16_t>({9, 19, 29, 39})) << "music only";
        else
            EXPECT_EQ(out, std::vector<int16_t>(4, 0)) << "silence";
        if (played) {
            // The voice did not advance: on a supported format it starts
            // from its first frame.
            mixer.stopCompressedAudioStream(0);
            mixer.configureStreamingAudioSource(2, 16, kRate);
            EXPECT_EQ(mix16(mixer, 1)[0], (1000 * 255) >> 8);
        }
    }
}

TEST(HAudioMixer, AMixerWithoutAMutexStaysSilent)
{
    _PTL_SetNativeCreateFailure(true);
    Mixer mixer;
    _PTL_SetNativeCreateFailure(false);
    mixer.configureStreamingAudioSource(2, 16, kRate);
    EXPECT_EQ(mixer.getNumChannels(), 0) << "nothing it could not guard";
    Sample16 sample({1000}, 1);
    EXPECT_EQ(mixer.playSample(nullptr, &sample.record, 255, 0, 0), -2);
    ScriptedMusic music(2, 10);
    EXPECT_EQ(mixer.playCompressedAudioStream(nullptr, &music, 255), -1);
    EXPECT_EQ(mix16(mixer, 4), std::vector<int16_t>(8, 0));
    EXPECT_TRUE(music.requests.empty());
}

} // namespace
