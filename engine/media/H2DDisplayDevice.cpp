// The 2D display device: clipping, bounded copies, the software blender,
// bitmap text and frame presentation, all in system memory.
#include "engine/media/H2DDisplayDevice.h"

#include "engine/core/HErrorManager.h"

#include <SDL_timer.h>

#include <cstddef>
#include <cstring>
#include <new>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// --- Static state -------------------------------------------------------------

int32_t H2DDisplayDevice::sm_iRedBits = 5;
int32_t H2DDisplayDevice::sm_iGreenBits = 6;
int32_t H2DDisplayDevice::sm_iBlueBits = 5;
int32_t H2DDisplayDevice::sm_iRedShift = 11;
int32_t H2DDisplayDevice::sm_iGreenShift = 5;
int32_t H2DDisplayDevice::sm_iBlueShift = 0;
int32_t H2DDisplayDevice::sm_iRedMax = 31;
int32_t H2DDisplayDevice::sm_iGreenMax = 63;
int32_t H2DDisplayDevice::sm_iBlueMax = 31;
BlendAlphaSource H2DDisplayDevice::sm_aBlendAlphaSource[2] = {BAS_ZERO, BAS_ZERO};
BlendParameterSource H2DDisplayDevice::sm_aBlendParameterSource[2] = {BPS_ZERO, BPS_ZERO};
CombineOp H2DDisplayDevice::sm_aCombineOp[2] = {CO_PRODUCT, CO_PRODUCT};
uint8_t H2DDisplayDevice::sm_aBlendConstantAlpha[2] = {0, 0};
BlendOp H2DDisplayDevice::sm_blendOp = static_cast<BlendOp>(-1);
int32_t H2DDisplayDevice::sm_fastBlenderMode = 0;
bool H2DDisplayDevice::sm_abHints[HINT_COUNT] = {false};
H2DDisplayDevice::FontSheetSurfaceHook H2DDisplayDevice::sm_pFontSheetSurfaceHook = nullptr;
H2DDisplayDevice::ClockFunction H2DDisplayDevice::sm_pClock = nullptr;
MvTime H2DDisplayDevice::sm_lastPresentTime = {0, 0};

namespace {

constexpr uint32_t kFullFactor = 65025; // 255 x 255

// The pixel format as the per-pixel code wants it: red, green, blue.
struct PixelFormat {
    uint32_t shift[3];
    uint32_t max[3];
};

PixelFormat g_format = {{11, 5, 0}, {31, 63, 31}};

// The configured blend function, worked out once per configuration: each
// side's factor is fA + fB x a for the pixel's alpha a, because every alpha
// source is a constant, a, or 255 - a. `linear` is false while any source or
// the blend op is unknown; such pixels take the step-by-step path that
// reports them.
struct BlendPlan {
    int32_t mode;
    bool linear;
    int32_t fA[2];
    int32_t fB[2];
    int32_t op;
};

BlendPlan g_plan = {0, false, {0, 0}, {0, 0}, -1};

// The blend of one pixel under a linear plan; exactly the step-by-step
// arithmetic, with each side rounded down on its own.
inline uint16_t blendLinear(const BlendPlan& plan, const PixelFormat& fmt, uint16_t s, uint16_t d, uint8_t a)
{
    if (plan.mode == 1) {
        if (a == 255)
            return s;
        if (a == 0)
            return d;
    } else if (plan.mode == 2) {
        return a >= 128 ? s : d;
    }
    const uint32_t f0 = static_cast<uint32_t>(plan.fA[0] + plan.fB[0] * a);
    const uint32_t f1 = static_cast<uint32_t>(plan.fA[1] + plan.fB[1] * a);
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const uint32_t max = fmt.max[c];
        const int32_t sc = static_cast<int32_t>((((s >> fmt.shift[c]) & max) * f0) / kFullFactor);
        const int32_t dc = static_cast<int32_t>((((d >> fmt.shift[c]) & max) * f1) / kFullFactor);
        int32_t v;
        switch (plan.op) {
        case BO_ADD:
            v = sc + dc;
            break;
        case BO_MULTIPLY:
            v = (sc * dc) / 255;
            break;
        case BO_SUBTRACT:
            v = sc - dc;
            break;
        default:
            v = dc - sc;
            break;
        }
        if (v < 0)
            v = 0;
        else if (v > static_cast<int32_t>(max))
            v = static_cast<int32_t>(max);
        out |= static_cast<uint32_t>(v) << fmt.shift[c];
    }
    return static_cast<uint16_t>(out);
}

