// The Ogg Vorbis stream over files encoded in the test: whole-file decoding,
// looping across the end of the data, rewinding, refusing what is not Ogg
// Vorbis or not at the rate asked, chained files, a page lost from the data,
// and the lengths a crafted file may claim.
#include "engine/media/HOggVorbisAudioStream.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/OggFixtures.h"

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

TEST(HOggVorbisAudioStream, AFileAtAnotherRateIsRefused)
{
    for (const int rate : {44100, 48000, 11025}) {
        SCOPED_TRACE(rate);
        const Bytes file = OggFixtures::vorbis(OggFixtures::tone(rate / 10, 1, rate, 500), 1, rate);
        HOggVorbisAudioStream stream;
        ASSERT_TRUE(stream.initStreamingAudioSource());
        DiagnosticRecorder diagnostics;
        EXPECT_FALSE(stream.setDataSource(file.data(), int(file.size()), 16, kRate, 0))
            << "it would play at the wrong pitch";
        EXPECT_EQ(diagnostics.count("HOggVorbisAudioStream::setDataSource - frequency " + std::to_string(rate) +
                                    " != requested frequency 22050"),
                  1);
        EXPECT_EQ(stream.getRefusal(), HOggVorbisAudioStream::REFUSAL_OTHER_RATE);
        EXPECT_EQ(stream.getDataRate(), rate);
        EXPECT_FALSE(stream.isOpened());
        std::vector<int16_t> pcm(64);
        EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
        // Asked at its own rate, the same file plays.
        ASSERT_TRUE(stream.setDataSource(file.data(), int(file.size()), 16, rate, 0));
        EXPECT_EQ(stream.getRefusal(), HOggVorbisAudioStream::REFUSAL_NONE);
        EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 128);
    }
}

