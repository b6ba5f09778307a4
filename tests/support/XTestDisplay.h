// One connection to an X server that has the XTEST extension, for the
// helpers that act as a player's pointer and keyboard through it (XTestPointer,
// XTestKeyboard). Closed with the object.
#pragma once

#include <string>

struct _XDisplay;

class XTestDisplay {
public:
    XTestDisplay();
    ~XTestDisplay();

    XTestDisplay(const XTestDisplay&) = delete;
    XTestDisplay& operator=(const XTestDisplay&) = delete;

    // Connects to the display (closing a connection held before); false
    // when it cannot be opened or the server lacks the XTEST extension.
    bool open(const std::string& display);
    // The connection; null when none is open.
    _XDisplay* get() const { return m_pDisplay; }

private:
    void m_close();

    _XDisplay* m_pDisplay;
};
