// The display device over a memory screen: copies, masked copies, blends and
// their clipping and bounding, surfaces, fonts and text, and presenting.
#include "engine/media/H2DDisplayDevice.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/RecordingDisplayDevice.h"
#include "tests/support/TestSurface.h"

#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

namespace {

using D = H2DDisplayDevice;

constexpr uint16_t kBackground = 0x0842;

std::string text(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::string text(const std::vector<HScreenRect>& list)
{
    std::string s;
    for (const HScreenRect& r : list)
        s += text(r);
    return s.empty() ? "none" : s;
}

std::vector<HScreenRect> dirtyOf(const H2DDisplayDevice& device)
{
    const HDirtyRectangleManager& d = device.getDirtyList();
    return std::vector<HScreenRect>(d.getRectangleList(), d.getRectangleList() + d.getRectangleCount());
}

bool sameList(const std::vector<HScreenRect>& a, const std::vector<HScreenRect>& b)
{
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].left != b[i].left || a[i].top != b[i].top || a[i].right != b[i].right || a[i].bottom != b[i].bottom)
            return false;
    }
    return true;
}

void classicBlend()
{
    D::sm_configureBlender(BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                           BO_ADD);
}

class DisplayDevice : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 64;
    static constexpr int32_t kHeight = 48;

    void SetUp() override
    {
        D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        ASSERT_TRUE(device.initScreen(kWidth, kHeight, "test", false, false));
        device.fill(kBackground);
    }
    void TearDown() override { EXPECT_TRUE(device.guardIntact()) << "a write landed outside the screen"; }

    // Every screen pixel: inside `region` it is what `drawn` makes of the
    // source pixel at (x - ox, y - oy) and the background, elsewhere the
    // background.
    void expectScreen(const TestSurface& source, const HScreenRect& region, int32_t ox, int32_t oy,
                      const std::function<uint16_t(uint16_t s, int32_t sx, int32_t sy)>& drawn, const char* name)
    {
        int32_t wrong = 0;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                const bool inside = x >= region.left && x < region.right && y >= region.top && y < region.bottom;
                const uint16_t expected = inside ? drawn(source.pixel(x - ox, y - oy), x - ox, y - oy) : kBackground;
                if (device.pixel(x, y) != expected && ++wrong <= 3)
                    ADD_FAILURE() << name << ": pixel " << x << "," << y << " is " << device.pixel(x, y)
                                  << ", expected " << expected;
            }
        }
    }

    RecordingDisplayDevice device;
};

TEST_F(DisplayDevice, InitScreenSetsTheSizeAndThePlainAlphaTextBlend)
{
    EXPECT_EQ(device.m_iScreenWidth, kWidth);
    EXPECT_EQ(device.m_iScreenHeight, kHeight);
    device.setTextBlendFunction(BAS_ZERO, BPS_ZERO, CO_INV_PRODUCT, 1, BAS_ZERO, BPS_ZERO, CO_INV_PRODUCT, 2,
                                BO_MULTIPLY);
    ASSERT_TRUE(device.initScreen(kWidth, kHeight, "again", false, false));
    const HBlendFunction& f = device.getTextBlendFunction();
    EXPECT_EQ(f.srcAlphaSource, BAS_SRC_ALPHA);
    EXPECT_EQ(f.srcParameterSource, BPS_ONE);
    EXPECT_EQ(f.srcCombineOp, CO_PRODUCT);
    EXPECT_EQ(f.srcConstantAlpha, 255);
    EXPECT_EQ(f.dstAlphaSource, BAS_INV_SRC_ALPHA);
    EXPECT_EQ(f.dstParameterSource, BPS_ONE);
    EXPECT_EQ(f.dstCombineOp, CO_PRODUCT);
    EXPECT_EQ(f.dstConstantAlpha, 255);
    EXPECT_EQ(f.blendOp, BO_ADD);
}

TEST_F(DisplayDevice, TextBlendIsStoredByFieldName)
{
    // Nine different values, in argument order.
    device.setTextBlendFunction(BAS_CONST1, BPS_INV_CONST0, CO_INV_PRODUCT, 11, BAS_INV_CONST1, BPS_CONST1,
                                CO_PRODUCT, 22, BO_REV_SUBTRACT);
    const HBlendFunction& f = device.getTextBlendFunction();
    EXPECT_EQ(f.srcAlphaSource, BAS_CONST1);
    EXPECT_EQ(f.srcParameterSource, BPS_INV_CONST0);
    EXPECT_EQ(f.srcCombineOp, CO_INV_PRODUCT);
    EXPECT_EQ(f.srcConstantAlpha, 11);
    EXPECT_EQ(f.dstAlphaSource, BAS_INV_CONST1);
    EXPECT_EQ(f.dstParameterSource, BPS_CONST1);
    EXPECT_EQ(f.dstCombineOp, CO_PRODUCT);
    EXPECT_EQ(f.dstConstantAlpha, 22);
    EXPECT_EQ(f.blendOp, BO_REV_SUBTRACT);
}

// --- Clipping and bounding ---------------------------------------------------------

