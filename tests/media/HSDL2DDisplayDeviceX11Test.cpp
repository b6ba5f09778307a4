// The SDL display and input devices on a real X server (Xvfb, started by the
// test): a window opens, a drawn frame reaches it, the full-screen switch
// works both ways and asks for a repaint, the grab hot key grabs, and a
// failed switch leaves a device that draws nothing. Skipped without Xvfb.
#include "engine/media/HSDL2DDisplayDevice.h"

#include "engine/core/HEventManager.h"
#include "engine/media/HInputDeviceEventSource.h"
#include "engine/media/HSDLInputDevice.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSurface.h"
#include "tests/support/XvfbServer.h"

#include <SDL.h>
#include <gtest/gtest.h>
// After gtest: the window system's headers define macros such as None.
#include <SDL_syswm.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int32_t kWidth = 640;
constexpr int32_t kHeight = 480;

SDL_Surface* failVideoMode(int, int, int, uint32_t)
{
    SDL_SetError("no such mode");
    return nullptr;
}

// A 5-6-5 pixel and the 8-bit channels read back agree in their top bits.
bool sameColour(uint32_t rgb, uint16_t pixel)
{
    return ((rgb >> 19) & 31) == static_cast<uint32_t>(pixel >> 11) &&
           ((rgb >> 10) & 63) == static_cast<uint32_t>((pixel >> 5) & 63) &&
           ((rgb >> 3) & 31) == static_cast<uint32_t>(pixel & 31);
}

std::string hex(uint32_t v)
{
    char buf[16];
    std::snprintf(buf, sizeof(buf), "%06x", v);
    return buf;
}

class Filled {
public:
    Filled(int32_t w, int32_t h, uint16_t colour) : m_surface(w, h, false)
    {
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                m_surface.setPixel(x, y, colour);
    }
    const H2DSurface* get() const { return m_surface.get(); }

private:
    TestSurface m_surface;
};

// What the X server shows in the device's window.
std::vector<uint32_t> readBack(const std::string& display)
{
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (SDL_GetWMInfo(&info) != 1)
        return {};
    return XvfbServer::s_readWindow(display, info.info.x11.window, kWidth, kHeight);
}

void expectPixels(ChildChecks& check, const std::vector<uint32_t>& shown, const char* frame,
                  const std::vector<std::vector<int32_t>>& expected)
{
    check(shown.size() == static_cast<size_t>(kWidth * kHeight), std::string(frame) + ": window read back");
    if (shown.size() != static_cast<size_t>(kWidth * kHeight))
        return;
    for (const std::vector<int32_t>& e : expected) {
        const uint32_t rgb = shown[static_cast<size_t>(e[1] * kWidth + e[0])];
        check(sameColour(rgb, static_cast<uint16_t>(e[2])),
              std::string(frame) + ": pixel " + std::to_string(e[0]) + "," + std::to_string(e[1]) + " is " +
                  hex(rgb) + ", want 5-6-5 " + hex(static_cast<uint32_t>(e[2])));
    }
}

// Polls the input device until SDL has nothing more; the engine events.
std::vector<HEvent> pollInput(HEventManager& manager)
{
    std::vector<HEvent> out;
    HEvent e;
    while (manager.getEvent(&e, false)) {
        if (e.type != ET_TIMESTAMP)
            out.push_back(e);
    }
    return out;
}

bool has(const std::vector<HEvent>& events, uint32_t type)
{
    for (const HEvent& e : events) {
        if (e.type == type)
            return true;
    }
    return false;
}

SDL_Event controlKey(Uint8 type)
{
    SDL_Event e;
    std::memset(&e, 0, sizeof(e));
    e.type = type;
    e.key.keysym.sym = SDLK_g;
    e.key.keysym.mod = KMOD_LCTRL;
    return e;
}

