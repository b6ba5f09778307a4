// The 2D display device: clipping, bounded copies, the software blender,
// bitmap text and frame presentation, all in system memory.
#include "engine/media/H2DDisplayDevice.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HPlatform.h"

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
            v = static_cast<int32_t>((static_cast<int64_t>(sc) * dc) / 255);
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

// The first row of a span in both buffers and the mask, and how far apart
// rows lie; worked out once per call (the sizes sit behind virtual calls).
struct Rows {
    uint16_t* d;
    const uint16_t* s;
    const uint8_t* m;
    ptrdiff_t dStep; // pixels
    ptrdiff_t sStep; // pixels
    ptrdiff_t mStep; // bytes

    Rows(const CopySpan& span, const H2DMemorySurface& from, H2DMemorySurface& to)
        : d(reinterpret_cast<uint16_t*>(to.getPixels() + static_cast<ptrdiff_t>(span.dstY) * to.getStride()) +
            span.dstX),
          s(reinterpret_cast<const uint16_t*>(from.getPixels() + static_cast<ptrdiff_t>(span.srcY) * from.getStride()) +
            span.srcX),
          m(from.getAlphaMask()
                ? from.getAlphaMask() + static_cast<ptrdiff_t>(span.srcY) * from.getSurfaceWidth() + span.srcX
                : nullptr),
          dStep(to.getStride() / 2),
          sStep(from.getStride() / 2),
          mStep(from.getSurfaceWidth())
    {
    }

    void next()
    {
        d += dStep;
        s += sStep;
        if (m)
            m += mStep;
    }
};

#if defined(__SSE2__)
// Copies the pixels of one block of sixteen whose mask byte is 255.
inline void copyMasked16(uint16_t* d, const uint16_t* s, const uint8_t* m)
{
    const __m128i sel = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(m)), _mm_set1_epi8(-1));
    const uint32_t opaque = static_cast<uint32_t>(_mm_movemask_epi8(sel));
    if (opaque == 0)
        return;
    if (opaque == 0xFFFF) {
        std::memcpy(d, s, 32);
        return;
    }
    const __m128i lo = _mm_unpacklo_epi8(sel, sel);
    const __m128i hi = _mm_unpackhi_epi8(sel, sel);
    __m128i* dv = reinterpret_cast<__m128i*>(d);
    const __m128i* sv = reinterpret_cast<const __m128i*>(s);
    const __m128i d0 = _mm_loadu_si128(dv);
    const __m128i d1 = _mm_loadu_si128(dv + 1);
    const __m128i s0 = _mm_loadu_si128(sv);
    const __m128i s1 = _mm_loadu_si128(sv + 1);
    _mm_storeu_si128(dv, _mm_or_si128(_mm_and_si128(lo, s0), _mm_andnot_si128(lo, d0)));
    _mm_storeu_si128(dv + 1, _mm_or_si128(_mm_and_si128(hi, s1), _mm_andnot_si128(hi, d1)));
}
#endif

// Copies the pixels whose mask byte is 255.
void copyMaskedRow(uint16_t* __restrict d, const uint16_t* __restrict s, const uint8_t* __restrict m, int32_t n)
{
    int32_t k = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        for (; k + 16 <= n; k += 16)
            copyMasked16(d + k, s + k, m + k);
        // The rest as the row's last sixteen: copying a pixel twice changes nothing.
        if (k < n)
            copyMasked16(d + n - 16, s + n - 16, m + n - 16);
        return;
    }
#endif
    for (; k < n; ++k) {
        if (m[k] == 255)
            d[k] = s[k];
    }
}

#if defined(__SSE2__)
// Eight pixels at a time for channels of at most 6 bits (5-6-5, 5-5-5).
//
// A side's scaled channel floor(c x f / 65025) equals floor(c x g / 2^22)
// with g = ceil(f x 2^22 / 65025), for every c <= 63: g overshoots the exact
// quotient by less than 1, which moves c x g / 2^22 by less than
// 63 / 2^22 < 1 / 65025, the least distance from c x f / 65025 to the next
// integer above it. Split g into 16-bit halves, the product reduces to
// (c x high + (c x low) / 2^16) / 2^6, all in 16-bit lanes.
//
// The table holds, for each alpha, the halves of g for both sides; it is
// rebuilt only when a configuration changes the factors.
struct FactorTable {
    uint16_t g[256][4]; // source high, source low, destination high, destination low
    int32_t key[4];     // fA and fB of both sides it was built for
    bool valid;
};

