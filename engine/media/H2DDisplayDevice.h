// The whole drawing interface of the system: one 16-bit back buffer the size
// of the screen, clipped copies and blends of surfaces into it, bitmap text,
// and the presentation, once a frame, of every area drawn since the last one
// through the device's own dirty list.
//
// A concrete device opens the screen, lends its memory to the back buffer,
// and copies rectangles of it to the screen (m_putToScreen); everything else
// is done here, in memory, on the main thread. The software blender that the
// blend calls go through is a set of static members: its configuration is
// process-wide, set at the start of each blend call and applied to every pixel
// of that call.
//
// Rectangles are left, top, right, bottom with right and bottom one past the
// last pixel. A partial copy takes its size from the source rectangle; the
// destination places its top-left corner, and the whole destination goes to
// the dirty list. Every copy is bounded by both buffers: pixels that would be
// read from outside the surface or written outside the back buffer are left
// out, whatever rectangles the caller passes.
#pragma once

#include "engine/core/HScreenRect.h"
#include "engine/core/MvTime.h"
#include "engine/media/H2DFont.h"
#include "engine/media/H2DMemorySurface.h"
#include "engine/media/HBlendFunction.h"
#include "engine/media/HColor4f.h"
#include "engine/media/HDirtyRectangleManager.h"
#include "engine/media/HSystemDevice.h"

#include <cstdint>

class HCvarManager;
class HImage;
class MVSprite;

enum TextJustification : int32_t {
    TJ_LEFT = 0,   // the text starts at x (also any unknown value)
    TJ_RIGHT = 1,  // the text ends at x
    TJ_CENTER = 2, // the text is centred on x
};

class H2DDisplayDevice : public HSystemDevice {
public:
    static constexpr int32_t kFrameTimeCount = 16;

    // The console variables are kept, not read.
    explicit H2DDisplayDevice(HCvarManager* cvarManager);
    // Releases nothing: the back buffer's memory is the screen's.
    ~H2DDisplayDevice() override;

    H2DDisplayDevice(const H2DDisplayDevice&) = delete;
    H2DDisplayDevice& operator=(const H2DDisplayDevice&) = delete;

    // Stores the screen size and sets the text blend to plain alpha blending;
    // true. A concrete device opens the screen and sets the back buffer first.
    virtual bool initScreen(int32_t width, int32_t height, const char* title, bool fullscreen, bool unused);
    virtual void shutdownScreen() = 0;
    virtual void clear(const HColor4f& colour) = 0;
    // Does nothing: there is no on-screen keyboard; no caller.
    virtual void showInputPanel(bool show);
    // A new packed copy of a memory surface; null for null or when memory runs out.
    virtual H2DSurface* createSurfaceFromSurface(H2DSurface* surface);
    virtual H2DSurface* createSurfaceFromImage(const HImage* image) = 0;
    // The surface's destroySurface(), then delete; null is ignored.
    virtual void destroySurface(H2DSurface* surface);
    virtual void showCursor(bool show) = 0;

