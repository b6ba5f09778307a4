// The WAV loader on files built in the test: conversions between 8 and 16
// bits, whole frames only, and every malformed or unsupported header refused
// without reading past the file.
#include "engine/media/HAudioSample.h"
#include "engine/media/HWAVLoader.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/WavFixtures.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;

std::vector<int16_t> values16(const HAudioSample& s)
{
    std::vector<int16_t> v(static_cast<size_t>(s.size) / 2);
    std::memcpy(v.data(), s.data, v.size() * 2);
    return v;
}

std::vector<uint8_t> values8(const HAudioSample& s)
{
    return std::vector<uint8_t>(s.data, s.data + s.size);
}

// Loads through a file system, as the sound manager does.
bool load(const Bytes& file, HAudioSample* out, int bits, int rate = kRate)
{
    MemoryFileSystem fs;
    fs.add("sound/test.wav", file);
    HWAVLoader loader;
    const bool ok = loader.loadAudioSample(&fs, "sound/test.wav", out, bits, rate);
    EXPECT_EQ(fs.openFiles(), 0) << "the file is closed";
    return ok;
}

TEST(HWAVLoader, ConvertsBetweenTheFileAndTheRequestedBits)
{
    {
        SCOPED_TRACE("16 from 8: m x 257 up, m x 255 down, silence at 0");
        HAudioSample s{};
        ASSERT_TRUE(load(WavFixtures::wav(1, 8, kRate, {128, 255, 0, 1, 127, 129, 192}), &s, 16));
        EXPECT_EQ(s.bits, 16);
        EXPECT_EQ(s.size, 14);
        EXPECT_EQ(values16(s), (std::vector<int16_t>{0, 32639, -32640, -32385, -255, 257, 64 * 257}));
        delete[] s.data;
    }
    {
        SCOPED_TRACE("16 from 16: little-endian values in host order");
        HAudioSample s{};
        const std::vector<int16_t> in = {0, 1, -1, 32767, -32768, 0x1234};
        ASSERT_TRUE(load(WavFixtures::wav(2, 16, kRate, WavFixtures::pcm16(in)), &s, 16));
        EXPECT_EQ(s.channels, 2);
        EXPECT_EQ(values16(s), in);
        delete[] s.data;
    }
    {
        SCOPED_TRACE("8 from 8: unchanged");
        HAudioSample s{};
        ASSERT_TRUE(load(WavFixtures::wav(2, 8, kRate, {1, 2, 3, 4}), &s, 8));
        EXPECT_EQ(s.bits, 8);
        EXPECT_EQ(values8(s), (std::vector<uint8_t>{1, 2, 3, 4}));
        delete[] s.data;
    }
    {
        SCOPED_TRACE("8 from 16: the high byte + 128, with the developer alert");
        DiagnosticRecorder diagnostics;
        HAudioSample s{};
        ASSERT_TRUE(load(WavFixtures::wav(1, 16, kRate, WavFixtures::pcm16({0, -1, 32767, -32768, 0x0180})), &s, 8));
        EXPECT_EQ(s.bits, 8);
        EXPECT_EQ(s.size, 5);
        EXPECT_EQ(values8(s), (std::vector<uint8_t>{128, 127, 255, 0, 129}));
        EXPECT_EQ(diagnostics.count("Untested!"), 1);
        delete[] s.data;
    }
}