// Alpha of a side as k + m x a; false for an unknown source.
bool alphaTerms(BlendAlphaSource source, uint8_t c0, uint8_t c1, int32_t* k, int32_t* m)
{
    *m = 0;
    switch (source) {
    case BAS_ZERO: *k = 0; return true;
    case BAS_ONE: *k = 255; return true;
    case BAS_SRC_ALPHA: *k = 0; *m = 1; return true;
    case BAS_INV_SRC_ALPHA: *k = 255; *m = -1; return true;
    case BAS_CONST0: *k = c0; return true;
    case BAS_INV_CONST0: *k = 255 - c0; return true;
    case BAS_CONST1: *k = c1; return true;
    case BAS_INV_CONST1: *k = 255 - c1; return true;
    }
    *k = 255;
    return false;
}

bool parameterValue(BlendParameterSource source, uint8_t c0, uint8_t c1, int32_t* p)
{
    switch (source) {
    case BPS_ZERO: *p = 0; return true;
    case BPS_ONE: *p = 255; return true;
    case BPS_CONST0: *p = c0; return true;
    case BPS_INV_CONST0: *p = 255 - c0; return true;
    case BPS_CONST1: *p = c1; return true;
    case BPS_INV_CONST1: *p = 255 - c1; return true;
    }
    *p = 255;
    return false;
}

// The factor of a side from its alpha and parameter. Combine op 1 inverts
// the product; any other value takes it as it is.
inline int32_t combine(CombineOp op, int32_t alpha, int32_t parameter)
{
    return op == CO_INV_PRODUCT ? static_cast<int32_t>(kFullFactor) - alpha * parameter : alpha * parameter;
}

// --- Bounded copies ---------------------------------------------------------------

// Where a copy reads and writes, once both buffers have bounded it.
struct CopySpan {
    int32_t dstX;
    int32_t dstY;
    int32_t srcX;
    int32_t srcY;
    int32_t width;
    int32_t height;
};

// 16-bit pixels, rows that do not overlap, 16-bit aligned.
bool isDrawable(const H2DMemorySurface& s)
{
    return s.getPixels() && s.getBitsPerPixel() == 16 && s.getSurfaceWidth() > 0 && s.getSurfaceHeight() > 0 &&
           static_cast<int64_t>(s.getStride()) >= static_cast<int64_t>(s.getSurfaceWidth()) * 2 &&
           s.getStride() % 2 == 0 && reinterpret_cast<uintptr_t>(s.getPixels()) % 2 == 0;
}

// The source rectangle's size placed at dst's corner, cut to the pixels that
// exist in `from` and to those that fit in `to`; the cut pixels are left out,
// and the rest land where they would have landed. False when nothing is left.
bool boundCopy(const HScreenRect& dst, const HScreenRect& src, const H2DMemorySurface& from,
               const H2DMemorySurface& to, CopySpan* span)
{
    if (!isDrawable(from) || !isDrawable(to))
        return false;
    int64_t sx = src.left;
    int64_t sy = src.top;
    int64_t w = static_cast<int64_t>(src.right) - src.left;
    int64_t h = static_cast<int64_t>(src.bottom) - src.top;
    int64_t dx = dst.left;
    int64_t dy = dst.top;
    if (w <= 0 || h <= 0)
        return false;
    if (sx < 0) {
        dx -= sx;
        w += sx;
        sx = 0;
    }
    if (sy < 0) {
        dy -= sy;
        h += sy;
        sy = 0;
    }
    if (w > from.getSurfaceWidth() - sx)
        w = from.getSurfaceWidth() - sx;
    if (h > from.getSurfaceHeight() - sy)
        h = from.getSurfaceHeight() - sy;
    if (dx < 0) {
        sx -= dx;
        w += dx;
        dx = 0;
    }
    if (dy < 0) {
        sy -= dy;
        h += dy;
        dy = 0;
    }
    if (w > to.getSurfaceWidth() - dx)
        w = to.getSurfaceWidth() - dx;
    if (h > to.getSurfaceHeight() - dy)
        h = to.getSurfaceHeight() - dy;
    if (w <= 0 || h <= 0)
        return false;
    *span = CopySpan{static_cast<int32_t>(dx), static_cast<int32_t>(dy), static_cast<int32_t>(sx),
                     static_cast<int32_t>(sy), static_cast<int32_t>(w), static_cast<int32_t>(h)};
    return true;
}