void runOnTheServer(const std::string& display)
{
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ChildChecks check;

    H2DDisplayDevice* base = H2DDisplayDevice::s_create2DDisplayDevice(kWidth, kHeight, "Qinvar", false, false, nullptr);
    check(base != nullptr, "the window opens");
    if (!base)
        _exit(1);
    HSDL2DDisplayDevice* device = static_cast<HSDL2DDisplayDevice*>(base);
    check((device->getScreen()->flags & SDL_FULLSCREEN) == 0, "starts in a window");

    HEventManager manager;
    HInputDevice* input = HInputDevice::s_createInputDevice(nullptr, false, false);
    manager.registerEventSource(input->getEventSource());
    pollInput(manager);

    // A frame: black everywhere, a red and a green block.
    const Filled black(kWidth, kHeight, 0x0000);
    const Filled red(64, 32, 0xF800);
    const Filled green(32, 32, 0x07E0);
    const HScreenRect whole(0, 0, kWidth, kHeight);
    const HScreenRect redAt(10, 20, 74, 52);
    const HScreenRect greenAt(200, 100, 232, 132);
    device->blitSurface(&whole, black.get());
    device->blitSurface(&redAt, red.get());
    device->blitSurface(&greenAt, green.get());
    device->updateScreen();
    expectPixels(check, readBack(display), "windowed frame",
                 {{10, 20, 0xF800}, {73, 51, 0xF800}, {74, 20, 0}, {10, 52, 0}, {215, 115, 0x07E0}, {0, 0, 0},
                  {639, 479, 0}});

    // To full screen and back, each switch followed by a repaint request.
    const uint16_t colours[2] = {0x001F, 0xFFE0};
    for (int i = 0; i < 2; ++i) {
        const bool toFullscreen = i == 0;
        const char* name = toFullscreen ? "full screen" : "window again";
        check(device->toggleFullscreen(), std::string(name) + ": switched");
        SDL_Surface* screen = device->getScreen();
        check(screen != nullptr && ((screen->flags & SDL_FULLSCREEN) != 0) == toFullscreen,
              std::string(name) + ": the mode changed");
        if (!screen)
            _exit(1);
        check(has(pollInput(manager), ET_PAINT), std::string(name) + ": a paint event follows");
        const Filled fill(kWidth, kHeight, colours[i]);
        device->blitSurface(&whole, fill.get());
        device->blitSurface(&redAt, red.get());
        device->updateScreen();
        expectPixels(check, readBack(display), name,
                     {{0, 0, colours[i]}, {320, 240, colours[i]}, {639, 479, colours[i]}, {40, 30, 0xF800}});
    }

    // Control+G grabs the input, and again lets it go.
    for (const SDL_GrabMode want : {SDL_GRAB_ON, SDL_GRAB_OFF}) {
        SDL_Event press = controlKey(SDL_KEYDOWN);
        SDL_Event release = controlKey(SDL_KEYUP);
        SDL_PushEvent(&press);
        SDL_PushEvent(&release);
        const std::vector<HEvent> events = pollInput(manager);
        check(!has(events, ET_KEYDOWN) && !has(events, ET_KEYUP), "the grab key gives no key event");
        check(SDL_WM_GrabInput(SDL_GRAB_QUERY) == want, want == SDL_GRAB_ON ? "grabbed" : "released");
    }

    // A switch that fails: the device forgets the screen and draws nothing.
    HSDL2DDisplayDevice::s_setVideoModeFunction(failVideoMode);
    check(!device->toggleFullscreen(), "a failed switch says so");
    HSDL2DDisplayDevice::s_setVideoModeFunction(nullptr);
    check(device->getScreen() == nullptr, "the lost screen is forgotten");
    device->blitSurface(&redAt, red.get());
    device->clear(HColor4f{1, 1, 1, 1});
    device->updateScreen();

    manager.unregisterEventSource(input->getEventSource());
    HInputDevice::s_destroyInputDevice(input);
    H2DDisplayDevice::s_destroy2DDisplayDevice(device);
    check(SDL_WasInit(SDL_INIT_VIDEO) == 0, "video closed");
    std::fflush(stdout);
    _exit(check.failures() == 0 ? 0 : 1);
}

} // namespace

TEST(SdlDisplayOnX11, AWindowShowsTheFrameAndSwitchesToFullScreenAndBack)
{
    if (!XvfbServer::s_isInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    XvfbServer server;
    ASSERT_TRUE(server.start("640x480x24", 20)) << "Xvfb did not start";
    const std::string display = server.display();
    const ChildResult r = runInChild([&display] { runOnTheServer(display); }, 60);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << r.out << r.err;
    EXPECT_EQ(r.exitCode, 0) << display << r.out << r.err;
}
