// The one concrete display device, over SDL 1.2's video functions: it opens a
// 16-bit video mode in a window or full screen, lends the screen surface's
// pixel memory to the back buffer, copies the dirty rectangles to the screen
// once a frame, switches between window and full screen in place, and turns
// decoded images into 16-bit surfaces with an ordered dither, the colour key
// (255, 0, 255) and an alpha mask.
//
// The screen stays locked while the program draws into the back buffer; every
// SDL call that needs it unlocked sits between unlock() and lock(). Whenever
// the screen goes away (shut down, or lost by a failed mode switch) the device
// forgets it and the back buffer's pixels at once, so every later drawing
// call draws nothing and nothing touches memory SDL has freed.
#pragma once

#include "engine/media/H2DDisplayDevice.h"

#include <cstdint>

struct SDL_Rect;
struct SDL_Surface;

class HSDL2DDisplayDevice : public H2DDisplayDevice {
public:
    // Rectangles in the one screen update of a frame (the dirty list's bound).
    static constexpr int32_t kMaxUpdateRects = 512;

    // No screen until initScreen.
    explicit HSDL2DDisplayDevice(HCvarManager* cvarManager);
    // Unlocks a screen that is still open and forgets it; the video
    // subsystem itself is closed by shutdownScreen.
    ~HSDL2DDisplayDevice() override;

    // Starts SDL's video, opens width x height at 16 bits per pixel (full
    // screen or a window titled `title`), turns on key repeat (500 ms, then
    // every 30 ms) and key characters, takes the pixel format from the
    // screen, lends its memory to the back buffer and centres the pointer.
    // False, with an alert and the video subsystem closed, when SDL cannot
    // start or set the mode. The last flag is not used.
    bool initScreen(int32_t width, int32_t height, const char* title, bool fullscreen, bool unused) override;
    // Forgets the screen and the back buffer's pixels, then closes the video
    // subsystem (which frees the screen).
    void shutdownScreen() override;
    // Fills the whole screen with the colour (alpha unused); the dirty list
    // is not touched. Nothing without a screen.
    void clear(const HColor4f& colour) override;
    // A new surface of the image's size in the configured pixel format:
    // 32-bit images dithered 2 x 2, with a mask where a pixel is not opaque
    // or is (255, 0, 255); 16-bit images undithered, the key colour masked;
    // 8-bit images black. Null only for a null image or when memory runs out.
    H2DSurface* createSurfaceFromImage(const HImage* image) override;
    void showCursor(bool show) override;
    // Switches between window and full screen in place; true when switched,
    // and when no window manager is present (nothing changes then). False
    // when there is no screen or the new mode cannot be set: SDL has then
    // freed the old screen, so the device forgets it and draws nothing until
    // the devices are set up again.
    bool toggleFullscreen() override;

    // Lock and unlock the screen where SDL requires it (SDL_MUSTLOCK); lock()
    // hands the back buffer the screen's pixel pointer, which may move.
    void lock();
    void unlock();

    // The open screen; null before initScreen, after shutdownScreen and after
    // a failed toggleFullscreen.
    SDL_Surface* getScreen() const { return m_pScreen; }

    // Test seams: the calls that set a video mode and copy rectangles to the
    // screen. Null restores SDL_SetVideoMode and SDL_UpdateRects.
    using SetVideoModeFunction = SDL_Surface* (*)(int width, int height, int bitsPerPixel, uint32_t flags);
    using UpdateRectsFunction = void (*)(SDL_Surface* screen, int count, SDL_Rect* rects);
    static void s_setVideoModeFunction(SetVideoModeFunction function);
    static void s_setUpdateRectsFunction(UpdateRectsFunction function);

protected:
    // Each rectangle clipped to the screen (empty ones dropped) and narrowed
    // to SDL's 16-bit rectangle; at most kMaxUpdateRects go to the screen in
    // one SDL_UpdateRects call, the last of them grown over any beyond it.
    void m_putToScreen(const HScreenRect* rects, int32_t count) override;

private:
    // Makes `screen` the screen, locks it and lends its memory to the back
    // buffer; false, with nothing attached, for a screen that is not 16-bit.
    bool m_attachScreen(SDL_Surface* screen);
    // Drops the screen pointer and the back buffer's pixels; SDL owns the
    // surface, which may already be gone.
    void m_forgetScreen();

    SDL_Surface* m_pScreen;

    static SetVideoModeFunction sm_pSetVideoMode;
    static UpdateRectsFunction sm_pUpdateRects;
};