inline const uint16_t* sourceRow(const H2DMemorySurface& s, int32_t x, int32_t y)
{
    return reinterpret_cast<const uint16_t*>(s.getPixels() + static_cast<ptrdiff_t>(y) * s.getStride()) + x;
}

inline uint16_t* targetRow(const H2DMemorySurface& s, int32_t x, int32_t y)
{
    return reinterpret_cast<uint16_t*>(s.getPixels() + static_cast<ptrdiff_t>(y) * s.getStride()) + x;
}

inline const uint8_t* maskRow(const H2DMemorySurface& s, int32_t x, int32_t y)
{
    return s.getAlphaMask() + static_cast<ptrdiff_t>(y) * s.getSurfaceWidth() + x;
}

// Sixteen mask bytes at once: bit k set when byte k is 255 (all), or 0 (none).
#if defined(__SSE2__)
inline uint32_t maskBits(const uint8_t* m, int value)
{
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(m));
    return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(static_cast<char>(value)))));
}
#endif

// Copies the pixels whose mask byte is 255.
void copyMaskedRow(uint16_t* __restrict d, const uint16_t* __restrict s, const uint8_t* __restrict m, int32_t n)
{
    int32_t k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= n; k += 16) {
        const uint32_t opaque = maskBits(m + k, 255);
        if (opaque == 0)
            continue;
        if (opaque == 0xFFFF) {
            std::memcpy(d + k, s + k, 32);
            continue;
        }
        const __m128i sel =
            _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m + k)), _mm_set1_epi8(-1));
        const __m128i lo = _mm_unpacklo_epi8(sel, sel);
        const __m128i hi = _mm_unpackhi_epi8(sel, sel);
        __m128i* dv = reinterpret_cast<__m128i*>(d + k);
        const __m128i* sv = reinterpret_cast<const __m128i*>(s + k);
        const __m128i d0 = _mm_loadu_si128(dv);
        const __m128i d1 = _mm_loadu_si128(dv + 1);
        const __m128i s0 = _mm_loadu_si128(sv);
        const __m128i s1 = _mm_loadu_si128(sv + 1);
        _mm_storeu_si128(dv, _mm_or_si128(_mm_and_si128(lo, s0), _mm_andnot_si128(lo, d0)));
        _mm_storeu_si128(dv + 1, _mm_or_si128(_mm_and_si128(hi, s1), _mm_andnot_si128(hi, d1)));
    }
#endif
    for (; k < n; ++k) {
        if (m[k] == 255)
            d[k] = s[k];
    }
}

// Blends one row under a linear plan; with a mask, bytes of 0 leave the
// pixel alone. Runs of fully opaque or fully transparent mask bytes skip the
// arithmetic where the plan allows it.
void blendRow(const BlendPlan& plan, const PixelFormat& fmt, uint16_t* __restrict d, const uint16_t* __restrict s,
              const uint8_t* __restrict m, int32_t n)
{
    if (!m) {
        for (int32_t k = 0; k < n; ++k)
            d[k] = blendLinear(plan, fmt, s[k], d[k], 255);
        return;
    }
    int32_t k = 0;
#if defined(__SSE2__)
    for (; k + 16 <= n; k += 16) {
        if (maskBits(m + k, 0) == 0xFFFF)
            continue;
        if (plan.mode == 1 && maskBits(m + k, 255) == 0xFFFF) {
            std::memcpy(d + k, s + k, 32);
            continue;
        }
        for (int32_t j = k; j < k + 16; ++j) {
            if (m[j] != 0)
                d[j] = blendLinear(plan, fmt, s[j], d[j], m[j]);
        }
    }
#endif
    for (; k < n; ++k) {
        if (m[k] != 0)
            d[k] = blendLinear(plan, fmt, s[k], d[k], m[k]);
    }
}

MvTime mediaLibraryClock()
{
    return MvTime{SDL_GetTicks(), 0};
}

} // namespace

// --- Construction --------------------------------------------------------------

