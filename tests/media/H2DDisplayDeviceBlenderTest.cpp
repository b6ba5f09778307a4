// The software blender: fast modes, the exact two-sided arithmetic in 5-6-5
// and in another format, saturation, and the reports of unknown values.
#include "engine/media/H2DDisplayDevice.h"

#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/RecordingDisplayDevice.h"

#include <gtest/gtest.h>

#include <random>

namespace {

using D = H2DDisplayDevice;

uint16_t rgb565(uint32_t r, uint32_t g, uint32_t b)
{
    return static_cast<uint16_t>((r << 11) | (g << 5) | b);
}

// The hint is switched through a device, as the game would.
using HintDevice = RecordingDisplayDevice;

class Blender : public ::testing::Test {
protected:
    void SetUp() override { D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0); }
    void TearDown() override
    {
        // The blender is process-wide: leave it as every test expects it.
        D::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        HintDevice().enableHint(HINT_ALPHA_THRESHOLD, false);
    }

    static void classic()
    {
        D::sm_configureBlender(BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255,
                               BO_ADD);
    }
    // Both sides scaled by one: S and D are the channels themselves.
    static void unscaled(BlendOp op)
    {
        D::sm_configureBlender(BAS_ONE, BPS_ONE, CO_PRODUCT, 0, BAS_ONE, BPS_ONE, CO_PRODUCT, 0, op);
    }
};

TEST_F(Blender, ClassicFastModeReturnsEitherPixelBitForBit)
{
    classic();
    const uint16_t pixels[][2] = {{0xFFFF, 0x0000}, {0x1234, 0xFEDC}, {0x8001, 0x7FFE}};
    for (const auto& p : pixels) {
        EXPECT_EQ(D::sm_blendPixels16(p[0], p[1], 255), p[0]);
        EXPECT_EQ(D::sm_blendPixels16(p[0], p[1], 0), p[1]);
    }
}

TEST_F(Blender, ClassicHalfAlphaRoundsEachSideDown)
{
    classic();
    // Pure blue over pure blue: 15 + 15, not 31.
    EXPECT_EQ(D::sm_blendPixels16(rgb565(0, 0, 31), rgb565(0, 0, 31), 128), rgb565(0, 0, 30));
    // White over black at a = 128: 31*128/255 = 15, 63*128/255 = 31.
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 128), rgb565(15, 31, 15));
    // Black over white at a = 64: 31*191/255 = 23, 63*191/255 = 47.
    EXPECT_EQ(D::sm_blendPixels16(0x0000, 0xFFFF, 64), rgb565(23, 47, 23));
}

TEST_F(Blender, ThresholdHintSwitchesWithoutANewConfiguration)
{
    HintDevice device;
    classic();
    device.enableHint(HINT_ALPHA_THRESHOLD, true);
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 127), 0x0000);
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 128), 0xFFFF);
    device.enableHint(HINT_ALPHA_THRESHOLD, false);
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 128), rgb565(15, 31, 15));
    device.enableHint(HINT_ALPHA_THRESHOLD, true);
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 1), 0x0000);
}

TEST_F(Blender, ThresholdOnlyAppliesToTheClassicBlend)
{
    HintDevice device;
    device.enableHint(HINT_ALPHA_THRESHOLD, true);
    // Faded alpha at c = 255 is the classic arithmetic without the fast modes.
    D::sm_configureBlender(BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 255, BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255,
                           BO_ADD);
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 128), rgb565(15, 31, 15));
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0x0000, 255), 0xFFFF);
}

struct OpCase {
    const char* name;
    BlendOp op;
    uint16_t src, dst, expected;
};

TEST_F(Blender, OperationsSaturateWithinEachChannel)
{
    const OpCase cases[] = {
        {"add saturates", BO_ADD, rgb565(31, 0, 31), rgb565(31, 0, 1), rgb565(31, 0, 31)},
        {"add green", BO_ADD, rgb565(0, 40, 0), rgb565(0, 30, 0), rgb565(0, 63, 0)},
        {"add keeps channels apart", BO_ADD, rgb565(1, 2, 3), rgb565(4, 5, 6), rgb565(5, 7, 9)},
        {"subtract below zero", BO_SUBTRACT, rgb565(10, 5, 20), rgb565(20, 5, 10), rgb565(0, 0, 10)},
        {"reverse subtract", BO_REV_SUBTRACT, rgb565(10, 5, 20), rgb565(20, 5, 10), rgb565(10, 0, 0)},
        {"multiply full channels", BO_MULTIPLY, rgb565(31, 63, 31), rgb565(31, 63, 31), rgb565(3, 15, 3)},
        {"multiply small", BO_MULTIPLY, rgb565(16, 16, 1), rgb565(16, 16, 31), rgb565(1, 1, 0)},
    };
    for (const OpCase& c : cases) {
        unscaled(c.op);
        EXPECT_EQ(D::sm_blendPixels16(c.src, c.dst, 100), c.expected) << c.name;
    }
}

