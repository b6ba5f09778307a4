// WAV files for the sample-loader tests: the canonical 44-byte header over
// given PCM, with helpers to rewrite single header fields as a malformed or
// crafted file would.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

using Bytes = std::vector<unsigned char>;

class WavFixtures {
public:
    WavFixtures() = delete;

    // The header (format tag 1, data size = the PCM's size) and the PCM bytes.
    static Bytes wav(int channels, int bits, int rate, const Bytes& pcm);
    // 16-bit values as little-endian bytes.
    static Bytes pcm16(const std::vector<int16_t>& values);

    static void setU16(Bytes& file, size_t offset, uint16_t value);
    static void setU32(Bytes& file, size_t offset, uint32_t value);
};
