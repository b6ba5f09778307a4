// The integer screen rectangle of the whole system: control bounds, dirty
// areas, blit destinations and sources.
//
// Callers build a w x h rectangle at (x, y) as {x, y, x + w, y + h}: right and
// bottom lie one past the last pixel, and a rectangle whose right equals its
// left (or bottom its top) covers nothing. The predicates below nevertheless
// compare edges inclusively: a point on the right or bottom edge is inside,
// and rectangles that only touch meet.
#pragma once

#include "engine/core/HScreenPoint.h"

#include <cstdint>

struct HScreenRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;

    HScreenRect() : left(0), top(0), right(0), bottom(0) {}
    // Stored unchanged, not normalised.
    HScreenRect(int32_t l, int32_t t, int32_t r, int32_t b) : left(l), top(t), right(r), bottom(b) {}

    int32_t width() const { return right - left; }
    int32_t height() const { return bottom - top; }
    // No pixel inside: right at or left of left, or bottom at or above top.
    bool isEmpty() const { return right <= left || bottom <= top; }

    bool containsPoint(const HScreenPoint& p) const;
    bool containsRect(const HScreenRect& r) const;
    // False when either rectangle has zero width or height; shared edges meet.
    bool intersectsRect(const HScreenRect& r) const;

    // Clips a to b into out, moving the follower's edges by the same amounts
    // (the display device clips a blit's destination to the screen and its
    // source along with it). False, with out and follower untouched, when they
    // do not even touch. A true result may still be empty.
    static bool s_intersectRects(const HScreenRect& a, const HScreenRect& b, HScreenRect* out, HScreenRect* follower);

    // Sets value to lo when below, to hi when above; returns new minus old.
    static int32_t sm_clamp(int32_t& value, int32_t lo, int32_t hi);

    // Sweeps a rectangle of from's size from from's corner to to's corner and
    // reports which edges of this rectangle it entered through (0x1 left,
    // 0x10 right, 0x100 top, 0x1000 bottom), with the offset of the step
    // before the hit in outX/outY; 0 when it never meets this rectangle.
    int checkCollisionAgainstSweptRectangles(const HScreenRect& from, const HScreenRect& to, int* outX,
                                             int* outY) const;
};

static_assert(sizeof(HScreenRect) == 16, "four signed 32-bit values");
