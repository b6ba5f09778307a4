// The depth-first search for a way to clear a board, shared by the test
// support's solver (on a dealt board, pairs a player can click) and the
// layouts' clearability test (on bare positions, any two free tiles): a
// position is the set of tiles still present; the caller names the pairs
// that may be taken from a position, best first; no position is visited
// twice, and the search gives up after `budget` positions. The goal is the
// empty board, or any position the caller names (the solver's dead end).
#pragma once

#include "game/TilePosition.h"

#include <bitset>
#include <cstdint>
#include <functional>
#include <unordered_set>
#include <utility>
#include <vector>

class PairSearch {
public:
    static constexpr int kMaxTiles = 144;
    using Present = std::bitset<kMaxTiles>;
    using Pair = std::pair<int32_t, int32_t>;
    using PairsOf = std::function<std::vector<Pair>(const Present&)>;
    using Goal = std::function<bool(const Present&)>;

    // How much taking tile i opens up, the searches' ranking: 8 a layer it
    // lies above the table, 3 for each present tile it lies on, 1 for each
    // present tile beside it that it closes.
    static int32_t s_weight(const std::vector<TilePosition>& tiles, const Present& present, int32_t i);

    // A sequence of pairs from `start` to an empty board into moves; false
    // (moves empty) when none was found within the budget.
    bool clear(const Present& start, int32_t budget, const PairsOf& pairsOf, std::vector<Pair>* moves);
    // A sequence of pairs from `start` to a position where `goal` holds.
    bool reach(const Present& start, int32_t budget, const PairsOf& pairsOf, const Goal& goal,
               std::vector<Pair>* moves);
    // Whether the last search stopped at its budget; when it did not, a
    // false answer is a proof: every line from the start was followed to
    // its end.
    bool ranOut() const { return m_iVisits > m_iBudget; }

private:
    bool m_search(const Present& present, int32_t budget, const PairsOf& pairsOf, const Goal& goal,
                  std::vector<Pair>* moves);

    int32_t m_iVisits = 0;
    int32_t m_iBudget = 0;
    std::unordered_set<Present> m_seen;
};
