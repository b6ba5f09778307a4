// The deal and the drawing order.
#include "game/QVBoard.h"

#include "engine/core/HMersenneTwisterRNG.h"
#include "tests/support/DealtBoard.h"
#include "tests/support/FixedRNG.h"
#include "tests/support/TestLayout.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

int slotOf(const QVBoard& board, const QVTile* t)
{
    return static_cast<int>(t - board.tiles);
}

TEST(NewBoard, TheSameSeedDealsTheSameBoard)
{
    DealtBoard a;
    DealtBoard b;
    ASSERT_TRUE(a.deal(12345));
    ASSERT_TRUE(b.deal(12345));
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        EXPECT_EQ(a.board.tiles[i].matchGroup, b.board.tiles[i].matchGroup) << i;
        EXPECT_EQ(a.board.tiles[i].face, b.board.tiles[i].face) << i;
        EXPECT_EQ(slotOf(a.board, a.board.drawOrder[i]), slotOf(b.board, b.board.drawOrder[i])) << i;
    }
    EXPECT_EQ(a.board.availableMatches, b.board.availableMatches);

    ASSERT_TRUE(b.deal(54321));
    int differing = 0;
    for (int i = 0; i < QVBoard::kTileCount; ++i)
        differing += a.board.tiles[i].face != b.board.tiles[i].face;
    EXPECT_GT(differing, 0) << "another seed deals another board";
}

TEST(NewBoard, DealsEveryTileOfTheTableOntoItsLayoutLine)
{
    DealtBoard t;
    // What a deal must replace or clear.
    t.board.undoTop = 5;
    t.board.undoStack[5] = {&t.board.tiles[0], &t.board.tiles[1]};
    t.board.tiles[3].selected = true;
    t.board.selectedTile = &t.board.tiles[3];
    t.board.hoverTile = &t.board.tiles[9];

    for (uint32_t seed : {1u, 2u, 99u}) {
        ASSERT_TRUE(t.deal(seed));
        const QVBoard& b = t.board;
        EXPECT_EQ(b.tilesLeft, QVBoard::kTileCount);
        EXPECT_EQ(b.undoTop, -1);
        for (const QVBoard::UndoEntry& e : b.undoStack)
            ASSERT_TRUE(e.first == nullptr && e.second == nullptr);
        EXPECT_EQ(b.selectedTile, nullptr);
        EXPECT_EQ(b.hoverTile, &t.board.tiles[9]) << "the pointer's tile is the play flow's";
        EXPECT_EQ(b.availableMatches, b.countFreeTiles());
        EXPECT_GT(b.availableMatches, 0) << "the pyramid always has open tiles";

        std::map<int32_t, int> perGroup;
        std::map<std::pair<int32_t, int32_t>, int> perGroupAndFace;
        for (int i = 0; i < QVBoard::kTileCount; ++i) {
            const QVTile& tile = b.tiles[i];
            ASSERT_TRUE(tile.present) << i;
            ASSERT_FALSE(tile.selected) << i;
            ASSERT_EQ(tile.removedAt.getTime64(), 0u);
            ASSERT_TRUE(tile.x == t.pyramid[i].x && tile.y == t.pyramid[i].y && tile.z == t.pyramid[i].z) << i;
            ++perGroup[tile.matchGroup];
            ++perGroupAndFace[{tile.matchGroup, tile.face}];
        }
        ASSERT_EQ(perGroup.size(), 36u);
        for (const auto& g : perGroup)
            EXPECT_EQ(g.second, 4) << "group " << g.first;
        std::map<std::pair<int32_t, int32_t>, int> expected;
        for (const QVBoard::DealRow& row : QVBoard::s_akDealTable)
            expected[{row.matchGroup, row.face}] += row.count;
        EXPECT_EQ(perGroupAndFace, expected);
    }
}