struct ClipCase {
    const char* name;
    HScreenRect dst;
    HScreenRect src;
    HScreenRect region; // screen pixels drawn; empty for none
    int32_t ox, oy;     // screen = source + offset
    std::vector<HScreenRect> dirty;
};

// The source is 20 x 10 on a 64 x 48 screen.
const std::vector<ClipCase>& clipCases()
{
    static const std::vector<ClipCase> cases = {
        {"inside", {10, 5, 30, 15}, {0, 0, 20, 10}, {10, 5, 30, 15}, 10, 5, {{10, 5, 30, 15}}},
        {"part of the source", {10, 5, 16, 9}, {3, 2, 9, 6}, {10, 5, 16, 9}, 7, 3, {{10, 5, 16, 9}}},
        {"5 pixels left of the screen", {-5, 5, 15, 15}, {0, 0, 20, 10}, {0, 5, 15, 15}, -5, 5, {{0, 5, 15, 15}}},
        {"off the bottom right", {54, 43, 74, 53}, {0, 0, 20, 10}, {54, 43, 64, 48}, 54, 43, {{54, 43, 64, 48}}},
        {"above the screen", {10, -4, 30, 6}, {0, 0, 20, 10}, {10, 0, 30, 6}, 10, -4, {{10, 0, 30, 6}}},
        {"wholly right of the screen", {70, 0, 90, 10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        {"wholly above the screen", {0, -20, 20, -10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        {"touching the right edge", {64, 0, 84, 10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        // A destination wider than the source places the source at its corner
        // and is dirty as a whole.
        {"destination wider than the source", {10, 5, 50, 25}, {0, 0, 20, 10}, {10, 5, 30, 15}, 10, 5,
         {{10, 5, 50, 25}}},
        // Clipped on both sides, the source is trimmed by more than its width:
        // nothing of it is left, and no negative width reaches a copy.
        {"wider destination clipped to nothing", {-10, 0, 74, 10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        {"wider destination clipped past nothing", {-10, 0, 100, 10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        {"taller destination clipped past nothing", {0, -10, 20, 80}, {0, 0, 20, 10}, {}, 0, 0, {}},
        // A source larger than its destination at the screen's edge writes
        // only what fits on the screen.
        {"larger source at the right edge", {54, 0, 64, 10}, {0, 0, 20, 10}, {54, 0, 64, 10}, 54, 0,
         {{54, 0, 64, 10}}},
        {"larger source at the bottom edge", {0, 43, 20, 48}, {0, 0, 20, 10}, {0, 43, 20, 48}, 0, 43,
         {{0, 43, 20, 48}}},
        {"larger source past the right edge", {64, 0, 64, 10}, {0, 0, 20, 10}, {}, 0, 0, {}},
        // The source rectangle reaching outside the surface reads only what is there.
        {"source left of the surface", {20, 0, 35, 10}, {-5, 0, 10, 10}, {25, 0, 35, 10}, 25, 0, {{20, 0, 35, 10}}},
        {"source past the surface", {0, 0, 30, 20}, {10, 5, 40, 25}, {0, 0, 10, 5}, -10, -5, {{0, 0, 30, 20}}},
        {"source wholly outside the surface", {0, 0, 10, 10}, {30, 0, 40, 10}, {}, 0, 0, {{0, 0, 10, 10}}},
        {"inverted source", {0, 0, 10, 10}, {10, 0, 0, 10}, {}, 0, 0, {}},
    };
    return cases;
}

// 20 x 10, every mask value that matters: 255, 0 and in between.
void maskPattern(TestSurface& s)
{
    for (int32_t y = 0; y < s.height(); ++y) {
        for (int32_t x = 0; x < s.width(); ++x)
            s.setMask(x, y, (x + y) % 3 == 0 ? 0 : (x * y) % 7 == 1 ? 128 : 255);
    }
}

uint8_t maskAt(const TestSurface& s, int32_t x, int32_t y)
{
    return s.get()->getAlphaMask()[y * s.width() + x];
}

TEST_F(DisplayDevice, ClippedOpaqueCopies)
{
    TestSurface source(20, 10, false, 2);
    source.fillPattern(3);
    for (const ClipCase& c : clipCases()) {
        device.fill(kBackground);
        HScreenRect dst = c.dst;
        HScreenRect src = c.src;
        EXPECT_TRUE(device.clipAndBlitSurface(&dst, &src, source.get())) << c.name;
        expectScreen(source, c.region, c.ox, c.oy, [](uint16_t s, int32_t, int32_t) { return s; }, c.name);
        EXPECT_TRUE(sameList(dirtyOf(device), c.dirty))
            << c.name << ": dirty " << text(dirtyOf(device)) << ", expected " << text(c.dirty);
        device.updateScreen();
    }
}

TEST_F(DisplayDevice, ClippedMaskedCopiesTakeOnlyOpaquePixels)
{
    TestSurface source(20, 10, true);
    source.fillPattern(4);
    maskPattern(source);
    for (const ClipCase& c : clipCases()) {
        device.fill(kBackground);
        HScreenRect dst = c.dst;
        HScreenRect src = c.src;
        EXPECT_TRUE(device.clipAndBlitSurface(&dst, &src, source.get())) << c.name;
        expectScreen(
            source, c.region, c.ox, c.oy,
            [&](uint16_t s, int32_t x, int32_t y) { return maskAt(source, x, y) == 255 ? s : kBackground; }, c.name);
        EXPECT_TRUE(sameList(dirtyOf(device), c.dirty)) << c.name << ": dirty " << text(dirtyOf(device));
        device.updateScreen();
    }
}

TEST_F(DisplayDevice, ClippedMaskedBlends)
{
    TestSurface source(20, 10, true);
    source.fillPattern(5);
    maskPattern(source);
    classicBlend();
    for (const ClipCase& c : clipCases()) {
        device.fill(kBackground);
        HScreenRect dst = c.dst;
        HScreenRect src = c.src;
        EXPECT_TRUE(device.clipAndBlendSurface(&dst, &src, source.get(), BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                                               BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BO_ADD))
            << c.name;
        expectScreen(
            source, c.region, c.ox, c.oy,
            [&](uint16_t s, int32_t x, int32_t y) {
                const uint8_t a = maskAt(source, x, y);
                return a == 0 ? kBackground : D::sm_blendPixels16(s, kBackground, a);
            },
            c.name);
        EXPECT_TRUE(sameList(dirtyOf(device), c.dirty)) << c.name << ": dirty " << text(dirtyOf(device));
        device.updateScreen();
    }
}

// --- Copies and blends ----------------------------------------------------------------

TEST_F(DisplayDevice, BlitSurfaceCopiesTheWholeSurfaceAtTheCorner)
{
    TestSurface source(9, 4, false, 5); // padded rows: the padding never shows
    source.fillPattern(6);
    const HScreenRect dst(30, 20, 31, 21);
    EXPECT_TRUE(device.blitSurface(&dst, source.get()));
    expectScreen(source, {30, 20, 39, 24}, 30, 20, [](uint16_t s, int32_t, int32_t) { return s; }, "blitSurface");
    EXPECT_TRUE(sameList(dirtyOf(device), {{30, 20, 31, 21}})) << text(dirtyOf(device));

    TestSurface masked(9, 4, true);
    masked.fillPattern(7);
    masked.setMask(0, 0, 0);
    masked.setMask(8, 3, 254);
    device.fill(kBackground);
    const HScreenRect near(60, 46, 69, 50); // partly off screen: bounded
    EXPECT_TRUE(device.blitSurface(&near, masked.get()));
    expectScreen(
        masked, {60, 46, 64, 48}, 60, 46,
        [&](uint16_t s, int32_t x, int32_t y) { return maskAt(masked, x, y) == 255 ? s : kBackground; },
        "masked blitSurface");
}

TEST_F(DisplayDevice, UnmaskedSourceAlphaBlendIsACopy)
{
    TestSurface source(12, 6, false);
    source.fillPattern(8);
    const HScreenRect dst(4, 4, 16, 10);
    const HScreenRect src(0, 0, 12, 6);
    // Faded alpha with c = 128 would darken; without a mask it copies.
    EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 128,
                                           BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255, BO_ADD));
    expectScreen(source, dst, 4, 4, [](uint16_t s, int32_t, int32_t) { return s; }, "source alpha");
    // Only the destination side taking source alpha is enough.
    device.fill(kBackground);
    EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), BAS_ZERO, BPS_ZERO, CO_PRODUCT, 0,
                                           BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 0, BO_MULTIPLY));
    expectScreen(source, dst, 4, 4, [](uint16_t s, int32_t, int32_t) { return s; }, "destination alpha");
}

TEST_F(DisplayDevice, UnmaskedBlendWithoutSourceAlphaBlendsEveryPixelAtFullAlpha)
{
    TestSurface source(12, 6, false);
    source.fillPattern(9);
    const HScreenRect dst(4, 4, 16, 10);
    const HScreenRect src(0, 0, 12, 6);
    EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), BAS_ONE, BPS_CONST0, CO_PRODUCT, 100, BAS_ONE,
                                           BPS_INV_CONST0, CO_PRODUCT, 0, BO_ADD));
    expectScreen(source, dst, 4, 4, [](uint16_t s, int32_t, int32_t) { return D::sm_blendPixels16(s, kBackground, 255); },
                 "constant cross-fade");
}

TEST_F(DisplayDevice, MaskedBlendLeavesMaskZeroPixelsAlone)
{
    TestSurface source(20, 10, true);
    source.fillPattern(10);
    maskPattern(source);
    const HScreenRect dst(2, 3, 22, 13);
    const HScreenRect src(0, 0, 20, 10);
    // The tile blend changes the destination side even where a = 0.
    EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 200,
                                           BAS_ONE, BPS_CONST1, CO_PRODUCT, 100, BO_ADD));
    expectScreen(
        source, dst, 2, 3,
        [&](uint16_t s, int32_t x, int32_t y) {
            const uint8_t a = maskAt(source, x, y);
            return a == 0 ? kBackground : D::sm_blendPixels16(s, kBackground, a);
        },
        "tile blend");
    // Under the classic blend every pixel of mask 255 is copied unchanged.
    device.fill(kBackground);
    EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                                           BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BO_ADD));
    for (int32_t y = 0; y < 10; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            if (maskAt(source, x, y) == 255) {
                EXPECT_EQ(device.pixel(x + 2, y + 3), source.pixel(x, y));
            } else if (maskAt(source, x, y) == 0) {
                EXPECT_EQ(device.pixel(x + 2, y + 3), kBackground);
            }
        }
    }
}

