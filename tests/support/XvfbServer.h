// A virtual X server for the tests that need a real window: started on a
// free display number, waited for with a wall-clock limit, stopped when the
// object goes away. Also reads a window's pixels back through a connection
// of its own, to see what really reached the screen.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

class XvfbServer {
public:
    XvfbServer();
    // Stops the server if it still runs.
    ~XvfbServer();

    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    // Whether an Xvfb program is on the search path.
    static bool s_isInstalled();

    // Starts "Xvfb :N -screen 0 <screen>" on the first free N it finds and
    // waits until the server takes clients. False when none came up within
    // timeoutSeconds (the server is stopped again).
    bool start(const char* screen, int timeoutSeconds);
    void stop();
    // ":N" once started.
    const std::string& display() const { return m_display; }

    // A top-level window (a child of the root) that is mapped, has exactly
    // width x height pixels and a title (WM_NAME or _NET_WM_NAME) that
    // begins with `titlePrefix`; 0 when there is none (yet).
    static unsigned long s_findWindow(const std::string& display, const char* titlePrefix, int width, int height);
    // The same on a connection the caller holds open.
    static unsigned long s_findWindow(_XDisplay* display, const char* titlePrefix, int width, int height);

    // The window's pixels, row by row, as 0xRRGGBB; empty when the display
    // cannot be opened or the window not read.
    static std::vector<uint32_t> s_readWindow(const std::string& display, unsigned long window, int width,
                                              int height);
    // The same on a connection the caller holds open.
    static std::vector<uint32_t> s_readWindow(_XDisplay* display, unsigned long window, int width, int height);

private:
    // One attempt on display `number`: 1 up, 0 that number is taken, -1 timed out or failed.
    int m_tryStart(int number, const char* screen, int timeoutSeconds);

    pid_t m_pid;
    std::string m_display;
};
