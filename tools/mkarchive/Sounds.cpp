// The game's sounds, synthesised: three short clicks as WAV, the rest as Ogg
// Vorbis, all mono at 22050 Hz. Peaks stay below full scale because the mixer
// adds voices together.
#include "tools/mkarchive/Producers.h"
#include "tools/mkarchive/Synth.h"

namespace mkarchive {

namespace {

Sound finish(Track& t, double peak, double fade = 0.004)
{
    fadeEdges(t.samples(), fade);
    normalise({&t.samples()}, peak);
    return monoSound(t.samples());
}

// The interface click: a short, bright tick.
Sound guiClick()
{
    Track t(0.055, false);
    Rng rng(101);
    t.noise(0.0, 0.05, 3400.0, 2.0, 0.004, 1.0, rng);
    t.bell(0.0, 1750.0, 0.05, 0.25);
    return finish(t, 0.6, 0.002);
}

// Picking a tile: ivory knocked on wood, two resonances and a low thump.
Sound tileClick(double pitch, double peak, uint64_t seed)
{
    Track t(0.065, false);
    Rng rng(seed);
    t.noise(0.0, 0.06, 2500.0 * pitch, 6.0, 0.009, 1.0, rng);
    t.noise(0.0, 0.06, 1150.0 * pitch, 5.0, 0.014, 0.8, rng);
    t.drum(0.0, 260.0 * pitch, 0.06, 0.35);
    return finish(t, peak, 0.002);
}

// A pair taken: two ivory knocks and a rising two-note chime.
Sound match()
{
    Track t(0.32, false);
    Rng rng(202);
    t.noise(0.0, 0.05, 2300.0, 6.0, 0.008, 0.5, rng);
    t.noise(0.018, 0.05, 2600.0, 6.0, 0.008, 0.4, rng);
    t.bell(0.02, midiToHz(88), 0.3, 0.5);  // E6
    t.bell(0.09, midiToHz(95), 0.23, 0.45); // B6
    return finish(t, 0.7);
}

// Not a match: two dull low notes falling.
Sound blocked()
{
    Track t(0.2, false);
    t.pluck(0.0, midiToHz(50), 0.09, 0.8, 0.4);  // D3
    t.pluck(0.085, midiToHz(46), 0.115, 0.8, 0.4); // A#2
    t.drum(0.0, 110.0, 0.09, 0.5);
    t.drum(0.085, 90.0, 0.11, 0.5);
    return finish(t, 0.65);
}

// A hint: three quick rising pings with a little shimmer.
Sound hint()
{
    Track t(0.3, false);
    Rng rng(303);
    const int32_t notes[3] = {81, 85, 88}; // A5 C#6 E6
    for (int32_t i = 0; i < 3; ++i)
        t.bell(0.05 * i, midiToHz(notes[i]), 0.3 - 0.05 * i, 0.5);
    t.noise(0.0, 0.25, 7000.0, 1.5, 0.08, 0.08, rng);
    return finish(t, 0.55);
}

// The board cleared: a pentatonic run up to a ringing chord.
Sound youWin()
{
    Track t(2.0, false);
    const int32_t run[6] = {72, 74, 76, 79, 81, 84}; // C5 D5 E5 G5 A5 C6
    for (int32_t i = 0; i < 6; ++i)
        t.pluck(0.09 * i, midiToHz(run[i]), 0.8, 0.5, 1.2);
    const int32_t chord[4] = {60, 67, 74, 76}; // C4 G4 D5 E5
    for (int32_t i = 0; i < 4; ++i) {
        t.pluck(0.56 + 0.015 * i, midiToHz(chord[i]), 1.44 - 0.015 * i, 0.45, 1.0);
        t.bell(0.56, midiToHz(chord[i] + 12), 1.44, 0.12);
    }
    reverb(t.samples(), 0.3, 0.05, 1.2, false, 0);
    return finish(t, 0.75, 0.01);
}

// Start-up: a soft gong swelling under a three-note call.
Sound splash()
{
    Track t(1.5, false);
    const double ratios[6] = {1.0, 1.48, 2.09, 2.81, 3.62, 4.93};
    for (int32_t k = 0; k < 6; ++k)
        t.pad(0.0, 98.0 * ratios[k], 1.5, 0.3 / (1 + k), 0.002);
    t.bell(0.0, 98.0, 1.5, 0.35);
    const int32_t call[3] = {76, 79, 81}; // E5 G5 A5
    for (int32_t i = 0; i < 3; ++i)
        t.pluck(0.25 + 0.18 * i, midiToHz(call[i]), 1.0 - 0.1 * i, 0.45, 1.1);
    reverb(t.samples(), 0.35, 0.06, 1.5, false, 1);
    return finish(t, 0.75, 0.01);
}

// No more moves: a slow falling minor line.
Sound gameOver()
{
    Track t(2.0, false);
    const int32_t line[4] = {69, 67, 64, 62}; // A4 G4 E4 D4
    for (int32_t i = 0; i < 4; ++i)
        t.pluck(0.22 * i, midiToHz(line[i]), 1.0, 0.5, 0.8);
    t.pluck(0.9, midiToHz(57), 1.1, 0.55, 0.7); // A3
    t.pad(0.9, midiToHz(45), 1.1, 0.18, 0.003);
    reverb(t.samples(), 0.35, 0.06, 1.4, false, 2);
    return finish(t, 0.7, 0.01);
}

} // namespace

bool makeSounds(AssetSet& set)
{
    return set.addSound("sound/qv_guiclick.wav", guiClick()) &&
           set.addSound("sound/qv_click.wav", tileClick(1.0, 0.7, 111)) &&
           set.addSound("sound/qv_unclick.wav", tileClick(0.72, 0.55, 112)) &&
           set.addSound("sound/qv_match.ogg", match()) && set.addSound("sound/qv_blocked.ogg", blocked()) &&
           set.addSound("sound/qv_youwin.ogg", youWin()) && set.addSound("sound/qv_hint.ogg", hint()) &&
           set.addSound("sound/qv_splash.ogg", splash()) && set.addSound("sound/qv_gameover.ogg", gameOver());
}

} // namespace mkarchive
