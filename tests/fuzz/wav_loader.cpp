// Feeds arbitrary bytes to the WAV loader as a whole sound file, in both
// output formats. A loaded sample must hold one or two channels of whole
// frames, within the size cap, and own every byte it claims.
#include "engine/media/HAudioSample.h"
#include "engine/media/HCompressedAudioStream.h"
#include "engine/media/HWAVLoader.h"

#include <cstddef>
#include <cstdint>
#include <initializer_list>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    for (int bits : {16, 8}) {
        HAudioSample sample{nullptr, 0, 0, 0, 0};
        if (!HWAVLoader::s_loadFromMemory(data, size, "fuzz.wav", &sample, bits, 22050))
            continue;
        const int32_t frameBytes = sample.channels * (bits / 8);
        if (!sample.data || sample.bits != bits || sample.rate != 22050 ||
            (sample.channels != 1 && sample.channels != 2) || sample.size < frameBytes ||
            sample.size % frameBytes != 0 || sample.size > HCompressedAudioStream::kMaxUncompressedBytes)
            __builtin_trap();
        // Touch the first and last byte, so that a short allocation shows.
        volatile uint8_t sink = sample.data[0];
        sink = sample.data[sample.size - 1];
        (void)sink;
        delete[] sample.data;
    }
    return 0;
}