// Long rows with runs of opaque, transparent and partial mask bytes, at every
// alignment: the row loops take whole runs at once where they can.
TEST_F(DisplayDevice, LongMaskedRowsMatchPixelByPixel)
{
    std::mt19937 rng(99u);
    TestSurface source(61, 8, true);
    source.fillPattern(11);
    for (int32_t y = 0; y < 8; ++y) {
        int32_t x = 0;
        while (x < 61) {
            const int32_t run = 1 + static_cast<int32_t>(rng() % 24);
            const uint32_t kind = rng() % 4;
            for (int32_t k = 0; k < run && x < 61; ++k, ++x)
                source.setMask(x, y, kind == 0 ? 0 : kind == 1 ? 255 : kind == 2 ? static_cast<uint8_t>(rng()) : 255);
        }
    }
    struct Blend {
        const char* name;
        BlendAlphaSource sa;
        BlendParameterSource sp;
        CombineOp so;
        uint8_t c0;
        BlendAlphaSource da;
        BlendParameterSource dp;
        CombineOp dop;
        uint8_t c1;
    } blends[] = {
        {"classic", BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255},
        {"faded", BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 90, BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255},
    };
    for (int32_t shift = 0; shift < 3; ++shift) {
        const HScreenRect src(shift, 0, 61, 8);
        const HScreenRect dst(1, 2 + shift * 10, 1 + 61 - shift, 10 + shift * 10);
        device.fill(kBackground);
        EXPECT_TRUE(device.blitPartialSurface(&dst, &src, source.get()));
        expectScreen(
            source, dst, 1 - shift, 2 + shift * 10,
            [&](uint16_t s, int32_t x, int32_t y) { return maskAt(source, x, y) == 255 ? s : kBackground; }, "copy");
        for (const Blend& b : blends) {
            device.fill(kBackground);
            EXPECT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), b.sa, b.sp, b.so, b.c0, b.da, b.dp,
                                                   b.dop, b.c1, BO_ADD));
            expectScreen(
                source, dst, 1 - shift, 2 + shift * 10,
                [&](uint16_t s, int32_t x, int32_t y) {
                    const uint8_t a = maskAt(source, x, y);
                    return a == 0 ? kBackground : D::sm_blendPixels16(s, kBackground, a);
                },
                b.name);
        }
    }
}

