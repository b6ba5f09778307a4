// The generated resource archive's sounds the way the game plays them: every
// sound loaded through the sound manager from the engine's ZIP file system in
// the output format (stereo, 16 bits, 22050 Hz) and mixed, and the music
// opened as an Ogg Vorbis stream and mixed under them.
#include "engine/core/HFile.h"
#include "engine/core/HZIPFileSystem.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HOggVorbisAudioStream.h"
#include "engine/media/HSoundManager.h"
#include "tests/tools/ArchiveReader.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using namespace mkarchive;

namespace {

constexpr char kMusic[] = "music/theme_qz.ogg";

bool anySound(const std::vector<int16_t>& pcm)
{
    for (int16_t v : pcm) {
        if (v != 0)
            return true;
    }
    return false;
}

class ArchiveSoundsTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(openBuiltArchive(fs), "");
        mixer.configureStreamingAudioSource(2, 16, kSampleRate);
        ASSERT_TRUE(sounds.initSoundManager(&fs, &mixer, 2, 16, kSampleRate));
    }
    void TearDown() override
    {
        mixer.stopCompressedAudioStream(0);
        mixer.shutdownStreamingAudioSource();
        sounds.shutdownSoundManager();
        fs.shutdownFileSystem();
    }

    // One chunk of the framework's size (1024 frames) from the mixer.
    std::vector<int16_t> mixChunk()
    {
        std::vector<int16_t> out(2048);
        EXPECT_EQ(mixer.readNextChunk(out.data(), 4096), 4096);
        return out;
    }

    HZIPFileSystem fs;
    HAudioMixerStreamingAudioSource mixer;
    HSoundManager sounds;
};

TEST_F(ArchiveSoundsTest, EverySoundLoadsThroughTheSoundManagerAtItsLengthAndPlays)
{
    int loaded = 0;
    for (const ManifestEntry& e : kManifest) {
        if ((e.format != AssetFormat::Wav && e.format != AssetFormat::Ogg) ||
            std::strcmp(e.name, kMusic) == 0)
            continue;
        SCOPED_TRACE(e.name);
        ASSERT_TRUE(sounds.preloadAudioSample(e.name));
        const HAudioSample* s = sounds.m_findAudioSample(e.name);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(s->bits, 16);
        EXPECT_EQ(s->rate, kSampleRate);
        EXPECT_EQ(s->channels, (e.flags & kStereo) ? 2 : 1);
        const int64_t frames = s->size / (2 * s->channels);
        const int64_t ms = frames * 1000 / kSampleRate;
        EXPECT_GE(ms, e.width);
        EXPECT_LE(ms, e.height);

        int voice = -1;
        ASSERT_EQ(sounds.playSoundByName(&voice, e.name, 0, 255, 0, false), 1);
        EXPECT_GE(voice, 0) << "the mixer took the sample";
        EXPECT_TRUE(anySound(mixChunk()));
        sounds.stopSound(voice);
        ++loaded;
    }
    EXPECT_EQ(loaded, 9);
}

TEST_F(ArchiveSoundsTest, TheMusicOpensAsAStereoStreamAndMixes)
{
    HFile* file = fs.openFileForRead(kMusic);
    ASSERT_NE(file, nullptr);
    std::vector<unsigned char> bytes(static_cast<size_t>(file->length()));
    ASSERT_EQ(file->read(bytes.data(), file->length()), file->length());
    file->close();

    HOggVorbisAudioStream music;
    ASSERT_TRUE(music.initStreamingAudioSource());
    ASSERT_TRUE(music.setDataSource(bytes.data(), static_cast<int>(bytes.size()), 16, kSampleRate, 0));
    EXPECT_EQ(music.getNumChannels(), 2);
    const ManifestEntry* entry = nullptr;
    for (const ManifestEntry& e : kManifest) {
        if (std::strcmp(e.name, kMusic) == 0)
            entry = &e;
    }
    ASSERT_NE(entry, nullptr);
    const int64_t ms = static_cast<int64_t>(music.getUncompressedSizeInBytes()) / 4 * 1000 / kSampleRate;
    EXPECT_GE(ms, entry->width);
    EXPECT_LE(ms, entry->height);

    int handle = -1;
    ASSERT_EQ(mixer.playCompressedAudioStream(&handle, &music, 255), 0);
    bool heard = false;
    for (int i = 0; i < 8 && !heard; ++i)
        heard = anySound(mixChunk());
    EXPECT_TRUE(heard) << "music within the first 8 chunks";
    mixer.stopCompressedAudioStream(handle);
    music.shutdownStreamingAudioSource();
}

} // namespace
