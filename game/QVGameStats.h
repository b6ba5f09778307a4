// The statistics of the current game: what it cost, and its times once it
// has ended. The best-time check ranks a finished game by them.
#pragma once

#include <cstdint>

struct QVGameStats {
    int32_t hints;       // hints asked for by the player
    int32_t undos;
    int32_t shuffles;
    int32_t gameSeconds; // the clock's final value: playing time plus penalties
    int32_t realSeconds; // playing time without penalties and pauses
    // A time fell outside 0..2^31-1 seconds (a clock that jumped) and was
    // held to that range: such a game is not ranked.
    bool timeOutOfRange;
};
