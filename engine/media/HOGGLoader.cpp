// Whole-file Ogg Vorbis decoding into a sample.
#include "engine/media/HOGGLoader.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HOggVorbisAudioStream.h"

#include <new>

namespace {

bool bitsSupported(int bits, const char* name)
{
    if (bits == 16)
        return true;
    HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' decodes to 16 bits, not %d", name, bits);
    return false;
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
        HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' is not Ogg Vorbis", name);
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
    // Capped by the stream at 64 MiB, in whole frames.
    const int total = stream.getUncompressedSizeInBytes();
    uint8_t* data = total > 0 ? new (std::nothrow) uint8_t[static_cast<size_t>(total)] : nullptr;
    // The stream fills all it is asked for unless decoding fails part way:
    // only what it delivered, in whole frames, is kept, never the rest of
    // the buffer.
    const int frameBytes = 2 * channels;
    const int delivered = data ? stream.readNextChunk(data, total) : 0;
    const int kept = delivered > 0 ? delivered / frameBytes * frameBytes : 0;
    stream.shutdownStreamingAudioSource();
    if (kept <= 0) {
        HErrorManager::s_db_alert("HOGGLoader::loadAudioSample - file '%s' decodes to nothing", name);
        delete[] data;
        return false;
    }

    out->data = data;
    out->channels = channels;
    out->bits = bits;
    out->rate = rate;
    out->size = kept;
    return true;
}
