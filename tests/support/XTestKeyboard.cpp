// Key presses and releases through XTEST.
#include "tests/support/XTestKeyboard.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

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
    Display* display = m_display.get();
    if (!display)
        return false;
    if (on)
        XAutoRepeatOn(display);
    else
        XAutoRepeatOff(display);
    XSync(display, False);
    return true;
}

bool XTestKeyboard::m_send(unsigned long keysym, bool down)
{
    Display* display = m_display.get();
    if (!display)
        return false;
    const KeyCode code = XKeysymToKeycode(display, static_cast<KeySym>(keysym));
    if (code == 0)
        return false;
    XTestFakeKeyEvent(display, code, down ? True : False, CurrentTime);
    XSync(display, False);
    return true;
}
