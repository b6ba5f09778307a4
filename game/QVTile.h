// One of the 144 tiles of a deal: its place on the board, its match group and
// face, and its screen geometry.
#pragma once

#include "engine/core/HScreenRect.h"
#include "engine/core/MvTime.h"

#include <cstdint>

struct QVTile {
    bool present;      // the tile lies on the board
    bool selected;     // the tile is the selected one
    int32_t matchGroup; // 0-35; two tiles match when their groups are equal; -1 when constructed
    int32_t x;          // board position: half tiles across,
    int32_t y;          // half tiles down,
    int32_t z;          // and the layer, 0 at the bottom
    int32_t face;       // 0-51: the cell of the tile-set sheet that shows the tile
    MvTime removedAt;   // game clock when last removed; 0 while not fading

    QVTile();

    // The 39 x 55 rectangle the tile covers on screen. Each layer up moves a
    // tile 6 pixels right and 7 up; a half tile across is 16.5 pixels,
    // rounded toward zero.
    void getTileRect(HScreenRect* out) const;
    // The 33 x 48 face: the tile less its 6-pixel left edge and 7-pixel bottom edge.
    void getFaceRect(HScreenRect* out) const;
    // The tile rectangle with its top raised by the top shadow's height and
    // its right moved out by the right shadow's width.
    void getTileRectWithShadows(HScreenRect* out) const;

    // The shadow sprites' sizes, set once by the game when its art is loaded;
    // both 0 until then.
    static void s_setShadowSizes(int32_t topShadowHeight, int32_t rightShadowWidth);

    static int32_t sm_iTopShadowHeight;
    static int32_t sm_iRightShadowWidth;
};
