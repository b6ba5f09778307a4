// The toolkit's control delegate: draws a control with one of four state
// sprites (normal, lit, disabled, pushed), sizes the control from them, and
// has the running game redraw the control's area. The sprites are borrowed
// (they belong to the game's sprite table and outlive the delegate).
#pragma once

#include "ui/UIControlDelegate.h"

class MVSprite;

class MVControlDelegate : public UIControlDelegate {
    H_DECLARE_CLASS(MVControlDelegate)
public:
    // All four sprites null.
    MVControlDelegate();
    ~MVControlDelegate() override;

    // Nothing when all four equal the current ones; otherwise stores them and
    // has the control recompute and invalidate its bounds. The delegate must
    // be attached to its control.
    void setSprites2(MVSprite* normal, MVSprite* lit, MVSprite* disabled, MVSprite* pushed);
    // Disabled (even when null), else pushed (when set), else lit, else normal.
    MVSprite* m_getSpriteForControl(UIControl* control);

    // Blends the state sprite, its top-left corner at the control's, over
    // the part of the control's rectangle inside the clip; a sprite larger
    // than its control is cut at the control's edges.
    void drawUIControl(UIControl* control, const HScreenRect& clip) override;
    // The control's rectangle goes to the running game's invalidation.
    void invalidateControl(UIControl* control) override;
    // The size of the last non-null sprite of normal, lit, disabled, pushed.
    void getExtents(HScreenPoint* size) override;

    // Where invalidations go: the framework installs its game's invalidateArea
    // when the game object is built; tests install their own. Without one
    // nothing is invalidated.
    using InvalidateFunction = void (*)(const HScreenRect& area);
    static void s_setInvalidateFunction(InvalidateFunction fn);

private:
    MVSprite* m_pLitSprite;
    MVSprite* m_pDisabledSprite;
    MVSprite* m_pNormalSprite;
    MVSprite* m_pPushedSprite;

    static InvalidateFunction sm_pInvalidate;
};