TEST(HWAVLoader, KeepsOnlyWholeFramesAndIgnoresBytesAfterTheData)
{
    struct Case {
        const char* name;
        int channels;
        int bits;
        int dataBytes;   // the data size field
        int fileBytes;   // PCM bytes really after the header
        int requested;
        int expectedSize;
    };
    const Case cases[] = {
        {"16-bit stereo, 3 bytes past the last frame", 2, 16, 11, 11, 16, 8},
        {"16-bit mono, an odd byte", 1, 16, 7, 7, 16, 6},
        {"8-bit stereo, an odd byte, widened", 2, 8, 5, 5, 16, 8},
        {"16-bit stereo, narrowed", 2, 16, 10, 10, 8, 4},
        {"trailing bytes after the data", 1, 16, 4, 40, 16, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes pcm(static_cast<size_t>(c.fileBytes), 0x40);
        Bytes file = WavFixtures::wav(c.channels, c.bits, kRate, pcm);
        WavFixtures::setU32(file, 40, static_cast<uint32_t>(c.dataBytes));
        HAudioSample s{};
        ASSERT_TRUE(load(file, &s, c.requested));
        EXPECT_EQ(s.size, c.expectedSize);
        EXPECT_EQ(s.channels, c.channels);
        EXPECT_EQ(s.rate, kRate);
        delete[] s.data;
    }
}

TEST(HWAVLoader, RefusesMalformedAndUnsupportedFiles)
{
    const Bytes good = WavFixtures::wav(2, 16, kRate, WavFixtures::pcm16({1, 2, 3, 4}));
    struct Case {
        const char* name;
        Bytes file;
        int requested;
        int rate;
        const char* message; // "" when the refusal is silent
    };
    auto with16 = [&](size_t offset, uint16_t v) {
        Bytes f = good;
        WavFixtures::setU16(f, offset, v);
        return f;
    };
    auto with32 = [&](size_t offset, uint32_t v) {
        Bytes f = good;
        WavFixtures::setU32(f, offset, v);
        return f;
    };
    auto withTag = [&](size_t offset, const char* tag) {
        Bytes f = good;
        std::memcpy(f.data() + offset, tag, 4);
        return f;
    };
    const std::vector<Case> cases = {
        {"data size one past the end", with32(40, 9), 16, kRate, "claims 9 bytes of data but holds 8"},
        {"data size 0xFFFFFFFF", with32(40, 0xFFFFFFFFu), 16, kRate, "claims 4294967295 bytes"},
        {"odd stereo size without a whole frame", WavFixtures::wav(2, 16, kRate, {1, 2, 3}), 16, kRate,
         "holds no whole frame"},
        {"8-bit stereo with one byte", WavFixtures::wav(2, 8, kRate, {7}), 16, kRate, "holds no whole frame"},
        {"no data at all", WavFixtures::wav(1, 16, kRate, {}), 16, kRate, "holds no whole frame"},
        {"IEEE float (format tag 3)", with16(20, 3), 16, kRate,
         "HWAVLoader::loadAudioSample - file 'sound/test.wav' has format tag 3, not PCM (1)"},
        {"IMA ADPCM (format tag 0x11)", with16(20, 0x11), 16, kRate, "has format tag 17, not PCM (1)"},
        {"mu-law (format tag 7), narrowed", with16(20, 7), 8, kRate, "has format tag 7, not PCM (1)"},
        {"format tag 0", with16(20, 0), 16, kRate, "has format tag 0, not PCM (1)"},
        {"0 channels", with16(22, 0), 16, kRate, "has 0 channels"},
        {"7 channels", with16(22, 7), 16, kRate, "has 7 channels"},
        {"a 12-byte file", Bytes(good.begin(), good.begin() + 12), 16, kRate, ""},
        {"a 43-byte file", Bytes(good.begin(), good.begin() + 43), 16, kRate, ""},
        {"an empty file", Bytes(), 16, kRate, ""},
        {"wrong rate in the file", with32(24, 44100), 16, kRate,
         "HWAVLoader::loadAudioSample - file 'sound/test.wav' frequency 44100 != requested frequency 22050"},
        {"22050 Hz file requested at 44100 Hz", good, 16, 44100, "frequency 22050 != requested frequency 44100"},
        {"24-bit file", with16(34, 24), 16, kRate, "HWAVLoader::loadAudioSample - Bit size mismatch 16 vs. 24"},
        {"0-bit file", with16(34, 0), 16, kRate, "Bit size mismatch 16 vs. 0"},
        {"24 bits requested from a 24-bit file", with16(34, 24), 24, kRate,
         "HWAVLoader::loader - m_iBitsPerSample (24) unsupported in file 'sound/test.wav'"},
        {"0 bits requested from a 0-bit file", with16(34, 0), 0, kRate, "m_iBitsPerSample (0) unsupported"},
        {"not RIFF", withTag(0, "RIFX"), 16, kRate, ""},
        {"not WAVE", withTag(8, "AVI "), 16, kRate, ""},
        {"format chunk of 18 bytes", with32(16, 18), 16, kRate, ""},
        {"another chunk before the data", withTag(36, "LIST"), 16, kRate, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DiagnosticRecorder diagnostics;
        HAudioSample s{reinterpret_cast<uint8_t*>(0x1), 9, 9, 9, 9};
        EXPECT_FALSE(load(c.file, &s, c.requested, c.rate));
        EXPECT_EQ(s.data, reinterpret_cast<uint8_t*>(0x1)) << "the record is untouched";
        EXPECT_EQ(s.size, 9);
        if (c.message[0] == '\0') {
            EXPECT_TRUE(diagnostics.messages().empty());
        } else {
            EXPECT_EQ(diagnostics.count(c.message), 1) << (diagnostics.messages().empty() ? std::string("(none)")
                                                                                         : diagnostics.messages()[0]);
        }
    }
}

TEST(HWAVLoader, AMissingFileFailsSilently)
{
    DiagnosticRecorder diagnostics;
    MemoryFileSystem fs;
    HWAVLoader loader;
    HAudioSample s{};
    EXPECT_FALSE(loader.loadAudioSample(&fs, "sound/none.wav", &s, 16, kRate));
    EXPECT_FALSE(loader.loadAudioSample(nullptr, "sound/none.wav", &s, 16, kRate));
    EXPECT_TRUE(diagnostics.messages().empty());
}

TEST(HWAVLoader, RefusesASoundThatWouldDecodeToMoreThan64MiB)
{
    // 32 MiB + 2 bytes of 8-bit PCM: the 16-bit output would pass the cap
    // by 4 bytes.
    const uint32_t dataBytes = 32u * 1024 * 1024 + 2;
    Bytes file = WavFixtures::wav(1, 8, kRate, {});
    WavFixtures::setU32(file, 40, dataBytes);
    file.resize(file.size() + dataBytes, 128);
    DiagnosticRecorder diagnostics;
    HAudioSample s{};
    EXPECT_FALSE(HWAVLoader::s_loadFromMemory(file.data(), file.size(), "big.wav", &s, 16, kRate));
    EXPECT_EQ(diagnostics.count("larger than a sound may be"), 1);
    ASSERT_TRUE(HWAVLoader::s_loadFromMemory(file.data(), file.size(), "big.wav", &s, 8, kRate));
    EXPECT_EQ(s.size, static_cast<int32_t>(dataBytes));
    delete[] s.data;
}

} // namespace
