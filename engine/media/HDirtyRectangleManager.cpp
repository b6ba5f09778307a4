// Dirty-rectangle merging: grow the new rectangle over everything it touches,
// drop what it swallowed, append it.
#include "engine/media/HDirtyRectangleManager.h"

HDirtyRectangleManager::HDirtyRectangleManager() : m_aRectangles(), m_iCount(0) {}

void HDirtyRectangleManager::addToDirtyList(int32_t top, int32_t left, int32_t bottom, int32_t right)
{
    if (m_iCount >= kMaxRectangles)
        return;
    if (bottom < top) {
        const int32_t t = top;
        top = bottom;
        bottom = t;
    }
    if (right < left) {
        const int32_t t = left;
        left = right;
        right = t;
    }
    if (right == left || bottom == top)
        return;

    HScreenRect r(left, top, right, bottom);
    for (int32_t i = 0; i < m_iCount; ++i) {
        if (m_aRectangles[i].containsRect(r))
            return;
    }

    // Grow over every touching entry. A growth can reach entries already
    // passed, so the scan starts again after each one.
    for (int32_t i = 0; i < m_iCount;) {
        const HScreenRect& e = m_aRectangles[i];
        if (e.intersectsRect(r)) {
            const HScreenRect grown(e.left < r.left ? e.left : r.left, e.top < r.top ? e.top : r.top,
                                    e.right > r.right ? e.right : r.right,
                                    e.bottom > r.bottom ? e.bottom : r.bottom);
            const bool changed =
                grown.left != r.left || grown.top != r.top || grown.right != r.right || grown.bottom != r.bottom;
            r = grown;
            if (changed) {
                i = 0;
                continue;
            }
        }
        ++i;
    }

    // Everything that still touches r now lies inside it: remove those, in
    // place, keeping the order of the rest.
    int32_t kept = 0;
    for (int32_t i = 0; i < m_iCount; ++i) {
        if (!r.containsRect(m_aRectangles[i]))
            m_aRectangles[kept++] = m_aRectangles[i];
    }
    m_iCount = kept;

    m_aRectangles[m_iCount++] = r;
}

void HDirtyRectangleManager::addScreenRectToDirtyList(const HScreenRect& rect)
{
    addToDirtyList(rect.top, rect.left, rect.bottom, rect.right);
}

void HDirtyRectangleManager::clearDirtyList()
{
    m_iCount = 0;
}

int32_t HDirtyRectangleManager::getDirtyRectTotalArea() const
{
    // Listed rectangles are ordered, so both sides are positive; each fits in
    // 32 unsigned bits and their product in 64.
    uint64_t total = 0;
    for (int32_t i = 0; i < m_iCount; ++i) {
        const HScreenRect& r = m_aRectangles[i];
        const uint64_t w = static_cast<uint64_t>(static_cast<int64_t>(r.right) - r.left);
        const uint64_t h = static_cast<uint64_t>(static_cast<int64_t>(r.bottom) - r.top);
        total += w * h;
        if (total > INT32_MAX)
            return INT32_MAX;
    }
    return static_cast<int32_t>(total);
}
