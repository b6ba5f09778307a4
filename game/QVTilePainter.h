// What the board's drawing walk draws with: the game implements it (one tile
// with its shadows, and the hover outline). The board library knows nothing
// of the display, so it reaches the game through this interface.
#pragma once

#include "engine/core/HScreenRect.h"

struct QVTile;

class QVTilePainter {
public:
    virtual ~QVTilePainter() = default;

    // One tile with its shadows, touching nothing outside clip. shadow and
    // alpha are 0..1; tint is how much of the tile is added onto itself.
    virtual void m_drawTile(const QVTile& tile, const HScreenRect& clip, float shadow, float alpha, float tint) = 0;
    // The hover outline within the tile's face: green when free, else red.
    virtual void m_drawTileOutline(const QVTile& tile, const HScreenRect& clip, bool free) = 0;
};