H2DDisplayDevice::H2DDisplayDevice(HCvarManager* cvarManager)
    : m_pCvarManager(cvarManager),
      m_iLastDirtyArea(0),
      m_backBuffer(),
      m_textBlendFunction{CO_PRODUCT, BPS_ONE, BAS_SRC_ALPHA, 255, CO_PRODUCT, BPS_ONE, BAS_INV_SRC_ALPHA, 255, BO_ADD},
      m_dirtyList(),
      m_aFrameTimes(),
      m_iFrameCount(0),
      m_iScreenWidth(0),
      m_iScreenHeight(0)
{
}

H2DDisplayDevice::~H2DDisplayDevice() = default;

bool H2DDisplayDevice::initScreen(int32_t width, int32_t height, const char* /*title*/, bool /*fullscreen*/,
                                  bool /*unused*/)
{
    m_iScreenWidth = width > 0 ? width : 0;
    m_iScreenHeight = height > 0 ? height : 0;
    setTextBlendFunction(BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BO_ADD);
    return true;
}

void H2DDisplayDevice::s_destroy2DDisplayDevice(H2DDisplayDevice* device)
{
    if (!device)
        return;
    device->shutdownScreen();
    delete device;
}

void H2DDisplayDevice::showInputPanel(bool /*show*/) {}

bool H2DDisplayDevice::toggleFullscreen()
{
    return false;
}

void H2DDisplayDevice::suspend2DDisplayDevice() {}

void H2DDisplayDevice::resume2DDisplayDevice() {}

// --- Surfaces --------------------------------------------------------------------

H2DSurface* H2DDisplayDevice::createSurfaceFromSurface(H2DSurface* surface)
{
    if (!surface)
        return nullptr;
    // Every surface the device hands out is a memory surface.
    return static_cast<H2DMemorySurface*>(surface)->cloneSurface();
}

void H2DDisplayDevice::destroySurface(H2DSurface* surface)
{
    if (!surface)
        return;
    surface->destroySurface();
    delete surface;
}

// --- Copies and blends -----------------------------------------------------------

void H2DDisplayDevice::m_addToDirtyList(const HScreenRect& r)
{
    const HScreenRect screen(0, 0, m_iScreenWidth, m_iScreenHeight);
    HScreenRect visible;
    if (HScreenRect::s_intersectRects(r, screen, &visible, nullptr) && !visible.isEmpty())
        m_dirtyList.addScreenRectToDirtyList(visible);
}

void H2DDisplayDevice::m_blitPartialSurfaceOpaque(const HScreenRect* dst, const HScreenRect* src,
                                                  const H2DMemorySurface* surface)
{
    CopySpan span;
    if (!boundCopy(*dst, *src, *surface, m_backBuffer, &span))
        return;
    const size_t rowBytes = static_cast<size_t>(span.width) * 2;
    for (int32_t i = 0; i < span.height; ++i)
        std::memcpy(targetRow(m_backBuffer, span.dstX, span.dstY + i), sourceRow(*surface, span.srcX, span.srcY + i),
                    rowBytes);
}

void H2DDisplayDevice::m_blitPartialSurfaceWithMask(const HScreenRect* dst, const HScreenRect* src,
                                                    const H2DMemorySurface* surface)
{
    CopySpan span;
    if (!boundCopy(*dst, *src, *surface, m_backBuffer, &span))
        return;
    for (int32_t i = 0; i < span.height; ++i) {
        copyMaskedRow(targetRow(m_backBuffer, span.dstX, span.dstY + i), sourceRow(*surface, span.srcX, span.srcY + i),
                      maskRow(*surface, span.srcX, span.srcY + i), span.width);
    }
}

void H2DDisplayDevice::m_blitSurfaceOpaque(const HScreenRect* dst, const H2DMemorySurface* surface)
{
    const HScreenRect whole(0, 0, surface->getSurfaceWidth(), surface->getSurfaceHeight());
    m_blitPartialSurfaceOpaque(dst, &whole, surface);
}

void H2DDisplayDevice::m_blitSurfaceWithMask(const HScreenRect* dst, const H2DMemorySurface* surface)
{
    const HScreenRect whole(0, 0, surface->getSurfaceWidth(), surface->getSurfaceHeight());
    m_blitPartialSurfaceWithMask(dst, &whole, surface);
}

bool H2DDisplayDevice::blitPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface)
{
    if (!dst || !src || !surface) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blitPartialSurface: null argument");
        return false;
    }
    const H2DMemorySurface* from = static_cast<const H2DMemorySurface*>(surface);
    if (!isDrawable(*from)) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blitPartialSurface: surface has no 16-bit pixels");
        return false;
    }
    m_addToDirtyList(*dst);
    if (from->getAlphaMask())
        m_blitPartialSurfaceWithMask(dst, src, from);
    else
        m_blitPartialSurfaceOpaque(dst, src, from);
    return true;
}

