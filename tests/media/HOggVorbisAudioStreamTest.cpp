// The Ogg Vorbis stream over files encoded in the test: whole-file decoding,
// looping across the end of the data, rewinding, refusing what is not Ogg
// Vorbis, and the lengths a crafted file may claim.
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/media/HOggVorbisAudioStream.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/OggFixtures.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kStereoFrames = 30000;
constexpr int kMonoFrames = 12000;
const char kOpenFailed[] = "HOVAudioStream::setStream - ov_open_callbacks failed";

const Bytes& stereoFile()
{
    static const Bytes file = OggFixtures::vorbis(OggFixtures::tone(kStereoFrames, 2, kRate, 440), 2, kRate);
    return file;
}

const Bytes& monoFile()
{
    static const Bytes file = OggFixtures::vorbis(OggFixtures::tone(kMonoFrames, 1, kRate, 330), 1, kRate);
    return file;
}

// A stream over `file` with its decoder, opened with the given loop position.
std::unique_ptr<HOggVorbisAudioStream> openStream(const Bytes& file, int loopPosition = 0)
{
    auto stream = std::make_unique<HOggVorbisAudioStream>();
    EXPECT_TRUE(stream->initStreamingAudioSource());
    EXPECT_TRUE(stream->setDataSource(file.data(), static_cast<int>(file.size()), 16, kRate, loopPosition));
    return stream;
}

std::vector<int16_t> read(HOggVorbisAudioStream& stream, int bytes)
{
    std::vector<int16_t> pcm(static_cast<size_t>(bytes) / 2 + 1, 0x5A5A);
    const int got = stream.readNextChunk(pcm.data(), bytes);
    EXPECT_EQ(got, bytes) << "a full chunk";
    pcm.resize(static_cast<size_t>(got > 0 ? got : 0) / 2);
    return pcm;
}

// The whole file decoded straight through, the reference for the others.
std::vector<int16_t> straightDecode(const Bytes& file)
{
    auto stream = openStream(file);
    return read(*stream, stream->getUncompressedSizeInBytes());
}

std::vector<int16_t> slice(const std::vector<int16_t>& pcm, size_t first, size_t count)
{
    return std::vector<int16_t>(pcm.begin() + static_cast<std::ptrdiff_t>(first),
                                pcm.begin() + static_cast<std::ptrdiff_t>(first + count));
}

