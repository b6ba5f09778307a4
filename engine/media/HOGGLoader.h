// The Ogg sample loader: an Ogg Vorbis file decoded whole, through a
// short-lived Ogg Vorbis stream, into signed 16-bit PCM of the file's one or
// two channels, exactly as a reference decoder writes it: a chained file from
// its first link to its last, past any hole (a lost or damaged page). The
// decoder always delivers 16 bits, so only 16-bit output can be requested,
// and only a file at the requested rate is read: another would play at the
// wrong pitch.
#pragma once

#include "engine/media/HAudioSampleLoader.h"

#include <cstddef>
#include <cstdint>

class HOggVorbisAudioStream;

class HOGGLoader : public HAudioSampleLoader {
public:
    HOGGLoader();
    ~HOGGLoader() override;

    // Reads the whole file (at most 64 MiB) and decodes it as
    // s_loadFromMemory does; a file that does not open or reads short is
    // refused with a developer alert.
    bool loadAudioSample(HFileSystem* fs, const char* name, HAudioSample* out, int bits, int rate) override;

    // Decodes the `size` bytes of a whole Ogg Vorbis file; `name` is for
    // messages. False with a developer alert, `out` untouched, for: bits
    // other than 16; bytes that are not Ogg Vorbis; a chain whose links
    // differ in channels or rate; a rate other than `rate`; a channel count
    // other than 1 or 2; a decoding error; a file that decodes to nothing or
    // to more than 64 MiB.
    static bool s_loadFromMemory(const uint8_t* file, size_t size, const char* name, HAudioSample* out, int bits,
                                 int rate);

private:
    // The opened stream decoded to its end into a new[] buffer of whole
    // frames, its length in *size; null, with a developer alert naming the
    // file, when decoding fails or gives nothing or more than 64 MiB.
    static uint8_t* s_decodeWhole(HOggVorbisAudioStream& stream, int channels, const char* name, int* size);
};
