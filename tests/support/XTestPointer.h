// The pointer of an X server moved and clicked through the server's XTEST
// extension, as if a player held the mouse: the events reach whatever
// window lies under the pointer, through the same path as a real mouse's.
// Positions are given in a window's own coordinates.
#pragma once

#include "tests/support/XTestDisplay.h"

#include <cstdint>
#include <string>

class XTestPointer {
public:
    // Connects to the display; false when it cannot be opened or the server
    // lacks the XTEST extension.
    bool open(const std::string& display) { return m_display.open(display); }
    // Moves the pointer to (x, y) of the window; false when the window
    // cannot be placed on the screen.
    bool moveTo(unsigned long window, int32_t x, int32_t y);
    // Moves there, then presses and releases the left button.
    bool click(unsigned long window, int32_t x, int32_t y);

private:
    XTestDisplay m_display;
};