std::vector<int16_t> concat(std::vector<int16_t> a, const std::vector<int16_t>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

TEST(HOggVorbisAudioStream, WholeFileDecodingGivesEveryFrame)
{
    auto stream = openStream(stereoFile());
    EXPECT_TRUE(stream->isOpened());
    EXPECT_EQ(stream->getNumChannels(), 2);
    ASSERT_EQ(stream->getUncompressedSizeInBytes(), kStereoFrames * 4);
    const std::vector<int16_t> pcm = read(*stream, kStereoFrames * 4);

    // Lossy, but the tone must come back: the error is a small part of the
    // signal.
    const std::vector<int16_t> source = OggFixtures::tone(kStereoFrames, 2, kRate, 440);
    double signal = 0;
    double error = 0;
    for (size_t i = 0; i < source.size(); ++i) {
        signal += double(source[i]) * source[i];
        error += double(pcm[i] - source[i]) * (pcm[i] - source[i]);
    }
    EXPECT_LT(error, signal / 100) << "more than 20 dB below the signal";
}

TEST(HOggVorbisAudioStream, AMonoFileReportsOneChannel)
{
    HOggVorbisAudioStream stream;
    stream.configureStreamingAudioSource(2, 16, kRate);
    ASSERT_TRUE(stream.initStreamingAudioSource());
    ASSERT_TRUE(stream.setDataSource(monoFile().data(), static_cast<int>(monoFile().size()), 16, kRate, 0));
    EXPECT_EQ(stream.getNumChannels(), 1);
    EXPECT_EQ(stream.getUncompressedSizeInBytes(), kMonoFrames * 2);
}

TEST(HOggVorbisAudioStream, AChunkAcrossTheEndContinuesFromTheLoopPosition)
{
    const std::vector<int16_t> reference = straightDecode(stereoFile());
    ASSERT_EQ(reference.size(), size_t(kStereoFrames) * 2);
    for (const int loop : {0, 5000, kStereoFrames - 1}) {
        SCOPED_TRACE(testing::Message() << "loop position " << loop);
        auto stream = openStream(stereoFile(), loop);
        const int tail = 300; // frames before the end when the chunk starts
        const int chunk = 1024;
        EXPECT_EQ(read(*stream, (kStereoFrames - tail) * 4), slice(reference, 0, size_t(kStereoFrames - tail) * 2));
        const int fromLoop = std::min(chunk - tail, kStereoFrames - loop);
        std::vector<int16_t> expected = concat(slice(reference, size_t(kStereoFrames - tail) * 2, size_t(tail) * 2),
                                               slice(reference, size_t(loop) * 2, size_t(fromLoop) * 2));
        // A loop of fewer frames than the chunk wraps again within it.
        while (expected.size() < size_t(chunk) * 2)
            expected = concat(expected, slice(reference, size_t(loop) * 2, 2));
        EXPECT_EQ(read(*stream, chunk * 4), expected);
    }
}

TEST(HOggVorbisAudioStream, MusicLoopsForEverInFullChunks)
{
    auto stream = openStream(stereoFile(), 1234);
    std::vector<int16_t> chunk(2048);
    for (int i = 0; i < 3 * kStereoFrames / 1024; ++i)
        ASSERT_EQ(stream->readNextChunk(chunk.data(), 4096), 4096) << "chunk " << i;
}

TEST(HOggVorbisAudioStream, RewindGoesBackToTheStartNotTheLoopPosition)
{
    const std::vector<int16_t> reference = straightDecode(stereoFile());
    auto stream = openStream(stereoFile(), 5000);
    read(*stream, 4096);
    read(*stream, 4096);
    stream->rewindAudioStream();
    EXPECT_EQ(read(*stream, 4096), slice(reference, 0, 2048));
}

TEST(HOggVorbisAudioStream, ALoopPositionAtOrPastTheEndStopsTheStream)
{
    for (const int loop : {kStereoFrames, kStereoFrames + 100, -5}) {
        SCOPED_TRACE(testing::Message() << "loop position " << loop);
        auto stream = openStream(stereoFile(), loop);
        std::vector<int16_t> pcm(size_t(kStereoFrames + 1000) * 2);
        EXPECT_EQ(stream->readNextChunk(pcm.data(), (kStereoFrames + 1000) * 4), kStereoFrames * 4)
            << "the tail, then nothing";
        EXPECT_EQ(stream->readNextChunk(pcm.data(), 4096), 0) << "stopped: the mixer plays silence";
        stream->rewindAudioStream();
        EXPECT_EQ(stream->readNextChunk(pcm.data(), 4096), 4096) << "a rewind starts it again";
    }
}

TEST(HOggVorbisAudioStream, OnlyWholeFramesAreDelivered)
{
    auto stream = openStream(stereoFile());
    std::vector<int16_t> pcm(8);
    EXPECT_EQ(stream->readNextChunk(pcm.data(), 3), 0) << "less than one frame";
    EXPECT_EQ(stream->readNextChunk(pcm.data(), 14), 12);
    EXPECT_EQ(stream->readNextChunk(nullptr, 16), 0);
    EXPECT_EQ(stream->readNextChunk(pcm.data(), -4), 0);
}

TEST(HOggVorbisAudioStream, NothingIsDeliveredBeforeTheDataIsSet)
{
    HOggVorbisAudioStream stream;
    std::vector<int16_t> pcm(64);
    EXPECT_EQ(stream.getUncompressedSizeInBytes(), 0) << "no decoder";
    EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
    stream.rewindAudioStream();
    {
        DiagnosticRecorder diagnostics;
        EXPECT_FALSE(stream.setDataSource(stereoFile().data(), int(stereoFile().size()), 16, kRate, 0));
        EXPECT_EQ(diagnostics.count("HOVAudioStream::setStream - no decoder"), 1);
    }
    ASSERT_TRUE(stream.initStreamingAudioSource());
    EXPECT_FALSE(stream.isOpened());
    EXPECT_EQ(stream.getUncompressedSizeInBytes(), 0) << "not opened";
    EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
    stream.rewindAudioStream();
    EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
}

TEST(HOggVorbisAudioStream, GarbageIsRefused)
{
    Bytes noise(4096);
    uint32_t x = 12345;
    for (unsigned char& b : noise) {
        x = x * 1103515245u + 12345u;
        b = static_cast<unsigned char>(x >> 24);
    }
    Bytes fakeCapture = {'O', 'g', 'g', 'S'};
    fakeCapture.resize(200, 0xEE);
    Bytes headerOnly(stereoFile().begin(), stereoFile().begin() + 60);
    Bytes damagedIdentification = stereoFile();
    damagedIdentification[28 + 1] ^= 0xFF; // "vorbis" of the first packet
    struct Case {
        const char* what;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty", Bytes()},
        {"noise", noise},
        {"a capture pattern and nothing else", fakeCapture},
        {"cut inside the first page", headerOnly},
        {"damaged identification header", damagedIdentification},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HOggVorbisAudioStream stream;
        ASSERT_TRUE(stream.initStreamingAudioSource());
        DiagnosticRecorder diagnostics;
        EXPECT_FALSE(stream.setDataSource(c.bytes.data(), int(c.bytes.size()), 16, kRate, 0));
        EXPECT_EQ(diagnostics.count(kOpenFailed), 1);
        EXPECT_FALSE(stream.isOpened());
        EXPECT_EQ(stream.getUncompressedSizeInBytes(), 0);
        std::vector<int16_t> pcm(64);
        EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
        stream.rewindAudioStream();
    }
}

TEST(HOggVorbisAudioStream, ASecondDataSourceReplacesTheFirst)
{
    const std::vector<int16_t> mono = straightDecode(monoFile());
    auto stream = openStream(stereoFile());
    read(*stream, 8192);
    ASSERT_TRUE(stream->setDataSource(monoFile().data(), int(monoFile().size()), 16, kRate, 0));
    EXPECT_EQ(stream->getNumChannels(), 1);
    EXPECT_EQ(read(*stream, 4000), slice(mono, 0, 2000));
    // A failed one leaves the stream closed, not decoding the old bytes.
    const Bytes garbage(100, 7);
    EXPECT_FALSE(stream->setDataSource(garbage.data(), int(garbage.size()), 16, kRate, 0));
    EXPECT_FALSE(stream->isOpened());
    std::vector<int16_t> pcm(64);
    EXPECT_EQ(stream->readNextChunk(pcm.data(), 128), 0);
    // Opened again and destroyed without a shutdown: the destructor releases it.
    ASSERT_TRUE(stream->setDataSource(stereoFile().data(), int(stereoFile().size()), 16, kRate, 0));
}

TEST(HOggVorbisAudioStream, ShutdownReleasesTheDecoder)
{
    auto stream = openStream(stereoFile());
    stream->shutdownStreamingAudioSource();
    EXPECT_FALSE(stream->isOpened());
    EXPECT_EQ(stream->getUncompressedSizeInBytes(), 0);
    std::vector<int16_t> pcm(64);
    EXPECT_EQ(stream->readNextChunk(pcm.data(), 128), 0);
    stream->rewindAudioStream();
    stream->shutdownStreamingAudioSource();
}

TEST(HOggVorbisAudioStream, ACraftedLengthIsCapped)
{
    struct Case {
        int64_t granule;
        int expected;
    };
    const Case cases[] = {
        // More frames than a 32-bit count holds: once taken as negative.
        {(int64_t(1) << 32) + 10, HCompressedAudioStream::kMaxUncompressedBytes},
        {int64_t(1) << 40, HCompressedAudioStream::kMaxUncompressedBytes},
        // Frames x channels x 2 would overflow 64 bits.
        {int64_t(1) << 62, HCompressedAudioStream::kMaxUncompressedBytes},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "granule " << c.granule);
        Bytes file = stereoFile();
        OggFixtures::setLastGranulePosition(file, c.granule);
        HOggVorbisAudioStream stream;
        ASSERT_TRUE(stream.initStreamingAudioSource());
        ASSERT_TRUE(stream.setDataSource(file.data(), int(file.size()), 16, kRate, 1000000));
        EXPECT_EQ(stream.getUncompressedSizeInBytes(), c.expected);
        // The loop position lies inside the claimed length but past the
        // real data: the stream stops instead of seeking for ever.
        std::vector<int16_t> pcm(size_t(kStereoFrames + 2048) * 2);
        const int got = stream.readNextChunk(pcm.data(), (kStereoFrames + 2048) * 4);
        EXPECT_GE(got, kStereoFrames * 4) << "the real data comes whole";
        EXPECT_LT(got, (kStereoFrames + 2048) * 4);
        EXPECT_EQ(stream.readNextChunk(pcm.data(), 4096), 0);
    }
}

