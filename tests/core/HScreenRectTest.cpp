// Screen rectangles: predicates with inclusive edges, clipping, clamping.
#include "engine/core/HScreenRect.h"

#include <gtest/gtest.h>

namespace {

TEST(HScreenRect, ContainsPointCountsTheRightAndBottomEdges)
{
    const HScreenRect r(0, 0, 10, 10);
    const struct {
        HScreenPoint p;
        bool inside;
    } cases[] = {
        {{0, 0}, true}, {{10, 10}, true}, {{10, 0}, true}, {{11, 5}, false}, {{5, -1}, false}, {{-1, 5}, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(r.containsPoint(c.p), c.inside) << c.p.x << "," << c.p.y;
}

TEST(HScreenRect, ContainsRect)
{
    const HScreenRect r(0, 0, 10, 10);
    EXPECT_TRUE(r.containsRect(r));
    EXPECT_TRUE(r.containsRect({2, 2, 8, 8}));
    EXPECT_FALSE(r.containsRect({2, 2, 11, 8}));
    EXPECT_FALSE(r.containsRect({-1, 2, 8, 8}));
}

TEST(HScreenRect, IntersectsSharedEdgesButNotEmptyRectangles)
{
    const struct {
        HScreenRect a, b;
        bool meet;
    } cases[] = {
        {{0, 0, 10, 10}, {10, 0, 20, 10}, true},
        {{0, 0, 10, 10}, {11, 0, 20, 10}, false},
        {{5, 5, 5, 8}, {0, 0, 100, 100}, false},
        {{0, 0, 100, 100}, {5, 5, 5, 8}, false},
        {{0, 0, 100, 100}, {10, 10, 20, 20}, true}, // inside
        {{10, 10, 20, 20}, {0, 0, 100, 100}, true}, // spans
        {{0, 0, 10, 10}, {0, 10, 10, 20}, true},    // shared bottom edge
        {{0, 0, 10, 10}, {0, 11, 10, 20}, false},
        {{0, 0, 10, 10}, {20, 20, 30, 30}, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.a.intersectsRect(c.b), c.meet)
            << c.a.left << "," << c.a.top << "," << c.a.right << "," << c.a.bottom << " vs " << c.b.left << ","
            << c.b.top << "," << c.b.right << "," << c.b.bottom;
    }
}

struct ClipCase {
    HScreenRect a;
    bool result;
    HScreenRect out;
    HScreenRect follower; // starting at {0, 0, 100, 100}
};

TEST(HScreenRect, IntersectRectsMovesTheFollowerAlong)
{
    const HScreenRect screen(0, 0, 640, 480);
    const ClipCase cases[] = {
        {{-5, 10, 20, 30}, true, {0, 10, 20, 30}, {5, 0, 100, 100}},
        {{600, 470, 700, 500}, true, {600, 470, 640, 480}, {0, 0, 40, 80}},
        {{100, 100, 200, 200}, true, {100, 100, 200, 200}, {0, 0, 100, 100}},
        {{-30, -40, 700, 500}, true, {0, 0, 640, 480}, {30, 40, 40, 80}},
        {{640, 0, 700, 10}, true, {640, 0, 640, 10}, {0, 0, 40, 100}}, // touching: empty but true
        {{641, 0, 700, 10}, false, {7, 7, 7, 7}, {0, 0, 100, 100}},
        {{0, -20, 10, -1}, false, {7, 7, 7, 7}, {0, 0, 100, 100}},
    };
    for (const ClipCase& c : cases) {
        HScreenRect out(7, 7, 7, 7);
        HScreenRect follower(0, 0, 100, 100);
        EXPECT_EQ(HScreenRect::s_intersectRects(c.a, screen, &out, &follower), c.result);
        EXPECT_EQ(out.left, c.out.left);
        EXPECT_EQ(out.top, c.out.top);
        EXPECT_EQ(out.right, c.out.right);
        EXPECT_EQ(out.bottom, c.out.bottom);
        EXPECT_EQ(follower.left, c.follower.left);
        EXPECT_EQ(follower.top, c.follower.top);
        EXPECT_EQ(follower.right, c.follower.right);
        EXPECT_EQ(follower.bottom, c.follower.bottom);
    }
}

TEST(HScreenRect, EmptinessAndSize)
{
    EXPECT_TRUE(HScreenRect(5, 5, 5, 8).isEmpty());
    EXPECT_TRUE(HScreenRect(5, 5, 4, 8).isEmpty());
    EXPECT_TRUE(HScreenRect(5, 5, 8, 5).isEmpty());
    EXPECT_FALSE(HScreenRect(5, 5, 6, 6).isEmpty());
    EXPECT_EQ(HScreenRect(10, 20, 30, 60).width(), 20);
    EXPECT_EQ(HScreenRect(10, 20, 30, 60).height(), 40);
}

TEST(HScreenRect, ClampReturnsTheChange)
{
    const struct {
        int32_t value, expected, delta;
    } cases[] = {{700, 639, -61}, {-3, 0, 3}, {5, 5, 0}, {-2000000000, 0, 2000000000}};
    for (const auto& c : cases) {
        int32_t v = c.value;
        EXPECT_EQ(HScreenRect::sm_clamp(v, 0, 639), c.delta);
        EXPECT_EQ(v, c.expected);
    }
}

TEST(HScreenRect, SweptCollisionReportsTheEdgeEntered)
{
    const HScreenRect wall(100, 0, 110, 100);
    int x = -1, y = -1;
    // Moving right into the wall's left edge.
    EXPECT_EQ(wall.checkCollisionAgainstSweptRectangles({0, 10, 10, 20}, {200, 10, 210, 20}, &x, &y), 0x1);
    EXPECT_EQ(y, 0);
    EXPECT_GE(x, 88);
    EXPECT_LE(x, 90);
    // Moving left into its right edge.
    EXPECT_EQ(wall.checkCollisionAgainstSweptRectangles({200, 10, 210, 20}, {0, 10, 10, 20}, &x, &y), 0x10);
    // Moving down into a floor's top edge.
    const HScreenRect floor(0, 100, 100, 110);
    EXPECT_EQ(floor.checkCollisionAgainstSweptRectangles({10, 0, 20, 10}, {10, 200, 20, 210}, &x, &y), 0x100);
    EXPECT_EQ(x, 0);
    // A sweep that passes by.
    EXPECT_EQ(wall.checkCollisionAgainstSweptRectangles({0, 200, 10, 210}, {200, 200, 210, 210}, &x, &y), 0);
}

} // namespace
