// Whole-file Ogg Vorbis decoding into a sample.
#include "engine/media/HOGGLoader.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HOggVorbisAudioStream.h"

#include <cstring>
#include <new>

namespace {

bool bitsSupported(int bits, const char* name)
{
    if (bits == 16)
        return true;
    HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' decodes to 16 bits, not %d", name, bits);
    return false;
}

// Replaces `data` (holding `used` bytes) with a buffer of `capacity` bytes
// holding the same; false, leaving it, when there is no memory.
bool grow(uint8_t** data, int used, int capacity)
{
    uint8_t* bigger = new (std::nothrow) uint8_t[static_cast<size_t>(capacity)];
    if (!bigger)
        return false;
    if (used > 0)
        std::memcpy(bigger, *data, static_cast<size_t>(used));
    delete[] *data;
    *data = bigger;
    return true;
}

} // namespace

HOGGLoader::HOGGLoader() : HAudioSampleLoader() {}

HOGGLoader::~HOGGLoader() = default;

bool HOGGLoader::loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate)
{
    if (!name || !bitsSupported(bits, name))
        return false;
    int size = 0;
    bool opened = false;
    uint8_t* file = m_readWholeFile(fs, name, HCompressedAudioStream::kMaxUncompressedBytes, &size, &opened);
    if (!file) {
        if (!opened)
            HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - could not open file '%s'", name);
        else
            HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - could not read file '%s'", name);
        return false;
    }
    const bool ok = s_loadFromMemory(file, static_cast<size_t>(size), name, out, bits, rate);
    delete[] file;
    return ok;
}

bool HOGGLoader::s_loadFromMemory(const uint8_t* file, size_t size, const char* name, HAudioSample* out, int bits,
                                  int rate)
{
    if (!name)
        name = "";
    if (!out || !bitsSupported(bits, name))
        return false;
    if (!file || size == 0 || size > static_cast<size_t>(HCompressedAudioStream::kMaxUncompressedBytes))
        return false;

    // The stream reads the caller's bytes in place; they outlive it here.
    HOggVorbisAudioStream stream;
    if (!stream.initStreamingAudioSource()) {
        HErrorManager::s_db_alert("HOGGLoader::load - could not initialize ovas");
        return false;
    }
    if (!stream.setDataSource(file, static_cast<int>(size), bits, rate, 0)) {
        switch (stream.getRefusal()) {
        case HOggVorbisAudioStream::REFUSAL_OTHER_RATE:
            // The message a WAV file at another rate gets.
            HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' frequency %d != requested frequency %d",
                                      name, stream.getDataRate(), rate);
            break;
        case HOggVorbisAudioStream::REFUSAL_MIXED_LINKS:
            HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' is a chain whose links differ in "
                                      "channels or rate",
                                      name);
            break;
        default:
            HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' is not Ogg Vorbis", name);
            break;
        }
        stream.shutdownStreamingAudioSource();
        return false;
    }
    const int channels = stream.getNumChannels();
    if (channels != 1 && channels != 2) {
        HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' has %d channels, not 1 or 2", name,
                                  channels);
        stream.shutdownStreamingAudioSource();
        return false;
    }
    int kept = 0;
    uint8_t* data = s_decodeWhole(stream, channels, name, &kept);
    stream.shutdownStreamingAudioSource();
    if (!data)
        return false;

    out->data = data;
    out->channels = channels;
    out->bits = bits;
    out->rate = rate;
    out->size = kept;
    return true;
}

uint8_t* HOGGLoader::s_decodeWhole(HOggVorbisAudioStream& stream, int channels, const char* name, int* size)
{
    const int frameBytes = 2 * channels;
    const int cap = HCompressedAudioStream::kMaxUncompressedBytes / frameBytes * frameBytes;
    // The length the file declares (capped by the stream, in whole frames)
    // is where decoding starts; the PCM itself decides, since a hole leaves
    // less and a crafted length may promise less or more than there is.
    int capacity = stream.getUncompressedSizeInBytes();
    if (capacity <= 0)
        capacity = frameBytes * 4096;
    uint8_t* data = new (std::nothrow) uint8_t[static_cast<size_t>(capacity)];
    int used = 0;
    const char* failure = data ? nullptr : "could not allocate";
    bool ended = false;
    while (!failure && !ended) {
        if (used < capacity) {
            const int got = stream.readToEnd(data + used, capacity - used, &ended);
            if (got < 0)
                failure = "could not be decoded";
            else
                used += got;
            continue;
        }
        // Full: one frame more tells whether the data goes on.
        uint8_t frame[4];
        const int got = stream.readToEnd(frame, frameBytes, &ended);
        if (got < 0)
            failure = "could not be decoded";
        else if (got == 0)
            ended = true;
        else if (capacity >= cap)
            failure = "decodes to more than 64 MiB";
        else {
            const int larger = capacity < cap / 2 ? capacity * 2 : cap;
            if (!grow(&data, used, larger)) {
                failure = "could not allocate";
            } else {
                capacity = larger;
                std::memcpy(data + used, frame, static_cast<size_t>(got));
                used += got;
            }
        }
    }
    if (!failure && used <= 0)
        failure = "decodes to nothing";
    if (failure) {
        HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' %s", name, failure);
        delete[] data;
        return nullptr;
    }
    *size = used;
    return data;
}
