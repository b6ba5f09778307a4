// Every layout of the archive opens with a choice and can be cleared. Which
// tiles are free does not depend on the faces, so a layout that opens with
// at least 24 free tiles gives every deal many chances of free pairs (and a
// layout with fewer than two could never be dealt one); and free pairs can be
// removed, faces ignored, until nothing is left. A tile is free when no tile
// of the next layer overlaps it and no tile beside it on its layer closes its
// left or its right side (a neighbour half a tile up or down closes that side
// too).
#include "game/TilePosition.h"
#include "tests/support/PairSearch.h"
#include "tests/tools/ArchiveReader.h"
#include "tools/mkarchive/Manifest.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <vector>

namespace {

using Tile = TilePosition;
using Present = PairSearch::Present;

class Board {
public:
    explicit Board(std::vector<Tile> tiles) : m_tiles(std::move(tiles)) {}

    size_t size() const { return m_tiles.size(); }

    bool occupied(const Present& p, int32_t x, int32_t y, int32_t z) const
    {
        for (size_t i = 0; i < m_tiles.size(); ++i) {
            if (p[i] && m_tiles[i].x == x && m_tiles[i].y == y && m_tiles[i].z == z)
                return true;
        }
        return false;
    }

    // The freedom rule written out here, not the board's: the layouts are
    // checked against the rule itself, whatever the game's code makes of it.
    bool free(const Present& p, size_t i) const
    {
        const Tile& t = m_tiles[i];
        for (int32_t dy = -1; dy <= 1; ++dy) {
            for (int32_t dx = -1; dx <= 1; ++dx) {
                if (occupied(p, t.x + dx, t.y + dy, t.z + 1))
                    return false;
            }
        }
        bool leftOpen = true;
        bool rightOpen = true;
        for (int32_t dy = -1; dy <= 1; ++dy) {
            leftOpen = leftOpen && !occupied(p, t.x - 2, t.y + dy, t.z);
            rightOpen = rightOpen && !occupied(p, t.x + 2, t.y + dy, t.z);
        }
        return leftOpen || rightOpen;
    }

    // The test support's search for a way to clear the board, with any two
    // free tiles a pair: pairs of the best few open tiles, in order of rank.
    bool clearable(int32_t budget) const
    {
        Present start;
        for (size_t i = 0; i < m_tiles.size(); ++i)
            start.set(i);
        std::vector<PairSearch::Pair> moves;
        return PairSearch().clear(start, budget, [this](const Present& p) { return m_pairs(p); }, &moves);
    }

private:
    std::vector<PairSearch::Pair> m_pairs(const Present& p) const
    {
        std::vector<int32_t> open;
        for (size_t i = 0; i < m_tiles.size(); ++i) {
            if (p[i] && free(p, i))
                open.push_back(static_cast<int32_t>(i));
        }
        std::stable_sort(open.begin(), open.end(), [&](int32_t a, int32_t b) {
            return PairSearch::s_weight(m_tiles, p, a) > PairSearch::s_weight(m_tiles, p, b);
        });
        const size_t n = std::min<size_t>(open.size(), 8);
        std::vector<std::pair<size_t, size_t>> ranks;
        for (size_t a = 0; a < n; ++a) {
            for (size_t b = a + 1; b < n; ++b)
                ranks.push_back({a, b});
        }
        std::stable_sort(ranks.begin(), ranks.end(),
                         [](const auto& l, const auto& r) { return l.first + l.second < r.first + r.second; });
        std::vector<PairSearch::Pair> pairs;
        for (const auto& r : ranks)
            pairs.emplace_back(open[r.first], open[r.second]);
        return pairs;
    }

    std::vector<Tile> m_tiles;
};

std::vector<Tile> parse(const std::string& text)
{
    std::vector<Tile> tiles;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        Tile t{};
        if (std::sscanf(line.c_str(), "%d,%d,%d", &t.x, &t.y, &t.z) == 3)
            tiles.push_back(t);
    }
    return tiles;
}

TEST(FreeTileRule, CoverAndSides)
{
    // A tile with another lying across one of its quarters is not free; a
    // tile closed on both sides is not free, on one side it is.
    const Board board({{4, 4, 0}, {5, 3, 1}, {2, 5, 0}, {6, 4, 0}, {10, 4, 0}});
    Present all;
    all.set();
    EXPECT_FALSE(board.free(all, 0)) << "covered by 5,3,1";
    EXPECT_TRUE(board.free(all, 1));
    Present uncovered = all;
    uncovered.reset(1);
    EXPECT_FALSE(board.free(uncovered, 0)) << "closed left (half a tile lower) and right";
    Present leftOnly = uncovered;
    leftOnly.reset(3);
    EXPECT_TRUE(board.free(leftOnly, 0)) << "right side open";
    EXPECT_TRUE(board.free(all, 4));
}

TEST(FreeTileRule, SearchTellsClearableBoardsFromStuckOnes)
{
    EXPECT_TRUE(Board({{0, 0, 0}, {2, 0, 0}}).clearable(1000));
    EXPECT_FALSE(Board({{0, 0, 0}, {0, 0, 1}}).clearable(1000)) << "a tile on a tile: only the top is ever free";
    // Four in a row: the ends go first, then the middle pair.
    EXPECT_TRUE(Board({{0, 0, 0}, {2, 0, 0}, {4, 0, 0}, {6, 0, 0}}).clearable(1000));
    // Two stacks of two: the tops, then the bottoms.
    EXPECT_TRUE(Board({{0, 0, 0}, {0, 0, 1}, {8, 0, 0}, {8, 0, 1}}).clearable(1000));
    // Three tiles stacked beside a single: one tile is always left.
    EXPECT_FALSE(Board({{0, 0, 0}, {0, 0, 1}, {0, 0, 2}, {6, 0, 0}}).clearable(1000));
}

// The fewest free tiles a layout opens with.
constexpr int kFreeAtTheStart = 24;

class LayoutClearability : public testing::TestWithParam<const char*> {};

TEST_P(LayoutClearability, OpensWithAChoiceAndCanBeCleared)
{
    ArchiveReader archive;
    ASSERT_TRUE(archive.open(buildArchivePath())) << buildArchivePath();
    const std::vector<Tile> tiles = parse(archive.bytes(GetParam()));
    ASSERT_EQ(int32_t(tiles.size()), mkarchive::kLayoutTiles);
    const Board board(tiles);
    Present all;
    for (size_t i = 0; i < board.size(); ++i)
        all.set(i);
    int open = 0;
    for (size_t i = 0; i < board.size(); ++i)
        open += board.free(all, i) ? 1 : 0;
    EXPECT_GE(open, kFreeAtTheStart) << GetParam() << " opens with too few free tiles";
    EXPECT_TRUE(board.clearable(20000)) << GetParam() << " cannot be cleared";
}

std::vector<const char*> layoutNames()
{
    std::vector<const char*> names;
    for (const mkarchive::ManifestEntry& e : mkarchive::kManifest) {
        if (e.format == mkarchive::AssetFormat::Layout)
            names.push_back(e.name);
    }
    return names;
}

std::string testName(const testing::TestParamInfo<const char*>& info)
{
    std::string s = info.param;
    s = s.substr(s.find('/') + 1);
    return s.substr(0, s.find('.'));
}

INSTANTIATE_TEST_SUITE_P(Archive, LayoutClearability, testing::ValuesIn(layoutNames()), testName);

} // namespace
