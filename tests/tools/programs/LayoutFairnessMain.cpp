// Measures every layout of the build's archive: boards dealt through the
// game's own deal from a run of seeds, each searched for a clearing order
// without a shuffle, and a table of what the searches found.
//
//   build/bin/qv_layout_fairness [deals [budget [first seed [threads [layout]]]]]
//
// Defaults: 200 deals from seed 1, 20000 positions a board, 4 threads,
// every layout (else the one of that option index, 0-17).
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/LayoutFairness.h"

#include "game/QVBoard.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    auto arg = [&](int i, long fallback) { return argc > i ? std::strtol(argv[i], nullptr, 10) : fallback; };
    const int32_t deals = static_cast<int32_t>(arg(1, 200));
    const int32_t budget = static_cast<int32_t>(arg(2, 20000));
    const uint32_t first = static_cast<uint32_t>(arg(3, 1));
    const int32_t threads = static_cast<int32_t>(arg(4, 4));
    const int32_t only = static_cast<int32_t>(arg(5, -1));
    ArchiveBoard archive;
    if (!archive.ok()) {
        std::fprintf(stderr, "qv_layout_fairness: cannot open %s\n", ArchiveBoard::s_archivePath().c_str());
        return 1;
    }
    std::printf("%-24s %5s %6s %10s %8s %9s %7s\n", "layout", "free", "deals", "unwinnable", "cleared", "undecided",
                "seconds");
    for (int32_t layout = 0; layout < QVBoard::kLayoutCount; ++layout) {
        if (only >= 0 && layout != only)
            continue;
        // Which tiles are free at the start is the layout's own, whatever the deal.
        int32_t open = 0;
        if (archive.deal(first, layout)) {
            const BoardSolver board(archive.board);
            for (int32_t slot = 0; slot < QVBoard::kTileCount; ++slot)
                open += board.isFree(slot) ? 1 : 0;
        }
        const auto start = std::chrono::steady_clock::now();
        const LayoutFairness::Tally t = LayoutFairness::s_measure(archive, layout, first, deals, budget, threads);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("%-24s %5d %6d %10d %8d %9d %7.1f\n", QVBoard::s_akpLayouts[layout], open, t.deals,
                    t.unwinnable, t.cleared, t.undecided, seconds);
        std::fflush(stdout);
    }
    return 0;
}