TEST(NewBoard, DrawOrderIsAPermutationInDrawingOrder)
{
    DealtBoard t;
    ASSERT_TRUE(t.deal(2024));
    const QVBoard& b = t.board;
    std::set<const QVTile*> seen;
    for (const QVTile* p : b.drawOrder) {
        ASSERT_NE(p, nullptr);
        ASSERT_TRUE(p >= b.tiles && p < b.tiles + QVBoard::kTileCount);
        seen.insert(p);
    }
    EXPECT_EQ(seen.size(), 144u);
    // No neighbouring pair is out of order, and lower layers come first.
    for (int i = 0; i + 1 < QVBoard::kTileCount; ++i) {
        const QVTile& a = *b.drawOrder[i];
        const QVTile& c = *b.drawOrder[i + 1];
        ASSERT_LE(a.z, c.z) << i;
        if (a.z != c.z)
            continue;
        if (a.x - c.x > 1 || c.x - a.x > 1)
            ASSERT_GT(a.x, c.x) << i;
        else
            ASSERT_LE(a.y, c.y) << i;
    }
}

TEST(NewBoard, TheFirstRowTakesTheFirstFourDistinctDraws)
{
    for (uint32_t seed : {3u, 77u, 4096u}) {
        DealtBoard t;
        ASSERT_TRUE(t.deal(seed));
        HMersenneTwisterRNG replay;
        replay.seedRNG(seed);
        std::set<uint32_t> first;
        while (first.size() < 4)
            first.insert(replay.getUnsigned(143));
        for (uint32_t slot : first) {
            EXPECT_EQ(t.board.tiles[slot].matchGroup, 0) << seed;
            EXPECT_EQ(t.board.tiles[slot].face, 0) << seed;
        }
    }
}

TEST(NewBoard, AGeneratorStuckOnOneValueStillDealsEveryTile)
{
    DealtBoard t;
    FixedRNG stuck(0);
    t.board.setRandomNumberGenerator(&stuck);
    ASSERT_TRUE(t.board.newBoard("layouts/pyramid.qvl"));
    EXPECT_EQ(t.board.tilesLeft, QVBoard::kTileCount);
    for (const QVTile& tile : t.board.tiles)
        ASSERT_TRUE(tile.present);
}

// --- Every fresh board has a free pair ---------------------------------------

// Layouts that open with very few free tiles: a row of 144 tiles, free only
// at its two ends; two rows of 72, free at their four ends; and a tower of
// 144, free only at its top, on which no deal can have a free pair.
std::vector<TilePosition> row(int count, int32_t y)
{
    // Right to left, the order they are drawn in.
    std::vector<TilePosition> out;
    for (int i = count - 1; i >= 0; --i)
        out.push_back(TilePosition{2 * i, y, 0});
    return out;
}

std::vector<TilePosition> twoRows()
{
    std::vector<TilePosition> out = row(72, 0);
    const std::vector<TilePosition> second = row(72, 4);
    out.insert(out.end(), second.begin(), second.end());
    return out;
}

std::vector<TilePosition> tower()
{
    std::vector<TilePosition> out;
    for (int z = 0; z < QVBoard::kTileCount; ++z)
        out.push_back(TilePosition{0, 0, z});
    return out;
}

// Every slot dealt once, four tiles a group, the table's faces.
void expectTheTable(const QVBoard& b, const char* what)
{
    std::map<std::pair<int32_t, int32_t>, int> dealt;
    for (const QVTile& tile : b.tiles) {
        ASSERT_TRUE(tile.present) << what;
        ++dealt[{tile.matchGroup, tile.face}];
    }
    std::map<std::pair<int32_t, int32_t>, int> expected;
    for (const QVBoard::DealRow& row : QVBoard::s_akDealTable)
        expected[{row.matchGroup, row.face}] += row.count;
    EXPECT_EQ(dealt, expected) << what;
    EXPECT_EQ(b.tilesLeft, QVBoard::kTileCount) << what;
}

// The deal done by hand, from the generator's draws: one draw per try, the
// table's rows in order, each into a slot not dealt yet.
std::vector<int32_t> groupsOfOneDeal(HMersenneTwisterRNG& rng)
{
    std::vector<int32_t> groups(QVBoard::kTileCount, -1);
    for (const QVBoard::DealRow& row : QVBoard::s_akDealTable) {
        for (int n = 0; n < row.count; ++n) {
            uint32_t r = rng.getUnsigned(143);
            while (groups[r] != -1)
                r = rng.getUnsigned(143);
            groups[r] = row.matchGroup;
        }
    }
    return groups;
}

