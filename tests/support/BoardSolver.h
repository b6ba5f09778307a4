// Plays a dealt board outside the game, for tests that then click the same
// moves in the real program: the free pairs a player can click (both tiles
// hit at the middle of their faces), a depth-first search for a way to clear
// the whole board, and a way to run out of moves. It asks the board's own
// rules which tiles are free, and leaves the board as it found it.
#pragma once

#include "game/QVBoard.h"
#include "game/TilePosition.h"
#include "tests/support/PairSearch.h"

#include <cstdint>
#include <utility>
#include <vector>

class BoardSolver {
public:
    // Two tile slots (0-143).
    using Move = std::pair<int32_t, int32_t>;

    explicit BoardSolver(QVBoard& board);

    BoardSolver(const BoardSolver&) = delete;
    BoardSolver& operator=(const BoardSolver&) = delete;

    // The free pairs whose tiles are both clickable (ArchiveBoard::s_clickable),
    // in slot order of their first tile (every pair of a group, not only the
    // hint's).
    std::vector<Move> clickablePairs();

    // A sequence of clickable pairs that clears the board, searched depth
    // first (PairSearch: pairs that uncover most first, no position twice);
    // false when none was found within `budget` positions.
    bool findClearingMoves(int32_t budget, std::vector<Move>* moves);
    // A sequence of clickable pairs after which no free pair is left while
    // tiles are: each step takes the pair that uncovers least. False when
    // that play clears the board, or a free pair is left that cannot be
    // clicked.
    bool findDeadEnd(std::vector<Move>* moves);

private:
    PairSearch::Present m_present() const;
    // The board's tiles present exactly as in `present`.
    void m_setPresent(const PairSearch::Present& present);
    int32_t m_weight(const PairSearch::Present& present, const Move& m) const;

    QVBoard& m_board;
    std::vector<TilePosition> m_positions;
};
