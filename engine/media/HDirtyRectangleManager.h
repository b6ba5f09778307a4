// A bounded list of screen rectangles that need redrawing or presenting.
//
// Each added rectangle absorbs every listed rectangle that it overlaps or
// touches (shared edges and corners count), so after every add no two listed
// rectangles intersect and none is empty. The list keeps the order in which
// the surviving rectangles were appended. It is a fixed array held by value:
// adding, clearing and reading never allocate.
#pragma once

#include "engine/core/HScreenRect.h"

#include <cstdint>

class HDirtyRectangleManager {
public:
    static constexpr int32_t kMaxRectangles = 512;

    HDirtyRectangleManager();

    // Note the argument order: top, left, bottom, right. The corners are put
    // in order first. Dropped: an empty rectangle, one already covered by a
    // listed rectangle, and any rectangle once 512 are listed (even one that
    // would have merged).
    void addToDirtyList(int32_t top, int32_t left, int32_t bottom, int32_t right);
    void addScreenRectToDirtyList(const HScreenRect& rect);
    void clearDirtyList();

    int32_t getRectangleCount() const { return m_iCount; }
    // The caller keeps 0 <= i < getRectangleCount().
    const HScreenRect* getRectangle(int32_t i) const { return &m_aRectangles[i]; }
    const HScreenRect* getRectangleList() const { return m_aRectangles; }
    // Sum of the listed areas; saturates at INT32_MAX rather than wrapping.
    int32_t getDirtyRectTotalArea() const;

private:
    HScreenRect m_aRectangles[kMaxRectangles];
    int32_t m_iCount;
};
