// Ogg Vorbis files for the stream and mixer tests, encoded in memory with
// libvorbisenc, and the PCM signals that go into them.
#pragma once

#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

class OggFixtures {
public:
    OggFixtures() = delete;

    // The serial number of a logical stream unless one is given.
    static constexpr uint32_t kSerial = 0x51564d55;

    // Interleaved 16-bit frames of `channels` channels at `rate` Hz, encoded
    // at the given VBR quality (-0.1 to 1) in one logical stream with a fixed
    // serial number, so the same input always gives the same bytes.
    static Bytes vorbis(const std::vector<int16_t>& frames, int channels, int rate, float quality = 0.5f,
                        uint32_t serial = kSerial);

    // `frames` frames of a tone at `hz` Hz (a different one on each channel,
    // one octave apart), at about half of full scale.
    static std::vector<int16_t> tone(int frames, int channels, int rate, int hz);

    // Rewrites the granule position (the stream's length in frames) of the
    // last page and its checksum, as a crafted file would.
    static void setLastGranulePosition(Bytes& file, int64_t granule);

    // A chained file: the links one after the other, as a player that plays
    // a stream of several pieces writes it. Each link keeps its own serial
    // number (give them different ones).
    static Bytes chain(const std::vector<Bytes>& links);

    // The number of pages of a file, and the file with its page `index`
    // (from 0) cut out, as a transfer that lost it would leave it: the pages
    // after it keep their sequence numbers, so a decoder sees the gap.
    static int pageCount(const Bytes& file);
    static Bytes withoutPage(const Bytes& file, int index);

    // What a reference decoder (oggdec) writes for a file of one link:
    // vorbisfile read straight through to the end, going on past a hole, as
    // signed 16-bit little-endian frames; `holes` counts the holes passed.
    // Empty when vorbisfile cannot open the bytes or stops on an error. (For
    // a chain, decode its links one by one: read straight on after opening,
    // vorbisfile can begin a chain at a later link.)
    static std::vector<int16_t> referenceDecode(const Bytes& file, int* holes = nullptr);
};