bool H2DDisplayDevice::blitSurface(const HScreenRect* dst, const H2DSurface* surface)
{
    if (!dst || !surface) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blitSurface: null argument");
        return false;
    }
    const H2DMemorySurface* from = static_cast<const H2DMemorySurface*>(surface);
    if (!isDrawable(*from)) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blitSurface: surface has no 16-bit pixels");
        return false;
    }
    m_addToDirtyList(*dst);
    if (from->getAlphaMask())
        m_blitSurfaceWithMask(dst, from);
    else
        m_blitSurfaceOpaque(dst, from);
    return true;
}

bool H2DDisplayDevice::blendPartialSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                                           BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                           uint8_t srcConst, BlendAlphaSource dstAlpha,
                                           BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                           BlendOp op)
{
    if (!dst || !src || !surface) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blendPartialSurface: null argument");
        return false;
    }
    const H2DMemorySurface* from = static_cast<const H2DMemorySurface*>(surface);
    if (!isDrawable(*from)) {
        HErrorManager::s_db_alert("H2DDisplayDevice::blendPartialSurface: surface has no 16-bit pixels");
        return false;
    }
    const uint8_t* mask = from->getAlphaMask();
    // Without a mask every alpha is 255: source alpha makes the blend a copy.
    if (!mask && (srcAlpha == BAS_SRC_ALPHA || srcAlpha == BAS_INV_SRC_ALPHA || dstAlpha == BAS_SRC_ALPHA ||
                  dstAlpha == BAS_INV_SRC_ALPHA))
        return blitPartialSurface(dst, src, surface);

    m_addToDirtyList(*dst);
    sm_configureBlender(srcAlpha, srcParam, srcOp, srcConst, dstAlpha, dstParam, dstOp, dstConst, op);
    CopySpan span;
    if (!boundCopy(*dst, *src, *from, m_backBuffer, &span))
        return true;

    const BlendPlan plan = g_plan;
    const PixelFormat fmt = g_format;
    for (int32_t i = 0; i < span.height; ++i) {
        uint16_t* d = targetRow(m_backBuffer, span.dstX, span.dstY + i);
        const uint16_t* s = sourceRow(*from, span.srcX, span.srcY + i);
        const uint8_t* m = mask ? maskRow(*from, span.srcX, span.srcY + i) : nullptr;
        if (plan.linear) {
            blendRow(plan, fmt, d, s, m, span.width);
            continue;
        }
        // Unknown sources or op: every pixel reports through the blender.
        for (int32_t k = 0; k < span.width; ++k) {
            const uint8_t a = m ? m[k] : 255;
            if (!m || a != 0)
                d[k] = sm_blendPixels16(s[k], d[k], a);
        }
    }
    return true;
}

bool H2DDisplayDevice::clipAndBlitSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface)
{
    if (!dst || !src || !surface) {
        HErrorManager::s_db_alert("H2DDisplayDevice::clipAndBlitSurface: null argument");
        return false;
    }
    const HScreenRect screen(0, 0, m_iScreenWidth, m_iScreenHeight);
    HScreenRect d;
    HScreenRect s = *src;
    if (!HScreenRect::s_intersectRects(*dst, screen, &d, &s) || s.isEmpty())
        return true;
    return blitPartialSurface(&d, &s, surface);
}

bool H2DDisplayDevice::clipAndBlendSurface(const HScreenRect* dst, const HScreenRect* src, const H2DSurface* surface,
                                           BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                           uint8_t srcConst, BlendAlphaSource dstAlpha,
                                           BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                           BlendOp op)
{
    if (!dst || !src || !surface) {
        HErrorManager::s_db_alert("H2DDisplayDevice::clipAndBlendSurface: null argument");
        return false;
    }
    const HScreenRect screen(0, 0, m_iScreenWidth, m_iScreenHeight);
    HScreenRect d;
    HScreenRect s = *src;
    if (!HScreenRect::s_intersectRects(*dst, screen, &d, &s) || s.isEmpty())
        return true;
    return blendPartialSurface(&d, &s, surface, srcAlpha, srcParam, srcOp, srcConst, dstAlpha, dstParam, dstOp,
                               dstConst, op);
}

