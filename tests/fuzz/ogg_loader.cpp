// Feeds arbitrary bytes to the Ogg sample loader as a whole sound file. A
// loaded sample must hold one or two channels of whole 16-bit frames at the
// rate asked, within the size cap, and own every byte it claims; chains,
// holes and other rates are in the seeds.
#include "engine/media/HAudioSample.h"
#include "engine/media/HCompressedAudioStream.h"
#include "engine/media/HOGGLoader.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    HAudioSample sample{nullptr, 0, 0, 0, 0};
    if (!HOGGLoader::s_loadFromMemory(data, size, "fuzz.ogg", &sample, 16, 22050))
        return 0;
    const int32_t frameBytes = 2 * sample.channels;
    if (!sample.data || sample.bits != 16 || sample.rate != 22050 || (sample.channels != 1 && sample.channels != 2) ||
        sample.size < frameBytes || sample.size % frameBytes != 0 ||
        sample.size > HCompressedAudioStream::kMaxUncompressedBytes)
        __builtin_trap();
    volatile uint8_t sink = sample.data[0];
    sink = sample.data[sample.size - 1];
    (void)sink;
    delete[] sample.data;
    return 0;
}
