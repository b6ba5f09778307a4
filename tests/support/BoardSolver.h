// Plays a dealt board outside the game, for tests that then click the same
// moves in the real program and for the play fuzzer's choice of pairs: the
// free pairs a player can click (both tiles hit at the middle of their
// faces), ranked by how much they uncover, a depth-first search for a way
// to clear the whole board (which also tells a deal proven dead from one it
// could not decide), and one for a way to run out of moves.
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

    // What the search for a clearing order found: one, none at all (every
    // line from the position followed to its end: the deal cannot be
    // cleared without a shuffle, whatever the player does), or neither
    // within its budget.
    enum class Verdict { Cleared, Unwinnable, Undecided };

    // A sequence of clickable pairs that clears the board, searched depth
    // first (PairSearch, no position twice): a pair of a group whose other
    // tiles are gone, or a group wholly free, is taken without trying
    // another; a group none of whose pairings into two pairs keeps apart
    // tiles that lie one on the other (through the layers) ends the branch,
    // and so does a ring of pairs, each of which must go before the next
    // (a tile of it lies on a tile of the next, or stands along a row where
    // a tile of the next must wait for it: on the side away from that
    // tile's partner, or on both sides); otherwise the pairs that release most
    // (the tiles under them, those along the row they close) are tried
    // first. Short tries with that order shaken take half the budget, one
    // long try the rest. Moves is empty unless the board was cleared.
    Verdict solve(int32_t budget, std::vector<Move>* moves) const;
    // The same search: false (moves empty) when no way was found within
    // `budget` positions.
    bool findClearingMoves(int32_t budget, std::vector<Move>* moves) const
    {
        return solve(budget, moves) == Verdict::Cleared;
    }
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
    // solve()'s short tries: positions each, and the most their ranking
    // is shaken by.
    static constexpr int32_t kTryBudget = 100;
    static constexpr int32_t kJitter = 24;

    struct Hit {
        int32_t slot;
        int32_t z;
        bool face; // the point lies on the tile's face, not only its edges
    };

    bool m_free(const Present& present, int32_t slot) const;
    bool m_clickable(const Present& present, int32_t slot) const;
    std::vector<Move> m_pairs(const Present& present) const;
    std::vector<Move> m_ranked(const Present& present) const;
    // The pairs findClearingMoves tries from a position, best first; a
    // non-zero salt adds to each pair's weight a jitter of its own (0 to
    // kJitter - 1), the same for the same salt and pair.
    std::vector<Move> m_clearingPairs(const Present& present, uint32_t salt) const;
    static int32_t m_jitter(uint32_t salt, const Move& m);
    // Pairs of any two free tiles, of the best few by weight, best first.
    std::vector<Move> m_anyPairs(const Present& present) const;
    int32_t m_weight(const Present& present, const Move& m) const;
    // Whether one of the two tiles lies on the other, through the layers:
    // they can never be free together.
    bool m_stacked(int32_t a, int32_t b) const
    {
        return m_under[static_cast<size_t>(a)][static_cast<size_t>(b)] ||
               m_under[static_cast<size_t>(b)][static_cast<size_t>(a)];
    }
    // The present tiles of each group (at most four).
    static constexpr int32_t kGroupSize = 4;
    struct GroupTiles {
        int32_t count;
        std::array<int32_t, kGroupSize> tiles;
    };
    using Groups = std::array<GroupTiles, QVBoard::kMatchGroups>;
    // The ways of pairing a group's tiles (two or four; false for other
    // counts) that keep apart tiles lying one on the other: how many, and
    // the pairs of the last one (other is (-1, -1) for a group of two).
    bool m_pairings(const GroupTiles& group, Move* only, Move* other, int32_t* ways) const;
    // Whether the tiles left of a group can no longer all go: every way of
    // pairing them puts two stacked tiles together.
    bool m_deadGroup(const GroupTiles& group) const;
    // Whether the pairs that the tiles left must go in (`left`: each
    // group's present tiles) lock each other: a chain of them each to go
    // before the next (lying on it, or closing its row), back to the first.
    bool m_lockedPairs(const Present& present, const Groups& left) const;
    // The present tiles along the tile's row on one side, through the tiles
    // beside each (half a tile up or down too).
    Present m_row(const Present& present, int32_t slot, bool leftwards) const;

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
    // Per slot: every tile lying on it, through the layers up.
    std::array<Present, QVBoard::kTileCount> m_above;
    // Per slot: the tiles whose rectangle holds the middle of its face, in
    // slot order (itself among them).
    std::array<std::vector<Hit>, QVBoard::kTileCount> m_hits;
};
