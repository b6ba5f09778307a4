// Tile records and their screen geometry.
#include "game/QVTile.h"

#include <gtest/gtest.h>

namespace {

struct GeometryCase {
    int32_t x, y, z;
    HScreenRect tile;
    HScreenRect face;
};

class QVTileGeometry : public testing::TestWithParam<GeometryCase> {};

TEST_P(QVTileGeometry, TileAndFaceRectangles)
{
    const GeometryCase& c = GetParam();
    QVTile t;
    t.x = c.x;
    t.y = c.y;
    t.z = c.z;
    HScreenRect r;
    t.getTileRect(&r);
    EXPECT_EQ(r.left, c.tile.left);
    EXPECT_EQ(r.top, c.tile.top);
    EXPECT_EQ(r.right, c.tile.right);
    EXPECT_EQ(r.bottom, c.tile.bottom);
    t.getFaceRect(&r);
    EXPECT_EQ(r.left, c.face.left);
    EXPECT_EQ(r.top, c.face.top);
    EXPECT_EQ(r.right, c.face.right);
    EXPECT_EQ(r.bottom, c.face.bottom);
}

INSTANTIATE_TEST_SUITE_P(
    Positions, QVTileGeometry,
    testing::Values(
        // The board's origin.
        GeometryCase{0, 0, 0, {131, 30, 170, 85}, {137, 30, 170, 78}},
        // One layer up: 6 right, 7 up.
        GeometryCase{0, 0, 1, {137, 23, 176, 78}, {143, 23, 176, 71}},
        // 49 + 131 + 6 and 48 + 30 - 7.
        GeometryCase{3, 2, 1, {186, 71, 225, 126}, {192, 71, 225, 119}},
        // A half tile is 16.5 pixels, rounded toward zero on both sides of 0.
        GeometryCase{1, 0, 0, {147, 30, 186, 85}, {153, 30, 186, 78}},
        GeometryCase{-1, 0, 0, {115, 30, 154, 85}, {121, 30, 154, 78}},
        GeometryCase{2, 2, 0, {164, 78, 203, 133}, {170, 78, 203, 126}}));

TEST(QVTile, ConstructedEmpty)
{
    const QVTile t;
    EXPECT_FALSE(t.present);
    EXPECT_FALSE(t.selected);
    EXPECT_EQ(t.matchGroup, -1);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.z, 0);
    EXPECT_EQ(t.face, 0);
    EXPECT_EQ(t.removedAt.getTime64(), 0u);
}

TEST(QVTile, ShadowsGrowTheTileUpAndRight)
{
    QVTile t;
    t.z = 1;
    HScreenRect r;
    t.getTileRectWithShadows(&r);
    EXPECT_EQ(r.top, 23) << "no shadow sizes set yet";
    EXPECT_EQ(r.right, 176);

    QVTile::s_setShadowSizes(4, 5);
    t.getTileRectWithShadows(&r);
    QVTile::s_setShadowSizes(0, 0);
    EXPECT_EQ(r.left, 137);
    EXPECT_EQ(r.top, 23 - 4);
    EXPECT_EQ(r.right, 176 + 5);
    EXPECT_EQ(r.bottom, 78);
}

} // namespace
