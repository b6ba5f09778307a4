// Plays a dealt board outside the game, for tests that then click the same
// moves in the real program: the free pairs a player can click (both tiles
// hit at the middle of their faces), a depth-first search for a way to clear
// the whole board, and a way to run out of moves. It plays on the board it
// is given through the board's own rules (removal and undo) and leaves the
// board as it found it.
#pragma once

#include "game/QVBoard.h"

#include <bitset>
#include <cstdint>
#include <unordered_set>
#include <utility>
#include <vector>

class BoardSolver {
public:
    // Two tile slots (0-143).
    using Move = std::pair<int32_t, int32_t>;

    explicit BoardSolver(QVBoard& board);

    BoardSolver(const BoardSolver&) = delete;
    BoardSolver& operator=(const BoardSolver&) = delete;

    // Whether a click on the middle of the tile's face hits that tile.
    bool clickable(int32_t slot);
    // The free pairs whose tiles are both clickable, in slot order of their
    // first tile (every pair of a group, not only the hint's).
    std::vector<Move> clickablePairs();

    // A sequence of clickable pairs that clears the board, searched depth
    // first (pairs that uncover most first, no position twice); false when
    // none was found within `budget` positions.
    bool findClearingMoves(int32_t budget, std::vector<Move>* moves);
    // A sequence of clickable pairs after which no free pair is left while
    // tiles are: each step takes the pair that uncovers least. False when
    // that play clears the board, or a free pair is left that cannot be
    // clicked.
    bool findDeadEnd(std::vector<Move>* moves);

    // Positions the last search visited.
    int32_t visits() const { return m_iVisits; }

private:
    // How much taking the tile opens up: what it covers and what it closes.
    int32_t m_weight(int32_t slot) const;
    bool m_search(int32_t budget, std::vector<Move>* moves);
    std::bitset<QVBoard::kTileCount> m_present() const;
    void m_remove(const Move& m);
    void m_undo();

    QVBoard& m_board;
    int32_t m_iVisits;
    std::unordered_set<std::bitset<QVBoard::kTileCount>> m_seen;
};