// Every row width from 1 to 40, every blend op, masked and not, in 5-6-5
// and 5-5-5: the device's rows agree with the blender pixel by pixel.
TEST_F(DisplayDevice, BlendsOfEveryWidthMatchPixelByPixel)
{
    std::mt19937 rng(4242u);
    for (int32_t format = 0; format < 2; ++format) {
        if (format == 1)
            D::sm_configurePixelFormat(5, 5, 5, 10, 5, 0);
        for (int32_t width = 1; width <= 40; ++width) {
            const bool masked = width % 2 == 0;
            TestSurface source(width, 3, masked);
            source.fillPattern(static_cast<uint16_t>(width));
            for (int32_t y = 0; masked && y < 3; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    const uint32_t r = rng() % 4;
                    source.setMask(x, y, r == 0 ? 0 : r == 1 ? 255 : static_cast<uint8_t>(rng()));
                }
            }
            const auto sa = static_cast<BlendAlphaSource>(masked ? rng() % 8 : 4 + rng() % 4);
            const auto da = static_cast<BlendAlphaSource>(masked ? rng() % 8 : rng() % 2);
            const auto sp = static_cast<BlendParameterSource>(rng() % 6);
            const auto dp = static_cast<BlendParameterSource>(rng() % 6);
            const auto so = static_cast<CombineOp>(rng() % 2);
            const auto dop = static_cast<CombineOp>(rng() % 2);
            const auto c0 = static_cast<uint8_t>(rng());
            const auto c1 = static_cast<uint8_t>(rng());
            const auto op = static_cast<BlendOp>(width % 4);
            for (int32_t y = 0; y < kHeight; ++y) {
                for (int32_t x = 0; x < kWidth; ++x)
                    device.setPixel(x, y, static_cast<uint16_t>(rng()));
            }
            std::vector<uint16_t> before;
            for (int32_t y = 0; y < 3; ++y) {
                for (int32_t x = 0; x < width; ++x)
                    before.push_back(device.pixel(x + 3, y + 7));
            }
            const uint16_t leftOf = device.pixel(2, 8);
            const uint16_t rightOf = device.pixel(3 + width, 8);
            const HScreenRect dst(3, 7, 3 + width, 10);
            const HScreenRect src(0, 0, width, 3);
            ASSERT_TRUE(device.blendPartialSurface(&dst, &src, source.get(), sa, sp, so, c0, da, dp, dop, c1, op));
            for (int32_t y = 0; y < 3; ++y) {
                for (int32_t x = 0; x < width; ++x) {
                    const uint16_t d = before[static_cast<size_t>(y * width + x)];
                    const uint8_t a = masked ? maskAt(source, x, y) : 255;
                    const uint16_t expected = a == 0 ? d : D::sm_blendPixels16(source.pixel(x, y), d, a);
                    ASSERT_EQ(device.pixel(x + 3, y + 7), expected)
                        << "format " << format << " width " << width << " at " << x << "," << y << " blend " << sa
                        << sp << so << int(c0) << da << dp << dop << int(c1) << op;
                }
            }
            // Nothing beside the span moved.
            EXPECT_EQ(device.pixel(2, 8), leftOf) << width;
            EXPECT_EQ(device.pixel(3 + width, 8), rightOf) << width;
        }
    }
    D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
}

