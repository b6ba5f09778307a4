// The controls of the screen: the framework offers every event to them after
// its own handling and before the game's, and has them drawn in the second
// drawing pass of every dirty rectangle. The manager keeps the capture
// control (pressed, following the mouse until release) and the focus
// control (receiving typed characters).
//
// The list holds the controls newest first and does not own them until
// shutdownUIManager, which deletes them.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HObject.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"

class HObjectList;
class UIControl;

class UIManager : public HObject {
    H_DECLARE_CLASS(UIManager)
public:
    // Creates the list with the control class record as its filter. Safe at
    // static initialisation: the record's address is stored, never read.
    UIManager();
    // Frees nothing: shutdownUIManager does.
    ~UIManager() override;

    UIManager(const UIManager&) = delete;
    UIManager& operator=(const UIManager&) = delete;

    // Prepends the control and becomes its manager: 0. 1, changing nothing,
    // for a non-control, and for a control that is already in the list.
    int insertControl(UIControl* control);
    // Unlinks the control without deleting it; a capture that names it is
    // released (the control pops up), a focus that names it is cleared, and
    // the control forgets this manager.
    void removeControl(UIControl* control);
    // First the lit controls follow what shows (m_followShownControls);
    // then capture, then focus, then every enabled and active control newest
    // first; true when one consumed the event. A capture control that is
    // disabled or inactive loses the capture instead of being offered it.
    bool sendEventToControls(const HEvent& e);
    // Every active control in list order (newest first).
    void drawControls(const HScreenRect& clip);
    // Re-evaluates which control is lit under p: every control is unlit,
    // then every active one (enabled or not) sees a mouse move at p.
    void findLitControl(const HScreenPoint& p);
    // The previous focus, when there was one, is invalidated.
    void setFocus(UIControl* control);
    UIControl* getFocus() { return m_pFocusControl; }
    const UIControl* getFocus() const { return m_pFocusControl; }
    // The first eligible control (enabled, active, accepting the focus)
    // after the focus in list order, wrapping to the head.
    void cycleFocus();
    // Clears the capture and the focus, deletes every control (each deletes
    // its delegate), then the list. Afterwards every operation does nothing.
    void shutdownUIManager();

    UIControl* getCapture() const { return m_pCaptureControl; }
    // Written by the controls' state machine.
    void m_setCapture(UIControl* control) { m_pCaptureControl = control; }
    // Drops the capture: the captured control, if any, is no longer pushed.
    // The framework calls it after every modal dialog, which may have
    // swallowed the release that would have ended the capture.
    void releaseCapture();
    // Null after shutdownUIManager.
    const HObjectList* getControlList() const { return m_pControlList; }

private:
    // Which controls show follows the game (its state, its pause, the board
    // a button depends on), and a control sees no mouse move while it is
    // hidden: one that went while lit would come back lit with the pointer
    // elsewhere, and one that comes under a pointer at rest would stay
    // unlit. So at every event, before it is offered: a control gone since
    // the last event is put out, and one come since is lit exactly when it
    // is enabled and the pointer is over it. The pointer is noted from the
    // event first.
    void m_followShownControls(const HEvent& e);

    HObjectList* m_pControlList;
    UIControl* m_pCaptureControl;
    UIControl* m_pFocusControl;
    HScreenPoint m_pointer;
    bool m_bPointerKnown;
};
