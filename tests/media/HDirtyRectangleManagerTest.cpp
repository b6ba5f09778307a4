// The dirty list: merging on overlap and touch, drops, the bound, the area.
#include "engine/media/HDirtyRectangleManager.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

std::vector<HScreenRect> listOf(const HDirtyRectangleManager& m)
{
    return std::vector<HScreenRect>(m.getRectangleList(), m.getRectangleList() + m.getRectangleCount());
}

bool same(const HScreenRect& a, const HScreenRect& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string text(const std::vector<HScreenRect>& list)
{
    std::string s;
    for (const HScreenRect& r : list)
        s += "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
             std::to_string(r.bottom) + ")";
    return s;
}

struct Add {
    int32_t top, left, bottom, right; // the order addToDirtyList takes
};

struct ListCase {
    const char* name;
    std::vector<Add> adds;
    std::vector<HScreenRect> expected; // left, top, right, bottom
};

TEST(HDirtyRectangleManager, AddsMergeAsDocumented)
{
    const ListCase cases[] = {
        {"corners put in order", {{10, 20, 0, 0}}, {{0, 0, 20, 10}}},
        {"zero width dropped", {{0, 5, 10, 5}}, {}},
        {"zero height dropped", {{3, 0, 3, 10}}, {}},
        {"zero size beside a listed one", {{0, 0, 10, 10}, {5, 20, 5, 30}}, {{0, 0, 10, 10}}},
        {"equal dropped", {{0, 0, 10, 10}, {0, 0, 10, 10}}, {{0, 0, 10, 10}}},
        {"inside dropped", {{0, 0, 10, 10}, {2, 2, 8, 8}}, {{0, 0, 10, 10}}},
        {"shared edge merges", {{0, 0, 10, 10}, {0, 10, 10, 20}}, {{0, 0, 20, 10}}},
        {"shared corner merges", {{0, 0, 10, 10}, {10, 10, 20, 20}}, {{0, 0, 20, 20}}},
        {"a gap of one pixel keeps both", {{0, 0, 10, 10}, {0, 11, 10, 20}}, {{0, 0, 10, 10}, {11, 0, 20, 10}}},
        {"a link merges three", {{0, 0, 10, 10}, {0, 30, 10, 40}, {0, 5, 10, 35}}, {{0, 0, 40, 10}}},
        {"the new box is appended after the survivors",
         {{0, 0, 10, 10}, {50, 50, 60, 60}, {5, 5, 20, 20}},
         {{50, 50, 60, 60}, {0, 0, 20, 20}}},
        {"growth reaches an entry already passed",
         // (0,0,10,10) is tested first and missed; growing over (8,20,30,30)
         // brings it within reach.
         {{0, 0, 10, 10}, {20, 8, 30, 30}, {5, 20, 22, 25}},
         {{0, 0, 30, 30}}},
        {"a covering rectangle swallows several", {{0, 0, 5, 5}, {10, 10, 15, 15}, {0, 0, 20, 20}}, {{0, 0, 20, 20}}},
    };
    for (const ListCase& c : cases) {
        HDirtyRectangleManager m;
        for (const Add& a : c.adds)
            m.addToDirtyList(a.top, a.left, a.bottom, a.right);
        const std::vector<HScreenRect> got = listOf(m);
        bool equal = got.size() == c.expected.size();
        for (size_t i = 0; equal && i < got.size(); ++i)
            equal = same(got[i], c.expected[i]);
        EXPECT_TRUE(equal) << c.name << ": got " << text(got) << ", expected " << text(c.expected);
    }
}

TEST(HDirtyRectangleManager, ScreenRectGoesInWithItsOwnFields)
{
    HDirtyRectangleManager m;
    m.addScreenRectToDirtyList(HScreenRect(1, 2, 30, 40));
    ASSERT_EQ(m.getRectangleCount(), 1);
    EXPECT_TRUE(same(*m.getRectangle(0), HScreenRect(1, 2, 30, 40)));
    m.clearDirtyList();
    EXPECT_EQ(m.getRectangleCount(), 0);
}

TEST(HDirtyRectangleManager, AFullListDropsEveryFurtherAdd)
{
    HDirtyRectangleManager m;
    for (int32_t i = 0; i < HDirtyRectangleManager::kMaxRectangles; ++i) {
        const int32_t x = (i % 32) * 3;
        const int32_t y = (i / 32) * 3;
        m.addToDirtyList(y, x, y + 1, x + 1);
    }
    ASSERT_EQ(m.getRectangleCount(), 512);
    const std::vector<HScreenRect> before = listOf(m);
    m.addToDirtyList(0, 0, 2, 2);       // would merge with the first
    m.addToDirtyList(1000, 1000, 1010, 1010); // would stand alone
    const std::vector<HScreenRect> after = listOf(m);
    ASSERT_EQ(after.size(), before.size());
    for (size_t i = 0; i < after.size(); ++i)
        EXPECT_TRUE(same(after[i], before[i])) << i;
}

TEST(HDirtyRectangleManager, TotalArea)
{
    HDirtyRectangleManager m;
    EXPECT_EQ(m.getDirtyRectTotalArea(), 0);
    m.addToDirtyList(0, 0, 10, 20);   // 20 x 10
    m.addToDirtyList(50, 50, 53, 54); // 4 x 3
    EXPECT_EQ(m.getDirtyRectTotalArea(), 212);
    // Larger than 32 bits can hold: the sum saturates instead of wrapping.
    m.addToDirtyList(-2000000000, -2000000000, 2000000000, 2000000000);
    EXPECT_EQ(m.getDirtyRectTotalArea(), INT32_MAX);
}

// After any sequence of additions: no listed rectangle is empty, no two
// intersect (edges and corners count), and every added rectangle that was not
// dropped for emptiness is covered by one listed rectangle.
TEST(HDirtyRectangleManager, RandomAdditionsKeepTheInvariants)
{
    std::mt19937 rng(20240611u);
    std::uniform_int_distribution<int32_t> coord(0, 120);
    std::uniform_int_distribution<int32_t> length(0, 30);
    for (int round = 0; round < 300; ++round) {
        HDirtyRectangleManager m;
        std::vector<HScreenRect> added;
        const int n = 1 + round % 40;
        for (int i = 0; i < n; ++i) {
            const int32_t x = coord(rng);
            const int32_t y = coord(rng);
            int32_t x2 = x + length(rng);
            int32_t y2 = y + length(rng);
            const bool flip = (rng() & 1u) != 0;
            if (flip)
                m.addToDirtyList(y2, x2, y, x);
            else
                m.addToDirtyList(y, x, y2, x2);
            if (x != x2 && y != y2)
                added.emplace_back(x, y, x2, y2);

            const std::vector<HScreenRect> list = listOf(m);
            ASSERT_LT(list.size(), 512u);
            for (size_t a = 0; a < list.size(); ++a) {
                ASSERT_FALSE(list[a].isEmpty()) << text(list);
                for (size_t b = a + 1; b < list.size(); ++b)
                    ASSERT_FALSE(list[a].intersectsRect(list[b])) << "round " << round << ": " << text(list);
            }
            for (const HScreenRect& r : added) {
                bool covered = false;
                for (const HScreenRect& l : list)
                    covered = covered || l.containsRect(r);
                ASSERT_TRUE(covered) << "round " << round << ": " << text({r}) << " not in " << text(list);
            }
        }
    }
}

} // namespace