TEST(NewBoard, OnALayoutWithFewFreeTilesEverySeedDealsAFreePair)
{
    struct FewCase {
        const char* name;
        std::vector<TilePosition> positions;
        int open;
    };
    const FewCase cases[] = {{"a row", row(144, 0), 2}, {"two rows", twoRows(), 4}};
    for (const FewCase& c : cases) {
        DealtBoard t;
        t.writeLayout("layouts/few.qvl", TestLayout::text(c.positions));
        ASSERT_TRUE(t.deal(1, "layouts/few.qvl")) << c.name;
        ASSERT_EQ(t.board.countOpenTiles(), c.open) << c.name;
        int withoutAPair = 0;
        for (uint32_t seed = 1; seed <= 1000; ++seed) {
            ASSERT_TRUE(t.deal(seed, "layouts/few.qvl"));
            withoutAPair += t.board.availableMatches == 0 ? 1 : 0;
            expectTheTable(t.board, c.name);
            std::vector<std::pair<int32_t, int32_t>> first;
            for (const QVTile& tile : t.board.tiles)
                first.push_back({tile.matchGroup, tile.face});
            // The same seed, the same board.
            ASSERT_TRUE(t.deal(seed, "layouts/few.qvl"));
            for (int i = 0; i < QVBoard::kTileCount; ++i) {
                ASSERT_EQ(t.board.tiles[i].matchGroup, first[static_cast<size_t>(i)].first) << c.name << seed;
                ASSERT_EQ(t.board.tiles[i].face, first[static_cast<size_t>(i)].second) << c.name << seed;
            }
        }
        EXPECT_EQ(withoutAPair, 0) << c.name << ": deals without a free pair";
    }
}

TEST(NewBoard, ADealWithoutAFreePairIsDealtAgainFromTheSameGenerator)
{
    DealtBoard t;
    const std::vector<TilePosition> line = row(144, 0);
    t.writeLayout("layouts/row.qvl", TestLayout::text(line));
    // The row's free tiles are its ends, slots 0 and 143.
    int redealt = 0;
    for (uint32_t seed : {1u, 2u, 3u, 17u, 4096u, 20240607u}) {
        ASSERT_TRUE(t.deal(seed, "layouts/row.qvl"));
        std::vector<int32_t> dealt;
        for (const QVTile& tile : t.board.tiles)
            dealt.push_back(tile.matchGroup);

        // The deals drawn one after another from the same seed: the board is
        // the first whose two ends match.
        HMersenneTwisterRNG replay;
        replay.seedRNG(seed);
        std::vector<int32_t> groups = groupsOfOneDeal(replay);
        int deals = 1;
        while (groups[0] != groups[143]) {
            groups = groupsOfOneDeal(replay);
            ++deals;
        }
        EXPECT_EQ(dealt, groups) << "seed " << seed;
        redealt += deals > 1 ? 1 : 0;
    }
    EXPECT_GT(redealt, 0) << "most deals of the row have no free pair";
}

TEST(NewBoard, AGeneratorThatNeverDealsAFreePairEndsWithOneMadeOfTheTable)
{
    // Stuck on one value, the generator deals the same board every time;
    // after the redeals run out, two free tiles are made to match.
    DealtBoard t;
    t.writeLayout("layouts/row.qvl", TestLayout::text(row(144, 0)));
    FixedRNG stuck(0);
    t.board.setRandomNumberGenerator(&stuck);
    ASSERT_TRUE(t.board.newBoard("layouts/row.qvl"));
    EXPECT_GT(stuck.draws(), QVBoard::kMaxRedeals * QVBoard::kTileCount) << "every redeal drew";
    EXPECT_EQ(t.board.tiles[0].matchGroup, t.board.tiles[143].matchGroup);
    EXPECT_EQ(t.board.availableMatches, 1);
    expectTheTable(t.board, "stuck");
}

