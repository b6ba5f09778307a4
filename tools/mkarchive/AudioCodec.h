// Sound encoders: WAV with the canonical 44-byte header and Ogg Vorbis through
// libvorbisenc, both at the game's output rate of 22050 Hz.
#pragma once

#include <cstdint>
#include <vector>

namespace mkarchive {

using Bytes = std::vector<uint8_t>;

// A sound in floating point, -1 to 1, one vector per channel (1 or 2), all of
// the same length, at 22050 Hz.
struct Sound {
    std::vector<std::vector<float>> channels;

    int32_t frames() const { return channels.empty() ? 0 : int32_t(channels[0].size()); }
};

// 16-bit PCM; "data" follows a 16-byte fmt chunk.
Bytes encodeWav(const Sound& sound);

// Variable bit rate at `quality` (-0.1 to 1.0). `serial` numbers the logical
// stream; fixed, so the bytes are the same on every run.
Bytes encodeOgg(const Sound& sound, float quality, int32_t serial);

} // namespace mkarchive