FactorTable g_factors = {{}, {0, 0, 0, 0}, false};

bool g_bSimdFormat = true; // every channel of the pixel format fits in 6 bits

void buildFactors(const BlendPlan& plan)
{
    const int32_t key[4] = {plan.fA[0], plan.fB[0], plan.fA[1], plan.fB[1]};
    if (g_factors.valid && std::memcmp(key, g_factors.key, sizeof(key)) == 0)
        return;
    for (int32_t a = 0; a < 256; ++a) {
        for (int side = 0; side < 2; ++side) {
            const uint64_t f = static_cast<uint64_t>(plan.fA[side] + plan.fB[side] * a);
            const uint64_t g = ((f << 22) + kFullFactor - 1) / kFullFactor;
            g_factors.g[a][side * 2] = static_cast<uint16_t>(g >> 16);
            g_factors.g[a][side * 2 + 1] = static_cast<uint16_t>(g & 0xFFFF);
        }
    }
    std::memcpy(g_factors.key, key, sizeof(key));
    g_factors.valid = true;
}

inline __m128i scaleChannel(__m128i c, __m128i high, __m128i low)
{
    return _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(c, high), _mm_mulhi_epu16(c, low)), 6);
}

inline __m128i select16(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Blends eight pixels whose factors are given as 16-bit halves.
template <int Op>
inline __m128i blend8(__m128i sv, __m128i dv, __m128i g0h, __m128i g0l, __m128i g1h, __m128i g1l,
                      const PixelFormat& fmt)
{
    __m128i out = _mm_setzero_si128();
    for (int c = 0; c < 3; ++c) {
        const __m128i count = _mm_cvtsi32_si128(static_cast<int>(fmt.shift[c]));
        const __m128i max = _mm_set1_epi16(static_cast<short>(fmt.max[c]));
        const __m128i sc = scaleChannel(_mm_and_si128(_mm_srl_epi16(sv, count), max), g0h, g0l);
        const __m128i dc = scaleChannel(_mm_and_si128(_mm_srl_epi16(dv, count), max), g1h, g1l);
        __m128i v;
        if (Op == BO_ADD) {
            v = _mm_min_epi16(_mm_add_epi16(sc, dc), max);
        } else if (Op == BO_MULTIPLY) {
            // x / 255 for any 16-bit x: (x * 0x8081) >> 23.
            v = _mm_srli_epi16(_mm_mulhi_epu16(_mm_mullo_epi16(sc, dc), _mm_set1_epi16(static_cast<short>(0x8081))),
                               7);
            v = _mm_min_epi16(v, max);
        } else if (Op == BO_SUBTRACT) {
            v = _mm_max_epi16(_mm_sub_epi16(sc, dc), _mm_setzero_si128());
        } else {
            v = _mm_max_epi16(_mm_sub_epi16(dc, sc), _mm_setzero_si128());
        }
        out = _mm_or_si128(out, _mm_sll_epi16(v, count));
    }
    return out;
}

// Transposes the table rows of eight alphas into the four factor vectors.
inline void gatherFactors(const uint8_t* a, __m128i* g0h, __m128i* g0l, __m128i* g1h, __m128i* g1l)
{
    const auto row = [](uint8_t alpha) {
        return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(g_factors.g[alpha]));
    };
    const __m128i p01 = _mm_unpacklo_epi16(row(a[0]), row(a[1]));
    const __m128i p23 = _mm_unpacklo_epi16(row(a[2]), row(a[3]));
    const __m128i p45 = _mm_unpacklo_epi16(row(a[4]), row(a[5]));
    const __m128i p67 = _mm_unpacklo_epi16(row(a[6]), row(a[7]));
    const __m128i q0 = _mm_unpacklo_epi32(p01, p23); // source high 0-3, source low 0-3
    const __m128i q1 = _mm_unpackhi_epi32(p01, p23); // destination high 0-3, low 0-3
    const __m128i q2 = _mm_unpacklo_epi32(p45, p67);
    const __m128i q3 = _mm_unpackhi_epi32(p45, p67);
    *g0h = _mm_unpacklo_epi64(q0, q2);
    *g0l = _mm_unpackhi_epi64(q0, q2);
    *g1h = _mm_unpacklo_epi64(q1, q3);
    *g1l = _mm_unpackhi_epi64(q1, q3);
}

