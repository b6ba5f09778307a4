// The byte cursor under every compressed stream: reads that stop at the end,
// and seeks that stay within the data whatever offset they are given.
#include "engine/media/HCompressedAudioStream.h"

#include "tests/support/DiagnosticRecorder.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

// The cursor operations are the subclasses' own: this one opens them up.
class ByteStream : public HCompressedAudioStream {
public:
    bool initStreamingAudioSource() override { return true; }
    void shutdownStreamingAudioSource() override {}
    int readNextChunk(void*, int) override { return 0; }
    void rewindAudioStream() override {}
    int getUncompressedSizeInBytes() override { return 0; }

    using HCompressedAudioStream::m_readStream;
    using HCompressedAudioStream::m_seekStream;
    using HCompressedAudioStream::m_tellStream;
};

const char kData[] = "0123456789";
constexpr int kSize = 10;

TEST(HCompressedAudioStream, SetDataSourceRecordsTheBytesAndTheFormat)
{
    ByteStream stream;
    EXPECT_EQ(stream.getNumChannels(), 0);
    EXPECT_EQ(stream.getSampleRate(), 0);
    EXPECT_TRUE(stream.setDataSource(kData, kSize, 16, 22050, 77));
    EXPECT_EQ(stream.getSampleRate(), 22050);
    EXPECT_EQ(stream.getLoopPosition(), 77);
    EXPECT_EQ(stream.m_tellStream(), 0);

    EXPECT_FALSE(stream.setDataSource(kData, -1, 16, 11025, 0)) << "negative size";
    EXPECT_FALSE(stream.setDataSource(nullptr, 4, 16, 11025, 0)) << "no bytes behind the size";
    EXPECT_EQ(stream.getSampleRate(), 22050) << "a refused source records nothing";
    EXPECT_TRUE(stream.setDataSource(nullptr, 0, 16, 22050, 0)) << "no data at all is an empty stream";
    char buffer[4];
    EXPECT_EQ(stream.m_readStream(buffer, 4), 0);
}

TEST(HCompressedAudioStream, ReadsStopAtTheEnd)
{
    ByteStream stream;
    char buffer[32] = {};
    EXPECT_EQ(stream.m_readStream(buffer, 4), 0) << "no data set";
    ASSERT_TRUE(stream.setDataSource(kData, kSize, 16, 22050, 0));
    EXPECT_EQ(stream.m_readStream(buffer, 0), 0);
    EXPECT_EQ(stream.m_readStream(buffer, -5), 0);
    EXPECT_EQ(stream.m_readStream(buffer, 4), 4);
    EXPECT_EQ(std::string(buffer, 4), "0123");
    EXPECT_EQ(stream.m_readStream(buffer, 32), 6) << "only what is left";
    EXPECT_EQ(std::string(buffer, 6), "456789");
    EXPECT_EQ(stream.m_tellStream(), kSize);
    EXPECT_EQ(stream.m_readStream(buffer, 32), 0) << "at the end";
}

TEST(HCompressedAudioStream, SeeksStayWithinTheData)
{
    struct Case {
        long long offset;
        int whence;
        int result;
        int cursor;
        const char* alert; // null: none
    };
    const Case cases[] = {
        {0, 0, 0, 0, nullptr},
        {10, 0, 0, 10, nullptr},
        {11, 0, -1, 10, "HCompressedAudioStream::m_seekStream - SEEK_SET out of range"},
        {-1, 0, -1, 0, "HCompressedAudioStream::m_seekStream - SEEK_SET out of range"},
        {3, 1, 0, 7, nullptr},
        {-4, 1, 0, 0, nullptr},
        {6, 1, 0, 10, nullptr},
        {7, 1, -1, 10, "HCompressedAudioStream::m_seekStream - SEEK_CUR out of range"},
        {-5, 1, -1, 0, "HCompressedAudioStream::m_seekStream - SEEK_CUR out of range"},
        {0, 2, 0, 10, nullptr},
        {-10, 2, 0, 0, nullptr},
        {1, 2, -1, 10, "HCompressedAudioStream::m_seekStream - SEEK_END out of range"},
        {-11, 2, -1, 0, "HCompressedAudioStream::m_seekStream - SEEK_END out of range"},
        // Offsets whose sum with the base would overflow.
        {LLONG_MAX, 1, -1, 10, "HCompressedAudioStream::m_seekStream - SEEK_CUR out of range"},
        {LLONG_MIN, 2, -1, 0, "HCompressedAudioStream::m_seekStream - SEEK_END out of range"},
        {LLONG_MIN, 0, -1, 0, "HCompressedAudioStream::m_seekStream - SEEK_SET out of range"},
        {0, 3, -1, 4, "HCompressedAudioStream::m_seekStream - invalid whence '3'"},
        {2, -1, -1, 4, "HCompressedAudioStream::m_seekStream - invalid whence '-1'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "offset " << c.offset << " whence " << c.whence);
        ByteStream stream;
        ASSERT_TRUE(stream.setDataSource(kData, kSize, 16, 22050, 0));
        ASSERT_EQ(stream.m_seekStream(4, 0), 0); // every case starts at byte 4
        DiagnosticRecorder diagnostics;
        EXPECT_EQ(stream.m_seekStream(c.offset, c.whence), c.result);
        EXPECT_EQ(stream.m_tellStream(), c.cursor);
        if (c.alert) {
            ASSERT_EQ(diagnostics.messages().size(), 1u);
            EXPECT_EQ(diagnostics.messages()[0], c.alert);
        } else {
            EXPECT_TRUE(diagnostics.messages().empty());
        }
    }
}

} // namespace
