// The soundtrack, "music/theme_qz.ogg": an original piece in D major
// pentatonic at 80 beats a minute, 20 bars of 4/4 (exactly 60 s), stereo at
// 22050 Hz. A four-bar opening of plucked arpeggios over a pad and bass, then
// the tune on a flute: A, A' (resolving), B (higher), B' (leading back to
// the opening). Every voice is written into a looping track, so notes and
// reverb that ring past the last bar sound on at the start: the piece loops
// to 0 without a seam.
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Synth.h"

#include <cmath>

namespace mkarchive {

namespace {

constexpr double kBeat = 0.75; // seconds at 80 beats a minute
constexpr double kBar = 4 * kBeat;
constexpr int32_t kBars = 20;

struct Note {
    int32_t midi; // 0 is a rest
    double beats;
};

// The tune, bar by bar (each bar four beats).
const Note kPhraseA[] = {{69, 1}, {71, .5}, {69, .5}, {66, 1}, {64, 1},  {62, 1.5}, {64, .5}, {66, 1}, {69, 1},
                         {71, 1}, {74, 1},  {71, .5}, {69, .5}, {66, 1}, {64, 2},   {66, 1},  {69, 1}};
const Note kPhraseA2[] = {{69, 1}, {71, .5}, {69, .5}, {66, 1}, {64, 1},  {62, 1.5}, {64, .5}, {66, 1}, {69, 1},
                          {71, 1}, {74, 1},  {71, .5}, {69, .5}, {66, 1}, {64, 1},   {66, .5}, {64, .5}, {62, 2}};
const Note kPhraseB[] = {{74, 1.5}, {76, .5}, {74, 1}, {71, 1},  {69, 1},  {71, 1}, {74, 2},
                         {78, 1},   {76, 1},  {74, .5}, {71, .5}, {69, 1}, {71, 3}, {0, 1}};
const Note kPhraseB2[] = {{74, 1.5}, {76, .5}, {74, 1}, {71, 1},  {69, 1},  {71, 1}, {74, 2},
                          {76, 1},   {74, 1},  {71, .5}, {69, .5}, {66, 1}, {69, 3}, {0, 1}};

// Chords: the bass root, then four tones for the arpeggio and pad.
struct Chord {
    int32_t root;
    int32_t tones[4];
};
const Chord kD = {50, {57, 62, 66, 69}};
const Chord kBm = {47, {54, 59, 62, 66}};
const Chord kG = {43, {55, 59, 62, 67}};
const Chord kA = {45, {57, 61, 64, 69}};
const Chord kFsm = {42, {54, 57, 61, 66}};
const Chord* const kChords[kBars] = {
    &kD, &kBm, &kG, &kA,   // opening
    &kD, &kBm, &kG, &kA,   // A
    &kD, &kBm, &kG, &kD,   // A'
    &kG, &kA,  &kFsm, &kBm, // B
    &kG, &kA,  &kBm, &kA,   // B'
};

double barStart(int32_t bar)
{
    return bar * kBar;
}

void playTune(Track& lead, Track& shine, const Note* notes, int32_t count, int32_t firstBar, bool doubled)
{
    double t = barStart(firstBar);
    for (int32_t i = 0; i < count; ++i) {
        const double length = notes[i].beats * kBeat;
        if (notes[i].midi != 0) {
            lead.flute(t, midiToHz(notes[i].midi), length * 0.96, 0.32);
            if (doubled)
                shine.bell(t, midiToHz(notes[i].midi + 12), std::fmin(length * 1.5, 1.6), 0.07);
        }
        t += length;
    }
}

} // namespace

bool makeMusic(AssetSet& set)
{
    const double length = kBars * kBar;
    Track bass(length, true);
    Track arp(length, true);
    Track padL(length, true);
    Track padR(length, true);
    Track lead(length, true);
    Track shine(length, true);
    Track drums(length, true);
    Track shaker(length, true);
    Rng rng(4242);

    const int32_t pattern[8] = {0, 1, 2, 1, 3, 2, 1, 2};
    for (int32_t bar = 0; bar < kBars; ++bar) {
        const Chord& c = *kChords[bar];
        const double t0 = barStart(bar);
        const bool opening = bar < 4;
        bass.pluck(t0, midiToHz(c.root), 1.5, 0.55, 0.6);
        bass.pluck(t0 + 2 * kBeat, midiToHz(c.root + 7), 1.5, 0.4, 0.6);
        for (int32_t e = 0; e < 8; ++e) {
            const double accent = (e == 0 || e == 4) ? 1.0 : 0.72;
            arp.pluck(t0 + e * kBeat / 2, midiToHz(c.tones[pattern[e]]), 1.3, (opening ? 0.3 : 0.22) * accent, 1.15);
        }
        for (int32_t k = 0; k < 3; ++k) {
            padL.pad(t0, midiToHz(c.tones[k]), kBar + 0.6, 0.07, 0.0025);
            padR.pad(t0, midiToHz(c.tones[k]), kBar + 0.6, 0.07, 0.0035);
        }
        if (bar >= 2) {
            drums.drum(t0, 70.0, 0.5, 0.5);
            drums.drum(t0 + 2 * kBeat, 120.0, 0.25, 0.22);
            for (int32_t e = 1; e < 8; e += 2)
                shaker.noise(t0 + e * kBeat / 2, 0.09, 8000.0, 0.8, 0.025, 0.12, rng);
        }
    }
    playTune(lead, shine, kPhraseA, int32_t(sizeof(kPhraseA) / sizeof(kPhraseA[0])), 4, false);
    playTune(lead, shine, kPhraseA2, int32_t(sizeof(kPhraseA2) / sizeof(kPhraseA2[0])), 8, false);
    playTune(lead, shine, kPhraseB, int32_t(sizeof(kPhraseB) / sizeof(kPhraseB[0])), 12, true);
    playTune(lead, shine, kPhraseB2, int32_t(sizeof(kPhraseB2) / sizeof(kPhraseB2[0])), 16, true);

    // Mix with constant-power panning: arpeggio a little left, tune a little
    // right, shaker further right, bass and drums in the middle.
    struct Part {
        const Track* track;
        double pan; // -1 left .. 1 right
    };
    const Part parts[] = {{&bass, 0.0},  {&arp, -0.35}, {&padL, -0.8}, {&padR, 0.8},
                          {&lead, 0.15}, {&shine, 0.3}, {&drums, 0.0}, {&shaker, 0.5}};
    Buffer left(size_t(bass.frames()), 0.0f);
    Buffer right(size_t(bass.frames()), 0.0f);
    for (const Part& p : parts) {
        const double angle = (p.pan + 1.0) * M_PI / 4.0;
        const float gl = float(std::cos(angle));
        const float gr = float(std::sin(angle));
        const Buffer& s = p.track->samples();
        for (size_t i = 0; i < s.size(); ++i) {
            left[i] += gl * s[i];
            right[i] += gr * s[i];
        }
    }
    reverb(left, 0.28, 0.07, 2.0, true, 0);
    reverb(right, 0.28, 0.07, 2.0, true, 3);
    normalise({&left, &right}, 0.85);
    return set.addSound("music/theme_qz.ogg", stereoSound(left, right));
}

} // namespace mkarchive
