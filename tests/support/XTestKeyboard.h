// The keyboard of an X server pressed and released through the server's
// XTEST extension, as if a player held the keys: the events reach the window
// that has the keyboard focus (on a server without a window manager, the
// one under the pointer), through the same path as a real keyboard's.
#pragma once

#include "tests/support/XTestDisplay.h"

#include <string>

class XTestKeyboard {
public:
    // Connects to the display; false when it cannot be opened or the server
    // lacks the XTEST extension.
    bool open(const std::string& display) { return m_display.open(display); }
    // Presses or releases the key that carries the key symbol (X11/keysym.h:
    // XK_space, XK_a, ...); false when the server's keyboard has no such key.
    bool press(unsigned long keysym);
    bool release(unsigned long keysym);
    // Switches the server's own key repeat on or off, for every client of
    // the server (as "xset r" does).
    bool setServerRepeat(bool on);

private:
    bool m_send(unsigned long keysym, bool down);

    XTestDisplay m_display;
};
