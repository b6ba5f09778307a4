// The rules: free and visible tiles, available moves, pairs in rotation,
// removal and undo, the shuffle and hit-testing.
#include "game/QVBoard.h"

#include "engine/core/HMersenneTwisterRNG.h"
#include "tests/support/DealtBoard.h"
#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/FixedRNG.h"
#include "tests/support/TestLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace {

struct Place {
    int32_t x, y, z;
    int32_t group;
};

// A board whose tiles are placed by hand, in slot order; the slots left over
// are not present.
class HandBoard {
public:
    HandBoard() { rng.seedRNG(4242); board.setRandomNumberGenerator(&rng); }

    // A tile of the group (its face the same number) in the next slot.
    QVTile* place(int32_t x, int32_t y, int32_t z, int32_t group = 0)
    {
        return TestLayout::placeTile(board, m_iNext++, x, y, z, group);
    }
    void placeAll(const std::vector<Place>& places)
    {
        for (const Place& p : places)
            place(p.x, p.y, p.z, p.group);
    }
    int slotOf(const QVTile* t) const { return t ? static_cast<int>(t - board.tiles) : -1; }

    HMersenneTwisterRNG rng;
    QVBoard board;

private:
    int m_iNext = 0;
};

// --- Free and visible tiles -----------------------------------------------------

struct NeighbourCase {
    const char* name;
    std::vector<Place> neighbours; // around the subject at (4, 4, 0)
    bool expected;
};

std::string caseName(const testing::TestParamInfo<NeighbourCase>& info)
{
    return info.param.name;
}

class TileIsFree : public testing::TestWithParam<NeighbourCase> {};

