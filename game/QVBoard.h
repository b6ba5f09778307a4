// The board of one deal: 144 tiles on the 144 positions of a layout, the
// order they are drawn in, the hovered and selected tiles, the counts of
// tiles left and of available moves, and the undo stack of removed pairs;
// with the rules that work on it (free tiles, matching, hints, undo, shuffle,
// hit-testing).
//
// A plain record with member functions, held by value in the game object. It
// never allocates and knows nothing of the display: the game hands it its
// random-number generator and its read file system once, and the shadow
// sizes go to QVTile as plain numbers.
//
// Board coordinates count half tiles: a tile covers the cells x to x + 1 and
// y to y + 1 of its layer z. Every neighbour test goes through
// m_findTileAtBoardXYZ with presentOnly true.
#pragma once

#include "engine/core/HScreenPoint.h"
#include "engine/core/MvTime.h"
#include "game/QVTile.h"
#include "game/TilePosition.h"

#include <cstdint>

class HFileSystem;
class HRNG;
class QVTilePainter;

class QVBoard {
public:
    static constexpr int kTileCount = 144;
    // Only 72 pairs can leave a board of 144 tiles.
    static constexpr int kUndoDepth = kTileCount / 2;
    static constexpr int kMatchGroups = 36;
    static constexpr int kLayoutCount = 18;
    static constexpr int kMaxLayoutBytes = 8192;
    // Layout coordinates beyond this, in half tiles, would lie far off the
    // 640 x 480 screen; refusing them keeps every sum of the geometry and of
    // the neighbour tests far from overflow.
    static constexpr int32_t kMaxLayoutCoordinate = 1024;
    // A removed tile fades out over this many milliseconds of game time.
    static constexpr int64_t kFadeMs = 500;

    struct UndoEntry {
        QVTile* first;
        QVTile* second;
    };

    struct DealRow {
        int32_t matchGroup;
        int32_t face;
        int32_t count;
    };

    // 34 groups of four identical tiles, then two groups (34 and 35) of four
    // different faces that match one another. The counts total exactly 144:
    // a table that dealt more would never finish.
    static constexpr int kDealRows = 42;
    static constexpr DealRow s_akDealTable[kDealRows] = {
        {0, 0, 4},   {1, 1, 4},   {2, 2, 4},   {3, 3, 4},   {4, 4, 4},   {5, 5, 4},   {6, 6, 4},
        {7, 7, 4},   {8, 8, 4},   {9, 13, 4},  {10, 14, 4}, {11, 15, 4}, {12, 16, 4}, {13, 17, 4},
        {14, 18, 4}, {15, 19, 4}, {16, 20, 4}, {17, 21, 4}, {18, 26, 4}, {19, 27, 4}, {20, 28, 4},
        {21, 29, 4}, {22, 30, 4}, {23, 31, 4}, {24, 32, 4}, {25, 33, 4}, {26, 34, 4}, {27, 39, 4},
        {28, 40, 4}, {29, 41, 4}, {30, 42, 4}, {31, 43, 4}, {32, 44, 4}, {33, 45, 4}, {34, 35, 1},
        {34, 36, 1}, {34, 37, 1}, {34, 38, 1}, {35, 48, 1}, {35, 49, 1}, {35, 50, 1}, {35, 51, 1},
    };

    // The layout files of the resource archive, indexed by the layout option.
    static const char* const s_akpLayouts[kLayoutCount];

    UndoEntry undoStack[kUndoDepth]; // removed pairs, oldest at index 0
    int32_t undoTop;                 // index of the newest entry; -1 when empty
    QVTile* drawOrder[kTileCount];   // the tiles in drawing order
    QVTile tiles[kTileCount];        // slot i holds the tile of layout line i
    QVTile* hoverTile;               // the present tile under the pointer, or null (set by the play flow)
    QVTile* selectedTile;            // the selected tile, or null
    int32_t tilesLeft;               // present tiles
    int32_t availableMatches;        // as countFreeTiles counts them

    QVBoard();

    // The board points into itself: a copy would point into the original.
    QVBoard(const QVBoard&) = delete;
    QVBoard& operator=(const QVBoard&) = delete;

    // The generator the deal and the shuffle draw from, and the file system
    // layouts are read through; neither is owned. Set once by the game.
    void setRandomNumberGenerator(HRNG* rng) { m_pRNG = rng; }
    void setFileSystem(HFileSystem* fileSystem) { m_pFileSystem = fileSystem; }

    // --- The deal ---

