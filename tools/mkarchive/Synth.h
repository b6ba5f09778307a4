// A small synthesis kit for the sounds and the music: sample buffers at
// 22050 Hz, tuned voices (plucked string, bell, flute, soft pad, drum), noise,
// filters and a reverb. Every voice is additive or filtered noise from a
// seeded Rng, so the same code always gives the same samples.
#pragma once

#include "tools/mkarchive/AudioCodec.h"
#include "tools/mkarchive/Rng.h"

#include <cstdint>
#include <vector>

namespace mkarchive {

using Buffer = std::vector<float>;

constexpr double kRate = 22050.0;

// Equal-tempered frequency of a MIDI note (69 = A 440 Hz).
double midiToHz(double note);

// A track of a fixed length. When `loop` is set, whatever runs past the end
// continues at the start, so a piece that is played over and over has no seam.
class Track {
public:
    Track(double seconds, bool loop);

    int32_t frames() const { return int32_t(m_samples.size()); }
    Buffer& samples() { return m_samples; }
    const Buffer& samples() const { return m_samples; }

    // Adds v at frame `at` (wrapped or dropped past the end).
    void add(int64_t at, float v);

    // Tuned voices, starting at `start` seconds, lasting `length` seconds
    // (including their release), peak `amp`.
    void pluck(double start, double hz, double length, double amp, double brightness = 1.0);
    void bell(double start, double hz, double length, double amp);
    void flute(double start, double hz, double length, double amp);
    void pad(double start, double hz, double length, double amp, double detune);
    void drum(double start, double hz, double length, double amp);
    // Band-limited noise: a burst filtered around `centreHz` with the given Q,
    // decaying with time constant `tau` seconds.
    void noise(double start, double length, double centreHz, double q, double tau, double amp, Rng& rng);

private:
    Buffer m_samples;
    bool m_bLoop;
};

// Scales so the largest magnitude over all channels is `peak`.
void normalise(std::vector<Buffer*> channels, double peak);

// Ramps the first and last `seconds` of a one-shot sound to silence.
void fadeEdges(Buffer& b, double seconds);

// A Schroeder reverb (four combs, two all-passes) mixed in at `wet`; with
// `loop` it runs over the buffer twice so the tail of the end rings on into
// the start.
void reverb(Buffer& b, double wet, double roomSeconds, double decay, bool loop, int32_t variant);

Sound monoSound(const Buffer& b);
Sound stereoSound(const Buffer& left, const Buffer& right);

} // namespace mkarchive
