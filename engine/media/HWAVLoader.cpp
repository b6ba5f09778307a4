// WAV files with the canonical 44-byte header, converted to the output bits.
#include "engine/media/HWAVLoader.h"

#include "engine/core/HEndian.h"
#include "engine/core/HErrorManager.h"
#include "engine/core/POSH.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HCompressedAudioStream.h"

#include <cstring>
#include <new>

namespace {

// The canonical header as it lies in the file, every number little-endian.
// It is read field by field from the bytes (never copied over), so this
// record only fixes the offsets.
struct WavHeader {
    char riff[4];            // "RIFF"
    uint32_t riffSize;       // ignored
    char wave[4];            // "WAVE"
    char formatId[4];        // ignored
    uint32_t formatSize;     // must be 16
    uint16_t formatTag;      // 1: PCM, the only coding read
    uint16_t channels;       // 1 or 2
    uint32_t sampleRate;     // Hz, must be the requested rate
    uint32_t byteRate;       // ignored
    uint16_t blockAlign;     // ignored
    uint16_t bitsPerSample;  // 8 or 16
    char dataId[4];          // "data"
    uint32_t dataSize;       // bytes of PCM after the header
};

static_assert(sizeof(WavHeader) == HWAVLoader::kHeaderBytes, "the canonical header is 44 bytes");
static_assert(offsetof(WavHeader, wave) == 8, "WAVE at 8");
static_assert(offsetof(WavHeader, formatSize) == 16, "format chunk size at 16");
static_assert(offsetof(WavHeader, formatTag) == 20, "format tag at 20");
static_assert(offsetof(WavHeader, channels) == 22, "channels at 22");
static_assert(offsetof(WavHeader, sampleRate) == 24, "rate at 24");
static_assert(offsetof(WavHeader, bitsPerSample) == 34, "bits at 34");
static_assert(offsetof(WavHeader, dataId) == 36, "data at 36");
static_assert(offsetof(WavHeader, dataSize) == 40, "data size at 40");

// The format tag of plain integer PCM.
constexpr uint32_t kFormatPCM = 1;

// The most PCM a sound may hold, in the file and decoded.
constexpr uint32_t kMaxSoundBytes = static_cast<uint32_t>(HCompressedAudioStream::kMaxUncompressedBytes);

bool tagIs(const uint8_t* file, size_t offset, const char* tag)
{
    return std::memcmp(file + offset, tag, 4) == 0;
}

uint16_t u16At(const uint8_t* file, size_t offset)
{
    return POSH_ReadU16FromLittle(file + offset);
}

uint32_t u32At(const uint8_t* file, size_t offset)
{
    return POSH_ReadU32FromLittle(file + offset);
}

void store16(uint8_t* p, int32_t value)
{
    const int16_t v = static_cast<int16_t>(value);
    std::memcpy(p, &v, sizeof(v));
}

// 8-bit unsigned to 16-bit signed: m x 257 or m x 255 spreads 0..255 over
// nearly the whole 16-bit range with 128 (silence) at 0.
int32_t widen8(uint8_t u)
{
    const int32_t m = static_cast<int32_t>(u) - 128;
    return m >= 0 ? m * 257 : m * 255;
}

} // namespace

HWAVLoader::HWAVLoader() : HAudioSampleLoader() {}

HWAVLoader::~HWAVLoader() = default;

bool HWAVLoader::loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate)
{
    int size = 0;
    bool opened = false;
    uint8_t* file = m_readWholeFile(fs, name, kHeaderBytes + static_cast<int>(kMaxSoundBytes), &size, &opened);
    if (!file)
        return false;
    const bool ok = s_loadFromMemory(file, static_cast<size_t>(size), name, out, bits, rate);
    delete[] file;
    return ok;
}

