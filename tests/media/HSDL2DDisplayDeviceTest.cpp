// The SDL display device under SDL's dummy video driver (640 x 480, 16-bit
// 5-6-5, no window): opening and closing the screen, the factory's failures,
// clearing, presenting, the window / full-screen switch, and images turned
// into surfaces.
#include "engine/media/HSDL2DDisplayDevice.h"

#include "engine/core/HPlatform.h"
#include "engine/core/HUnix.h"
#include "engine/media/HImage.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestSurface.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

using D = H2DDisplayDevice;

void restoreFormat()
{
    D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
}

void drainSdlEvents()
{
    SDL_Event e;
    while (SDL_PollEvent(&e) == 1) {
    }
}

uint16_t screenPixel(SDL_Surface* screen, int32_t x, int32_t y)
{
    const uint8_t* row = static_cast<const uint8_t*>(screen->pixels) + static_cast<size_t>(y) * screen->pitch;
    return reinterpret_cast<const uint16_t*>(row)[x];
}

// Exposes the presentation call, which the base class keeps protected.
class OpenDevice : public HSDL2DDisplayDevice {
public:
    OpenDevice() : HSDL2DDisplayDevice(nullptr) {}
    using HSDL2DDisplayDevice::m_putToScreen;
    const H2DMemorySurface& backBuffer() const { return m_backBuffer; }
};

// Every SDL_UpdateRects call the device makes.
std::vector<std::vector<SDL_Rect>> g_updates;

void recordUpdate(SDL_Surface* /*screen*/, int count, SDL_Rect* rects)
{
    g_updates.emplace_back(rects, rects + count);
}

std::string text(const std::vector<SDL_Rect>& rects)
{
    std::string s;
    for (const SDL_Rect& r : rects)
        s += "(" + std::to_string(r.x) + "," + std::to_string(r.y) + " " + std::to_string(r.w) + "x" +
             std::to_string(r.h) + ")";
    return s.empty() ? "none" : s;
}

SDL_Surface* failVideoMode(int, int, int, uint32_t)
{
    SDL_SetError("no such mode");
    return nullptr;
}

// Says that a window manager is present, so the mode switch really switches.
// The dummy driver has none; its video information is SDL's own record.
class WindowManagerPresent {
public:
    WindowManagerPresent() : m_pInfo(const_cast<SDL_VideoInfo*>(SDL_GetVideoInfo())), m_uWas(0)
    {
        if (m_pInfo) {
            m_uWas = m_pInfo->wm_available;
            m_pInfo->wm_available = 1;
        }
    }
    ~WindowManagerPresent()
    {
        // The record may be gone already when video closed in between.
        SDL_VideoInfo* now = const_cast<SDL_VideoInfo*>(SDL_GetVideoInfo());
        if (now && now == m_pInfo)
            now->wm_available = m_uWas;
    }

private:
    SDL_VideoInfo* m_pInfo;
    uint32_t m_uWas;
};

class SdlDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        restoreFormat();
        g_updates.clear();
        ASSERT_TRUE(device.initScreen(640, 480, "Qinvar test", false, false));
        drainSdlEvents();
    }
    void TearDown() override
    {
        HSDL2DDisplayDevice::s_setUpdateRectsFunction(nullptr);
        HSDL2DDisplayDevice::s_setVideoModeFunction(nullptr);
        device.shutdownScreen();
        restoreFormat();
    }

    OpenDevice device;
};

} // namespace

