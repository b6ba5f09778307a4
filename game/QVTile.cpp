// Tile records and their screen geometry.
#include "game/QVTile.h"

#include "game/ScreenGeometry.h"

int32_t QVTile::sm_iTopShadowHeight = 0;
int32_t QVTile::sm_iRightShadowWidth = 0;

QVTile::QVTile() : present(false), selected(false), matchGroup(-1), x(0), y(0), z(0), face(0), removedAt{0, 0} {}

void QVTile::getTileRect(HScreenRect* out) const
{
    // Integer division truncates toward zero, so odd x lands on the half
    // pixel rounded toward zero.
    const geo::Point at = geo::tileAt(x, y, z);
    *out = HScreenRect(at.x, at.y, at.x + geo::kTileW, at.y + geo::kTileH);
}

void QVTile::getFaceRect(HScreenRect* out) const
{
    getTileRect(out);
    out->left += geo::kTileSideEdge;
    out->bottom -= geo::kTileBottomEdge;
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
