// The Ogg sample loader on files encoded in the test: a whole-file decode of
// one or two channels, of a chained file and of a file with a page lost,
// each the PCM a reference decoder writes, and every way a load can fail
// without handing out a sample.
#include "engine/media/HAudioSample.h"
#include "engine/media/HOGGLoader.h"
#include "engine/media/HOggVorbisAudioStream.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/OggFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

// The reference: the same file decoded straight through by the stream.
std::vector<int16_t> streamDecode(const Bytes& file)
{
    HOggVorbisAudioStream stream;
    EXPECT_TRUE(stream.initStreamingAudioSource());
    EXPECT_TRUE(stream.setDataSource(file.data(), static_cast<int>(file.size()), 16, kRate, 0));
    std::vector<int16_t> pcm(static_cast<size_t>(stream.getUncompressedSizeInBytes()) / 2);
    EXPECT_EQ(stream.readNextChunk(pcm.data(), static_cast<int>(pcm.size() * 2)), static_cast<int>(pcm.size() * 2));
    stream.shutdownStreamingAudioSource();
    return pcm;
}

TEST(HOGGLoader, DecodesTheWholeFileInTheFilesChannels)
{
    struct Case {
        int channels;
        int frames;
    };
    for (const Case c : {Case{1, 5000}, Case{2, 7000}}) {
        SCOPED_TRACE(c.channels);
        const Bytes file = OggFixtures::vorbis(OggFixtures::tone(c.frames, c.channels, kRate, 440), c.channels, kRate);
        MemoryFileSystem fs;
        fs.add("sound/tone.ogg", file);
        HOGGLoader loader;
        HAudioSample s{};
        ASSERT_TRUE(loader.loadAudioSample(&fs, "sound/tone.ogg", &s, 16, kRate));
        EXPECT_EQ(fs.openFiles(), 0);
        EXPECT_EQ(s.channels, c.channels);
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.rate, kRate);
        EXPECT_EQ(s.size, c.frames * c.channels * 2);
        const std::vector<int16_t> expected = streamDecode(file);
        ASSERT_EQ(expected.size() * 2, static_cast<size_t>(s.size));
        EXPECT_EQ(std::memcmp(s.data, expected.data(), expected.size() * 2), 0);
        delete[] s.data;
    }
}