TEST(SdlDisplayFactory, OpensA640By480Screen16BitsDeepAndClosesItCleanly)
{
    D::sm_configurePixelFormat(5, 5, 5, 10, 5, 0); // the screen must set its own
    H2DDisplayDevice* base = D::s_create2DDisplayDevice(640, 480, "Qinvar test", false, false, nullptr);
    ASSERT_NE(base, nullptr);
    HSDL2DDisplayDevice* device = static_cast<HSDL2DDisplayDevice*>(base);
    SDL_Surface* screen = device->getScreen();
    ASSERT_NE(screen, nullptr);
    EXPECT_EQ(screen, SDL_GetVideoSurface());
    EXPECT_EQ(screen->w, 640);
    EXPECT_EQ(screen->h, 480);
    EXPECT_EQ(screen->format->BitsPerPixel, 16);
    EXPECT_EQ(screen->flags & SDL_FULLSCREEN, 0u);
    EXPECT_EQ(device->m_iScreenWidth, 640);
    EXPECT_EQ(device->m_iScreenHeight, 480);

    int32_t bits[3];
    int32_t shifts[3];
    D::sm_getPixelFormat(&bits[0], &bits[1], &bits[2], &shifts[0], &shifts[1], &shifts[2]);
    EXPECT_EQ(std::vector<int32_t>(bits, bits + 3), (std::vector<int32_t>{5, 6, 5}));
    EXPECT_EQ(std::vector<int32_t>(shifts, shifts + 3), (std::vector<int32_t>{11, 5, 0}));

    // Only video: a timer subsystem would keep a thread waking every millisecond.
    EXPECT_NE(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_TIMER), 0u);
    int delay = 0;
    int interval = 0;
    SDL_GetKeyRepeat(&delay, &interval);
    EXPECT_EQ(delay, 500);
    EXPECT_EQ(interval, 30);
    EXPECT_EQ(SDL_EnableUNICODE(-1), 1);
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    EXPECT_EQ(x, 320);
    EXPECT_EQ(y, 240);
    device->showCursor(false);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), 0);
    device->showCursor(true);
    EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), 1);

    // Draw a frame into the screen's own memory, then close everything.
    TestSurface tile(8, 8, false);
    tile.fillPattern(7);
    const HScreenRect at(100, 50, 108, 58);
    EXPECT_TRUE(device->blitSurface(&at, tile.get()));
    device->updateScreen();
    EXPECT_EQ(screenPixel(screen, 103, 52), TestSurface::patternAt(7, 3, 2));
    // Under AddressSanitizer, anything that touched the freed screen after
    // the video subsystem closed would end the test here.
    D::s_destroy2DDisplayDevice(device);
    EXPECT_EQ(SDL_WasInit(SDL_INIT_VIDEO), 0u);
    restoreFormat();
}

TEST(SdlDisplayFactory, FailsWhenTheScreenCannotBeOpened)
{
    struct Case {
        const char* name;
        const char* driver;
        bool failMode;
        const char* message;
    };
    const Case cases[] = {
        {"unknown video driver", "bogus", false, "initScreen: SDL_Init() failed: "},
        {"no video mode", "dummy", true, "initScreen: SDL_SetVideoMode() failed: no such mode"},
    };
    for (const Case& c : cases) {
        const ChildResult r = runInChild([&c] {
            setenv("SDL_VIDEODRIVER", c.driver, 1);
            if (c.failMode)
                HSDL2DDisplayDevice::s_setVideoModeFunction(failVideoMode);
            H2DDisplayDevice* device = D::s_create2DDisplayDevice(640, 480, "Qinvar test", false, false, nullptr);
            if (device)
                _exit(2);
            // A failed mode leaves no video subsystem behind.
            _exit(SDL_WasInit(SDL_INIT_VIDEO) == 0 ? 0 : 3);
        });
        EXPECT_TRUE(r.exited) << c.name;
        EXPECT_EQ(r.exitCode, 0) << c.name << "\n" << r.out << r.err;
        EXPECT_NE(r.out.find(c.message), std::string::npos) << c.name << ": " << r.out;
    }
}