// --- Fonts and text --------------------------------------------------------------

H2DFont* H2DDisplayDevice::createFont(const MVSprite* sheet, int32_t charWidth, int32_t charHeight)
{
    H2DFont* font = new (std::nothrow) H2DFont;
    if (font)
        *font = H2DFont{sheet, charWidth, charHeight};
    return font;
}

void H2DDisplayDevice::destroyFont(H2DFont* font)
{
    delete font;
}

int32_t H2DDisplayDevice::getFontWidth(const H2DFont* font) const
{
    return font ? font->m_iCharWidth : 0;
}

int32_t H2DDisplayDevice::getFontHeight(const H2DFont* font) const
{
    return font ? font->m_iCharHeight : 0;
}

void H2DDisplayDevice::s_setFontSheetSurfaceHook(FontSheetSurfaceHook hook)
{
    sm_pFontSheetSurfaceHook = hook;
}

void H2DDisplayDevice::drawText(const char* text, int32_t x, int32_t y, const HScreenRect& clip,
                                TextJustification justification, const H2DFont* font, const HColor4f* /*colour*/)
{
    if (!font || !text)
        return;
    const int64_t cw = font->m_iCharWidth;
    const int64_t ch = font->m_iCharHeight;
    if (cw <= 0 || ch <= 0 || static_cast<int64_t>(y) + ch > INT32_MAX)
        return;
    if (!sm_pFontSheetSurfaceHook) {
        HErrorManager::s_db_alert("H2DDisplayDevice::drawText: no font sheet surface hook");
        return;
    }
    const H2DSurface* sheet = sm_pFontSheetSurfaceHook(font->m_pSpriteSheet);
    if (!sheet)
        return;
    const int64_t sheetWidth = sheet->getSurfaceWidth();
    const int64_t sheetHeight = sheet->getSurfaceHeight();

    const int64_t n = static_cast<int64_t>(std::strlen(text));
    int64_t start = x;
    if (justification == TJ_RIGHT)
        start = x - n * cw;
    else if (justification == TJ_CENTER)
        start = x - (n * cw) / 2;

    const HBlendFunction& f = m_textBlendFunction;
    for (int64_t i = 0; i < n; ++i) {
        const int64_t left = start + i * cw;
        if (left > clip.right)
            break; // every later cell lies further right
        if (left < INT32_MIN || left + cw > INT32_MAX)
            continue;
        const int32_t c = static_cast<signed char>(text[i]);
        if (c < 16)
            continue; // control codes and bytes above 127 have no cell
        const int32_t row = c / 16;
        const int32_t column = c - 16 * row;
        const int64_t glyphLeft = column * cw;
        const int64_t glyphTop = (row - 1) * ch;
        if (glyphLeft + cw > sheetWidth || glyphTop + ch > sheetHeight)
            continue; // past the sheet's columns or rows
        HScreenRect glyph(static_cast<int32_t>(glyphLeft), static_cast<int32_t>(glyphTop),
                          static_cast<int32_t>(glyphLeft + cw), static_cast<int32_t>(glyphTop + ch));
        const HScreenRect cell(static_cast<int32_t>(left), y, static_cast<int32_t>(left + cw),
                               static_cast<int32_t>(y + ch));
        HScreenRect clipped;
        if (!HScreenRect::s_intersectRects(cell, clip, &clipped, &glyph))
            continue;
        clipAndBlendSurface(&clipped, &glyph, sheet, f.srcAlphaSource, f.srcParameterSource, f.srcCombineOp,
                            f.srcConstantAlpha, f.dstAlphaSource, f.dstParameterSource, f.dstCombineOp,
                            f.dstConstantAlpha, f.blendOp);
    }
}

void H2DDisplayDevice::setTextBlendFunction(BlendAlphaSource srcAlpha, BlendParameterSource srcParam,
                                            CombineOp srcOp, uint8_t srcConst, BlendAlphaSource dstAlpha,
                                            BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                            BlendOp op)
{
    HBlendFunction& f = m_textBlendFunction;
    f.srcAlphaSource = srcAlpha;
    f.srcParameterSource = srcParam;
    f.srcCombineOp = srcOp;
    f.srcConstantAlpha = srcConst;
    f.dstAlphaSource = dstAlpha;
    f.dstParameterSource = dstParam;
    f.dstCombineOp = dstOp;
    f.dstConstantAlpha = dstConst;
    f.blendOp = op;
}

