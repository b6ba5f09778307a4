// Pointer moves and clicks through XTEST.
#include "tests/support/XTestPointer.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

Display* openXTestDisplay(const std::string& display)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d)
        return nullptr;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(d);
        return nullptr;
    }
    return d;
}

XTestPointer::XTestPointer() : m_pDisplay(nullptr) {}

XTestPointer::~XTestPointer()
{
    if (m_pDisplay)
        XCloseDisplay(m_pDisplay);
}

bool XTestPointer::open(const std::string& display)
{
    if (m_pDisplay) {
        XCloseDisplay(m_pDisplay);
        m_pDisplay = nullptr;
    }
    m_pDisplay = openXTestDisplay(display);
    return m_pDisplay != nullptr;
}

bool XTestPointer::moveTo(unsigned long window, int32_t x, int32_t y)
{
    if (!m_pDisplay)
        return false;
    Window child = 0;
    int rootX = 0;
    int rootY = 0;
    if (!XTranslateCoordinates(m_pDisplay, static_cast<Window>(window), DefaultRootWindow(m_pDisplay), x, y, &rootX,
                               &rootY, &child))
        return false;
    XTestFakeMotionEvent(m_pDisplay, -1, rootX, rootY, CurrentTime);
    XSync(m_pDisplay, False);
    return true;
}

bool XTestPointer::click(unsigned long window, int32_t x, int32_t y)
{
    if (!moveTo(window, x, y))
        return false;
    XTestFakeButtonEvent(m_pDisplay, 1, True, CurrentTime);
    XTestFakeButtonEvent(m_pDisplay, 1, False, CurrentTime);
    XSync(m_pDisplay, False);
    return true;
}
