// Pointer moves and clicks through XTEST.
#include "tests/support/XTestPointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

bool XTestPointer::moveTo(unsigned long window, int32_t x, int32_t y)
{
    Display* display = m_display.get();
    if (!display)
        return false;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    if (!XTranslateCoordinates(display, static_cast<Window>(window), DefaultRootWindow(display), x, y, &rootX, &rootY,
                               &child))
        return false;
    XTestFakeMotionEvent(display, -1, rootX, rootY, CurrentTime);
    XSync(display, False);
    return true;
}

bool XTestPointer::click(unsigned long window, int32_t x, int32_t y)
{
    if (!moveTo(window, x, y))
        return false;
    Display* display = m_display.get();
    XTestFakeButtonEvent(display, 1, True, CurrentTime);
    XTestFakeButtonEvent(display, 1, False, CurrentTime);
    XSync(display, False);
    return true;
}