    // The unclipped drawing calls. Every surface of the system is an
    // H2DMemorySurface of 16 bits per pixel; anything else draws nothing.
    // False only for a null argument or a surface that cannot be drawn from.
    //
    // Blend: an unmasked surface whose either side takes source alpha (or its
    // inverse) is copied as blitPartialSurface does. Otherwise every pixel
    // d becomes sm_blendPixels16(s, d, a), a the pixel's mask byte (255 without
    // a mask); masked pixels with a = 0 stay as they are.
    virtual bool blendPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                                     BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                     uint8_t srcConst, BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                                     CombineOp dstOp, uint8_t dstConst, BlendOp op);
    // Copy: with a mask only pixels whose mask byte is 255.
    virtual bool blitPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface);
    // The whole surface with its top-left corner at dst's.
    virtual bool blitSurface(const HScreenRect* dst, const H2DSurface* surface);
    // False: a memory device has no other mode.
    virtual bool toggleFullscreen();

    virtual void destroyFont(H2DFont* font);
    // Null when memory runs out. The sheet stays the caller's.
    virtual H2DFont* createFont(const MVSprite* sheet, int32_t charWidth, int32_t charHeight);
    virtual int32_t getFontWidth(const H2DFont* font) const;
    virtual int32_t getFontHeight(const H2DFont* font) const;
    // Draws the text's glyphs from the font's sheet with the text blend, each
    // cell clipped to `clip` and to the screen. Every character advances by
    // the character width; one whose glyph cell lies outside the sheet (below
    // 16, above 127, or past the sheet's rows or columns) is skipped. Glyphs
    // keep the sheet's colours: the colour argument changes nothing.
    virtual void drawText(const char* text, int32_t x, int32_t y, const HScreenRect& clip,
                          TextJustification justification, const H2DFont* font, const HColor4f* colour);
    virtual void setTextBlendFunction(BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                      uint8_t srcConst, BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                                      CombineOp dstOp, uint8_t dstConst, BlendOp op);
    virtual void suspend2DDisplayDevice();
    virtual void resume2DDisplayDevice();
    // Switches a blender hint; a change takes effect at once, without a new
    // configuration.
    virtual void enableHint(Hint hint, bool on);

    // Ends a frame: records the time since the last one, counts it, and hands
    // the dirty list, when it is not empty, to m_putToScreen once; the list is
    // then empty.
    void updateScreen();
    // Frames per second over the last 16 frame times; 0 before any time passed.
    float getFrameRate() const;
    int32_t getFrameCount() const { return m_iFrameCount; }
    // Total area of the dirty list presented by the last updateScreen.
    int32_t getLastDirtyArea() const { return m_iLastDirtyArea; }
    const int32_t* getFrameTimes() const { return m_aFrameTimes; }
    const HDirtyRectangleManager& getDirtyList() const { return m_dirtyList; }
    const HBlendFunction& getTextBlendFunction() const { return m_textBlendFunction; }

    // Clip the destination to the screen, trimming the source alike, then
    // blitPartialSurface / blendPartialSurface on what is left. Nothing is
    // drawn or made dirty, and the result is true, when the destination lies
    // outside the screen or nothing of the source is left (right at or left
    // of left, bottom at or above top).
    bool clipAndBlitSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface);
    bool clipAndBlendSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                             BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                             uint8_t srcConst, BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                             CombineOp dstOp, uint8_t dstConst, BlendOp op);

    // The SDL display device, its screen opened with the first five
    // arguments; null, with the device deleted, when the screen cannot be
    // opened. (Defined with the concrete device.)
    static H2DDisplayDevice* s_create2DDisplayDevice(int32_t width, int32_t height, const char* title,
                                                     bool fullscreen, bool flag, HCvarManager* cvarManager);
    // shutdownScreen(), then delete; null is ignored.
    static void s_destroy2DDisplayDevice(H2DDisplayDevice* device);

    // The device draws text from the sheet sprite's surface. Sprites belong to
    // the toolkit above this library, which installs the hook that answers a
    // sprite's surface (null while it is not loaded). Without a hook no text
    // is drawn.
    using FontSheetSurfaceHook = const H2DSurface* (*)(const MVSprite* sheet);
    static void s_setFontSheetSurfaceHook(FontSheetSurfaceHook hook);

    // The millisecond clock of updateScreen; null restores the media library's
    // clock. Installing one also forgets the last present, so the next frame
    // time is 0.
    using ClockFunction = MvTime (*)();
    static void s_setClock(ClockFunction clock);

    // --- Software blender ---------------------------------------------------

    // Channel widths and the bit position of each channel's lowest bit;
    // 5-6-5 with red on top until the screen sets its own. A width outside
    // 1-16 or a shift outside 0-15 leaves the format unchanged.
    static void sm_configurePixelFormat(int32_t redBits, int32_t greenBits, int32_t blueBits, int32_t redShift,
                                        int32_t greenShift, int32_t blueShift);
    // The format as the last valid configuration left it; images are
    // packed into surfaces with it, so that they match what the blender reads.
    static void sm_getPixelFormat(int32_t* redBits, int32_t* greenBits, int32_t* blueBits, int32_t* redShift,
                                  int32_t* greenShift, int32_t* blueShift);
    // Stores the nine values and chooses the fast mode: plain alpha blending
    // (2, 1, 0, any, 3, 1, 0, any, 0) answers a = 255 and a = 0 without
    // arithmetic, or every pixel by a 50% threshold when the hint is on.
    static void sm_configureBlender(BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                    uint8_t srcConst, BlendAlphaSource dstAlpha, BlendParameterSource dstParam,
                                    CombineOp dstOp, uint8_t dstConst, BlendOp op);
    // Each side's channels scaled by its factor / 65025, rounded down on its
    // own, then combined and limited to the channel's range. An unknown blend
    // op raises a developer alert and gives black.
    static uint16_t sm_blendPixels16(uint16_t src, uint16_t dst, uint8_t alpha);
    // 0 to 255; an unknown source raises a developer alert and counts as 255.
    static int32_t sm_getBlendAlpha(BlendAlphaSource source, uint8_t alpha);
    static int32_t sm_getBlendParameter(BlendParameterSource source);

