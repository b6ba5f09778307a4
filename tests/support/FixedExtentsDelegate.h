// A control delegate for tests: it reports a fixed size, draws nothing, and
// counts what its control asks of it (draws, invalidations and the area of
// each invalidation).
#pragma once

#include "ui/UIControlDelegate.h"

#include <cstdint>
#include <vector>

class FixedExtentsDelegate : public UIControlDelegate {
public:
    FixedExtentsDelegate(int32_t width, int32_t height);

    void drawUIControl(UIControl* control, const HScreenRect& clip) override;
    void invalidateControl(UIControl* control) override;
    void getExtents(HScreenPoint* size) override;

    void setExtents(int32_t width, int32_t height);
    int32_t drawCount() const { return m_iDrawCount; }
    int32_t invalidations() const { return static_cast<int32_t>(m_invalidated.size()); }
    // The control's rectangle at each invalidation, in order.
    const std::vector<HScreenRect>& invalidatedAreas() const { return m_invalidated; }
    const HScreenRect& lastClip() const { return m_lastClip; }
    void clearCounts();

private:
    int32_t m_iWidth;
    int32_t m_iHeight;
    int32_t m_iDrawCount;
    HScreenRect m_lastClip;
    std::vector<HScreenRect> m_invalidated;
};