struct FunctionCase {
    const char* name;
    BlendAlphaSource sa;
    BlendParameterSource sp;
    CombineOp so;
    uint8_t c0;
    BlendAlphaSource da;
    BlendParameterSource dp;
    CombineOp dop;
    uint8_t c1;
    uint8_t alpha;
    uint16_t src, dst, expected;
};

TEST_F(Blender, BlendFunctionsInUse)
{
    const FunctionCase cases[] = {
        // Faded alpha, c = 128, a = 255: factors 32640 and 32385.
        {"faded", BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 128, BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT, 255, 255,
         rgb565(31, 63, 31), rgb565(31, 63, 31), rgb565(30, 62, 30)},
        {"faded over black", BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 128, BAS_SRC_ALPHA, BPS_CONST0, CO_INV_PRODUCT,
         255, 255, rgb565(31, 63, 31), 0, rgb565(15, 31, 15)},
        // Tile cross-fade: source x a x c0, destination x 255 x c1.
        {"tile brightens", BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 255, BAS_ONE, BPS_CONST1, CO_PRODUCT, 255, 255,
         rgb565(20, 40, 10), rgb565(20, 40, 10), rgb565(31, 63, 20)},
        {"tile faded out", BAS_SRC_ALPHA, BPS_CONST0, CO_PRODUCT, 0, BAS_ONE, BPS_CONST1, CO_PRODUCT, 127, 255,
         rgb565(31, 63, 31), rgb565(31, 63, 31), rgb565(15, 31, 15)},
        // Every alpha and parameter source once. Constants: factors 51 x 51 and
        // 204 x 204, so red 31 gives 1 + 19 and green 63 gives 2 + 40.
        {"zero and one", BAS_ZERO, BPS_ONE, CO_PRODUCT, 0, BAS_ONE, BPS_ONE, CO_PRODUCT, 0, 77, 0xFFFF,
         rgb565(3, 4, 5), rgb565(3, 4, 5)},
        {"inverse source alpha", BAS_INV_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 0, BAS_ZERO, BPS_ZERO, CO_PRODUCT, 0, 55,
         rgb565(31, 63, 31), 0, rgb565(24, 49, 24)},
        {"constants on both sides", BAS_CONST0, BPS_INV_CONST1, CO_PRODUCT, 51, BAS_CONST1, BPS_INV_CONST0,
         CO_PRODUCT, 204, 9, rgb565(31, 63, 31), rgb565(31, 63, 31), rgb565(20, 42, 20)},
        {"inverse constants", BAS_INV_CONST0, BPS_CONST1, CO_PRODUCT, 51, BAS_INV_CONST1, BPS_CONST0,
         CO_PRODUCT, 204, 9, rgb565(31, 63, 31), rgb565(31, 63, 31), rgb565(20, 42, 20)},
        {"inverse product of zero is full", BAS_ZERO, BPS_ZERO, CO_INV_PRODUCT, 0, BAS_ZERO, BPS_ZERO, CO_PRODUCT,
         0, 0, rgb565(7, 8, 9), 0xFFFF, rgb565(7, 8, 9)},
    };
    for (const FunctionCase& c : cases) {
        D::sm_configureBlender(c.sa, c.sp, c.so, c.c0, c.da, c.dp, c.dop, c.c1, BO_ADD);
        EXPECT_EQ(D::sm_blendPixels16(c.src, c.dst, c.alpha), c.expected) << c.name;
    }
}

TEST_F(Blender, OtherPixelFormatsUseTheirOwnChannels)
{
    // 5-5-5 with red on top: green saturates at 31, bit 15 stays clear.
    D::sm_configurePixelFormat(5, 5, 5, 10, 5, 0);
    unscaled(BO_ADD);
    const uint16_t white = (31 << 10) | (31 << 5) | 31;
    EXPECT_EQ(D::sm_blendPixels16(white, white, 9), white);
    EXPECT_EQ(D::sm_blendPixels16(0x8000, 0x0000, 9), 0x0000);
    // 5-6-5 with blue on top.
    D::sm_configurePixelFormat(5, 6, 5, 0, 5, 11);
    EXPECT_EQ(D::sm_blendPixels16(31, 1, 9), 31);
    // An impossible format is refused and the last good one stays.
    D::sm_configurePixelFormat(5, 6, 40, 0, 5, 11);
    EXPECT_EQ(D::sm_blendPixels16(31, 1, 9), 31);
}

TEST_F(Blender, UnknownValuesAreReportedForEveryPixel)
{
    DiagnosticRecorder diagnostics;
    D::sm_configureBlender(static_cast<BlendAlphaSource>(8), BPS_ONE, CO_PRODUCT, 0, BAS_ZERO,
                           static_cast<BlendParameterSource>(6), CO_PRODUCT, 0, BO_ADD);
    // Both count as 255: the source comes through whole, the destination not at all.
    EXPECT_EQ(D::sm_blendPixels16(rgb565(9, 9, 9), 0xFFFF, 3), rgb565(9, 9, 9));
    EXPECT_EQ(D::sm_blendPixels16(rgb565(9, 9, 9), 0xFFFF, 3), rgb565(9, 9, 9));
    EXPECT_EQ(diagnostics.count("sm_getBlendAlpha: invalid alpha source 0x8"), 2);
    EXPECT_EQ(diagnostics.count("sm_getBlendParam: invalid source value 0x'6'"), 2);

    diagnostics.clear();
    unscaled(static_cast<BlendOp>(4));
    EXPECT_EQ(D::sm_blendPixels16(0xFFFF, 0xFFFF, 200), 0x0000);
    EXPECT_EQ(diagnostics.count("sm_blendPixels16: invalid blend op"), 1);
}

