// Rectangle predicates, clipping, clamping and the swept collision test.
#include "engine/core/HScreenRect.h"

#include "engine/core/HVec2f.h"

namespace {

bool inRange(int32_t v, int32_t lo, int32_t hi)
{
    return lo <= v && v <= hi;
}

// Rounds half away from zero, then truncates toward zero.
int32_t roundAway(float v)
{
    return static_cast<int32_t>(v < 0.0f ? v - 0.5f : v + 0.5f);
}

} // namespace

bool HScreenRect::containsPoint(const HScreenPoint& p) const
{
    return left <= p.x && p.x <= right && top <= p.y && p.y <= bottom;
}

bool HScreenRect::containsRect(const HScreenRect& r) const
{
    return r.left >= left && r.right <= right && r.top >= top && r.bottom <= bottom;
}

bool HScreenRect::intersectsRect(const HScreenRect& r) const
{
    if (r.right == r.left || r.bottom == r.top || right == left || bottom == top)
        return false;
    const bool horizontal =
        inRange(r.left, left, right) || inRange(r.right, left, right) || (r.left <= left && right <= r.right);
    const bool vertical =
        inRange(r.top, top, bottom) || inRange(r.bottom, top, bottom) || (r.top <= top && bottom <= r.bottom);
    return horizontal && vertical;
}

bool HScreenRect::s_intersectRects(const HScreenRect& a, const HScreenRect& b, HScreenRect* out,
                                   HScreenRect* follower)
{
    if (a.left > b.right || a.right < b.left || a.top > b.bottom || a.bottom < b.top)
        return false;
    if (b.containsRect(a)) {
        *out = a;
        return true;
    }
    HScreenRect r = a;
    if (a.left < b.left) {
        r.left = b.left;
        if (follower)
            follower->left += b.left - a.left;
    }
    if (a.top < b.top) {
        r.top = b.top;
        if (follower)
            follower->top += b.top - a.top;
    }
    if (a.right > b.right) {
        r.right = b.right;
        if (follower)
            follower->right -= a.right - b.right;
    }
    if (a.bottom > b.bottom) {
        r.bottom = b.bottom;
        if (follower)
            follower->bottom -= a.bottom - b.bottom;
    }
    *out = r;
    return true;
}

int32_t HScreenRect::sm_clamp(int32_t& value, int32_t lo, int32_t hi)
{
    const int32_t old = value;
    if (value < lo)
        value = lo;
    else if (value > hi)
        value = hi;
    return value - old;
}

int HScreenRect::checkCollisionAgainstSweptRectangles(const HScreenRect& from, const HScreenRect& to, int* outX,
                                                      int* outY) const
{
    // Each call starts with the previous step at `from`, so a hit at the first
    // step is judged against the sweep's own start rather than an earlier call.
    HScreenRect previous = from;
    const float dx = static_cast<float>(to.left - from.left);
    const float dy = static_cast<float>(to.top - from.top);
    const int32_t w = from.width();
    const int32_t h = from.height();
    const float len = HVec2f{dx, dy}.length();

    const HScreenRect* hit = nullptr;
    HScreenRect stepRect;
    int offsetX = 0;
    int offsetY = 0;

    if (len > 0.0f) {
        const float step = 1.0f / len;
        for (float t = 0.0f; t <= 1.0f; t = t + step) {
            const int32_t x = roundAway(t * dx) + from.left;
            const int32_t y = roundAway(t * dy) + from.top;
            stepRect = HScreenRect(x, y, x + w, y + h);
            if (intersectsRect(stepRect)) {
                hit = &stepRect;
                offsetX = roundAway((t - step) * dx);
                offsetY = roundAway((t - step) * dy);
                break;
            }
            previous = stepRect;
        }
    } else if (intersectsRect(from)) {
        // No movement: only the start can meet.
        stepRect = from;
        hit = &stepRect;
    }

    if (!hit) {
        if (!intersectsRect(to))
            return 0;
        hit = &to;
        offsetX = previous.left - from.left;
        offsetY = previous.top - from.top;
    }

    int flags = 0;
    if (previous.right < left && hit->right >= left)
        flags |= 0x1;
    if (previous.left > right && hit->left <= right)
        flags |= 0x10;
    if (previous.bottom < top && hit->bottom >= top)
        flags |= 0x100;
    if (previous.top > bottom && hit->top <= bottom)
        flags |= 0x1000;
    if (outX)
        *outX = offsetX;
    if (outY)
        *outY = offsetY;
    return flags;
}