// SDL's "parachute" takes every fatal signal still at its default when SDL
// starts (and on one shuts SDL down inside the signal handler). The engine
// starts SDL without it, in the clock and in the display, so a fatal signal
// is the engine's handler's (stack dump, exit code signal + 127) or else the
// system's, never SDL's; reopening the screen (the full-screen switch)
// changes nothing.
TEST(SdlDisplayFactory, FatalSignalsAreNeverSDLs)
{
    struct Case {
        const char* name;
        bool engineHandler;
        int raised;
        int exitCode; // -1: killed by the raised signal
    };
    const Case cases[] = {
        {"the engine's handler takes SIGSEGV", true, SIGSEGV, SIGSEGV + 127},
        {"the engine's handler takes SIGFPE", true, SIGFPE, SIGFPE + 127},
        {"without the engine's handler SIGSEGV is the system's", false, SIGSEGV, -1},
        {"without the engine's handler SIGBUS is the system's", false, SIGBUS, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ChildResult r = runInChild([&c] {
            // A new process's dispositions: SDL started in this test program
            // before may have left its own behind.
            const int fatal[] = {SIGILL, SIGQUIT, SIGABRT, SIGFPE, SIGSEGV, SIGBUS, SIGPIPE};
            for (int sig : fatal)
                std::signal(sig, SIG_DFL);
            setenv("SDL_VIDEODRIVER", "dummy", 1);
            if (c.engineHandler)
                HUnix::s_initBacktraceSignals();
            struct sigaction before[sizeof(fatal) / sizeof(fatal[0])];
            for (size_t i = 0; i < sizeof(fatal) / sizeof(fatal[0]); ++i)
                sigaction(fatal[i], nullptr, &before[i]);

            HPlatform::s_getAbsoluteTimeMilliseconds();
            HSDL2DDisplayDevice device(nullptr);
            for (int i = 0; i < 2; ++i) {
                if (!device.initScreen(640, 480, "Qinvar test", false, false))
                    _exit(2);
                if (i == 0)
                    device.shutdownScreen();
            }
            for (size_t i = 0; i < sizeof(fatal) / sizeof(fatal[0]); ++i) {
                struct sigaction now;
                sigaction(fatal[i], nullptr, &now);
                if (now.sa_handler != before[i].sa_handler)
                    std::printf("signal %d taken by SDL\n", fatal[i]);
            }
            std::fflush(stdout);
            std::raise(c.raised);
            _exit(3);
        });
        EXPECT_EQ(r.out.find("taken by SDL"), std::string::npos) << r.out;
        if (c.exitCode < 0) {
            EXPECT_FALSE(r.exited) << "exit code " << r.exitCode;
            EXPECT_EQ(r.signal, c.raised);
        } else {
            ASSERT_TRUE(r.exited) << "signal " << r.signal;
            EXPECT_EQ(r.exitCode, c.exitCode);
            EXPECT_EQ(r.out.rfind("Signal ", 0), 0u) << r.out;
            EXPECT_NE(r.out.find(" received.\n\nStack dump:\n{\n\t"), std::string::npos) << r.out;
        }
    }
}

TEST_F(SdlDisplay, ClearFillsTheWholeScreenWithTheMappedColourAndLeavesTheDirtyListAlone)
{
    struct Case {
        HColor4f colour;
        uint16_t pixel;
    };
    const Case cases[] = {
        {{1.0f, 0.0f, 0.0f, 0.0f}, 0xF800},
        {{0.0f, 1.0f, 0.0f, 1.0f}, 0x07E0},
        // 127, 63, 255 on 5-6-5.
        {{0.5f, 0.25f, 1.0f, 1.0f}, static_cast<uint16_t>((15 << 11) | (15 << 5) | 31)},
        {{0.0f, 0.0f, 0.0f, 1.0f}, 0x0000},
    };
    SDL_Surface* screen = device.getScreen();
    for (const Case& c : cases) {
        device.clear(c.colour);
        EXPECT_EQ(screenPixel(screen, 0, 0), c.pixel);
        EXPECT_EQ(screenPixel(screen, 639, 479), c.pixel);
        EXPECT_EQ(screenPixel(screen, 320, 200), c.pixel);
    }
    EXPECT_EQ(device.getDirtyList().getRectangleCount(), 0);
}

TEST_F(SdlDisplay, PresentingClipsEveryRectangleToTheScreenAndNarrowsIt)
{
    HSDL2DDisplayDevice::s_setUpdateRectsFunction(recordUpdate);
    struct Case {
        const char* name;
        std::vector<HScreenRect> rects;
        const char* sent; // the one update call, or "-" for none
    };
    const Case cases[] = {
        {"inside", {HScreenRect(10, 20, 30, 60)}, "(10,20 20x40)"},
        {"over the top-left corner", {HScreenRect(-5, -8, 10, 10)}, "(0,0 10x10)"},
        {"over the bottom-right corner", {HScreenRect(630, 470, 700, 500)}, "(630,470 10x10)"},
        // Unclipped, these would wrap SDL's 16-bit fields.
        {"far larger than the screen", {HScreenRect(-100000, -70000, 100000, 70000)}, "(0,0 640x480)"},
        {"off-screen and empty ones dropped",
         {HScreenRect(700, 10, 800, 20), HScreenRect(5, 5, 5, 50), HScreenRect(1, 2, 3, 4),
          HScreenRect(10, -50, 20, -1), HScreenRect(40, 40, 30, 50)},
         "(1,2 2x2)"},
        {"nothing left", {HScreenRect(-50, 0, -1, 10), HScreenRect(640, 0, 700, 10)}, "-"},
    };
    for (const Case& c : cases) {
        g_updates.clear();
        device.m_putToScreen(c.rects.data(), static_cast<int32_t>(c.rects.size()));
        if (std::string(c.sent) == "-") {
            EXPECT_TRUE(g_updates.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(g_updates.size(), 1u) << c.name;
        EXPECT_EQ(text(g_updates[0]), c.sent) << c.name;
    }
}

TEST_F(SdlDisplay, PresentingMoreThan512RectanglesStillMakesOneUpdateCoveringThemAll)
{
    HSDL2DDisplayDevice::s_setUpdateRectsFunction(recordUpdate);
    std::vector<HScreenRect> rects;
    for (int32_t i = 0; i < 600; ++i) {
        const int32_t x = (i % 60) * 10;
        const int32_t y = (i / 60) * 10;
        rects.emplace_back(x, y, x + 2, y + 2);
    }
    device.m_putToScreen(rects.data(), static_cast<int32_t>(rects.size()));
    ASSERT_EQ(g_updates.size(), 1u);
    const std::vector<SDL_Rect>& sent = g_updates[0];
    ASSERT_EQ(sent.size(), 512u);
    EXPECT_EQ(text({sent[0]}), "(0,0 2x2)");
    EXPECT_EQ(text({sent[510]}), "(300,80 2x2)");
    // The last entry covers entries 511 to 599 (the rest of row 8, all of row 9).
    EXPECT_EQ(text({sent[511]}), "(0,80 592x12)");
}

TEST_F(SdlDisplay, EachFramePresentsItsDirtyListInOneUpdate)
{
    HSDL2DDisplayDevice::s_setUpdateRectsFunction(recordUpdate);
    TestSurface tile(16, 16, false);
    tile.fillPattern(3);
    const HScreenRect a(10, 10, 26, 26);
    const HScreenRect b(300, 200, 316, 216);
    const HScreenRect edge(632, 472, 648, 488);
    device.blitSurface(&a, tile.get());
    device.blitSurface(&b, tile.get());
    device.blitSurface(&edge, tile.get());
    device.updateScreen();
    ASSERT_EQ(g_updates.size(), 1u);
    EXPECT_EQ(text(g_updates[0]), "(10,10 16x16)(300,200 16x16)(632,472 8x8)");
    EXPECT_EQ(screenPixel(device.getScreen(), 639, 479), TestSurface::patternAt(3, 7, 7));
    device.updateScreen(); // nothing drawn: nothing sent
    EXPECT_EQ(g_updates.size(), 1u);
}

TEST_F(SdlDisplay, ToggleWithoutAWindowManagerSucceedsAndChangesNothing)
{
    SDL_Surface* before = device.getScreen();
    const uint8_t* pixels = device.backBuffer().getPixels();
    EXPECT_TRUE(device.toggleFullscreen());
    EXPECT_EQ(device.getScreen(), before);
    EXPECT_EQ(device.getScreen()->flags & SDL_FULLSCREEN, 0u);
    EXPECT_EQ(device.backBuffer().getPixels(), pixels);
    SDL_Event e;
    EXPECT_EQ(SDL_PeepEvents(&e, 1, SDL_PEEKEVENT, SDL_ALLEVENTS), 0) << "no paint request without a switch";
}

TEST_F(SdlDisplay, ToggleSwitchesModesInPlaceAndAsksForARepaint)
{
    WindowManagerPresent wm;
    TestSurface tile(4, 4, false);
    tile.fillPattern(9);
    const HScreenRect at(600, 400, 604, 404);
    for (const uint32_t fullscreen : {uint32_t{SDL_FULLSCREEN}, uint32_t{0}}) {
        SDL_WarpMouse(123, 45);
        drainSdlEvents();
        ASSERT_TRUE(device.toggleFullscreen());
        SDL_Surface* screen = device.getScreen();
        ASSERT_NE(screen, nullptr);
        EXPECT_EQ(screen, SDL_GetVideoSurface());
        EXPECT_EQ(screen->flags & SDL_FULLSCREEN, fullscreen);
        // The back buffer follows the new screen's memory (the old one is
        // freed: a stale pointer would fault under AddressSanitizer).
        EXPECT_EQ(device.backBuffer().getPixels(), static_cast<uint8_t*>(screen->pixels));
        EXPECT_EQ(device.backBuffer().getStride(), screen->pitch);
        device.blitSurface(&at, tile.get());
        device.updateScreen();
        EXPECT_EQ(screenPixel(screen, 602, 401), TestSurface::patternAt(9, 2, 1));

        int x = 0;
        int y = 0;
        SDL_GetMouseState(&x, &y);
        EXPECT_EQ(x, 123);
        EXPECT_EQ(y, 45);
        bool expose = false;
        SDL_Event e;
        while (SDL_PollEvent(&e) == 1)
            expose = expose || e.type == SDL_VIDEOEXPOSE;
        EXPECT_TRUE(expose) << "the framework repaints everything after a switch";
    }
}

TEST_F(SdlDisplay, AFailedToggleForgetsTheScreenAndDrawsNothingAfterwards)
{
    WindowManagerPresent wm;
    HSDL2DDisplayDevice::s_setVideoModeFunction(failVideoMode);
    HSDL2DDisplayDevice::s_setUpdateRectsFunction(recordUpdate);
    EXPECT_FALSE(device.toggleFullscreen());
    EXPECT_EQ(device.getScreen(), nullptr);
    EXPECT_EQ(device.backBuffer().getPixels(), nullptr);

    // Every drawing call is now a no-op that touches no memory.
    TestSurface tile(8, 8, false);
    const HScreenRect at(0, 0, 8, 8);
    device.blitSurface(&at, tile.get());
    device.clipAndBlitSurface(&at, &at, tile.get());
    device.clear(HColor4f{1, 1, 1, 1});
    device.updateScreen();
    EXPECT_TRUE(g_updates.empty());
    EXPECT_FALSE(device.toggleFullscreen()) << "nothing to switch";
    std::unique_ptr<HImage> image(new HImage(2, 2, HImage::FORMAT_32BIT));
    H2DSurface* surface = device.createSurfaceFromImage(image.get());
    EXPECT_NE(surface, nullptr) << "images still convert";
    device.destroySurface(surface);
}

// --- Images into surfaces ---------------------------------------------------------

namespace {

struct Pixel {
    uint8_t r, g, b, a;
};

std::unique_ptr<HImage> image32(int32_t width, int32_t height, const std::vector<Pixel>& pixels)
{
    std::unique_ptr<HImage> image(new HImage(width, height, HImage::FORMAT_32BIT));
    for (int32_t i = 0; i < width * height; ++i) {
        const Pixel& p = pixels.size() == 1 ? pixels[0] : pixels[static_cast<size_t>(i)];
        image->setPixel32(i % width, i / width, HImage::s_packRGBA(p.r, p.g, p.b, p.a));
    }
    return image;
}

// A 16-bit image value: red in bits 1-5, green 6-10, blue 11-15.
uint16_t value16(uint16_t r5, uint16_t g5, uint16_t b5)
{
    return static_cast<uint16_t>((r5 << 1) | (g5 << 6) | (b5 << 11));
}

std::unique_ptr<HImage> image16(int32_t width, int32_t height, const std::vector<uint16_t>& values)
{
    std::unique_ptr<HImage> image(new HImage(width, height, HImage::FORMAT_16BIT));
    for (int32_t i = 0; i < width * height; ++i)
        image->setPixel16(i % width, i / width, values[static_cast<size_t>(i)]);
    return image;
}

struct Format {
    int32_t bits[3];
    int32_t shifts[3];
};

constexpr Format k565 = {{5, 6, 5}, {11, 5, 0}};
constexpr Format k555 = {{5, 5, 5}, {10, 5, 0}};
constexpr Format kBgr565 = {{5, 6, 5}, {0, 5, 11}};

struct ImageCase {
    const char* name;
    Format format;
    std::unique_ptr<HImage> image;
    std::vector<uint16_t> pixels; // row order
    std::vector<uint8_t> mask;    // empty: no mask
};

} // namespace

TEST(SdlDisplayImages, SurfacesMatchTheImageToThePixel)
{
    const Pixel white = {255, 255, 255, 255};
    const uint16_t key565 = 0xF81F;
    const uint16_t key555 = 0x7C1F;
    std::vector<ImageCase> cases;
    cases.push_back({"opaque 32-bit image: no mask", k565, image32(2, 1, {{0, 0, 0, 255}, white}), {0x0000, 0xFFFF},
                     {}});
    cases.push_back({"one alpha of 254 masks the whole surface", k565,
                     image32(3, 1, {white, {0, 0, 0, 254}, white}), {0xFFFF, 0x0000, 0xFFFF}, {255, 254, 255}});
    // Mask 0 whatever its alpha; the colour is still converted.
    cases.push_back({"the key colour is transparent", k565,
                     image32(3, 1, {{255, 0, 255, 255}, {0, 0, 0, 255}, {255, 0, 255, 40}}),
                     {key565, 0x0000, key565}, {0, 255, 0}});
    // 6 >> 1 = 3, plus 0, 2, 3, 1, then >> 2.
    cases.push_back({"red 6 on five bits dithers 2 x 2", k565, image32(2, 2, {{6, 0, 0, 255}}),
                     {0x0000, 0x0800, 0x0800, 0x0800}, {}});
    // Green 1 on six bits: (1 + t) >> 2 reaches 1 only with t = 3.
    cases.push_back({"green 1 on six bits reaches 1 only where t is 3", k565, image32(2, 2, {{0, 1, 0, 255}}),
                     {0x0000, 0x0000, 0x0020, 0x0000}, {}});
    cases.push_back({"white never overflows a channel", k565, image32(2, 2, {white}),
                     {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}, {}});
    cases.push_back({"16-bit image: undithered, the key masked", k565,
                     image16(3, 1, {value16(10, 20, 3), value16(31, 0, 31), value16(31, 31, 31)}),
                     {static_cast<uint16_t>((10 << 11) | (40 << 5) | 3), key565, 0xFFDF}, {255, 0, 255}});
    cases.push_back({"16-bit image without the key: no mask", k565, image16(2, 1, {value16(1, 1, 1), 0}),
                     {static_cast<uint16_t>((1 << 11) | (2 << 5) | 1), 0x0000}, {}});
    cases.push_back({"8-bit image: black, no mask", k565, nullptr, {0, 0, 0, 0}, {}});
    {
        std::unique_ptr<HImage> grey(new HImage(2, 2, HImage::FORMAT_8BIT));
        for (int32_t i = 0; i < 4; ++i)
            grey->setPixel8(i % 2, i / 2, 200);
        cases.back().image = std::move(grey);
    }
    // The screen's own channel positions, not red on top by assumption.
    cases.push_back({"blue on top", kBgr565, image32(2, 1, {{255, 0, 0, 255}, {0, 0, 255, 255}}), {0x001F, 0xF800},
                     {}});
    cases.push_back({"5-5-5 screen", k555,
                     image32(3, 1, {{0, 255, 0, 255}, {255, 0, 255, 255}, {255, 255, 255, 128}}),
                     {0x03E0, key555, 0x7FFF}, {255, 0, 128}});
    cases.push_back({"16-bit image on a 5-5-5 screen", k555,
                     image16(2, 1, {value16(31, 0, 31), value16(3, 17, 9)}),
                     {key555, static_cast<uint16_t>((3 << 10) | (17 << 5) | 9)}, {0, 255}});

    HSDL2DDisplayDevice device(nullptr); // no screen needed
    for (const ImageCase& c : cases) {
        D::sm_configurePixelFormat(c.format.bits[0], c.format.bits[1], c.format.bits[2], c.format.shifts[0],
                                   c.format.shifts[1], c.format.shifts[2]);
        H2DSurface* made = device.createSurfaceFromImage(c.image.get());
        ASSERT_NE(made, nullptr) << c.name;
        const H2DMemorySurface* s = static_cast<const H2DMemorySurface*>(made);
        const int32_t w = c.image->getWidth();
        const int32_t h = c.image->getHeight();
        ASSERT_EQ(s->getSurfaceWidth(), w) << c.name;
        ASSERT_EQ(s->getSurfaceHeight(), h) << c.name;
        EXPECT_EQ(s->getBitsPerPixel(), 16) << c.name;
        EXPECT_EQ(s->getStride(), w * 2) << c.name;
        const uint16_t* p = reinterpret_cast<const uint16_t*>(s->getPixels());
        EXPECT_EQ(std::vector<uint16_t>(p, p + w * h), c.pixels) << c.name;
        if (c.mask.empty()) {
            EXPECT_EQ(s->getAlphaMask(), nullptr) << c.name;
        } else {
            ASSERT_NE(s->getAlphaMask(), nullptr) << c.name;
            EXPECT_EQ(std::vector<uint8_t>(s->getAlphaMask(), s->getAlphaMask() + w * h), c.mask) << c.name;
        }
        device.destroySurface(made);
    }
    restoreFormat();
}

// Every 8-bit value of every channel at every place of the 2 x 2 dither, on
// formats met one after another (the conversion keeps per-format tables):
// each channel is the value widened to its bits plus two, plus the dither
// value (0 2 / 3 1), held below the top, then narrowed by two bits.
TEST(SdlDisplayImages, EveryChannelValueDithersAsTheOrderedDitherSays)
{
    HSDL2DDisplayDevice device(nullptr);
    const uint32_t dither[2][2] = {{0, 2}, {3, 1}};
    for (const Format& f : {k565, k555, kBgr565, k565}) {
        D::sm_configurePixelFormat(f.bits[0], f.bits[1], f.bits[2], f.shifts[0], f.shifts[1], f.shifts[2]);
        // Row y, column x: red x, green 255 - x, blue (x * 7) & 255.
        std::vector<Pixel> pixels;
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < 256; ++x)
                pixels.push_back({static_cast<uint8_t>(x), static_cast<uint8_t>(255 - x),
                                  static_cast<uint8_t>((x * 7) & 255), 255});
        }
        std::unique_ptr<HImage> image = image32(256, 2, pixels);
        H2DSurface* made = device.createSurfaceFromImage(image.get());
        ASSERT_NE(made, nullptr);
        const uint16_t* p = reinterpret_cast<const uint16_t*>(static_cast<H2DMemorySurface*>(made)->getPixels());
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < 256; ++x) {
                const Pixel& in = pixels[static_cast<size_t>(y * 256 + x)];
                const uint8_t values[3] = {in.r, in.g, in.b};
                uint32_t expected = 0;
                for (int c = 0; c < 3; ++c) {
                    const int32_t wide = f.bits[c] + 2;
                    uint32_t v = (static_cast<uint32_t>(values[c]) >> (8 - wide)) + dither[y][x & 1];
                    const uint32_t top = (1u << wide) - 1;
                    if (v > top)
                        v = top;
                    expected |= (v >> 2) << f.shifts[c];
                }
                ASSERT_EQ(p[y * 256 + x], expected) << "x " << x << " y " << y;
            }
        }
        EXPECT_EQ(static_cast<H2DMemorySurface*>(made)->getAlphaMask(), nullptr);
        device.destroySurface(made);
    }
    restoreFormat();
}

TEST(SdlDisplayImages, EmptyAndMissingImages)
{
    restoreFormat();
    HSDL2DDisplayDevice device(nullptr);
    EXPECT_EQ(device.createSurfaceFromImage(nullptr), nullptr);
    // An image whose size could not be held is empty: an empty surface, which
    // draws nothing.
    HImage empty(-1, 5, HImage::FORMAT_32BIT);
    H2DSurface* s = device.createSurfaceFromImage(&empty);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getSurfaceWidth(), 0);
    EXPECT_EQ(static_cast<H2DMemorySurface*>(s)->getAlphaMask(), nullptr);
    device.destroySurface(s);
}