bool HWAVLoader::s_loadFromMemory(const uint8_t* file, size_t size, const char* name, HAudioSample* out, int bits,
                                  int rate)
{
    if (!file || !out || size < static_cast<size_t>(kHeaderBytes))
        return false;
    if (!name)
        name = "";
    if (!tagIs(file, offsetof(WavHeader, riff), "RIFF") || !tagIs(file, offsetof(WavHeader, wave), "WAVE") ||
        u32At(file, offsetof(WavHeader, formatSize)) != 16 || !tagIs(file, offsetof(WavHeader, dataId), "data"))
        return false;

    // Any other coding (float, ADPCM, mu-law...) would play as noise.
    const uint32_t formatTag = u16At(file, offsetof(WavHeader, formatTag));
    if (formatTag != kFormatPCM) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' has format tag %u, not PCM (1)", name,
                                  formatTag);
        return false;
    }

    const uint32_t channels = u16At(file, offsetof(WavHeader, channels));
    if (channels != 1 && channels != 2) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' has %u channels, not 1 or 2", name,
                                  channels);
        return false;
    }
    const uint32_t fileRate = u32At(file, offsetof(WavHeader, sampleRate));
    if (rate < 0 || fileRate != static_cast<uint32_t>(rate)) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' frequency %u != requested frequency %d",
                                  name, fileRate, rate);
        return false;
    }
    const uint32_t fileBits = u16At(file, offsetof(WavHeader, bitsPerSample));
    const bool sameBits = fileBits == static_cast<uint32_t>(bits);
    const bool widen = bits == 16 && fileBits == 8;
    const bool narrow = bits == 8 && fileBits == 16;
    if (!sameBits && !widen && !narrow) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - Bit size mismatch %d vs. %u", bits, fileBits);
        return false;
    }
    if (sameBits && bits != 8 && bits != 16) {
        HErrorManager::s_db_alert("HWAVLoader::loader - m_iBitsPerSample (%u) unsupported in file '%s'", fileBits,
                                  name);
        return false;
    }

    // The data size is the file's claim: it must lie within the bytes that
    // are really there, and only whole frames of it are played.
    const uint32_t dataSize = u32At(file, offsetof(WavHeader, dataSize));
    const size_t available = size - static_cast<size_t>(kHeaderBytes);
    if (dataSize > available) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' claims %u bytes of data but holds %zu",
                                  name, dataSize, available);
        return false;
    }
    const uint32_t frameBytes = channels * (fileBits / 8);
    const uint32_t usedBytes = dataSize / frameBytes * frameBytes;
    if (usedBytes == 0) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' holds no whole frame", name);
        return false;
    }
    const uint32_t outSize = widen ? usedBytes * 2 : (narrow ? usedBytes / 2 : usedBytes);
    if (usedBytes > kMaxSoundBytes || outSize > kMaxSoundBytes) {
        HErrorManager::s_db_alert("HWAVLoader::loadAudioSample - file '%s' is larger than a sound may be", name);
        return false;
    }

    uint8_t* data = new (std::nothrow) uint8_t[outSize];
    if (!data)
        return false;
    const uint8_t* pcm = file + kHeaderBytes;
    if (bits == 8 && fileBits == 8) {
        std::memcpy(data, pcm, usedBytes);
    } else if (widen) {
        for (uint32_t i = 0; i < usedBytes; ++i)
            store16(data + 2 * static_cast<size_t>(i), widen8(pcm[i]));
    } else if (narrow) {
        HErrorManager::s_db_alert("Untested!");
        for (uint32_t i = 0; i < outSize; ++i) {
            const int32_t value = POSH_ReadS16FromLittle(pcm + 2 * static_cast<size_t>(i));
            data[i] = static_cast<uint8_t>((value >> 8) + 128);
        }
    } else {
        for (uint32_t i = 0; i < usedBytes; i += 2) {
            int16_t value;
            std::memcpy(&value, pcm + i, sizeof(value));
            store16(data + i, HEndian::s_littleShort(value));
        }
    }

    out->data = data;
    out->channels = static_cast<int32_t>(channels);
    out->bits = bits;
    out->rate = rate;
    out->size = static_cast<int32_t>(outSize);
    return true;
}
