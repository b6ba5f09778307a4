// How fair a layout of the build's archive is: boards dealt from a run of
// seeds through the game's own deal (ArchiveBoard), each searched by the
// test support's solver for a clearing order without a shuffle (BoardSolver,
// every face seen), and counted by what the search found: a clearing order,
// a proof that there is none, or neither within its budget.
#pragma once

#include "tests/support/ArchiveBoard.h"

#include <cstdint>

class LayoutFairness {
public:
    struct Tally {
        int32_t deals = 0;
        int32_t cleared = 0;
        int32_t unwinnable = 0;
        int32_t undecided = 0;
    };

    // Deals layout `layout` (0-17) with the seeds first, first + 1, ... and
    // searches each board within `budget` positions, on `threads` threads
    // (the deals themselves one after the other, as the archive is one). A
    // deal that fails counts as neither cleared nor proven.
    static Tally s_measure(ArchiveBoard& archive, int32_t layout, uint32_t first, int32_t deals, int32_t budget,
                           int32_t threads = 1);
};
