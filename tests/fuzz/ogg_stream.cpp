// Feeds arbitrary bytes to the Ogg Vorbis stream as a music file and pulls
// it as the mixer would, then decodes it once more to its end as the sample
// loader does: every result stays within the buffer, the claimed length
// within the cap, an opened stream is at the rate asked, and neither looping
// at a loop position taken from the size nor passing holes ever hangs.
#include "engine/media/HOggVorbisAudioStream.h"

#include <climits>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > INT_MAX)
        return 0;
    HOggVorbisAudioStream stream;
    if (!stream.initStreamingAudioSource())
        return 0;
    const int loopPosition = static_cast<int>(size % 5000);
    if (stream.setDataSource(data, static_cast<int>(size), 16, 22050, loopPosition)) {
        const int total = stream.getUncompressedSizeInBytes();
        if (total < 0 || total > HCompressedAudioStream::kMaxUncompressedBytes || stream.getDataRate() != 22050 ||
            stream.getRefusal() != HOggVorbisAudioStream::REFUSAL_NONE || stream.getNumChannels() < 1)
            __builtin_trap();
        int16_t buffer[4096];
        for (int i = 0; i < 24; ++i) {
            if (i == 16)
                stream.rewindAudioStream();
            const int got = stream.readNextChunk(buffer, static_cast<int>(sizeof(buffer)));
            if (got < 0 || got > static_cast<int>(sizeof(buffer)) || got % 2 != 0)
                __builtin_trap();
        }
        stream.rewindAudioStream();
        // Bounded: a crafted length may promise far more than a fuzz input
        // decodes to.
        for (int i = 0; i < 64; ++i) {
            bool ended = false;
            const int got = stream.readToEnd(buffer, static_cast<int>(sizeof(buffer)), &ended);
            if (got < -1 || got > static_cast<int>(sizeof(buffer)) || got % 2 != 0 || (got < 0 && ended))
                __builtin_trap();
            if (got < 0 || ended)
                break;
        }
    } else if (stream.isOpened() || stream.getRefusal() == HOggVorbisAudioStream::REFUSAL_NONE) {
        __builtin_trap();
    }
    stream.shutdownStreamingAudioSource();
    return 0;
}
