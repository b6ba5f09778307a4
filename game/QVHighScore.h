// One best-time entry: 48 bytes, stored field by field in the per-user
// registry under the keys "HSn", "HSv", "HSgt", "HSrt" and "HStl".
#pragma once

#include <cstddef>
#include <cstdint>

struct QVHighScore {
    static constexpr uint32_t kTag = 768;
    static constexpr int kNameBytes = 32;
    // The longest time an entry holds, in seconds: the clock shows at most
    // 99:59 but runs on, and a larger value would read as a negative 32-bit
    // number that ranks above every real game. A stored time above it can
    // only come from a damaged or hand-edited registry.
    static constexpr uint32_t kMaxSeconds = 0x7FFFFFFFu;

    uint32_t tag;            // format tag, always kTag
    char name[kNameBytes];   // terminated within the field
    uint32_t gameTime;       // seconds, penalties included
    uint32_t realTime;       // seconds of real playing time
    uint32_t remainingTiles; // tiles left at the end, 0 for a cleared board
};

static_assert(sizeof(QVHighScore) == 48, "the best-time entry is 48 bytes");
static_assert(offsetof(QVHighScore, name) == 4, "name at 4");
static_assert(offsetof(QVHighScore, gameTime) == 36, "game time at 36");
static_assert(offsetof(QVHighScore, realTime) == 40, "real time at 40");
static_assert(offsetof(QVHighScore, remainingTiles) == 44, "tiles left at 44");
