// The drawing delegate that every control owns: the control asks it to draw,
// to invalidate its area and to report the control's size. The delegate does
// not own its control; the control owns the delegate and deletes it.
#pragma once

#include "engine/core/HObject.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"

class UIControl;

class UIControlDelegate : public HObject {
public:
    UIControlDelegate() : m_pControl(nullptr) {}
    ~UIControlDelegate() override = default;

    UIControlDelegate(const UIControlDelegate&) = delete;
    UIControlDelegate& operator=(const UIControlDelegate&) = delete;

    // Draws the control, touching no pixel outside `clip`.
    virtual void drawUIControl(UIControl* control, const HScreenRect& clip) = 0;
    // Adds the control's area to the areas to be redrawn.
    virtual void invalidateControl(UIControl* control) = 0;
    // The control's width into size->x and its height into size->y.
    virtual void getExtents(HScreenPoint* size) = 0;

    // The control that owns this delegate; set by the control's constructor.
    UIControl* getControl() const { return m_pControl; }
    void m_setControl(UIControl* control) { m_pControl = control; }

protected:
    UIControl* m_pControl; // not owned
};
