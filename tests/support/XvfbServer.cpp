// The tests' virtual X server.
#include "tests/support/XvfbServer.h"

#include "tests/support/RunningProgram.h"
#include "tests/support/TempDir.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>

namespace {

// Scales a masked channel to 8 bits.
uint32_t channel8(unsigned long pixel, unsigned long mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (((mask >> shift) & 1ul) == 0)
        ++shift;
    int bits = 0;
    while (((mask >> (shift + bits)) & 1ul) != 0)
        ++bits;
    const uint32_t v = static_cast<uint32_t>((pixel & mask) >> shift);
    return bits >= 8 ? v >> (bits - 8) : v << (8 - bits);
}

} // namespace

XvfbServer::XvfbServer() : m_pid(-1), m_display() {}

XvfbServer::~XvfbServer()
{
    stop();
}

bool XvfbServer::s_isInstalled()
{
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= dirs.size()) {
        const size_t end = dirs.find(':', start);
        const std::string dir = dirs.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!dir.empty() && access((dir + "/Xvfb").c_str(), X_OK) == 0)
            return true;
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return false;
}

bool XvfbServer::start(const char* screen, int timeoutSeconds)
{
    stop();
    const double deadline = monotonicSeconds() + timeoutSeconds;
    // Spread parallel test processes over different numbers.
    int number = 100 + static_cast<int>(getpid() % 400);
    for (int attempt = 0; attempt < 40 && monotonicSeconds() < deadline; ++attempt, ++number) {
        if (fileExists("/tmp/.X" + std::to_string(number) + "-lock") ||
            fileExists("/tmp/.X11-unix/X" + std::to_string(number)))
            continue;
        const int left = static_cast<int>(deadline - monotonicSeconds()) + 1;
        const int r = m_tryStart(number, screen, left);
        if (r == 1)
            return true;
        if (r < 0)
            return false;
    }
    return false;
}

int XvfbServer::m_tryStart(int number, const char* screen, int timeoutSeconds)
{
    int fds[2];
    if (pipe(fds) != 0)
        return -1;
    const std::string display = ":" + std::to_string(number);
    const std::string fd = std::to_string(fds[1]);
    const pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        close(fds[0]);
        const int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, STDIN_FILENO);
            dup2(null, STDOUT_FILENO);
            dup2(null, STDERR_FILENO);
        }
        // The server writes its display number to the pipe once it takes
        // clients. Without -noreset it would reset whenever its last client
        // leaves, refusing connections meanwhile (SDL connects twice).
        execlp("Xvfb", "Xvfb", display.c_str(), "-screen", "0", screen, "-nolisten", "tcp", "-noreset", "-displayfd",
               fd.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);

    std::string got;
    const double deadline = monotonicSeconds() + timeoutSeconds;
    bool up = false;
    bool ended = false;
    while (!up && !ended) {
        const int ms = static_cast<int>((deadline - monotonicSeconds()) * 1000);
        if (ms <= 0)
            break;
        pollfd p = {fds[0], POLLIN, 0};
        if (poll(&p, 1, ms) <= 0)
            continue;
        char buf[32];
        const ssize_t n = read(fds[0], buf, sizeof(buf));
        if (n <= 0) {
            ended = true; // the server went away: most likely the number was taken
        } else {
            got.append(buf, static_cast<size_t>(n));
            up = got.find('\n') != std::string::npos;
        }
    }
    close(fds[0]);
    if (up) {
        m_pid = pid;
        m_display = display;
        return 1;
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    return ended ? 0 : -1;
}

void XvfbServer::stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    const double deadline = monotonicSeconds() + 5;
    int status = 0;
    while (waitpid(m_pid, &status, WNOHANG) == 0) {
        if (monotonicSeconds() > deadline) {
            kill(m_pid, SIGKILL);
            waitpid(m_pid, &status, 0);
            break;
        }
        sleepMilliseconds(10);
    }
    m_pid = -1;
    m_display.clear();
}

namespace {

// The window's title: _NET_WM_NAME (UTF-8) when it has one, else WM_NAME.
std::string windowTitle(Display* d, Window w)
{
    std::string title;
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", True);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", True);
    if (netName != 0 && utf8 != 0) {
        Atom type = 0;
        int format = 0;
        unsigned long count = 0;
        unsigned long after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(d, w, netName, 0, 256, False, utf8, &type, &format, &count, &after, &data) ==
                Success &&
            data) {
            if (type == utf8 && format == 8)
                title.assign(reinterpret_cast<const char*>(data), count);
            XFree(data);
        }
    }
    if (title.empty()) {
        char* name = nullptr;
        if (XFetchName(d, w, &name) && name) {
            title = name;
            XFree(name);
        }
    }
    return title;
}

} // namespace

unsigned long XvfbServer::s_findWindow(const std::string& display, const char* titlePrefix, int width, int height)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d)
        return 0;
    const unsigned long found = s_findWindow(d, titlePrefix, width, height);
    XCloseDisplay(d);
    return found;
}

unsigned long XvfbServer::s_findWindow(_XDisplay* d, const char* titlePrefix, int width, int height)
{
    Window root = DefaultRootWindow(d);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(d, root, &root, &parent, &children, &count)) {
        const std::string prefix = titlePrefix ? titlePrefix : "";
        for (unsigned i = 0; i < count && !found; ++i) {
            XWindowAttributes a;
            if (!XGetWindowAttributes(d, children[i], &a) || a.map_state != IsViewable || a.width != width ||
                a.height != height)
                continue;
            if (windowTitle(d, children[i]).compare(0, prefix.size(), prefix) == 0)
                found = children[i];
        }
        if (children)
            XFree(children);
    }
    return found;
}

std::vector<uint32_t> XvfbServer::s_readWindow(const std::string& display, unsigned long window, int width,
                                               int height)
{
    Display* d = XOpenDisplay(display.c_str());
    if (!d)
        return {};
    std::vector<uint32_t> pixels = s_readWindow(d, window, width, height);
    XCloseDisplay(d);
    return pixels;
}

std::vector<uint32_t> XvfbServer::s_readWindow(_XDisplay* d, unsigned long window, int width, int height)
{
    std::vector<uint32_t> pixels;
    XImage* image = XGetImage(d, static_cast<Window>(window), 0, 0, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    pixels.reserve(static_cast<size_t>(width) * static_cast<size_t>(height));
    // A 24-bit server's 32-bit pixels are already 0xRRGGBB: read straight
    // from the rows, which a caller polling the window many times a second
    // needs; anything else pixel by pixel.
    const bool plain = image->bits_per_pixel == 32 && image->byte_order == LSBFirst &&
                       image->red_mask == 0xff0000ul && image->green_mask == 0xff00ul && image->blue_mask == 0xfful;
    for (int y = 0; y < height; ++y) {
        const char* bytes = image->data + static_cast<std::ptrdiff_t>(y) * image->bytes_per_line;
        const uint32_t* row = reinterpret_cast<const uint32_t*>(bytes);
        for (int x = 0; x < width; ++x) {
            if (plain) {
                pixels.push_back(row[x] & 0xffffffu);
                continue;
            }
            const unsigned long p = XGetPixel(image, x, y);
            pixels.push_back((channel8(p, image->red_mask) << 16) | (channel8(p, image->green_mask) << 8) |
                             channel8(p, image->blue_mask));
        }
    }
    XDestroyImage(image);
    return pixels;
}
