// Ogg Vorbis files for the stream and mixer tests, encoded in memory with
// libvorbisenc, and the PCM signals that go into them.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

class OggFixtures {
public:
    OggFixtures() = delete;

    // Interleaved 16-bit frames of `channels` channels at `rate` Hz, encoded
    // at the given VBR quality (-0.1 to 1) in one logical stream with a fixed
    // serial number, so the same input always gives the same bytes.
    static Bytes vorbis(const std::vector<int16_t>& frames, int channels, int rate, float quality = 0.5f);

    // `frames` frames of a tone at `hz` Hz (a different one on each channel,
    // one octave apart), at about half of full scale.
    static std::vector<int16_t> tone(int frames, int channels, int rate, int hz);

    // Rewrites the granule position (the stream's length in frames) of the
    // last page and its checksum, as a crafted file would.
    static void setLastGranulePosition(Bytes& file, int64_t granule);
};