// --- Frames ------------------------------------------------------------------------

void H2DDisplayDevice::s_setClock(ClockFunction clock)
{
    sm_pClock = clock;
    sm_lastPresentTime = MvTime{0, 0};
}

void H2DDisplayDevice::updateScreen()
{
    const MvTime now = sm_pClock ? sm_pClock() : mediaLibraryClock();
    if (sm_lastPresentTime.getTime64() == 0)
        sm_lastPresentTime = now;
    const uint32_t elapsed = now.sub32(sm_lastPresentTime);
    sm_lastPresentTime = now;

    std::memmove(m_aFrameTimes, m_aFrameTimes + 1, sizeof(m_aFrameTimes) - sizeof(m_aFrameTimes[0]));
    m_aFrameTimes[kFrameTimeCount - 1] = elapsed > INT32_MAX ? INT32_MAX : static_cast<int32_t>(elapsed);
    m_iFrameCount = static_cast<int32_t>(static_cast<uint32_t>(m_iFrameCount) + 1u);
    m_iLastDirtyArea = m_dirtyList.getDirtyRectTotalArea();

    const int32_t count = m_dirtyList.getRectangleCount();
    if (count > 0) {
        m_putToScreen(m_dirtyList.getRectangleList(), count);
        m_dirtyList.clearDirtyList();
    }
}

float H2DDisplayDevice::getFrameRate() const
{
    int64_t sum = 0;
    for (int32_t t : m_aFrameTimes)
        sum += t;
    if (sum <= 0)
        return 0.0f;
    return 1000.0f / (static_cast<float>(sum) * 0.0625f);
}

// --- Software blender --------------------------------------------------------------

void H2DDisplayDevice::sm_configurePixelFormat(int32_t redBits, int32_t greenBits, int32_t blueBits,
                                               int32_t redShift, int32_t greenShift, int32_t blueShift)
{
    const int32_t bits[3] = {redBits, greenBits, blueBits};
    const int32_t shifts[3] = {redShift, greenShift, blueShift};
    for (int c = 0; c < 3; ++c) {
        if (bits[c] < 1 || bits[c] > 16 || shifts[c] < 0 || shifts[c] > 15) {
            HErrorManager::s_db_alert("H2DDisplayDevice::sm_configurePixelFormat: invalid format %d,%d,%d/%d,%d,%d",
                                      redBits, greenBits, blueBits, redShift, greenShift, blueShift);
            return;
        }
    }
    sm_iRedBits = redBits;
    sm_iGreenBits = greenBits;
    sm_iBlueBits = blueBits;
    sm_iRedShift = redShift;
    sm_iGreenShift = greenShift;
    sm_iBlueShift = blueShift;
    sm_iRedMax = (1 << redBits) - 1;
    sm_iGreenMax = (1 << greenBits) - 1;
    sm_iBlueMax = (1 << blueBits) - 1;
    g_format = PixelFormat{{static_cast<uint32_t>(redShift), static_cast<uint32_t>(greenShift),
                            static_cast<uint32_t>(blueShift)},
                           {static_cast<uint32_t>(sm_iRedMax), static_cast<uint32_t>(sm_iGreenMax),
                            static_cast<uint32_t>(sm_iBlueMax)}};
}

void H2DDisplayDevice::sm_configureBlender(BlendAlphaSource srcAlpha, BlendParameterSource srcParam, CombineOp srcOp,
                                           uint8_t srcConst, BlendAlphaSource dstAlpha,
                                           BlendParameterSource dstParam, CombineOp dstOp, uint8_t dstConst,
                                           BlendOp op)
{
    sm_aBlendAlphaSource[0] = srcAlpha;
    sm_aBlendParameterSource[0] = srcParam;
    sm_aCombineOp[0] = srcOp;
    sm_aBlendConstantAlpha[0] = srcConst;
    sm_aBlendAlphaSource[1] = dstAlpha;
    sm_aBlendParameterSource[1] = dstParam;
    sm_aCombineOp[1] = dstOp;
    sm_aBlendConstantAlpha[1] = dstConst;
    sm_blendOp = op;

    sm_fastBlenderMode = 0;
    if (srcAlpha == BAS_SRC_ALPHA && srcParam == BPS_ONE && srcOp == CO_PRODUCT && dstAlpha == BAS_INV_SRC_ALPHA &&
        dstParam == BPS_ONE && dstOp == CO_PRODUCT && op == BO_ADD)
        sm_fastBlenderMode = sm_abHints[HINT_ALPHA_THRESHOLD] ? 2 : 1;

    BlendPlan plan = {sm_fastBlenderMode, op >= BO_ADD && op <= BO_REV_SUBTRACT, {0, 0}, {0, 0}, op};
    for (int side = 0; side < 2; ++side) {
        int32_t k = 0;
        int32_t m = 0;
        int32_t p = 0;
        const bool known = alphaTerms(sm_aBlendAlphaSource[side], srcConst, dstConst, &k, &m) &&
                           parameterValue(sm_aBlendParameterSource[side], srcConst, dstConst, &p);
        plan.linear = plan.linear && known;
        // combine(op, k + m a, p) = fA + fB a
        plan.fA[side] = combine(sm_aCombineOp[side], k, p);
        plan.fB[side] = sm_aCombineOp[side] == CO_INV_PRODUCT ? -m * p : m * p;
    }
    g_plan = plan;
}