TEST(HOggVorbisAudioStream, CallbacksWorkOnTheStreamBytes)
{
    HOggVorbisAudioStream stream;
    ASSERT_TRUE(stream.initStreamingAudioSource());
    const char bytes[] = "not an ogg file at all";
    const int size = int(sizeof(bytes) - 1);
    EXPECT_FALSE(stream.setDataSource(bytes, size, 16, kRate, 0));
    void* source = &stream;
    char buffer[32] = {};
    EXPECT_EQ(HOggVorbisAudioStream::sm_seekFunc(source, 0, 0), 0);
    EXPECT_EQ(HOggVorbisAudioStream::sm_readFunc(buffer, 0, 5, source), 0u) << "element size 0";
    EXPECT_EQ(HOggVorbisAudioStream::sm_tellFunc(source), 0) << "nothing read";
    EXPECT_EQ(HOggVorbisAudioStream::sm_readFunc(buffer, 4, 2, source), 2u);
    EXPECT_EQ(std::string(buffer, 8), "not an o");
    EXPECT_EQ(HOggVorbisAudioStream::sm_readFunc(buffer, 5, 10, source), 2u) << "14 bytes left: 2 whole elements";
    EXPECT_EQ(HOggVorbisAudioStream::sm_tellFunc(source), size);
    EXPECT_EQ(HOggVorbisAudioStream::sm_seekFunc(source, 0, 2), 0);
    EXPECT_EQ(HOggVorbisAudioStream::sm_tellFunc(source), size);
    EXPECT_EQ(HOggVorbisAudioStream::sm_seekFunc(source, -size, 2), 0);
    EXPECT_EQ(HOggVorbisAudioStream::sm_tellFunc(source), 0);
    EXPECT_EQ(HOggVorbisAudioStream::sm_seekFunc(source, 1, 2), -1);
    EXPECT_EQ(HOggVorbisAudioStream::sm_closeFunc(source), 0);
}

TEST(HOggVorbisAudioStream, AFileAtAnotherRateIsTraced)
{
    TempDir dir;
    HStandardFileSystem traceFs;
    traceFs.initFileSystem(dir.path().c_str());
    HFile* trace = traceFs.openFileForWrite("trace.txt");
    ASSERT_NE(trace, nullptr);
    HPlatform::s_setTraceFile(trace);
    const Bytes fast = OggFixtures::vorbis(OggFixtures::tone(4410, 1, 44100, 500), 1, 44100);
    {
        auto same = openStream(monoFile());
        auto other = openStream(fast);
        EXPECT_EQ(other->getSampleRate(), kRate) << "the caller's rate stays";
    }
    HPlatform::s_setTraceFile(nullptr);
    trace->close();
    EXPECT_EQ(readFileBytes(dir.file("trace.txt")),
              "HOggVorbisAudioStream::setDataSource - the data's rate is 44100 Hz, not 22050 Hz\n");
}

} // namespace
