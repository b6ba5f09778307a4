// Dealing and solving a run of boards of one layout.
#include "tests/support/LayoutFairness.h"

#include "tests/support/BoardSolver.h"

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

LayoutFairness::Tally LayoutFairness::s_measure(ArchiveBoard& archive, int32_t layout, uint32_t first, int32_t deals,
                                                int32_t budget, int32_t threads)
{
    Tally tally;
    tally.deals = deals;
    std::vector<BoardSolver> boards;
    for (int32_t i = 0; i < deals; ++i) {
        if (archive.deal(first + static_cast<uint32_t>(i), layout))
            boards.emplace_back(archive.board);
        else
            ++tally.undecided;
    }
    std::vector<BoardSolver::Verdict> verdicts(boards.size(), BoardSolver::Verdict::Undecided);
    std::atomic<size_t> next{0};
    auto work = [&]() {
        std::vector<BoardSolver::Move> moves;
        for (size_t i = next++; i < boards.size(); i = next++)
            verdicts[i] = boards[i].solve(budget, &moves);
    };
    std::vector<std::thread> pool;
    for (int32_t t = 1; t < std::max<int32_t>(threads, 1); ++t)
        pool.emplace_back(work);
    work();
    for (std::thread& t : pool)
        t.join();
    for (BoardSolver::Verdict v : verdicts) {
        tally.cleared += v == BoardSolver::Verdict::Cleared ? 1 : 0;
        tally.unwinnable += v == BoardSolver::Verdict::Unwinnable ? 1 : 0;
        tally.undecided += v == BoardSolver::Verdict::Undecided ? 1 : 0;
    }
    return tally;
}
