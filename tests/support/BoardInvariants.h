// The board's rules as checks, for the play fuzzer and the property test of
// the rules: what must hold of a board at any moment (the counts, the
// selection, the groups, the undo stack), and what may change from one
// moment to the next (a free pair of one group taken off, exactly the last
// pair put back, a shuffle that keeps the groups and the positions). Each
// check answers with the rule that was broken, or an empty string.
//
// The counts are recounted here from the tiles and the board's own freedom
// rule (tileIsFree, asked once per tile when a snapshot is taken): these
// checks are about the bookkeeping around it.
#pragma once

#include "game/QVBoard.h"

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class BoardInvariants {
public:
    // What a board held at one moment, slot by slot, with the undo stack as
    // slot pairs (oldest first).
    struct Snapshot {
        struct Tile {
            bool present;
            bool selected;
            bool free;
            int32_t matchGroup;
            int32_t face;
            int32_t x, y, z;
        };
        std::array<Tile, QVBoard::kTileCount> tiles;
        // Slots; -1 for a pointer that is not to a tile of the board.
        std::vector<std::pair<int32_t, int32_t>> undo;
        int32_t undoTop;
        int32_t selected; // slot, -1 for none, -2 for a pointer off the board
        int32_t tilesLeft;
        int32_t availableMatches;

        // `earlier`, when given, is a snapshot of the same deal: while the
        // same tiles are present the free flags are its (freedom depends
        // only on which tiles lie where), so a long run of steps that take
        // nothing off asks the board only once.
        static Snapshot s_take(const QVBoard& board, const Snapshot* earlier = nullptr);

        // The slots of the free tiles, in slot order; of one group only
        // when `group` is not negative.
        std::vector<int32_t> freeSlots(int32_t group = -1) const;
    };

    // What a step may do beyond taking off or putting back a pair.
    struct Allowed {
        // The groups and faces of the present tiles may be redistributed (and
        // then the undo stack must be empty).
        bool shuffle = false;
        // The undo stack may be emptied (the game ended).
        bool undoCleared = false;
    };

    // The rules of one moment: tilesLeft is the present tiles; the available
    // moves are the free tiles of each group halved and rounded down; the
    // selected tile is present, free and the only one flagged; each group
    // keeps four tiles and an even number of them present; the undo stack
    // holds distinct removed tiles, a pair of one group per entry.
    static std::string s_check(const Snapshot& board);
    // A freshly dealt board: every tile present, the deal table's groups and
    // faces, no selection, an empty undo stack.
    static std::string s_checkDeal(const Snapshot& board);
    // The rules of a step from `before` to `after` on one deal: positions
    // never move; a removed tile keeps its group and face; either nothing
    // comes or goes, or exactly one pair of one group that was free goes and
    // becomes the newest undo entry, or exactly the newest undo entry comes
    // back with the groups it left with; a shuffle (only when allowed) keeps
    // which tiles are present and the multiset of groups and faces.
    static std::string s_checkStep(const Snapshot& before, const Snapshot& after, const Allowed& allowed);

    // The free pairs of the board: every two present free tiles of one
    // group, in slot order of the first tile, then of the second.
    static std::vector<std::pair<int32_t, int32_t>> s_freePairs(const QVBoard& board);
    // Available moves recounted from the tiles: per group, free tiles / 2.
    static int32_t s_recountMoves(const Snapshot& board);
    // The slot of a tile of the board; -1 for null or a pointer that is not
    // to one of its tiles.
    static int32_t s_slotOf(const QVBoard& board, const QVTile* tile);
};
