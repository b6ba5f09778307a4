// Plays a dealt board outside the game, for tests that then click the same
// moves in the real program and for the play fuzzer's choice of pairs: the
// free pairs a player can click (both tiles hit at the middle of their
// faces), ranked by how much they uncover, a depth-first search for a way
// to clear the whole board, and one for a way to run out of moves.
//
// It takes the board's tiles once (positions, groups, which are present)
// and works on its own copy from then on: what lies on a tile, beside it and
// over the middle of its face is worked out from the positions when it is
// made, so a position of the search costs no scan of the board. The
// freedom rule is the board's (nothing of the next layer overlaps the
// tile, and its left or its right side is open), the hit test is
// m_findTileAtPoint's walk; BoardSolverTest holds both to the board's own.
#pragma once

#include "game/QVBoard.h"
#include "game/TilePosition.h"
#include "tests/support/PairSearch.h"

#include <array>
#include <cstdint>
#include <utility>
#include <vector>

class BoardSolver {
public:
    // Two tile slots (0-143).
    using Move = std::pair<int32_t, int32_t>;
    using Present = PairSearch::Present;

    // The board as it is now; it is not touched afterwards.
    explicit BoardSolver(const QVBoard& board);

    // The position of a board of the same deal (the same places), as it is
    // now: which tiles are present and their groups (a shuffle moves them).
    void takePosition(const QVBoard& board);

    // At the board's position: whether the tile of a slot is free, and
    // whether a click at the middle of its face reaches it.
    bool isFree(int32_t slot) const { return m_free(m_start, slot); }
    bool isClickable(int32_t slot) const { return m_clickable(m_start, slot); }

    // The free pairs whose tiles are both clickable, in slot order of their
    // first tile (every pair of a group, not only the hint's).
    std::vector<Move> clickablePairs() const { return m_pairs(m_start); }
    // The same pairs, the one that uncovers most first (PairSearch's
    // weight of its two tiles; equal weights in slot order).
    std::vector<Move> rankedPairs() const { return m_ranked(m_start); }

    // A sequence of clickable pairs that clears the board, searched depth
    // first (PairSearch, no position twice): a pair of a group whose other
    // tiles are gone, or a group wholly free, is taken without trying
    // another; a group whose last two tiles lie one on the other ends the
    // branch; otherwise the pairs that uncover most are tried first. False
    // (moves empty) when none was found within `budget` positions.
    bool findClearingMoves(int32_t budget, std::vector<Move>* moves) const;
    // A sequence of clickable pairs after which no free pair is left while
    // tiles are, the pairs that uncover least tried first (the first try is
    // the greedy play that takes the least each time). False when none was
    // found within `budget` positions.
    bool findDeadEnd(std::vector<Move>* moves, int32_t budget = 2000) const;
    // The first of the ranked pairs after which the tiles left could still
    // all go, were any two free tiles a pair (shuffles can then always go on
    // towards a cleared board), the way found within `budget` positions;
    // false when no pair keeps the board so.
    bool findPairThatKeepsItClearable(Move* move, int32_t budget = 200) const;

private:
    struct Hit {
        int32_t slot;
        int32_t z;
        bool face; // the point lies on the tile's face, not only its edges
    };

    bool m_free(const Present& present, int32_t slot) const;
    bool m_clickable(const Present& present, int32_t slot) const;
    std::vector<Move> m_pairs(const Present& present) const;
    std::vector<Move> m_ranked(const Present& present) const;
    std::vector<Move> m_clearingPairs(const Present& present) const;
    // Pairs of any two free tiles, of the best few by weight, best first.
    std::vector<Move> m_anyPairs(const Present& present) const;
    int32_t m_weight(const Present& present, const Move& m) const;

    Present m_start;
    std::array<int32_t, QVBoard::kTileCount> m_group;
    std::vector<TilePosition> m_positions;
    // Per slot: the tiles of the next layer that overlap it, the tiles that
    // close its left and its right side.
    std::array<std::vector<int32_t>, QVBoard::kTileCount> m_over;
    std::array<std::vector<int32_t>, QVBoard::kTileCount> m_left;
    std::array<std::vector<int32_t>, QVBoard::kTileCount> m_right;
    // Per slot: every tile it lies on, through the layers down.
    std::array<Present, QVBoard::kTileCount> m_under;
    // Per slot: the tiles whose rectangle holds the middle of its face, in
    // slot order (itself among them).
    std::array<std::vector<Hit>, QVBoard::kTileCount> m_hits;
};
