// The UI manager: the screen's controls newest first, event routing through
// the capture, the focus and the list, drawing, and the focus cycle.
//
// The capture and focus pointers never outlive their control's place in the
// list: removal and shutdown clear them, so no event is ever offered to a
// control that has gone.
#include "ui/UIManager.h"

#include "engine/core/HObjectList.h"
#include "ui/UIControl.h"

H_IMPLEMENT_CLASS(UIManager, "HObject")

namespace {
// The list's filter admits only controls.
UIControl* controlAt(const HContainerNode* node)
{
    return static_cast<UIControl*>(node->getNodeContents());
}
} // namespace

// The game object that holds the manager is static: only the record's
// address is taken here, its contents are read when a control is inserted.
UIManager::UIManager()
    : m_pControlList(new HObjectList(&UIControl::sm_classInfoUIControl)),
      m_pCaptureControl(nullptr),
      m_pFocusControl(nullptr),
      m_pointer{0, 0},
      m_bPointerKnown(false)
{
}

UIManager::~UIManager() = default;

int UIManager::insertControl(UIControl* control)
{
    if (!m_pControlList)
        return 1;
    // A control listed twice would be deleted twice at shutdown.
    for (HContainerNode* n = m_pControlList->beginIteration(); n; n = m_pControlList->next(n)) {
        if (controlAt(n) == control)
            return 1;
    }
    if (m_pControlList->prependObject(control) != 0)
        return 1;
    control->m_setUIManager(this);
    // Seen at the next event: shown then, it has come.
    control->m_setWasShown(false);
    return 0;
}

void UIManager::removeControl(UIControl* control)
{
    if (!control)
        return;
    if (m_pControlList)
        m_pControlList->removeObject(control);
    if (m_pCaptureControl == control)
        releaseCapture();
    if (m_pFocusControl == control)
        m_pFocusControl = nullptr;
    if (control->getUIManager() == this)
        control->m_setUIManager(nullptr);
}

bool UIManager::sendEventToControls(const HEvent& e)
{
    if (!m_pControlList)
        return false;
    m_followShownControls(e);
    if (m_pCaptureControl) {
        // A control that was disabled or went inactive while held is offered
        // no events, so it would never see the release that ends its capture.
        if (!m_pCaptureControl->isEnabled() || !m_pCaptureControl->isActive())
            releaseCapture();
        else if (m_pCaptureControl->handleEvent(e))
            return true;
    }
    if (m_pFocusControl && m_pFocusControl->handleEvent(e))
        return true;
    // The next node is taken first: a control may remove itself while it
    // handles an event that it then does not consume.
    for (HContainerNode* n = m_pControlList->beginIteration(); n;) {
        HContainerNode* after = m_pControlList->next(n);
        UIControl* control = controlAt(n);
        if (control->isEnabled() && control->isActive() && control->handleEvent(e))
            return true;
        n = after;
    }
    return false;
}

void UIManager::m_followShownControls(const HEvent& e)
{
    if (e.type == ET_MOUSEMOVE || ((e.type == ET_KEYDOWN || e.type == ET_KEYUP) && e.keyCode == KC_LBUTTON)) {
        m_pointer = e.point;
        m_bPointerKnown = true;
    }
    for (HContainerNode* n = m_pControlList->beginIteration(); n; n = m_pControlList->next(n)) {
        UIControl* control = controlAt(n);
        const bool shown = control->isActive();
        if (shown == control->m_wasShown())
            continue;
        control->m_setWasShown(shown);
        if (!shown)
            control->m_setLit(false);
        else
            control->m_setLit(m_bPointerKnown && control->isEnabled() &&
                              control->getControlRect().containsPoint(m_pointer));
    }
}

void UIManager::drawControls(const HScreenRect& clip)
{
    if (!m_pControlList)
        return;
    for (HContainerNode* n = m_pControlList->beginIteration(); n; n = m_pControlList->next(n)) {
        UIControl* control = controlAt(n);
        if (control->isActive())
            control->drawControl(clip);
    }
}

void UIManager::findLitControl(const HScreenPoint& p)
{
    if (!m_pControlList)
        return;
    HEvent move = HEvent::s_make(ET_MOUSEMOVE);
    move.point = p;
    for (HContainerNode* n = m_pControlList->beginIteration(); n; n = m_pControlList->next(n)) {
        UIControl* control = controlAt(n);
        control->m_setLit(false);
        if (control->isActive())
            control->handleEvent(move);
    }
}

void UIManager::setFocus(UIControl* control)
{
    UIControl* previous = m_pFocusControl;
    m_pFocusControl = control;
    if (previous)
        previous->invalidateControl();
}

void UIManager::cycleFocus()
{
    if (!m_pControlList)
        return;
    const auto eligible = [this](UIControl* c) {
        return c != m_pFocusControl && c->m_acceptsFocus() && c->isEnabled() && c->isActive();
    };
    // The search starts after the current focus and wraps to the head.
    HContainerNode* start = nullptr;
    for (HContainerNode* n = m_pControlList->beginIteration(); n && !start; n = m_pControlList->next(n)) {
        if (controlAt(n) == m_pFocusControl)
            start = m_pControlList->next(n);
    }
    UIControl* found = nullptr;
    for (HContainerNode* n = start; n && !found; n = m_pControlList->next(n)) {
        if (eligible(controlAt(n)))
            found = controlAt(n);
    }
    for (HContainerNode* n = m_pControlList->beginIteration(); n && !found; n = m_pControlList->next(n)) {
        if (eligible(controlAt(n)))
            found = controlAt(n);
    }
    if (!found)
        return;
    if (m_pFocusControl)
        m_pFocusControl->invalidateControl();
    found->invalidateControl();
    setFocus(found);
}

void UIManager::shutdownUIManager()
{
    if (!m_pControlList)
        return;
    m_pCaptureControl = nullptr;
    m_pFocusControl = nullptr;
    while (HContainerNode* n = m_pControlList->beginIteration()) {
        UIControl* control = controlAt(n);
        m_pControlList->removeObject(control);
        delete control;
    }
    delete m_pControlList;
    m_pControlList = nullptr;
}

void UIManager::releaseCapture()
{
    UIControl* control = m_pCaptureControl;
    m_pCaptureControl = nullptr;
    if (control)
        control->m_setPushed(false);
}