TEST(NewBoard, ALayoutWithOneFreeTileIsDealtOnce)
{
    // No deal of the tower has a free pair: the deal ends at once, every
    // tile dealt, no move.
    DealtBoard t;
    t.writeLayout("layouts/tower.qvl", TestLayout::text(tower()));
    for (uint32_t seed : {1u, 2u, 3u}) {
        ASSERT_TRUE(t.deal(seed, "layouts/tower.qvl"));
        EXPECT_EQ(t.board.countOpenTiles(), 1);
        EXPECT_EQ(t.board.availableMatches, 0);
        expectTheTable(t.board, "tower");
        HMersenneTwisterRNG replay;
        replay.seedRNG(seed);
        EXPECT_EQ(std::vector<int32_t>(groupsOfOneDeal(replay)),
                  [&] {
                      std::vector<int32_t> g;
                      for (const QVTile& tile : t.board.tiles)
                          g.push_back(tile.matchGroup);
                      return g;
                  }())
            << "one deal, no redeal";
    }
}

TEST(NewBoard, WithoutAGeneratorNothingIsDealt)
{
    DealtBoard t;
    ASSERT_TRUE(t.deal(1));
    t.board.setRandomNumberGenerator(nullptr);
    EXPECT_FALSE(t.board.newBoard("layouts/pyramid.qvl"));
    EXPECT_EQ(t.board.tilesLeft, 0);
    EXPECT_EQ(t.board.availableMatches, 0);
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        EXPECT_FALSE(t.board.tiles[i].present);
        EXPECT_EQ(t.board.drawOrder[i], nullptr);
    }
}

TEST(QVBoard, ConstructedEmpty)
{
    const QVBoard b;
    EXPECT_EQ(b.undoTop, -1);
    for (const QVBoard::UndoEntry& e : b.undoStack)
        EXPECT_TRUE(e.first == nullptr && e.second == nullptr);
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        EXPECT_EQ(b.drawOrder[i], nullptr);
        EXPECT_FALSE(b.tiles[i].present);
        EXPECT_EQ(b.tiles[i].matchGroup, -1);
    }
    EXPECT_EQ(b.hoverTile, nullptr);
    EXPECT_EQ(b.selectedTile, nullptr);
    EXPECT_EQ(b.tilesLeft, 0);
    EXPECT_EQ(b.availableMatches, 0);
}

// --- sortTiles on hand-placed tiles ------------------------------------------

struct Spot {
    int32_t x, y, z;
};

// Puts the tiles into the first slots of drawOrder in the given order, sorts,
// and returns the resulting order as indices into `spots`.
std::vector<int> sorted(const std::vector<Spot>& spots)
{
    QVBoard b;
    for (size_t i = 0; i < spots.size(); ++i) {
        b.tiles[i].present = true;
        b.tiles[i].x = spots[i].x;
        b.tiles[i].y = spots[i].y;
        b.tiles[i].z = spots[i].z;
        b.drawOrder[i] = &b.tiles[i];
    }
    b.sortTiles();
    std::vector<int> order;
    for (size_t i = 0; i < spots.size(); ++i)
        order.push_back(static_cast<int>(b.drawOrder[i] - b.tiles));
    return order;
}

TEST(SortTiles, OrdersByLayerThenRightToLeftThenBackToFront)
{
    struct OrderCase {
        const char* name;
        std::vector<Spot> spots;
        std::vector<int> order;
    };
    const OrderCase cases[] = {
        {"further right first", {{4, 0, 0}, {8, 0, 0}}, {1, 0}},
        {"further right first, already so", {{8, 0, 0}, {4, 0, 0}}, {0, 1}},
        {"within one column the one further back", {{4, 3, 0}, {5, 1, 0}}, {1, 0}},
        {"same column, back first", {{4, 2, 0}, {4, 0, 0}}, {1, 0}},
        {"lower layer first", {{0, 0, 1}, {20, 10, 0}, {4, 4, 0}}, {1, 2, 0}},
        // (0,0) before (1,1) before (2,2) by rows, yet (2,2) before (0,0) by
        // columns: no strict order exists, and the adjacent swaps settle
        // where they settle.
        {"cycle left as found", {{0, 0, 0}, {1, 1, 0}, {2, 2, 0}}, {0, 1, 2}},
        {"cycle from the other end", {{2, 2, 0}, {1, 1, 0}, {0, 0, 0}}, {1, 0, 2}},
    };
    for (const OrderCase& c : cases)
        EXPECT_EQ(sorted(c.spots), c.order) << c.name;
}

} // namespace