void H2DDisplayDevice::enableHint(Hint hint, bool on)
{
    if (hint < 0 || hint >= HINT_COUNT) {
        HErrorManager::s_db_alert("H2DDisplayDevice::enableHint: invalid hint %d", static_cast<int>(hint));
        return;
    }
    if (sm_abHints[hint] == on)
        return;
    sm_abHints[hint] = on;
    sm_configureBlender(sm_aBlendAlphaSource[0], sm_aBlendParameterSource[0], sm_aCombineOp[0],
                        sm_aBlendConstantAlpha[0], sm_aBlendAlphaSource[1], sm_aBlendParameterSource[1],
                        sm_aCombineOp[1], sm_aBlendConstantAlpha[1], sm_blendOp);
}

int32_t H2DDisplayDevice::sm_getBlendAlpha(BlendAlphaSource source, uint8_t alpha)
{
    switch (source) {
    case BAS_ZERO: return 0;
    case BAS_ONE: return 255;
    case BAS_SRC_ALPHA: return alpha;
    case BAS_INV_SRC_ALPHA: return 255 - alpha;
    case BAS_CONST0: return sm_aBlendConstantAlpha[0];
    case BAS_INV_CONST0: return 255 - sm_aBlendConstantAlpha[0];
    case BAS_CONST1: return sm_aBlendConstantAlpha[1];
    case BAS_INV_CONST1: return 255 - sm_aBlendConstantAlpha[1];
    }
    HErrorManager::s_db_alert("sm_getBlendAlpha: invalid alpha source 0x%x", static_cast<unsigned>(source));
    return 255;
}

int32_t H2DDisplayDevice::sm_getBlendParameter(BlendParameterSource source)
{
    switch (source) {
    case BPS_ZERO: return 0;
    case BPS_ONE: return 255;
    case BPS_CONST0: return sm_aBlendConstantAlpha[0];
    case BPS_INV_CONST0: return 255 - sm_aBlendConstantAlpha[0];
    case BPS_CONST1: return sm_aBlendConstantAlpha[1];
    case BPS_INV_CONST1: return 255 - sm_aBlendConstantAlpha[1];
    }
    HErrorManager::s_db_alert("sm_getBlendParam: invalid source value 0x'%x'", static_cast<unsigned>(source));
    return 255;
}

uint16_t H2DDisplayDevice::sm_blendPixels16(uint16_t src, uint16_t dst, uint8_t alpha)
{
    if (g_plan.linear)
        return blendLinear(g_plan, g_format, src, dst, alpha);

    // Step by step, so that every unknown value is reported for this pixel.
    // The fast modes need a known configuration, so none applies here.
    int32_t factor[2];
    for (int side = 0; side < 2; ++side) {
        const int32_t a = sm_getBlendAlpha(sm_aBlendAlphaSource[side], alpha);
        const int32_t p = sm_getBlendParameter(sm_aBlendParameterSource[side]);
        factor[side] = combine(sm_aCombineOp[side], a, p);
    }
    if (sm_blendOp < BO_ADD || sm_blendOp > BO_REV_SUBTRACT) {
        HErrorManager::s_db_alert("sm_blendPixels16: invalid blend op");
        return 0;
    }
    BlendPlan plan = {0, true, {factor[0], factor[1]}, {0, 0}, sm_blendOp};
    return blendLinear(plan, g_format, src, dst, alpha);
}