    // Deals a new board on the named layout. A layout that cannot be read is
    // not dealt: the result is false and the board is left as it was.
    // Without a generator nothing is dealt, the board is emptied and the
    // result is false.
    //
    // A fresh board always has a free pair: a deal without one is dealt
    // again, drawing on from the same generator, until one has it (so one
    // generator state still gives one board). After kMaxRedeals redeals
    // (which a sound generator does not reach) the last deal is mended by
    // exchanging two tiles' groups and faces so that two free tiles match.
    // Only a layout with fewer than two free places, on which no deal can
    // have a free pair, is dealt once and left without one.
    bool newBoard(const char* layoutName);
    // Deals after the first that newBoard draws at most while no free pair
    // shows. With two free places among 144, the fewest that allow a pair, a
    // deal has one with odds of 3 in 143, and 1000 redeals all miss with
    // odds near e^-21.
    static constexpr int kMaxRedeals = 1000;
    // Reads the layout into bytes / 12 entries of out. False, with out
    // untouched, when the file cannot be opened, is longer than 8192 bytes,
    // cannot be read whole, holds no full triple on its first line, or holds
    // a coordinate beyond kMaxLayoutCoordinate.
    bool loadBoard(const char* layoutName, TilePosition* out, int bytes);
    // Parses one line: blanks, then "x,y,z" (blanks allowed before each
    // number, none before a comma). Fields the line does not give keep the
    // values out already holds. Returns where the next call continues; an
    // empty line (or the end of the text) is not passed, so every later call
    // stops there too.
    static char* readLayoutFromBuffer(char* text, TilePosition* out);
    // Brings drawOrder into drawing order: lower layers first, then the tile
    // further right, then (for tiles within one half tile across) the tile
    // further back.
    void sortTiles();

    // The first tile in slot order at exactly (x, y, z), present when
    // presentOnly is true; null when there is none.
    QVTile* m_findTileAtBoardXYZ(int32_t x, int32_t y, int32_t z, bool presentOnly);
    const QVTile* m_findTileAtBoardXYZ(int32_t x, int32_t y, int32_t z, bool presentOnly) const;

    void deselect();
    void clearUndoBuffer();

    // --- The rules ---

    // Nothing on the next layer overlaps the tile, and its left or its right
    // side is open (a neighbour half a tile up or down still closes a side).
    bool tileIsFree(const QVTile* tile) const;
    // Some quarter of the tile is not covered by the layer above.
    bool tileIsVisible(const QVTile* tile) const;
    // Present free tiles.
    int countOpenTiles() const;
    // Available moves: per group, its free tiles halved and rounded down.
    int countFreeTiles() const;
    // The other present tiles of the tile's group, in slot order, into
    // out[0..n-1] (out holds 3: a group has four tiles); returns n.
    int findAllMatchingTiles(const QVTile* tile, QVTile** out);
    // The first present, free tile of the tile's group other than itself,
    // scanning from slot start and wrapping; its slot goes to outIndex, -1
    // when there is none.
    QVTile* findMatchingFreeTile(const QVTile* tile, int* outIndex, int start);
    // Whether a free pair exists. Pairs are enumerated in slot order of their
    // first tile (each free tile with the next free tile of its group); the
    // pair at position (N - k mod N) mod N is returned, N the available
    // moves, so successive hints walk through different pairs. first and
    // second may be null; when N is 0 they are left as they were.
    bool matchExists(QVTile** first, QVTile** second, int k);
    // Takes the pair off the board at game time now and pushes it on the
    // undo stack. It trusts that the caller checked the pair; only a call that
    // would overrun the stack (or a null tile) is refused, changing nothing.
    void removeTiles(QVTile* a, QVTile* b, const MvTime& now);
    // Puts the newest removed pair back and reports it; two nulls, and no
    // change, when the stack is empty.
    void undoLastMatch(QVTile** first, QVTile** second);
    // Redistributes the groups and faces of the present tiles until a free
    // pair exists or at most one tile is open; clears the undo stack.
    void shuffleTiles();
    // The tile under the point: a higher layer wins, and within a layer the
    // tile whose face shows at the point.
    QVTile* m_findTileAtPoint(const HScreenPoint& point, bool presentOnly);

    // --- Drawing ---

    // Paints the tiles in draw order through the painter (the game), at game
    // time now, touching nothing outside clip. A tile whose rectangle with
    // shadows does not meet clip costs only that test. The selected tile is
    // drawn brightened, a hint tile (one of the four, null where there is
    // none) with a glow of strength pulse (0..1), a free tile with the
    // free-tile highlight when showMoves (0..1) is above 0, a tile removed
    // less than kFadeMs ago fading out, and the hover tile gets its outline.
    void drawTiles(QVTilePainter& painter, const MvTime& now, const HScreenRect& clip, const QVTile* hint1,
                   const QVTile* hint2, const QVTile* hint3, const QVTile* hint4, float pulse, float showMoves) const;

private:
    // One pass of the deal table over the slots: every slot present, with a
    // row's group and face and the position of its layout line.
    void m_dealTable(const TilePosition* positions);
    // Whether two of the `count` free slots in `open` hold one group.
    bool m_openSlotsMatch(const int* open, int count) const;
    // A slot drawn from the generator whose tile is present (wantPresent) or
    // not, other than exclude; -1 when there is none. Each miss spends one of
    // the budget; once it is spent, the next acceptable slot after the last
    // draw is taken.
    int m_drawSlot(bool wantPresent, int exclude, int* missBudget);
    bool m_slotAcceptable(int slot, bool wantPresent, int exclude) const;

    HRNG* m_pRNG;
    HFileSystem* m_pFileSystem;
};