// One row of at least eight pixels.
template <int Op>
void blendRowSimd(const BlendPlan& plan, const PixelFormat& fmt, uint16_t* __restrict d,
                  const uint16_t* __restrict s, const uint8_t* __restrict m, int32_t n)
{
    int32_t k = 0;
    if (!m) {
        const uint16_t* g = g_factors.g[255];
        const __m128i g0h = _mm_set1_epi16(static_cast<short>(g[0]));
        const __m128i g0l = _mm_set1_epi16(static_cast<short>(g[1]));
        const __m128i g1h = _mm_set1_epi16(static_cast<short>(g[2]));
        const __m128i g1l = _mm_set1_epi16(static_cast<short>(g[3]));
        const auto block = [&](uint16_t* dk, const uint16_t* sk, __m128i dv) {
            const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sk));
            // Every alpha is 255: the classic blend is the source itself.
            const __m128i out = plan.mode == 1 ? sv : blend8<Op>(sv, dv, g0h, g0l, g1h, g1l, fmt);
            _mm_storeu_si128(reinterpret_cast<__m128i*>(dk), out);
        };
        const int32_t last = n - 8;
        const __m128i lastBefore = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + last));
        for (; k + 8 <= n; k += 8)
            block(d + k, s + k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k)));
        if (k < n)
            block(d + last, s + last, lastBefore);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i full = _mm_set1_epi16(255);
    const auto block = [&](uint16_t* dk, const uint16_t* sk, const uint8_t* mk, __m128i dv) {
        __m128i g0h, g0l, g1h, g1l;
        gatherFactors(mk, &g0h, &g0l, &g1h, &g1l);
        const __m128i sv = _mm_loadu_si128(reinterpret_cast<const __m128i*>(sk));
        __m128i out = blend8<Op>(sv, dv, g0h, g0l, g1h, g1l, fmt);
        const __m128i a = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(mk)), zero);
        if (plan.mode == 1)
            out = select16(_mm_cmpeq_epi16(a, full), sv, out);
        out = select16(_mm_cmpeq_epi16(a, zero), dv, out);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dk), out);
    };
    // The rest of the row is blended as its last eight pixels, from their
    // values before this row was touched: the pixels blended twice get the
    // same result both times.
    const int32_t last = n - 8;
    const __m128i lastBefore = _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + last));
    for (; k + 8 <= n; k += 8) {
        uint64_t bytes;
        std::memcpy(&bytes, m + k, sizeof(bytes));
        if (bytes == 0)
            continue; // mask 0 leaves the pixels alone
        if (plan.mode == 1 && bytes == ~uint64_t{0}) {
            std::memcpy(d + k, s + k, 16);
            continue;
        }
        block(d + k, s + k, m + k, _mm_loadu_si128(reinterpret_cast<const __m128i*>(d + k)));
    }
    if (k < n)
        block(d + last, s + last, m + last, lastBefore);
}

// Rows narrower than eight pixels go through a block on the stack, so that
// nothing past the row is read or written.
template <int Op>
void blendShortRowSimd(const BlendPlan& plan, const PixelFormat& fmt, uint16_t* d, const uint16_t* s,
                       const uint8_t* m, int32_t n)
{
    uint16_t dd[8] = {};
    uint16_t ss[8] = {};
    uint8_t mm[8] = {};
    for (int32_t k = 0; k < n; ++k) {
        dd[k] = d[k];
        ss[k] = s[k];
        mm[k] = m ? m[k] : 255;
    }
    blendRowSimd<Op>(plan, fmt, dd, ss, mm, 8);
    for (int32_t k = 0; k < n; ++k)
        d[k] = dd[k];
}

