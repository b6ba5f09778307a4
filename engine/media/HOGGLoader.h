// The Ogg sample loader: an Ogg Vorbis file decoded whole, through a
// short-lived Ogg Vorbis stream, into signed 16-bit PCM of the file's one or
// two channels. The decoder always delivers 16 bits at the file's own rate,
// so only 16-bit output can be requested; the record carries the requested
// rate, and a file encoded at another rate plays at the wrong pitch (the
// stream traces it).
#pragma once

#include "engine/media/HAudioSampleLoader.h"

#include <cstddef>
#include <cstdint>

class HOGGLoader : public HAudioSampleLoader {
public:
    HOGGLoader();
    ~HOGGLoader() override;

    // Reads the whole file (at most 64 MiB) and decodes it as
    // s_loadFromMemory does; a file that does not open or reads short is
    // refused with a developer alert.
    bool loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate) override;

    // Decodes the `size` bytes of a whole Ogg Vorbis file; `name` is for
    // messages. False, `out` untouched, for: bits other than 16; bytes that
    // are not Ogg Vorbis; a channel count other than 1 or 2; a file that
    // decodes to nothing.
    static bool s_loadFromMemory(const uint8_t* file, size_t size, const char* name, HAudioSample* out, int bits,
                                 int rate);
};