// Every factor a side can have is alpha x parameter or 65025 minus it. With
// the alpha from the mask (one column per value) and the parameter from a
// constant, every such factor meets every channel value (one row per value)
// once; the other side is zero, so each scaled channel shows unclamped.
TEST(H2DDisplayDeviceRows, EveryFactorScalesEveryChannelExactly)
{
    D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
    RecordingDisplayDevice device(0);
    ASSERT_TRUE(device.initScreen(256, 64, "factors", false, false));
    TestSurface source(256, 64, true);
    for (int32_t y = 0; y < 64; ++y) {
        for (int32_t x = 0; x < 256; ++x) {
            source.setPixel(x, y, static_cast<uint16_t>(((y & 31) << 11) | (y << 5) | (31 - (y & 31))));
            source.setMask(x, y, static_cast<uint8_t>(x));
        }
    }
    const HScreenRect rect(0, 0, 256, 64);
    std::vector<uint16_t> expected(256 * 64);
    for (int32_t side = 0; side < 2; ++side) {
        for (int32_t parameter = 0; parameter < 256; ++parameter) {
            if (side == 1 && parameter % 17 != 0)
                continue; // the destination side shares the code; a sample will do
            for (CombineOp op : {CO_PRODUCT, CO_INV_PRODUCT}) {
                const auto c = static_cast<uint8_t>(parameter);
                const BlendAlphaSource sa = side == 0 ? BAS_SRC_ALPHA : BAS_ZERO;
                const BlendAlphaSource da = side == 0 ? BAS_ZERO : BAS_SRC_ALPHA;
                const CombineOp so = side == 0 ? op : CO_PRODUCT;
                const CombineOp dop = side == 0 ? CO_PRODUCT : op;
                for (int32_t y = 0; y < 64; ++y) {
                    for (int32_t x = 0; x < 256; ++x)
                        device.setPixel(x, y, source.pixel(x, y));
                }
                D::sm_configureBlender(sa, BPS_CONST0, so, c, da, BPS_CONST0, dop, c, BO_ADD);
                for (int32_t y = 0; y < 64; ++y) {
                    for (int32_t x = 0; x < 256; ++x) {
                        const uint16_t p = source.pixel(x, y);
                        expected[y * 256 + x] = x == 0 ? p : D::sm_blendPixels16(p, p, static_cast<uint8_t>(x));
                    }
                }
                ASSERT_TRUE(device.blendPartialSurface(&rect, &rect, source.get(), sa, BPS_CONST0, so, c, da,
                                                       BPS_CONST0, dop, c, BO_ADD));
                for (int32_t y = 0; y < 64; ++y) {
                    for (int32_t x = 0; x < 256; ++x)
                        ASSERT_EQ(device.pixel(x, y), expected[y * 256 + x])
                            << "side " << side << " parameter " << parameter << " op " << op << " alpha " << x
                            << " row " << y;
                }
            }
        }
    }
}

TEST_F(DisplayDevice, MaskedCopiesOfEveryWidth)
{
    std::mt19937 rng(77u);
    for (int32_t width = 1; width <= 40; ++width) {
        TestSurface source(width, 2, true);
        source.fillPattern(static_cast<uint16_t>(width));
        for (int32_t y = 0; y < 2; ++y) {
            for (int32_t x = 0; x < width; ++x)
                source.setMask(x, y, rng() % 3 == 0 ? 0 : rng() % 2 ? 255 : 254);
        }
        device.fill(kBackground);
        const HScreenRect dst(5, 5, 5 + width, 7);
        const HScreenRect src(0, 0, width, 2);
        ASSERT_TRUE(device.blitPartialSurface(&dst, &src, source.get()));
        expectScreen(
            source, dst, 5, 5,
            [&](uint16_t s, int32_t x, int32_t y) { return maskAt(source, x, y) == 255 ? s : kBackground; },
            ("width " + std::to_string(width)).c_str());
    }
}