protected:
    // Copies the listed rectangles of the back buffer to the screen.
    virtual void m_putToScreen(const HScreenRect* rects, int32_t count) = 0;

    // The copy loops behind the drawing calls; bounded by both buffers.
    void m_blitPartialSurfaceOpaque(const HScreenRect* dst, const HScreenRect* src, const H2DMemorySurface* surface);
    void m_blitPartialSurfaceWithMask(const HScreenRect* dst, const HScreenRect* src,
                                      const H2DMemorySurface* surface);
    void m_blitSurfaceOpaque(const HScreenRect* dst, const H2DMemorySurface* surface);
    void m_blitSurfaceWithMask(const HScreenRect* dst, const H2DMemorySurface* surface);

    // Adds the part of r that lies on the screen: the list is what reaches the
    // screen, and the screen cannot take areas outside itself.
    void m_addToDirtyList(const HScreenRect& r);

    HCvarManager* m_pCvarManager;
    int32_t m_iLastDirtyArea;
    H2DMemorySurface m_backBuffer;
    HBlendFunction m_textBlendFunction;
    HDirtyRectangleManager m_dirtyList;
    int32_t m_aFrameTimes[kFrameTimeCount];
    int32_t m_iFrameCount;

public:
    // Set by initScreen; read directly by the framework and the dialogs.
    int32_t m_iScreenWidth;
    int32_t m_iScreenHeight;

private:
    // Pixel format.
    static int32_t sm_iRedBits;
    static int32_t sm_iGreenBits;
    static int32_t sm_iBlueBits;
    static int32_t sm_iRedShift;
    static int32_t sm_iGreenShift;
    static int32_t sm_iBlueShift;
    static int32_t sm_iRedMax;
    static int32_t sm_iGreenMax;
    static int32_t sm_iBlueMax;
    // Blend function: index 0 the source side, 1 the destination side.
    static BlendAlphaSource sm_aBlendAlphaSource[2];
    static BlendParameterSource sm_aBlendParameterSource[2];
    static CombineOp sm_aCombineOp[2];
    static uint8_t sm_aBlendConstantAlpha[2];
    // -1 until the first configuration.
    static BlendOp sm_blendOp;
    // 0 none, 1 classic alpha, 2 classic alpha by threshold.
    static int32_t sm_fastBlenderMode;
    static bool sm_abHints[HINT_COUNT];

    static FontSheetSurfaceHook sm_pFontSheetSurfaceHook;
    static ClockFunction sm_pClock;
    static MvTime sm_lastPresentTime;
};
