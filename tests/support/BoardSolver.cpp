// Playing a dealt board outside the game: clickable pairs and two searches.
#include "tests/support/BoardSolver.h"

#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardInvariants.h"

#include <algorithm>

BoardSolver::BoardSolver(QVBoard& board) : m_board(board), m_positions()
{
    for (const QVTile& t : m_board.tiles)
        m_positions.push_back(TilePosition{t.x, t.y, t.z});
}

std::vector<BoardSolver::Move> BoardSolver::clickablePairs()
{
    std::vector<Move> pairs;
    for (const Move& m : BoardInvariants::s_freePairs(m_board)) {
        if (ArchiveBoard::s_clickable(m_board, m.first) && ArchiveBoard::s_clickable(m_board, m.second))
            pairs.push_back(m);
    }
    return pairs;
}

PairSearch::Present BoardSolver::m_present() const
{
    PairSearch::Present p;
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i)
        p[static_cast<size_t>(i)] = m_board.tiles[i].present;
    return p;
}

void BoardSolver::m_setPresent(const PairSearch::Present& present)
{
    for (int32_t i = 0; i < QVBoard::kTileCount; ++i)
        m_board.tiles[i].present = present[static_cast<size_t>(i)];
}

int32_t BoardSolver::m_weight(const PairSearch::Present& present, const Move& m) const
{
    return PairSearch::s_weight(m_positions, present, m.first) + PairSearch::s_weight(m_positions, present, m.second);
}

bool BoardSolver::findClearingMoves(int32_t budget, std::vector<Move>* moves)
{
    const PairSearch::Present start = m_present();
    PairSearch search;
    const bool found = search.clear(start, budget, [this](const PairSearch::Present& present) {
        m_setPresent(present);
        std::vector<std::pair<int32_t, Move>> ranked;
        for (const Move& m : clickablePairs())
            ranked.emplace_back(m_weight(present, m), m);
        std::stable_sort(ranked.begin(), ranked.end(), [](const auto& l, const auto& r) { return l.first > r.first; });
        std::vector<Move> best;
        for (const auto& r : ranked)
            best.push_back(r.second);
        return best;
    }, moves);
    m_setPresent(start);
    return found;
}

bool BoardSolver::findDeadEnd(std::vector<Move>* moves)
{
    moves->clear();
    const PairSearch::Present start = m_present();
    PairSearch::Present present = start;
    bool stuck = false;
    for (;;) {
        m_setPresent(present);
        std::vector<Move> pairs = clickablePairs();
        if (pairs.empty()) {
            // No free pair at all, not only none that can be clicked.
            stuck = present.any() && BoardInvariants::s_freePairs(m_board).empty();
            break;
        }
        const auto least = std::min_element(pairs.begin(), pairs.end(), [&](const Move& l, const Move& r) {
            return m_weight(present, l) < m_weight(present, r);
        });
        present.reset(static_cast<size_t>(least->first));
        present.reset(static_cast<size_t>(least->second));
        moves->push_back(*least);
    }
    m_setPresent(start);
    return stuck;
}
