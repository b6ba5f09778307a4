// A control: a rectangle of the game screen that reacts to the mouse and,
// while it holds the focus, to typed characters. It keeps the lit (hovered),
// enabled and pushed states and turns raw events into a few actions that
// subclasses override (clickAction, unclickAction, dragAction,
// keyDownAction). It draws nothing itself: its delegate draws it, sizes it
// and invalidates its area. The control owns the delegate.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HObject.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"

class UIControlDelegate;
class UIManager;

class UIControl : public HObject {
    H_DECLARE_CLASS(UIControl)
public:
    // Enabled, not lit, not pushed, no manager; the delegate (which may be
    // null) is stored and pointed back at this control. The rectangle starts
    // off-screen until setLocation gives it its place.
    explicit UIControl(UIControlDelegate* delegate);
    // Deletes the delegate.
    ~UIControl() override;

    UIControl(const UIControl&) = delete;
    UIControl& operator=(const UIControl&) = delete;

    // The control state machine; true when the control consumed the event.
    // A press pushes and captures the control before clickAction runs, and
    // nothing of the control is touched after it: the action may delete the
    // control, or run a modal dialog after which the capture is released.
    // Any left-button release ends the capture, wherever it lands.
    virtual bool handleEvent(const HEvent& e);
    // The delegate draws the control; subclasses that draw extras call this.
    virtual void drawControl(const HScreenRect& clip);
    // Disabling also unlights the control and ends its capture.
    virtual void enableControl(bool enable);
    virtual bool isEnabled() const;
    // Tab on the focus control cycles the focus (true); anything else false.
    virtual bool keyDownAction(const HEvent& e);
    virtual void dragAction(const HEvent& e);
    // Runs on the press.
    virtual void clickAction();
    // Runs on a release inside while pushed.
    virtual void unclickAction();
    // An inactive control is neither drawn nor offered routed events (unless
    // it holds the focus).
    virtual bool isActive() const;
    // Moves the top-left corner to p, then updateBounds().
    virtual void setLocation(const HScreenPoint& p);
    virtual const HScreenRect& getControlRect() const;
    virtual bool isLit() const;
    virtual void m_setLit(bool lit);
    virtual bool m_isPushed() const;
    virtual UIControlDelegate* getControlDelegate();
    virtual bool m_acceptsFocus() const;
    virtual bool m_isPushable() const;
    virtual void m_setPushed(bool pushed);
    // A left-button press inside the rectangle (edges included).
    virtual bool m_isClick(const HEvent& e);
    // A left-button release inside the rectangle.
    virtual bool m_isUnclick(const HEvent& e);
    // Stores the rectangle, nothing else.
    virtual void m_setControlRect(const HScreenRect& rect);

    // The delegate's invalidateControl(this).
    void invalidateControl();
    // The rectangle takes the delegate's extents at its top-left corner, and
    // the new rectangle is invalidated.
    void updateBounds();

    UIManager* getUIManager() const { return m_pUIManager; }
    // Set by the manager that takes the control in.
    void m_setUIManager(UIManager* manager) { m_pUIManager = manager; }
    // Whether the control showed (was active) when its manager last routed
    // an event: the manager's record of it, to see the control go and come.
    bool m_wasShown() const { return m_bWasShown; }
    void m_setWasShown(bool shown) { m_bWasShown = shown; }

protected:
    HScreenRect m_controlRect;
    UIManager* m_pUIManager;               // not owned
    UIControlDelegate* m_pControlDelegate; // owned
    bool m_bLit;
    bool m_bEnabled;
    bool m_bPushed;
    bool m_bWasShown;
};