TEST_F(DisplayDevice, BadArgumentsDrawNothingAndSaySo)
{
    DiagnosticRecorder diagnostics;
    TestSurface source(4, 4, false);
    const HScreenRect r(0, 0, 4, 4);
    EXPECT_FALSE(device.blitPartialSurface(nullptr, &r, source.get()));
    EXPECT_FALSE(device.blitPartialSurface(&r, nullptr, source.get()));
    EXPECT_FALSE(device.blitSurface(&r, nullptr));
    EXPECT_FALSE(device.clipAndBlitSurface(&r, &r, nullptr));
    EXPECT_FALSE(device.clipAndBlendSurface(&r, &r, nullptr, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                                            BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BO_ADD));
    // A destroyed surface has no pixels left to copy.
    source.get()->destroySurface();
    EXPECT_FALSE(device.blitPartialSurface(&r, &r, source.get()));
    EXPECT_FALSE(device.blendPartialSurface(&r, &r, source.get(), BAS_ONE, BPS_ONE, CO_PRODUCT, 255, BAS_ZERO,
                                            BPS_ONE, CO_PRODUCT, 255, BO_ADD));
    EXPECT_EQ(device.getDirtyList().getRectangleCount(), 0);
    EXPECT_EQ(static_cast<int32_t>(diagnostics.messages().size()), 7);
}

TEST_F(DisplayDevice, UnknownBlendValuesAreReportedAndDrawBlack)
{
    DiagnosticRecorder diagnostics;
    TestSurface source(3, 2, true);
    source.fillPattern(12);
    source.setMask(0, 0, 0);
    const HScreenRect dst(0, 0, 3, 2);
    EXPECT_TRUE(device.blendPartialSurface(&dst, &dst, source.get(), BAS_ONE, BPS_ONE, CO_PRODUCT, 0, BAS_ONE,
                                           BPS_ONE, CO_PRODUCT, 0, static_cast<BlendOp>(9)));
    EXPECT_EQ(device.pixel(0, 0), kBackground);
    EXPECT_EQ(device.pixel(1, 0), 0);
    EXPECT_EQ(device.pixel(2, 1), 0);
    EXPECT_EQ(diagnostics.count("sm_blendPixels16: invalid blend op"), 5);
}

// --- Surfaces and fonts ---------------------------------------------------------------

TEST_F(DisplayDevice, SurfacesAreClonedAndDestroyedThroughTheDevice)
{
    TestSurface source(3, 3, true);
    source.fillPattern(13);
    H2DSurface* clone = device.createSurfaceFromSurface(source.get());
    ASSERT_NE(clone, nullptr);
    EXPECT_EQ(clone->getSurfaceWidth(), 3);
    const H2DMemorySurface* memory = static_cast<const H2DMemorySurface*>(clone);
    EXPECT_NE(memory->getAlphaMask(), nullptr);
    EXPECT_EQ(reinterpret_cast<const uint16_t*>(memory->getPixels())[4], source.pixel(1, 1));
    device.destroySurface(clone); // frees arrays and object (ASan checks)
    device.destroySurface(nullptr);
    EXPECT_EQ(device.createSurfaceFromSurface(nullptr), nullptr);
}

TEST_F(DisplayDevice, FontsKeepTheirCellSize)
{
    H2DFont* font = device.createFont(nullptr, 8, 12);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(device.getFontWidth(font), 8);
    EXPECT_EQ(device.getFontHeight(font), 12);
    EXPECT_EQ(device.getFontWidth(nullptr), 0);
    device.destroyFont(font);
    device.destroyFont(nullptr);
}

// --- Presenting -------------------------------------------------------------------------

MvTime g_now = {0, 0};

MvTime testClock()
{
    return g_now;
}

class Presenting : public DisplayDevice {
protected:
    void SetUp() override
    {
        DisplayDevice::SetUp();
        g_now = MvTime{5000, 0};
        D::s_setClock(testClock);
    }
    void TearDown() override
    {
        D::s_setClock(nullptr);
        DisplayDevice::TearDown();
    }
};

TEST_F(Presenting, UpdateScreenPresentsTheDirtyListOnceAndClearsIt)
{
    TestSurface source(4, 4, false);
    const HScreenRect src(0, 0, 4, 4);
    const HScreenRect a(0, 0, 4, 4);
    const HScreenRect b(20, 20, 24, 24);
    const HScreenRect c(2, 2, 6, 6); // merges with a
    device.blitPartialSurface(&a, &src, source.get());
    device.blitPartialSurface(&b, &src, source.get());
    device.blitPartialSurface(&c, &src, source.get());
    device.updateScreen();
    ASSERT_EQ(device.presents().size(), 1u);
    EXPECT_TRUE(sameList(device.presents()[0], {{20, 20, 24, 24}, {0, 0, 6, 6}})) << text(device.presents()[0]);
    EXPECT_EQ(device.getDirtyList().getRectangleCount(), 0);
    EXPECT_EQ(device.getLastDirtyArea(), 16 + 36);

    // Nothing drawn: nothing presented, but the frame still counts.
    g_now = MvTime{5040, 0};
    device.updateScreen();
    EXPECT_EQ(device.presents().size(), 1u);
    EXPECT_EQ(device.getFrameCount(), 2);
    EXPECT_EQ(device.getLastDirtyArea(), 0);
    EXPECT_EQ(device.getFrameTimes()[14], 0); // the first frame time is 0
    EXPECT_EQ(device.getFrameTimes()[15], 40);
}