// Links as short as sound effects, whose audio fits one page each, and
// longer ones: vorbisfile, read straight on after opening, would begin the
// short chain at its second link.
TEST(HOggVorbisAudioStream, AChainedFilePlaysItsLinksFromTheFirst)
{
    struct Case {
        const char* what;
        int channels;
        std::vector<int> frames; // of each link
    };
    const Case cases[] = {
        {"two short mono links", 1, {1500, 2200}},
        {"a short link before a long one", 2, {700, 15000}},
        {"three long stereo links", 2, {9000, 12000, 6000}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Bytes> links;
        std::vector<int16_t> expected;
        for (size_t i = 0; i < c.frames.size(); ++i) {
            links.push_back(OggFixtures::vorbis(OggFixtures::tone(c.frames[i], c.channels, kRate, 300 + 150 * int(i)),
                                                c.channels, kRate, 0.5f, 0x100 + uint32_t(i)));
            expected = concat(expected, OggFixtures::referenceDecode(links.back()));
        }
        const Bytes file = OggFixtures::chain(links);
        auto stream = openStream(file);
        ASSERT_EQ(stream->getUncompressedSizeInBytes(), int(expected.size() * 2));
        EXPECT_EQ(stream->getNumChannels(), c.channels);
        std::vector<int16_t> pcm(expected.size());
        bool ended = false;
        ASSERT_EQ(stream->readToEnd(pcm.data(), int(pcm.size() * 2), &ended), int(pcm.size() * 2));
        EXPECT_TRUE(pcm == expected) << "the links in their order";
        EXPECT_EQ(stream->readToEnd(pcm.data(), 64, &ended), 0);
        EXPECT_TRUE(ended);

        // Looped from a position inside the second link: the chunk across
        // the end goes on from there.
        const size_t loop = size_t(c.frames[0]) + 100;
        auto looping = openStream(file, int(loop));
        const size_t total = expected.size() / size_t(c.channels);
        read(*looping, int((total - 50) * size_t(c.channels) * 2));
        EXPECT_EQ(read(*looping, 200 * c.channels * 2),
                  concat(slice(expected, (total - 50) * size_t(c.channels), 50 * size_t(c.channels)),
                         slice(expected, loop * size_t(c.channels), 150 * size_t(c.channels))));
        stream->rewindAudioStream();
        EXPECT_EQ(read(*stream, 64 * c.channels * 2), slice(expected, 0, 64 * size_t(c.channels)));
    }
}

TEST(HOggVorbisAudioStream, AChainWhoseLinksDifferIsRefused)
{
    const Bytes stereo = OggFixtures::vorbis(OggFixtures::tone(3000, 2, kRate, 400), 2, kRate, 0.5f, 1);
    const Bytes mono = OggFixtures::vorbis(OggFixtures::tone(3000, 1, kRate, 400), 1, kRate, 0.5f, 2);
    const Bytes fast = OggFixtures::vorbis(OggFixtures::tone(6000, 2, 44100, 400), 2, 44100, 0.5f, 3);
    const Bytes mono2 = OggFixtures::vorbis(OggFixtures::tone(2000, 1, kRate, 500), 1, kRate, 0.5f, 4);
    struct Case {
        const char* what;
        Bytes file;
        const char* message;
    };
    const Case cases[] = {
        {"stereo, then mono", OggFixtures::chain({stereo, mono}),
         "link 1 of the chain has 1 channels at 22050 Hz, link 0 2 channels at 22050 Hz"},
        {"mono, then stereo, then mono", OggFixtures::chain({mono, stereo, mono2}),
         "link 1 of the chain has 2 channels at 22050 Hz, link 0 1 channels at 22050 Hz"},
        {"22050 Hz, then 44100 Hz", OggFixtures::chain({stereo, fast}),
         "link 1 of the chain has 2 channels at 44100 Hz, link 0 2 channels at 22050 Hz"},
        {"44100 Hz, then 22050 Hz", OggFixtures::chain({fast, stereo}),
         "link 1 of the chain has 2 channels at 22050 Hz, link 0 2 channels at 44100 Hz"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HOggVorbisAudioStream stream;
        ASSERT_TRUE(stream.initStreamingAudioSource());
        DiagnosticRecorder diagnostics;
        EXPECT_FALSE(stream.setDataSource(c.file.data(), int(c.file.size()), 16, kRate, 0));
        EXPECT_EQ(diagnostics.count(std::string("HOggVorbisAudioStream::setDataSource - ") + c.message), 1)
            << (diagnostics.messages().empty() ? std::string("(none)") : diagnostics.messages().back());
        EXPECT_EQ(stream.getRefusal(), HOggVorbisAudioStream::REFUSAL_MIXED_LINKS);
        EXPECT_FALSE(stream.isOpened());
        std::vector<int16_t> pcm(64);
        EXPECT_EQ(stream.readNextChunk(pcm.data(), 128), 0);
    }
}

// A page lost from the middle of the data: decoding goes on after the hole
// as a reference decoder's does, for the whole file and for the music,
// which loops on past it in full chunks.
TEST(HOggVorbisAudioStream, AHoleIsPassedOver)
{
    const Bytes& file = stereoFile();
    ASSERT_GT(OggFixtures::pageCount(file), 6);
    const Bytes holed = OggFixtures::withoutPage(file, 4);
    int holes = 0;
    const std::vector<int16_t> expected = OggFixtures::referenceDecode(holed, &holes);
    EXPECT_EQ(holes, 1);
    ASSERT_GT(expected.size(), size_t(kStereoFrames) * 2 * 3 / 4) << "most of the sound lies after the hole";

    auto stream = openStream(holed);
    std::vector<int16_t> pcm(size_t(kStereoFrames) * 2);
    bool ended = false;
    EXPECT_EQ(stream->readToEnd(pcm.data(), int(pcm.size() * 2), &ended), int(expected.size() * 2));
    EXPECT_TRUE(ended);
    pcm.resize(expected.size());
    EXPECT_TRUE(pcm == expected);

    auto music = openStream(holed, 0);
    std::vector<int16_t> chunk(2048);
    for (int i = 0; i < 3 * kStereoFrames / 1024; ++i)
        ASSERT_EQ(music->readNextChunk(chunk.data(), 4096), 4096) << "chunk " << i;
}

TEST(HOggVorbisAudioStream, ReadingToTheEndNeverLoops)
{
    const std::vector<int16_t> reference = straightDecode(monoFile());
    auto stream = openStream(monoFile(), 100);
    std::vector<int16_t> pcm(size_t(kMonoFrames) + 500, 0x5A5A);
    bool ended = true;
    EXPECT_EQ(stream->readToEnd(pcm.data(), 1000, &ended), 1000);
    EXPECT_FALSE(ended) << "the buffer filled first";
    EXPECT_EQ(stream->readToEnd(pcm.data() + 500, int(pcm.size() - 500) * 2, &ended), (kMonoFrames - 500) * 2);
    EXPECT_TRUE(ended);
    EXPECT_EQ(pcm[kMonoFrames], 0x5A5A) << "nothing from the loop position";
    pcm.resize(kMonoFrames);
    EXPECT_EQ(pcm, reference);
    EXPECT_EQ(stream->readToEnd(pcm.data(), 64, nullptr), 0);

    HOggVorbisAudioStream closed;
    EXPECT_EQ(closed.readToEnd(pcm.data(), 64, &ended), -1) << "nothing to decode";
    EXPECT_FALSE(ended);
}

} // namespace