// The per-pixel arithmetic exactly as documented, one step after another.
uint16_t referenceBlend(const int32_t (&sides)[2][4], int32_t op, uint16_t s, uint16_t d, int32_t a)
{
    const int32_t shifts[3] = {11, 5, 0};
    const int32_t maxima[3] = {31, 63, 31};
    int32_t factor[2];
    for (int side = 0; side < 2; ++side) {
        const int32_t c0 = sides[0][3];
        const int32_t c1 = sides[1][3];
        const int32_t alphas[8] = {0, 255, a, 255 - a, c0, 255 - c0, c1, 255 - c1};
        const int32_t params[6] = {0, 255, c0, 255 - c0, c1, 255 - c1};
        const int32_t product = alphas[sides[side][0]] * params[sides[side][1]];
        factor[side] = sides[side][2] == 0 ? product : 65025 - product;
    }
    int32_t out = 0;
    for (int c = 0; c < 3; ++c) {
        const int32_t sc = ((s >> shifts[c]) & maxima[c]) * factor[0] / 65025;
        const int32_t dc = ((d >> shifts[c]) & maxima[c]) * factor[1] / 65025;
        int32_t v = op == 0 ? sc + dc : op == 1 ? sc * dc / 255 : op == 2 ? sc - dc : dc - sc;
        v = v < 0 ? 0 : v > maxima[c] ? maxima[c] : v;
        out |= v << shifts[c];
    }
    return static_cast<uint16_t>(out);
}

TEST_F(Blender, EveryConfigurationMatchesTheStepByStepArithmetic)
{
    std::mt19937 rng(7u);
    for (int32_t sa = 0; sa < 8; ++sa) {
        for (int32_t sp = 0; sp < 6; ++sp) {
            for (int32_t round = 0; round < 24; ++round) {
                const int32_t sides[2][4] = {
                    {sa, sp, static_cast<int32_t>(rng() % 2), static_cast<int32_t>(rng() % 256)},
                    {static_cast<int32_t>(rng() % 8), static_cast<int32_t>(rng() % 6),
                     static_cast<int32_t>(rng() % 2), static_cast<int32_t>(rng() % 256)}};
                const int32_t op = static_cast<int32_t>(rng() % 4);
                D::sm_configureBlender(
                    static_cast<BlendAlphaSource>(sides[0][0]), static_cast<BlendParameterSource>(sides[0][1]),
                    static_cast<CombineOp>(sides[0][2]), static_cast<uint8_t>(sides[0][3]),
                    static_cast<BlendAlphaSource>(sides[1][0]), static_cast<BlendParameterSource>(sides[1][1]),
                    static_cast<CombineOp>(sides[1][2]), static_cast<uint8_t>(sides[1][3]),
                    static_cast<BlendOp>(op));
                const bool classicFast = sa == 2 && sp == 1 && sides[0][2] == 0 && sides[1][0] == 3 &&
                                         sides[1][1] == 1 && sides[1][2] == 0 && op == 0;
                for (int32_t a = 0; a < 256; a += 3) {
                    const uint16_t s = static_cast<uint16_t>(rng());
                    const uint16_t d = static_cast<uint16_t>(rng());
                    uint16_t expected = referenceBlend(sides, op, s, d, a);
                    if (classicFast && a == 255)
                        expected = s;
                    if (classicFast && a == 0)
                        expected = d;
                    ASSERT_EQ(D::sm_blendPixels16(s, d, static_cast<uint8_t>(a)), expected)
                        << sa << sp << sides[0][2] << " c0 " << sides[0][3] << " / " << sides[1][0] << sides[1][1]
                        << sides[1][2] << " c1 " << sides[1][3] << " op " << op << " a " << a;
                }
            }
        }
    }
}

TEST_F(Blender, AlphaAndParameterTables)
{
    D::sm_configureBlender(BAS_ZERO, BPS_ZERO, CO_PRODUCT, 10, BAS_ZERO, BPS_ZERO, CO_PRODUCT, 200, BO_ADD);
    const int32_t alphas[8] = {0, 255, 77, 178, 10, 245, 200, 55};
    for (int32_t i = 0; i < 8; ++i)
        EXPECT_EQ(D::sm_getBlendAlpha(static_cast<BlendAlphaSource>(i), 77), alphas[i]) << i;
    const int32_t params[6] = {0, 255, 10, 245, 200, 55};
    for (int32_t i = 0; i < 6; ++i)
        EXPECT_EQ(D::sm_getBlendParameter(static_cast<BlendParameterSource>(i)), params[i]) << i;
}

} // namespace