template <int Op>
void blendRowsSimd(const BlendPlan& plan, const PixelFormat& fmt, Rows rows, int32_t width, int32_t height)
{
    for (int32_t i = 0; i < height; ++i, rows.next()) {
        if (width >= 8)
            blendRowSimd<Op>(plan, fmt, rows.d, rows.s, rows.m, width);
        else
            blendShortRowSimd<Op>(plan, fmt, rows.d, rows.s, rows.m, width);
    }
}
#endif

// Blends the rows of a span under a linear plan; with a mask, bytes of 0
// leave the pixel alone.
void blendRows(const BlendPlan& plan, const PixelFormat& fmt, Rows rows, int32_t width, int32_t height)
{
#if defined(__SSE2__)
    if (g_bSimdFormat && plan.mode != 2) {
        buildFactors(plan);
        switch (plan.op) {
        case BO_ADD: blendRowsSimd<BO_ADD>(plan, fmt, rows, width, height); return;
        case BO_MULTIPLY: blendRowsSimd<BO_MULTIPLY>(plan, fmt, rows, width, height); return;
        case BO_SUBTRACT: blendRowsSimd<BO_SUBTRACT>(plan, fmt, rows, width, height); return;
        default: blendRowsSimd<BO_REV_SUBTRACT>(plan, fmt, rows, width, height); return;
        }
    }
#endif
    for (int32_t i = 0; i < height; ++i, rows.next()) {
        for (int32_t k = 0; k < width; ++k) {
            const uint8_t a = rows.m ? rows.m[k] : 255;
            if (!rows.m || a != 0)
                rows.d[k] = blendLinear(plan, fmt, rows.s[k], rows.d[k], a);
        }
    }
}

MvTime mediaLibraryClock()
{
    return HPlatform::s_getAbsoluteTimeMilliseconds();
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
    Rows rows(span, *surface, m_backBuffer);
    for (int32_t i = 0; i < span.height; ++i, rows.next())
        std::memcpy(rows.d, rows.s, rowBytes);
}

void H2DDisplayDevice::m_blitPartialSurfaceWithMask(const HScreenRect* dst, const HScreenRect* src,
                                                    const H2DMemorySurface* surface)
{
    CopySpan span;
    if (!boundCopy(*dst, *src, *surface, m_backBuffer, &span))
        return;
    Rows rows(span, *surface, m_backBuffer);
    for (int32_t i = 0; i < span.height; ++i, rows.next())
        copyMaskedRow(rows.d, rows.s, rows.m, span.width);
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

    Rows rows(span, *from, m_backBuffer);
    if (g_plan.linear) {
        blendRows(g_plan, g_format, rows, span.width, span.height);
        return true;
    }
    // Unknown sources or op: every pixel reports through the blender.
    for (int32_t i = 0; i < span.height; ++i, rows.next()) {
        for (int32_t k = 0; k < span.width; ++k) {
            const uint8_t a = rows.m ? rows.m[k] : 255;
            if (!rows.m || a != 0)
                rows.d[k] = sm_blendPixels16(rows.s[k], rows.d[k], a);
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
#if defined(__SSE2__)
    g_bSimdFormat = redBits <= 6 && greenBits <= 6 && blueBits <= 6;
#endif
}

void H2DDisplayDevice::sm_getPixelFormat(int32_t* redBits, int32_t* greenBits, int32_t* blueBits, int32_t* redShift,
                                         int32_t* greenShift, int32_t* blueShift)
{
    *redBits = sm_iRedBits;
    *greenBits = sm_iGreenBits;
    *blueBits = sm_iBlueBits;
    *redShift = sm_iRedShift;
    *greenShift = sm_iGreenShift;
    *blueShift = sm_iBlueShift;
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
