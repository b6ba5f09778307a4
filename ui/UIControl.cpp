// The control: its states, the state machine that turns raw events into the
// click, unclick, drag and key actions, and its bounds from the delegate.
#include "ui/UIControl.h"

#include "ui/UIControlDelegate.h"
#include "ui/UIManager.h"

H_IMPLEMENT_CLASS(UIControl, "HObject")

namespace {
// Where a control waits, empty and off-screen, until setLocation places it.
constexpr int32_t kOffScreen = -1000;
} // namespace

UIControl::UIControl(UIControlDelegate* delegate)
    : m_controlRect(kOffScreen, kOffScreen, kOffScreen, kOffScreen),
      m_pUIManager(nullptr),
      m_pControlDelegate(delegate),
      m_bLit(false),
      m_bEnabled(true),
      m_bPushed(false),
      m_bWasShown(false)
{
    if (m_pControlDelegate)
        m_pControlDelegate->m_setControl(this);
}

UIControl::~UIControl()
{
    delete m_pControlDelegate;
}

bool UIControl::handleEvent(const HEvent& e)
{
    if (m_isClick(e)) {
        // The action comes last and nothing of the control is touched after
        // it: it may remove and delete the control, or run a modal dialog
        // after which the framework releases the capture taken here.
        if (m_isPushable()) {
            // A control still held from an earlier press lets go first.
            if (m_pUIManager && m_pUIManager->getCapture() != this)
                m_pUIManager->releaseCapture();
            m_setPushed(true);
            if (m_pUIManager)
                m_pUIManager->m_setCapture(this);
        }
        if (m_pUIManager)
            m_pUIManager->setFocus(m_acceptsFocus() ? this : nullptr);
        clickAction();
        return true;
    }
    if (e.type == ET_KEYUP && e.keyCode == KC_LBUTTON) {
        const bool wasPushed = m_isPushed();
        // Whichever control holds the capture lets it go and pops up.
        if (m_pUIManager)
            m_pUIManager->releaseCapture();
        m_setPushed(false);
        if (wasPushed && m_controlRect.containsPoint(e.point)) {
            unclickAction();
            return true;
        }
        return false;
    }
    const bool captured = m_pUIManager && m_pUIManager->getCapture() == this;
    if (e.type == ET_MOUSEMOVE) {
        const bool inside = m_controlRect.containsPoint(e.point);
        if (!captured) {
            if (inside)
                m_setLit(true);
            else if (isLit())
                m_setLit(false);
            return false;
        }
        // A held control pops up when the pointer leaves it and goes down
        // again when it comes back.
        if (m_isPushed() != inside) {
            m_setPushed(inside);
            m_setLit(inside);
        }
        dragAction(e);
        return true;
    }
    if (e.type == ET_KEYDOWN && e.character != 0 && m_pUIManager && m_pUIManager->getFocus() == this) {
        keyDownAction(e);
        return true;
    }
    return false;
}

void UIControl::drawControl(const HScreenRect& clip)
{
    if (m_pControlDelegate)
        m_pControlDelegate->drawUIControl(this, clip);
}

void UIControl::enableControl(bool enable)
{
    m_bEnabled = enable;
    if (!enable) {
        m_setLit(false);
        // A disabled control is offered no events: it would never see the
        // release that ends its capture.
        if (m_pUIManager && m_pUIManager->getCapture() == this)
            m_pUIManager->releaseCapture();
    }
    invalidateControl();
}

bool UIControl::isEnabled() const
{
    return m_bEnabled;
}

bool UIControl::keyDownAction(const HEvent& e)
{
    if (e.type == ET_KEYDOWN && e.character == '\t' && m_pUIManager && m_pUIManager->getFocus() == this) {
        m_pUIManager->cycleFocus();
        return true;
    }
    return false;
}

void UIControl::dragAction(const HEvent& /*e*/) {}

void UIControl::clickAction() {}

void UIControl::unclickAction() {}

bool UIControl::isActive() const
{
    return true;
}

void UIControl::setLocation(const HScreenPoint& p)
{
    m_controlRect.left = p.x;
    m_controlRect.top = p.y;
    updateBounds();
}

const HScreenRect& UIControl::getControlRect() const
{
    return m_controlRect;
}

bool UIControl::isLit() const
{
    return m_bLit;
}

void UIControl::m_setLit(bool lit)
{
    if (lit == isLit())
        return;
    m_bLit = lit;
    invalidateControl();
}

bool UIControl::m_isPushed() const
{
    return m_bPushed;
}

UIControlDelegate* UIControl::getControlDelegate()
{
    return m_pControlDelegate;
}

bool UIControl::m_acceptsFocus() const
{
    return false;
}

bool UIControl::m_isPushable() const
{
    return true;
}

void UIControl::m_setPushed(bool pushed)
{
    if (pushed == m_isPushed())
        return;
    m_bPushed = pushed;
    invalidateControl();
}

bool UIControl::m_isClick(const HEvent& e)
{
    return e.type == ET_KEYDOWN && e.keyCode == KC_LBUTTON && m_controlRect.containsPoint(e.point);
}

bool UIControl::m_isUnclick(const HEvent& e)
{
    return e.type == ET_KEYUP && e.keyCode == KC_LBUTTON && m_controlRect.containsPoint(e.point);
}

void UIControl::m_setControlRect(const HScreenRect& rect)
{
    m_controlRect = rect;
}

void UIControl::invalidateControl()
{
    if (m_pControlDelegate)
        m_pControlDelegate->invalidateControl(this);
}

void UIControl::updateBounds()
{
    HScreenPoint size;
    if (m_pControlDelegate)
        m_pControlDelegate->getExtents(&size);
    const int64_t right = static_cast<int64_t>(m_controlRect.left) + size.x;
    const int64_t bottom = static_cast<int64_t>(m_controlRect.top) + size.y;
    // Held to the 32-bit range: a control placed near the limit ends there.
    m_setControlRect(HScreenRect(m_controlRect.left, m_controlRect.top,
                                 right > INT32_MAX ? INT32_MAX : static_cast<int32_t>(right),
                                 bottom > INT32_MAX ? INT32_MAX : static_cast<int32_t>(bottom)));
    invalidateControl();
}
