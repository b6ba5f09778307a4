// The search for a way to clear a board.
#include "tests/support/PairSearch.h"

#include <cstdlib>

int32_t PairSearch::s_weight(const std::vector<TilePosition>& tiles, const Present& present, int32_t i)
{
    const TilePosition& t = tiles[static_cast<size_t>(i)];
    int32_t w = 8 * t.z;
    for (size_t j = 0; j < tiles.size(); ++j) {
        const TilePosition& u = tiles[j];
        if (!present[j] || static_cast<int32_t>(j) == i || std::abs(u.y - t.y) > 1)
            continue;
        if (u.z == t.z - 1 && std::abs(u.x - t.x) <= 1)
            w += 3;
        else if (u.z == t.z && std::abs(u.x - t.x) == 2)
            w += 1;
    }
    return w;
}

bool PairSearch::clear(const Present& start, int32_t budget, const PairsOf& pairsOf, std::vector<Pair>* moves)
{
    return reach(start, budget, pairsOf, [](const Present& p) { return p.none(); }, moves);
}

bool PairSearch::reach(const Present& start, int32_t budget, const PairsOf& pairsOf, const Goal& goal,
                       std::vector<Pair>* moves)
{
    m_iVisits = 0;
    m_iBudget = budget;
    m_seen.clear();
    moves->clear();
    return m_search(start, budget, pairsOf, goal, moves);
}

bool PairSearch::m_search(const Present& present, int32_t budget, const PairsOf& pairsOf, const Goal& goal,
                          std::vector<Pair>* moves)
{
    if (goal(present))
        return true;
    if (++m_iVisits > budget || !m_seen.insert(present).second)
        return false;
    for (const Pair& p : pairsOf(present)) {
        Present next = present;
        next.reset(static_cast<size_t>(p.first));
        next.reset(static_cast<size_t>(p.second));
        moves->push_back(p);
        if (m_search(next, budget, pairsOf, goal, moves))
            return true;
        moves->pop_back();
        if (m_iVisits > budget)
            return false;
    }
    return false;
}
