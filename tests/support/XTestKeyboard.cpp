// Key presses and releases through XTEST.
#include "tests/support/XTestKeyboard.h"

#include "tests/support/XTestPointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestKeyboard::XTestKeyboard() : m_pDisplay(nullptr) {}

XTestKeyboard::~XTestKeyboard()
{
    if (m_pDisplay)
        XCloseDisplay(m_pDisplay);
}

bool XTestKeyboard::open(const std::string& display)
{
    if (m_pDisplay) {
        XCloseDisplay(m_pDisplay);
        m_pDisplay = nullptr;
    }
    m_pDisplay = openXTestDisplay(display);
    return m_pDisplay != nullptr;
}

bool XTestKeyboard::press(unsigned long keysym)
{
    return m_send(keysym, true);
}

bool XTestKeyboard::release(unsigned long keysym)
{
    return m_send(keysym, false);
}

bool XTestKeyboard::setServerRepeat(bool on)
{
    if (!m_pDisplay)
        return false;
    if (on)
        XAutoRepeatOn(m_pDisplay);
    else
        XAutoRepeatOff(m_pDisplay);
    XSync(m_pDisplay, False);
    return true;
}

bool XTestKeyboard::m_send(unsigned long keysym, bool down)
{
    if (!m_pDisplay)
        return false;
    const KeyCode code = XKeysymToKeycode(m_pDisplay, static_cast<KeySym>(keysym));
    if (code == 0)
        return false;
    XTestFakeKeyEvent(m_pDisplay, code, down ? True : False, CurrentTime);
    XSync(m_pDisplay, False);
    return true;
}
