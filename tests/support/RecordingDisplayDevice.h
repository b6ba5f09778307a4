// A display device over a plain memory buffer that records what reaches the
// screen: no window, no SDL video. Tests of everything that draws use it.
//
// The back buffer's rows are `stridePadding` pixels longer than the screen
// is wide, and one extra row lies above and below it. All of that margin
// holds kGuard, so guardIntact() shows a write outside the screen even where
// no sanitizer would.
//
// It makes surfaces from 32-bit images (or refuses them when told to), counts
// the surfaces it makes and destroys, and records every copy and blend that
// its callers ask for.
#pragma once

#include "engine/media/H2DDisplayDevice.h"

#include <cstdint>
#include <vector>

class RecordingDisplayDevice : public H2DDisplayDevice {
public:
    static constexpr uint16_t kGuard = 0xA5C3;

    explicit RecordingDisplayDevice(int32_t stridePadding = 3);

    // Allocates the buffer (screen pixels 0), points the back buffer at it,
    // then does what every device does. False, with nothing set up, when told
    // to fail (failNextInit).
    bool initScreen(int32_t width, int32_t height, const char* title, bool fullscreen, bool unused) override;
    void shutdownScreen() override;
    // Fills the screen, not the margin, with the colour packed as 5-6-5.
    void clear(const HColor4f& colour) override;
    // A 16-bit surface from a 32-bit image: each channel cut to the width of
    // the configured pixel format, no dither, the alpha bytes as the mask (no
    // mask when every pixel is opaque), and with the colour key on, pixels of
    // (255, 0, 255) masked out as well. Null for any other image, and while
    // images are refused.
    H2DSurface* createSurfaceFromImage(const HImage* image) override;
    // Counts, then destroys as every device does.
    void destroySurface(H2DSurface* surface) override;
    // Record the call, then draw as every device does.
    bool blendPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                             BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                             uint8_t srcConst, BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                             CombineOp dstOp, uint8_t dstConst, BlendOp op) override;
    bool blitPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface) override;
    void showCursor(bool show) override;

    uint16_t pixel(int32_t x, int32_t y) const;
    void setPixel(int32_t x, int32_t y, uint16_t value);
    void fill(uint16_t value);
    bool guardIntact() const;
    const H2DMemorySurface& backBuffer() const { return m_backBuffer; }

    // Every m_putToScreen call, its rectangles in order.
    const std::vector<std::vector<HScreenRect>>& presents() const { return m_presents; }
    int32_t shutdownCount() const { return m_iShutdownCount; }
    bool cursorShown() const { return m_bCursorShown; }
    int32_t clearCount() const { return m_iClearCount; }
    void failNextInit() { m_bFailInit = true; }

    // createSurfaceFromImage answers null while refused.
    void refuseImages(bool refuse) { m_bRefuseImages = refuse; }
    // The colour key of the SDL device's images, off at construction.
    void setColourKey(bool on) { m_bColourKey = on; }
    // Surfaces made by createSurfaceFromImage, surfaces destroyed, and those
    // still alive.
    int32_t surfacesMade() const { return m_iSurfacesMade; }
    int32_t surfacesDestroyed() const { return m_iSurfacesDestroyed; }
    int32_t liveSurfaces() const { return m_iSurfacesMade - m_iSurfacesDestroyed; }

    // One copy or blend as it reached the drawing calls, after the
    // clip-and-draw helpers cut it to the screen (a blend that the device
    // turns into a copy is recorded once, as a blend).
    struct DrawCall {
        HScreenRect dst;
        HScreenRect src;
        const H2DSurface* surface;
        bool blend;
    };
    const std::vector<DrawCall>& drawCalls() const { return m_drawCalls; }
    void clearDrawCalls() { m_drawCalls.clear(); }
    // Forgets the draw calls and the presents (a long run keeps them small).
    void clearRecords()
    {
        m_drawCalls.clear();
        m_presents.clear();
    }

protected:
    void m_putToScreen(const HScreenRect* rects, int32_t count) override;

private:
    uint16_t* rowStart(int32_t y);
    const uint16_t* rowStart(int32_t y) const;
    void m_record(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface, bool blend);

    std::vector<uint16_t> m_buffer;
    int32_t m_iStridePixels;
    int32_t m_iPadding;
    int32_t m_iWidth;
    int32_t m_iHeight;
    std::vector<std::vector<HScreenRect>> m_presents;
    int32_t m_iShutdownCount;
    int32_t m_iClearCount;
    bool m_bCursorShown;
    bool m_bFailInit;
    bool m_bRefuseImages;
    bool m_bColourKey;
    int32_t m_iSurfacesMade;
    int32_t m_iSurfacesDestroyed;
    std::vector<DrawCall> m_drawCalls;
    // Draw calls in progress: only the outermost one is recorded.
    int32_t m_iDrawDepth;
};