TEST_P(TileIsFree, NeedsNothingOnItAndAnOpenSide)
{
    HandBoard h;
    QVTile* subject = h.place(4, 4, 0);
    h.placeAll(GetParam().neighbours);
    EXPECT_EQ(h.board.tileIsFree(subject), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Neighbours, TileIsFree,
    testing::Values(NeighbourCase{"Alone", {}, true},
                    NeighbourCase{"QuarterCoveredFromAboveRight", {{5, 3, 1, 0}}, false},
                    NeighbourCase{"QuarterCoveredFromBelowLeft", {{3, 5, 1, 0}}, false},
                    NeighbourCase{"FullyCovered", {{4, 4, 1, 0}}, false},
                    NeighbourCase{"LayerAboveOutOfReach", {{6, 4, 1, 0}, {4, 6, 1, 0}}, true},
                    NeighbourCase{"TwoLayersUpIsNotLookedAt", {{4, 4, 2, 0}}, true},
                    NeighbourCase{"BothSidesClosedByOffsetNeighbours", {{2, 5, 0, 0}, {6, 4, 0, 0}}, false},
                    NeighbourCase{"LeftClosedRightOpen", {{2, 5, 0, 0}}, true},
                    NeighbourCase{"RightClosedLeftOpen", {{6, 3, 0, 0}}, true},
                    NeighbourCase{"RightNeighbourTooFarDown", {{2, 4, 0, 0}, {6, 6, 0, 0}}, true},
                    NeighbourCase{"SidesOfAnotherLayerDoNotClose", {{2, 4, 1, 0}, {6, 4, 1, 0}}, true}),
    caseName);

TEST(TileIsFreeRemoved, AbsentNeighboursNeitherCoverNorClose)
{
    HandBoard h;
    QVTile* subject = h.place(4, 4, 0);
    h.place(4, 4, 1)->present = false;
    h.place(2, 4, 0);
    h.place(6, 4, 0)->present = false;
    EXPECT_TRUE(h.board.tileIsFree(subject));
}

class TileIsVisible : public testing::TestWithParam<NeighbourCase> {};

TEST_P(TileIsVisible, NeedsAQuarterOpenFromAbove)
{
    HandBoard h;
    QVTile* subject = h.place(4, 4, 0);
    h.placeAll(GetParam().neighbours);
    EXPECT_EQ(h.board.tileIsVisible(subject), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Covers, TileIsVisible,
    testing::Values(NeighbourCase{"Alone", {}, true},
                    NeighbourCase{"Straight", {{4, 4, 1, 0}}, false},
                    NeighbourCase{"TopHalfOnly", {{4, 3, 1, 0}}, true},
                    NeighbourCase{"TopAndBottomHalves", {{4, 3, 1, 0}, {4, 5, 1, 0}}, false},
                    NeighbourCase{"LeftAndRightHalves", {{3, 4, 1, 0}, {5, 4, 1, 0}}, false},
                    NeighbourCase{"FourCorners", {{3, 3, 1, 0}, {5, 3, 1, 0}, {3, 5, 1, 0}, {5, 5, 1, 0}}, false},
                    NeighbourCase{"ThreeCorners", {{3, 3, 1, 0}, {5, 3, 1, 0}, {3, 5, 1, 0}}, true},
                    NeighbourCase{"SameLayerDoesNotHide", {{4, 4, 0, 0}, {2, 4, 0, 0}}, true}),
    caseName);

// --- Counting -------------------------------------------------------------------

TEST(CountFreeTiles, EachGroupAddsHalfItsFreeTilesRoundedDown)
{
    // Four tiles of group 0 in a spaced row; the first `covered` of them each
    // carry a tile of a group of its own on top.
    for (int covered = 0; covered <= 4; ++covered) {
        HandBoard h;
        for (int i = 0; i < 4; ++i)
            h.place(10 * i, 0, 0, 0);
        for (int i = 0; i < covered; ++i)
            h.place(10 * i, 0, 1, 10 + i);
        const int freeOfGroup = 4 - covered;
        EXPECT_EQ(h.board.countFreeTiles(), freeOfGroup / 2) << covered << " covered";
        EXPECT_EQ(h.board.countOpenTiles(), 4) << covered << " covered";
    }
}

TEST(CountFreeTiles, AddsUpOverGroupsAndSkipsRemovedTiles)
{
    HandBoard h;
    h.placeAll({{0, 0, 0, 1}, {10, 0, 0, 1}, {20, 0, 0, 2}, {30, 0, 0, 2}, {40, 0, 0, 2}, {50, 0, 0, 3}});
    EXPECT_EQ(h.board.countFreeTiles(), 1 + 1);
    h.board.tiles[1].present = false;
    EXPECT_EQ(h.board.countFreeTiles(), 1);
    EXPECT_EQ(h.board.countOpenTiles(), 5);
}

TEST(FindAllMatchingTiles, TheOtherPresentTilesOfTheGroupInSlotOrder)
{
    HandBoard h;
    QVTile* a = h.place(0, 0, 0, 3);
    h.place(10, 0, 0, 4);
    QVTile* b = h.place(20, 0, 0, 3);
    h.place(30, 0, 0, 3)->present = false;
    QVTile* c = h.place(40, 0, 0, 3);
    QVTile* out[3] = {a, a, a};
    ASSERT_EQ(h.board.findAllMatchingTiles(b, out), 2);
    EXPECT_EQ(out[0], a);
    EXPECT_EQ(out[1], c);
    EXPECT_EQ(out[2], nullptr);
}

TEST(FindMatchingFreeTile, ScansOnFromTheStartAndWraps)
{
    HandBoard h;
    QVTile* a = h.place(0, 0, 0, 5);   // slot 0
    h.place(10, 0, 0, 6);              // slot 1
    QVTile* b = h.place(20, 0, 0, 5);  // slot 2
    h.place(30, 0, 0, 5);              // slot 3, covered:
    h.place(30, 0, 1, 7);              // slot 4
    QVTile* c = h.place(40, 0, 0, 5);  // slot 5
    int index = 99;
    EXPECT_EQ(h.board.findMatchingFreeTile(b, &index, 2), c);
    EXPECT_EQ(index, 5);
    EXPECT_EQ(h.board.findMatchingFreeTile(c, &index, 5), a) << "wraps past slot 143";
    EXPECT_EQ(index, 0);
    EXPECT_EQ(h.board.findMatchingFreeTile(a, &index, 3), c);
    EXPECT_EQ(index, 5);

    HandBoard lone;
    QVTile* only = lone.place(0, 0, 0, 5);
    lone.place(2, 0, 0, 6);
    lone.place(4, 0, 0, 5); // its partner, closed in on both sides
    lone.place(6, 0, 0, 6);
    EXPECT_EQ(lone.board.findMatchingFreeTile(only, &index, 0), nullptr);
    EXPECT_EQ(index, -1);
}

// --- Pairs in rotation ------------------------------------------------------------

TEST(MatchExists, SuccessiveHintsRotateThroughThePairs)
{
    // Three groups of two free tiles: pairs (0,3), (1,4), (2,5) in that order.
    HandBoard h;
    h.placeAll({{0, 0, 0, 0}, {10, 0, 0, 1}, {20, 0, 0, 2}, {30, 0, 0, 0}, {40, 0, 0, 1}, {50, 0, 0, 2}});
    ASSERT_EQ(h.board.countFreeTiles(), 3);
    const std::pair<int, int> expected[] = {{0, 3}, {2, 5}, {1, 4}, {0, 3}, {2, 5}};
    for (int k = 0; k < 5; ++k) {
        QVTile* first = nullptr;
        QVTile* second = nullptr;
        ASSERT_TRUE(h.board.matchExists(&first, &second, k)) << k;
        EXPECT_EQ(h.slotOf(first), expected[k].first) << "k = " << k;
        EXPECT_EQ(h.slotOf(second), expected[k].second) << "k = " << k;
    }
    EXPECT_TRUE(h.board.matchExists(nullptr, nullptr, 1)) << "nowhere to put the pair is fine";
}

TEST(MatchExists, AGroupOfFourFreeTilesOffersOnlyItsFirstTwoPairs)
{
    // N = 2 but three chained pairs (0,1), (1,2), (2,3): the third never comes.
    HandBoard h;
    h.placeAll({{0, 0, 0, 8}, {10, 0, 0, 8}, {20, 0, 0, 8}, {30, 0, 0, 8}});
    ASSERT_EQ(h.board.countFreeTiles(), 2);
    const std::pair<int, int> expected[] = {{0, 1}, {1, 2}, {0, 1}, {1, 2}};
    for (int k = 0; k < 4; ++k) {
        QVTile* first = nullptr;
        QVTile* second = nullptr;
        ASSERT_TRUE(h.board.matchExists(&first, &second, k));
        EXPECT_EQ(h.slotOf(first), expected[k].first) << "k = " << k;
        EXPECT_EQ(h.slotOf(second), expected[k].second) << "k = " << k;
    }
}

TEST(MatchExists, WithoutAFreePairLeavesTheOutputsAlone)
{
    HandBoard h;
    h.place(0, 0, 0, 1);
    h.place(10, 0, 0, 1);
    h.place(10, 0, 1, 2); // covers the partner
    QVTile* sentinel = &h.board.tiles[100];
    QVTile* first = sentinel;
    QVTile* second = sentinel;
    EXPECT_FALSE(h.board.matchExists(&first, &second, 0));
    EXPECT_EQ(first, sentinel);
    EXPECT_EQ(second, sentinel);

    HandBoard empty;
    EXPECT_FALSE(empty.board.matchExists(&first, &second, 3));
    EXPECT_EQ(first, sentinel);
}

// --- Removal and undo -------------------------------------------------------------

// The dealt board's tiles by group, in slot order.
std::map<int32_t, std::vector<QVTile*>> byGroup(QVBoard& b)
{
    std::map<int32_t, std::vector<QVTile*>> groups;
    for (QVTile& t : b.tiles)
        groups[t.matchGroup].push_back(&t);
    return groups;
}

TEST(RemoveTiles, SeventyTwoPairsEmptyTheBoardAndFillTheUndoStack)
{
    DealtBoard t;
    ASSERT_TRUE(t.deal(31));
    QVBoard& b = t.board;
    std::vector<std::pair<QVTile*, QVTile*>> removed;
    uint32_t clock = 1000;
    for (auto& g : byGroup(b)) {
        for (int i = 0; i < 4; i += 2) {
            QVTile* x = g.second[i];
            QVTile* y = g.second[i + 1];
            b.removeTiles(x, y, MvTime{clock, 0});
            removed.emplace_back(x, y);
            ASSERT_FALSE(x->present);
            ASSERT_FALSE(y->present);
            ASSERT_EQ(x->removedAt.low, clock);
            ASSERT_EQ(y->removedAt.low, clock);
            ASSERT_EQ(b.undoTop, static_cast<int>(removed.size()) - 1);
            ASSERT_EQ(b.undoStack[b.undoTop].first, x);
            ASSERT_EQ(b.undoStack[b.undoTop].second, y);
            ASSERT_EQ(b.tilesLeft, 144 - 2 * static_cast<int>(removed.size()));
            ASSERT_EQ(b.availableMatches, b.countFreeTiles());
            clock += 10;
        }
    }
    ASSERT_EQ(removed.size(), 72u);
    EXPECT_EQ(b.undoTop, 71);
    EXPECT_EQ(b.tilesLeft, 0);
    EXPECT_EQ(b.availableMatches, 0);
    EXPECT_FALSE(b.matchExists(nullptr, nullptr, 0));

    // A 73rd pair would run past the stack: refused, nothing changes.
    {
        DiagnosticRecorder diagnostics;
        b.removeTiles(&b.tiles[0], &b.tiles[1], MvTime{99999, 0});
        EXPECT_EQ(diagnostics.count("QVBoard::removeTiles - undo stack full"), 1);
        EXPECT_EQ(b.undoTop, 71);
        EXPECT_EQ(b.tilesLeft, 0);
        EXPECT_NE(b.tiles[0].removedAt.low, 99999u);
    }

    QVTile* first = nullptr;
    QVTile* second = nullptr;
    b.undoLastMatch(&first, &second);
    EXPECT_EQ(first, removed.back().first);
    EXPECT_EQ(second, removed.back().second);
    EXPECT_TRUE(first->present);
    EXPECT_TRUE(second->present);
    EXPECT_EQ(first->removedAt.low, clock - 10) << "a running fade runs out by itself";
    EXPECT_EQ(b.tilesLeft, 2);
    EXPECT_EQ(b.availableMatches, 1) << "two tiles of one group alone on the board";
    EXPECT_EQ(b.undoTop, 70);

    // Undo all the way back.
    for (int i = 70; i >= 0; --i) {
        b.undoLastMatch(&first, &second);
        ASSERT_EQ(first, removed[i].first);
        ASSERT_EQ(second, removed[i].second);
    }
    EXPECT_EQ(b.tilesLeft, 144);
    EXPECT_EQ(b.undoTop, -1);
    EXPECT_EQ(b.availableMatches, b.countFreeTiles());
}

TEST(RemoveTiles, ClearsTheSelection)
{
    HandBoard h;
    QVTile* a = h.place(0, 0, 0, 1);
    QVTile* b = h.place(10, 0, 0, 1);
    h.place(20, 0, 0, 2);
    h.place(30, 0, 0, 2);
    a->selected = true;
    h.board.selectedTile = a;
    h.board.removeTiles(b, a, MvTime{5, 0});
    EXPECT_FALSE(a->selected);
    EXPECT_EQ(h.board.selectedTile, nullptr);
    EXPECT_EQ(h.board.tilesLeft, 2);
    EXPECT_EQ(h.board.availableMatches, 1);
    EXPECT_EQ(h.board.undoStack[0].first, b) << "the pair is kept in the order given";

    DiagnosticRecorder diagnostics;
    h.board.removeTiles(nullptr, a, MvTime{6, 0});
    EXPECT_EQ(diagnostics.count("QVBoard::removeTiles - null tile"), 1);
    EXPECT_EQ(h.board.undoTop, 0);
}

TEST(UndoLastMatch, AnEmptyStackYieldsTwoNullsAndChangesNothing)
{
    DealtBoard t;
    ASSERT_TRUE(t.deal(8));
    QVBoard& b = t.board;
    b.availableMatches = 77; // not recounted
    QVTile* first = &b.tiles[0];
    QVTile* second = &b.tiles[1];
    b.undoLastMatch(&first, &second);
    EXPECT_EQ(first, nullptr);
    EXPECT_EQ(second, nullptr);
    EXPECT_EQ(b.tilesLeft, 144);
    EXPECT_EQ(b.availableMatches, 77);
    EXPECT_EQ(b.undoTop, -1);
}

// --- The shuffle ------------------------------------------------------------------

struct BoardSnapshot {
    std::vector<int32_t> groups; // sorted: the multiset of groups on the board
    std::vector<std::pair<int32_t, int32_t>> pairs; // sorted (group, face) pairs
    std::vector<int32_t> positions;
    std::vector<bool> present;
    std::vector<uint64_t> removedAt;
};

BoardSnapshot snapshot(const QVBoard& b)
{
    BoardSnapshot s;
    for (const QVTile& t : b.tiles) {
        if (t.present) {
            s.groups.push_back(t.matchGroup);
            s.pairs.emplace_back(t.matchGroup, t.face);
        }
        s.positions.insert(s.positions.end(), {t.x, t.y, t.z});
        s.present.push_back(t.present);
        s.removedAt.push_back(t.removedAt.getTime64());
    }
    std::sort(s.groups.begin(), s.groups.end());
    std::sort(s.pairs.begin(), s.pairs.end());
    return s;
}

void expectOnlyGroupsAndFacesMoved(const BoardSnapshot& before, const BoardSnapshot& after)
{
    EXPECT_EQ(before.pairs, after.pairs) << "groups travel with their faces";
    EXPECT_EQ(before.positions, after.positions);
    EXPECT_EQ(before.present, after.present);
    EXPECT_EQ(before.removedAt, after.removedAt);
}

TEST(ShuffleTiles, TwoTilesLeftOneOnTheOtherStopsWithoutAPair)
{
    HandBoard h;
    h.place(4, 4, 0, 9);
    h.place(4, 4, 1, 9);
    h.board.undoTop = 0;
    h.board.undoStack[0] = {&h.board.tiles[5], &h.board.tiles[6]};
    h.board.availableMatches = 5;
    const BoardSnapshot before = snapshot(h.board);
    h.board.shuffleTiles();
    expectOnlyGroupsAndFacesMoved(before, snapshot(h.board));
    EXPECT_EQ(h.board.availableMatches, 0);
    EXPECT_EQ(h.board.undoTop, -1);
    EXPECT_EQ(h.board.undoStack[0].first, nullptr);
}

TEST(ShuffleTiles, TwoTilesLeftSideBySideFormAPair)
{
    HandBoard h;
    h.place(4, 4, 0, 9);
    h.place(6, 4, 0, 9);
    h.board.shuffleTiles();
    EXPECT_EQ(h.board.availableMatches, 1);
    EXPECT_TRUE(h.board.matchExists(nullptr, nullptr, 0));
}

// A row of ten tiles: only the two ends are open, and they start in
// different groups (A B C D E A B C D E).
void placeRow(HandBoard* h)
{
    for (int i = 0; i < 10; ++i)
        h->place(2 * i, 0, 0, i % 5);
}

TEST(ShuffleTiles, RepeatsUntilTheOpenTilesMakeAPair)
{
    for (uint32_t seed : {1u, 2u, 3u, 4u, 5u}) {
        HandBoard h;
        h.rng.seedRNG(seed);
        placeRow(&h);
        ASSERT_EQ(h.board.countOpenTiles(), 2);
        ASSERT_EQ(h.board.countFreeTiles(), 0);
        const BoardSnapshot before = snapshot(h.board);
        h.board.shuffleTiles();
        expectOnlyGroupsAndFacesMoved(before, snapshot(h.board));
        EXPECT_EQ(h.board.availableMatches, 1) << seed;
        EXPECT_EQ(h.board.tiles[0].matchGroup, h.board.tiles[9].matchGroup) << seed;
    }
}

TEST(ShuffleTiles, AFullBoardEndsWithAPairAndKeepsItsTiles)
{
    DealtBoard t;
    ASSERT_TRUE(t.deal(17));
    t.board.tiles[0].removedAt = MvTime{123, 0};
    const BoardSnapshot before = snapshot(t.board);
    t.board.shuffleTiles();
    expectOnlyGroupsAndFacesMoved(before, snapshot(t.board));
    EXPECT_GT(t.board.availableMatches, 0);
    EXPECT_EQ(t.board.availableMatches, t.board.countFreeTiles());
}

TEST(ShuffleTiles, EndsWhateverTheGenerator)
{
    // A generator stuck on one value, and boards the rules never produce
    // (one tile, no tiles): the shuffle still returns.
    for (uint32_t value : {0u, 5u, 143u}) {
        HandBoard h;
        FixedRNG stuck(value);
        h.board.setRandomNumberGenerator(&stuck);
        placeRow(&h);
        const BoardSnapshot before = snapshot(h.board);
        h.board.shuffleTiles();
        expectOnlyGroupsAndFacesMoved(before, snapshot(h.board));
        EXPECT_EQ(h.board.availableMatches, h.board.countFreeTiles());
    }
    HandBoard one;
    one.place(0, 0, 0, 3);
    one.board.shuffleTiles();
    EXPECT_EQ(one.board.tiles[0].matchGroup, 3);
    HandBoard none;
    none.board.shuffleTiles();
    EXPECT_EQ(none.board.availableMatches, 0);
}

// --- Hit-testing ------------------------------------------------------------------

struct HitCase {
    const char* name;
    std::vector<Place> tiles; // in slot order
    HScreenPoint point;
    int expectedSlot; // -1: none
};

class FindTileAtPoint : public testing::TestWithParam<HitCase> {};

TEST_P(FindTileAtPoint, HigherLayerFirstThenTheFaceUnderThePoint)
{
    HandBoard h;
    h.placeAll(GetParam().tiles);
    EXPECT_EQ(h.slotOf(h.board.m_findTileAtPoint(GetParam().point, true)), GetParam().expectedSlot);
}

// Tile (0,0,0): 131..170 x 30..85, face 137..169 x 30..77.
// Tile (2,0,0): 164..203, face 170..202. Tile (0,0,1): 137..176 x 23..78.
// Tile (2,0,1): 170..209 x 23..78, face 176..208.
INSTANTIATE_TEST_SUITE_P(
    Points, FindTileAtPoint,
    testing::Values(
        HitCase{"LeftEdgeOverTheLeftNeighboursFace", {{0, 0, 0, 0}, {2, 0, 0, 0}}, {166, 40}, 0},
        HitCase{"LeftEdgeOverTheLeftNeighboursFaceOtherSlots", {{2, 0, 0, 0}, {0, 0, 0, 0}}, {166, 40}, 1},
        HitCase{"OnTheRightTilesFace", {{0, 0, 0, 0}, {2, 0, 0, 0}}, {180, 40}, 1},
        HitCase{"BottomEdgeCountsAsTheTile", {{0, 0, 0, 0}}, {150, 85}, 0},
        HitCase{"BelowTheTile", {{0, 0, 0, 0}}, {150, 86}, -1},
        HitCase{"LeftOfTheTile", {{0, 0, 0, 0}}, {130, 40}, -1},
        HitCase{"RaisedTileOverALowerFace", {{0, 0, 0, 0}, {0, 0, 1, 0}}, {150, 50}, 1},
        HitCase{"RaisedTileOverALowerFaceOtherSlots", {{0, 0, 1, 0}, {0, 0, 0, 0}}, {150, 50}, 0},
        // On a raised tile's edge, not its face: a later lower tile whose face
        // is there wins; an earlier one loses to the higher layer.
        HitCase{"RaisedEdgeLosesToALaterLowerFace", {{2, 0, 1, 0}, {2, 0, 0, 0}}, {172, 60}, 1},
        HitCase{"RaisedEdgeBeatsAnEarlierLowerFace", {{2, 0, 0, 0}, {2, 0, 1, 0}}, {172, 60}, 1}),
    [](const testing::TestParamInfo<HitCase>& info) { return std::string(info.param.name); });

TEST(FindTileAtPointRemoved, RemovedTilesOnlyWhenAskedFor)
{
    HandBoard h;
    h.place(0, 0, 0)->present = false;
    EXPECT_EQ(h.board.m_findTileAtPoint(HScreenPoint{150, 50}, true), nullptr);
    EXPECT_EQ(h.board.m_findTileAtPoint(HScreenPoint{150, 50}, false), &h.board.tiles[0]);
}

} // namespace
