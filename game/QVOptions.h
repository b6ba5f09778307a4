// The player's settings, kept in the game object and persisted in the
// per-user registry: the two volumes, automatic hints, the chosen tile set,
// table top and layout, the full-screen choice, and the last name entered
// for a best time. The 32-bit fields are stored as 4-byte registry values.
#pragma once

#include <cstdint>

struct QVOptions {
    static constexpr int kNameBytes = 25;

    float soundVolume;   // 0..1, scales every sound effect
    float musicVolume;   // 0..1, the soundtrack
    int32_t autoHint;    // 0 or 1
    int32_t tileSet;     // 0-8
    int32_t background;  // table top, 0-9
    int32_t layout;      // 0-17
    int32_t fullscreen;  // 0 or 1
    char lastHighScoreName[kNameBytes];

    // The values before anything is read: both volumes 1.0, automatic hints
    // on, the first tile set, table top and layout, a window, no name.
    QVOptions();
};
