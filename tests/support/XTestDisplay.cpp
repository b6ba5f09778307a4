// A connection to an X server with the XTEST extension.
#include "tests/support/XTestDisplay.h"

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

XTestDisplay::XTestDisplay() : m_pDisplay(nullptr) {}

XTestDisplay::~XTestDisplay()
{
    m_close();
}

void XTestDisplay::m_close()
{
    if (m_pDisplay)
        XCloseDisplay(m_pDisplay);
    m_pDisplay = nullptr;
}

bool XTestDisplay::open(const std::string& display)
{
    m_close();
    Display* d = XOpenDisplay(display.c_str());
    if (!d)
        return false;
    int eventBase = 0;
    int errorBase = 0;
    int major = 0;
    int minor = 0;
    if (!XTestQueryExtension(d, &eventBase, &errorBase, &major, &minor)) {
        XCloseDisplay(d);
        return false;
    }
    m_pDisplay = d;
    return true;
}