TEST_F(Presenting, DirtyAreasStayOnTheScreen)
{
    TestSurface source(4, 4, false);
    const HScreenRect src(0, 0, 4, 4);
    const HScreenRect off(-10, -10, 2, 3); // unclipped call, partly off screen
    device.blitPartialSurface(&off, &src, source.get());
    device.updateScreen();
    ASSERT_EQ(device.presents().size(), 1u);
    EXPECT_TRUE(sameList(device.presents()[0], {{0, 0, 2, 3}})) << text(device.presents()[0]);
}

TEST_F(Presenting, FrameTimesAndRate)
{
    EXPECT_EQ(device.getFrameRate(), 0.0f);
    for (int i = 0; i < 20; ++i) {
        device.updateScreen();
        g_now = MvTime{g_now.low + 20, 0};
    }
    // Sixteen frames of 20 ms: 50 per second.
    EXPECT_FLOAT_EQ(device.getFrameRate(), 50.0f);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(device.getFrameTimes()[i], 20);
    // A clock that runs backwards reads as no time passed.
    g_now = MvTime{100, 0};
    device.updateScreen();
    EXPECT_EQ(device.getFrameTimes()[15], 0);
    EXPECT_EQ(device.getFrameCount(), 21);
}

// --- Teardown ----------------------------------------------------------------------------

class TrackedDevice : public RecordingDisplayDevice {
public:
    explicit TrackedDevice(std::vector<std::string>* log) : m_pLog(log) {}
    ~TrackedDevice() override { m_pLog->push_back("deleted"); }
    void shutdownScreen() override { m_pLog->push_back("shutdown"); }

private:
    std::vector<std::string>* m_pLog;
};

TEST(H2DDisplayDeviceTeardown, DestroyShutsDownThenDeletes)
{
    D::s_destroy2DDisplayDevice(nullptr);
    std::vector<std::string> log;
    D::s_destroy2DDisplayDevice(new TrackedDevice(&log));
    EXPECT_EQ(log, (std::vector<std::string>{"shutdown", "deleted"}));
}

// --- Text ----------------------------------------------------------------------------------

// The test's stand-in for a sprite is the sheet surface itself.
const H2DSurface* sheetOf(const MVSprite* sheet)
{
    return reinterpret_cast<const H2DSurface*>(sheet);
}

const MVSprite* spriteOf(const TestSurface& sheet)
{
    return reinterpret_cast<const MVSprite*>(sheet.get());
}

// Pixel (x, y) of the glyph of character c.
uint16_t glyphPixel(int32_t c, int32_t x, int32_t y)
{
    return static_cast<uint16_t>(c * 128 + y * 8 + x);
}

class Text : public ::testing::Test {
protected:
    static constexpr int32_t kWidth = 160;
    static constexpr int32_t kHeight = 30;
    static constexpr int32_t kTop = 10;

    // 8 x 12 cells, six rows: characters 16 to 111. A mask makes the
    // plain-alpha text blend walk the pixels.
    Text() : sheet(128, 72, true), font(nullptr) {}

    void SetUp() override
    {
        D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        ASSERT_TRUE(device.initScreen(kWidth, kHeight, "text", false, false));
        device.fill(kBackground);
        for (int32_t c = 16; c < 112; ++c) {
            for (int32_t y = 0; y < 12; ++y) {
                for (int32_t x = 0; x < 8; ++x)
                    sheet.setPixel((c % 16) * 8 + x, (c / 16 - 1) * 12 + y, glyphPixel(c, x, y));
            }
        }
        D::s_setFontSheetSurfaceHook(sheetOf);
        font = device.createFont(spriteOf(sheet), 8, 12);
    }
    void TearDown() override
    {
        device.destroyFont(font);
        D::s_setFontSheetSurfaceHook(nullptr);
        EXPECT_TRUE(device.guardIntact());
    }

    // The cells expected on the screen: character and left edge; everything
    // else is background, within `clip`.
    void expectCells(const std::vector<std::pair<int32_t, int32_t>>& cells, const HScreenRect& clip,
                     const std::string& name)
    {
        int32_t wrong = 0;
        for (int32_t y = 0; y < kHeight; ++y) {
            for (int32_t x = 0; x < kWidth; ++x) {
                uint16_t expected = kBackground;
                const bool visible = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
                for (const auto& cell : cells) {
                    if (visible && x >= cell.second && x < cell.second + 8 && y >= kTop && y < kTop + 12)
                        expected = glyphPixel(cell.first, x - cell.second, y - kTop);
                }
                if (device.pixel(x, y) != expected && ++wrong <= 3)
                    ADD_FAILURE() << name << ": pixel " << x << "," << y << " is " << device.pixel(x, y)
                                  << ", expected " << expected;
            }
        }
    }

    RecordingDisplayDevice device;
    TestSurface sheet;
    H2DFont* font;
    const HScreenRect screen{0, 0, kWidth, kHeight};
};