// The sample holds exactly what a reference decoder writes for the file.
TEST(HOGGLoader, DecodesWhatAReferenceDecoderWrites)
{
    const Bytes first = OggFixtures::vorbis(OggFixtures::tone(2400, 1, kRate, 440), 1, kRate, 0.5f, 11);
    const Bytes second = OggFixtures::vorbis(OggFixtures::tone(1800, 1, kRate, 660), 1, kRate, 0.5f, 12);
    const Bytes longStereo = OggFixtures::vorbis(OggFixtures::tone(30000, 2, kRate, 330), 2, kRate);
    struct Case {
        const char* what;
        Bytes file;
        std::vector<int16_t> expected;
        int channels;
    };
    const std::vector<Case> cases = {
        // Decoded link by link, each from its own bytes.
        {"a two-link chain", OggFixtures::chain({first, second}),
         [&] {
             std::vector<int16_t> pcm = OggFixtures::referenceDecode(first);
             const std::vector<int16_t> more = OggFixtures::referenceDecode(second);
             pcm.insert(pcm.end(), more.begin(), more.end());
             return pcm;
         }(),
         1},
        {"a page lost in the middle", OggFixtures::withoutPage(longStereo, 4),
         OggFixtures::referenceDecode(OggFixtures::withoutPage(longStereo, 4)), 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_FALSE(c.expected.empty());
        MemoryFileSystem fs;
        fs.add("sound/x.ogg", c.file);
        HOGGLoader loader;
        HAudioSample s{};
        ASSERT_TRUE(loader.loadAudioSample(&fs, "sound/x.ogg", &s, 16, kRate));
        EXPECT_EQ(s.channels, c.channels);
        ASSERT_EQ(s.size, static_cast<int>(c.expected.size() * 2));
        EXPECT_EQ(std::memcmp(s.data, c.expected.data(), c.expected.size() * 2), 0);
        delete[] s.data;
    }
    // The hole costs the lost page's frames, not the sound after it.
    int holes = 0;
    EXPECT_GT(OggFixtures::referenceDecode(OggFixtures::withoutPage(longStereo, 4), &holes).size(), 30000u * 2 * 3 / 4);
    EXPECT_EQ(holes, 1);
}

TEST(HOGGLoader, RefusesWhatCannotBecomeAPlayableSample)
{
    const Bytes mono = OggFixtures::vorbis(OggFixtures::tone(3000, 1, kRate, 300), 1, kRate);
    struct Case {
        const char* name;
        Bytes file;   // empty with `present` false: no such file
        bool present;
        bool shortRead;
        int bits;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"8-bit output", mono, true, false, 8, "file 'sound/x.ogg' decodes to 16 bits, not 8"},
        {"no such file", {}, false, false, 16, "HOGGLoader::loadAudioSample - could not open file 'sound/x.ogg'"},
        {"a short read", mono, true, true, 16, "HOGGLoader::loadAudioSample - could not read file 'sound/x.ogg'"},
        {"an empty file", {}, true, false, 16, "could not read file 'sound/x.ogg'"},
        {"not Ogg Vorbis", Bytes(500, 0x4F), true, false, 16, "file 'sound/x.ogg' is not Ogg Vorbis"},
        {"no audio frames", OggFixtures::vorbis({}, 1, kRate), true, false, 16, "file 'sound/x.ogg' decodes to nothing"},
        {"three channels", OggFixtures::vorbis(OggFixtures::tone(2000, 3, kRate, 300), 3, kRate), true, false, 16,
         "file 'sound/x.ogg' has 3 channels, not 1 or 2"},
        // It would play at the wrong pitch: the message a WAV file gets.
        {"44100 Hz", OggFixtures::vorbis(OggFixtures::tone(4410, 1, 44100, 300), 1, 44100), true, false, 16,
         "HOGGLoader::loadAudioSample - file 'sound/x.ogg' frequency 44100 != requested frequency 22050"},
        {"48000 Hz", OggFixtures::vorbis(OggFixtures::tone(4800, 2, 48000, 300), 2, 48000), true, false, 16,
         "file 'sound/x.ogg' frequency 48000 != requested frequency 22050"},
        {"a chain of mono and stereo",
         OggFixtures::chain({mono, OggFixtures::vorbis(OggFixtures::tone(3000, 2, kRate, 300), 2, kRate, 0.5f, 7)}),
         true, false, 16, "file 'sound/x.ogg' is a chain whose links differ in channels or rate"},
        {"a chain of two rates",
         OggFixtures::chain({mono, OggFixtures::vorbis(OggFixtures::tone(3000, 1, 44100, 300), 1, 44100, 0.5f, 7)}),
         true, false, 16, "file 'sound/x.ogg' is a chain whose links differ in channels or rate"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem fs;
        if (c.present)
            fs.add("sound/x.ogg", c.file);
        if (c.shortRead)
            fs.setShortRead("sound/x.ogg", true);
        DiagnosticRecorder diagnostics;
        HOGGLoader loader;
        HAudioSample s{reinterpret_cast<uint8_t*>(0x1), 9, 9, 9, 9};
        EXPECT_FALSE(loader.loadAudioSample(&fs, "sound/x.ogg", &s, c.bits, kRate));
        EXPECT_EQ(s.data, reinterpret_cast<uint8_t*>(0x1)) << "the record is untouched";
        EXPECT_EQ(fs.openFiles(), 0);
        EXPECT_EQ(diagnostics.count(c.message), 1)
            << (diagnostics.messages().empty() ? std::string("(none)") : diagnostics.messages().back());
    }
}

} // namespace
