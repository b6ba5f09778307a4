// Tile records and their screen geometry.
#include "game/QVTile.h"

int32_t QVTile::sm_iTopShadowHeight = 0;
int32_t QVTile::sm_iRightShadowWidth = 0;

namespace {

constexpr int32_t kTileWidth = 39;
constexpr int32_t kTileHeight = 55;
constexpr int32_t kSideEdge = 6;   // the tile's left edge, also the step right per layer
constexpr int32_t kBottomEdge = 7; // the tile's bottom edge, also the step up per layer

} // namespace

QVTile::QVTile() : present(false), selected(false), matchGroup(-1), x(0), y(0), z(0), face(0), removedAt{0, 0} {}

void QVTile::getTileRect(HScreenRect* out) const
{
    // Integer division truncates toward zero, so odd x lands on the half
    // pixel rounded toward zero.
    const int32_t left = (33 * x) / 2 + 131 + kSideEdge * z;
    const int32_t top = 24 * y + 30 - kBottomEdge * z;
    *out = HScreenRect(left, top, left + kTileWidth, top + kTileHeight);
}

void QVTile::getFaceRect(HScreenRect* out) const
{
    getTileRect(out);
    out->left += kSideEdge;
    out->bottom -= kBottomEdge;
}

void QVTile::getTileRectWithShadows(HScreenRect* out) const
{
    getTileRect(out);
    out->top -= sm_iTopShadowHeight;
    out->right += sm_iRightShadowWidth;
}

void QVTile::s_setShadowSizes(int32_t topShadowHeight, int32_t rightShadowWidth)
{
    sm_iTopShadowHeight = topShadowHeight;
    sm_iRightShadowWidth = rightShadowWidth;
}