TEST_F(Text, Justification)
{
    const struct {
        const char* text;
        int32_t x;
        TextJustification justification;
        int32_t start;
    } cases[] = {
        {"abc", 100, TJ_LEFT, 100},
        {"abc", 100, TJ_CENTER, 88},
        {"abc", 100, TJ_RIGHT, 76},
        {"ab", 100, TJ_CENTER, 92},
        {"a b", 20, static_cast<TextJustification>(7), 20}, // unknown: left
        {"", 20, TJ_RIGHT, 20},
    };
    for (const auto& c : cases) {
        device.fill(kBackground);
        device.drawText(c.text, c.x, kTop, screen, c.justification, font, nullptr);
        std::vector<std::pair<int32_t, int32_t>> cells;
        for (int32_t i = 0; c.text[i]; ++i)
            cells.emplace_back(static_cast<unsigned char>(c.text[i]), c.start + 8 * i);
        expectCells(cells, screen, std::string(c.text) + " at " + std::to_string(c.x));
    }
}

TEST_F(Text, TheBlankComesFromTheSecondRowsFirstCell)
{
    device.drawText(" ", 4, kTop, screen, TJ_LEFT, font, nullptr);
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(device.pixel(4 + x, kTop + y), sheet.pixel(x, 12 + y));
    }
}

TEST_F(Text, CharactersOutsideTheSheetAreSkippedWithTheUsualAdvance)
{
    // 5 and 15 lie above the sheet, 0xC8 is negative, 'x' (120) and 127 are
    // past its six rows.
    const char text[] = {'A', 5, 'B', static_cast<char>(0xC8), 'C', 'x', 'D', 127, 'E', 15, 0};
    device.drawText(text, 0, kTop, screen, TJ_LEFT, font, nullptr);
    expectCells({{'A', 0}, {'B', 16}, {'C', 32}, {'D', 48}, {'E', 64}}, screen, "skipped");
}

TEST_F(Text, ANarrowSheetSkipsTheColumnsItLacks)
{
    TestSurface narrow(64, 72, false); // only columns 0 to 7 exist
    narrow.fillPattern(14);
    H2DFont* small = device.createFont(spriteOf(narrow), 8, 12);
    device.drawText("HP", 0, kTop, screen, TJ_LEFT, small, nullptr); // 'H' column 8, 'P' column 0
    for (int32_t x = 0; x < 8; ++x)
        EXPECT_EQ(device.pixel(x, kTop), kBackground);
    EXPECT_EQ(device.pixel(8, kTop), narrow.pixel(0, 48));
    device.destroyFont(small);
}

TEST_F(Text, GlyphsAreClippedToTheClipRectangle)
{
    const HScreenRect clip(12, 13, 150, 30);
    device.drawText("abc", 8, kTop, clip, TJ_LEFT, font, nullptr);
    expectCells({{'a', 8}, {'b', 16}, {'c', 24}}, clip, "clipped");
    EXPECT_TRUE(sameList(dirtyOf(device), {{12, 13, 32, 22}})) << text(dirtyOf(device));

    device.fill(kBackground);
    device.drawText("abc", 150, kTop, screen, TJ_LEFT, font, nullptr); // off the right edge
    expectCells({{'a', 150}, {'b', 158}}, screen, "screen edge");
}

TEST_F(Text, TheColourChangesNothingButTheTextBlendDoes)
{
    const HColor4f red{1.0f, 0.0f, 0.0f, 1.0f};
    device.drawText("Q", 0, kTop, screen, TJ_LEFT, font, &red);
    expectCells({{'Q', 0}}, screen, "red");

    // Faded alpha at c = 128 halves the glyphs over the background.
    device.fill(kBackground);
    device.setTextBlendFunction(BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 128, BAS_SRC_ALPHA, BPS_CONST0,
                                CO_INV_PRODUCT, 255, BO_ADD);
    device.drawText("Q", 0, kTop, screen, TJ_LEFT, font, nullptr);
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 8; ++x)
            ASSERT_EQ(device.pixel(x, kTop + y), D::sm_blendPixels16(glyphPixel('Q', x, y), kBackground, 255));
    }
    EXPECT_NE(device.pixel(3, kTop + 3), glyphPixel('Q', 3, 3));
}

TEST_F(Text, NothingToDrawWithout)
{
    DiagnosticRecorder diagnostics;
    device.drawText("abc", 0, kTop, screen, TJ_LEFT, nullptr, nullptr);
    device.drawText(nullptr, 0, kTop, screen, TJ_LEFT, font, nullptr);
    H2DFont* unloaded = device.createFont(nullptr, 8, 12); // the hook answers null
    device.drawText("abc", 0, kTop, screen, TJ_LEFT, unloaded, nullptr);
    device.destroyFont(unloaded);
    D::s_setFontSheetSurfaceHook(nullptr);
    device.drawText("abc", 0, kTop, screen, TJ_LEFT, font, nullptr);
    EXPECT_EQ(diagnostics.count("no font sheet surface hook"), 1);
    expectCells({}, screen, "nothing");
    EXPECT_EQ(device.getDirtyList().getRectangleCount(), 0);
}

} // namespace
