// The sprite control delegate: which state sprite it draws, the size it
// gives its control, where its invalidations go, and drawing that stays
// inside the control, the clip, the screen and the sprite.
#include "ui/MVControlDelegate.h"

#include "engine/media/HImage.h"
#include "tests/support/CountingControl.h"
#include "tests/support/RecordingDisplayDevice.h"
#include "ui/MVSprite.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr int32_t kScreenWidth = 640;
constexpr int32_t kScreenHeight = 480;
constexpr uint16_t kBackground = 0x0841;

std::string text(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

std::vector<HScreenRect>& invalidated()
{
    static std::vector<HScreenRect> areas;
    return areas;
}

void recordInvalidation(const HScreenRect& area)
{
    invalidated().push_back(area);
}

class Delegate : public ::testing::Test {
protected:
    void SetUp() override
    {
        H2DDisplayDevice::sm_configurePixelFormat(5, 6, 5, 11, 5, 0);
        ASSERT_TRUE(device.initScreen(kScreenWidth, kScreenHeight, "delegate", false, false));
        device.fill(kBackground);
        invalidated().clear();
        MVControlDelegate::s_setInvalidateFunction(recordInvalidation);
        delegate = new MVControlDelegate();
        control.reset(new CountingControl(delegate));
    }
    void TearDown() override
    {
        MVControlDelegate::s_setInvalidateFunction(nullptr);
        EXPECT_TRUE(device.guardIntact()) << "a write landed outside the screen";
        for (MVSprite* s : sprites) {
            s->unloadSprite();
            delete s;
        }
    }

    // A loaded sprite of one colour; every pixel has the given alpha.
    MVSprite* sprite(int32_t width, int32_t height, uint8_t r, uint8_t g, uint8_t b, uint8_t a = 255)
    {
        HImage image(width, height, HImage::FORMAT_32BIT);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x)
                image.setPixel32(x, y, HImage::s_packRGBA(r, g, b, a));
        }
        MVSprite* s = new MVSprite();
        EXPECT_TRUE(s->createSpriteFromImage(&device, &image));
        sprites.push_back(s);
        return s;
    }

    // Screen pixels that differ from the background, as their bounding box.
    HScreenRect drawnArea() const
    {
        HScreenRect box(kScreenWidth, kScreenHeight, 0, 0);
        for (int32_t y = 0; y < kScreenHeight; ++y) {
            for (int32_t x = 0; x < kScreenWidth; ++x) {
                if (device.pixel(x, y) == kBackground)
                    continue;
                box.left = std::min(box.left, x);
                box.top = std::min(box.top, y);
                box.right = std::max(box.right, x + 1);
                box.bottom = std::max(box.bottom, y + 1);
            }
        }
        return box.isEmpty() ? HScreenRect() : box;
    }

    RecordingDisplayDevice device;
    MVControlDelegate* delegate = nullptr; // owned by the control
    std::unique_ptr<CountingControl> control;
    std::vector<MVSprite*> sprites;
};

TEST_F(Delegate, TheStateSpriteFollowsDisabledThenPushedThenLitThenNormal)
{
    MVSprite* normal = sprite(4, 4, 255, 0, 0);
    MVSprite* lit = sprite(4, 4, 0, 255, 0);
    MVSprite* disabled = sprite(4, 4, 0, 0, 255);
    MVSprite* pushed = sprite(4, 4, 255, 255, 0);
    struct Case {
        const char* what;
        bool enabled;
        bool pushed;
        bool lit;
        bool withDisabled;
        bool withPushed;
        MVSprite* expected;
    };
    const Case cases[] = {
        {"normal", true, false, false, true, true, normal},
        {"lit", true, false, true, true, true, lit},
        {"pushed and lit", true, true, true, true, true, pushed},
        {"pushed", true, true, false, true, true, pushed},
        {"pushed without a pushed sprite, lit", true, true, true, true, false, lit},
        {"pushed without a pushed sprite", true, true, false, true, false, normal},
        {"disabled, whatever else holds", false, true, true, true, true, disabled},
        {"disabled without a disabled sprite shows nothing", false, false, false, false, true, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        delegate->setSprites2(normal, lit, c.withDisabled ? disabled : nullptr, c.withPushed ? pushed : nullptr);
        control->enableControl(c.enabled);
        control->m_setPushed(c.pushed);
        control->m_setLit(c.lit);
        EXPECT_EQ(delegate->m_getSpriteForControl(control.get()), c.expected);

        // What is drawn is that sprite (or nothing).
        control->setLocation(HScreenPoint{20, 30});
        device.clearDrawCalls();
        control->drawControl(HScreenRect(0, 0, kScreenWidth, kScreenHeight));
        if (!c.expected) {
            EXPECT_TRUE(device.drawCalls().empty());
            continue;
        }
        ASSERT_EQ(device.drawCalls().size(), 1u);
        EXPECT_TRUE(device.drawCalls()[0].blend);
        EXPECT_EQ(device.drawCalls()[0].surface, c.expected->getSpriteSurface());
        EXPECT_EQ(text(device.drawCalls()[0].dst), "(20,30,24,34)");
        EXPECT_EQ(text(device.drawCalls()[0].src), "(0,0,4,4)");
    }
}

TEST_F(Delegate, AnInactiveControlIsNotDrawn)
{
    delegate->setSprites2(sprite(4, 4, 255, 0, 0), nullptr, nullptr, nullptr);
    control->setLocation(HScreenPoint{0, 0});
    control->setActive(false);
    delegate->drawUIControl(control.get(), HScreenRect(0, 0, kScreenWidth, kScreenHeight));
    EXPECT_TRUE(device.drawCalls().empty());
}

TEST_F(Delegate, TheLastSetSpriteOfNormalLitDisabledPushedSizesTheControl)
{
    MVSprite* normal = sprite(40, 20, 1, 1, 1);
    MVSprite* lit = sprite(30, 10, 1, 1, 1);
    MVSprite* disabled = sprite(36, 18, 1, 1, 1);
    MVSprite* pushed = sprite(44, 24, 1, 1, 1);
    struct Case {
        MVSprite* sprites[4];
        int32_t width;
        int32_t height;
    };
    const Case cases[] = {
        {{nullptr, nullptr, nullptr, nullptr}, 0, 0},
        {{normal, nullptr, nullptr, nullptr}, 40, 20},
        {{normal, nullptr, nullptr, pushed}, 44, 24},
        {{normal, lit, nullptr, nullptr}, 30, 10},
        {{normal, lit, disabled, nullptr}, 36, 18},
        {{nullptr, lit, nullptr, nullptr}, 30, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
        MVControlDelegate* d = new MVControlDelegate();
        UIControl owner(d);
        d->setSprites2(c.sprites[0], c.sprites[1], c.sprites[2], c.sprites[3]);
        HScreenPoint size{-1, -1};
        d->getExtents(&size);
        EXPECT_EQ(size.x, c.width);
        EXPECT_EQ(size.y, c.height);
    }
}

TEST_F(Delegate, NewSpritesResizeAndRedrawTheControlTheSameOnesDoNothing)
{
    MVSprite* normal = sprite(40, 20, 1, 1, 1);
    MVSprite* pushed = sprite(44, 24, 1, 1, 1);
    control->setLocation(HScreenPoint{100, 50});
    EXPECT_EQ(text(control->getControlRect()), "(100,50,100,50)");

    invalidated().clear();
    delegate->setSprites2(normal, normal, normal, pushed);
    EXPECT_EQ(text(control->getControlRect()), "(100,50,144,74)");
    ASSERT_EQ(invalidated().size(), 1u);
    EXPECT_EQ(text(invalidated()[0]), "(100,50,144,74)");

    invalidated().clear();
    control->m_setControlRect(HScreenRect(1, 2, 3, 4));
    delegate->setSprites2(normal, normal, normal, pushed);
    EXPECT_EQ(text(control->getControlRect()), "(1,2,3,4)");
    EXPECT_TRUE(invalidated().empty());
}

TEST_F(Delegate, InvalidationsGoThroughTheInstalledFunction)
{
    control->m_setControlRect(HScreenRect(5, 6, 7, 8));
    control->invalidateControl();
    ASSERT_EQ(invalidated().size(), 1u);
    EXPECT_EQ(text(invalidated()[0]), "(5,6,7,8)");
    MVControlDelegate::s_setInvalidateFunction(nullptr);
    control->invalidateControl();
    EXPECT_EQ(invalidated().size(), 1u);
}

TEST_F(Delegate, DrawingBlendsTheSpriteWithPlainAlpha)
{
    const uint16_t red = 0xF800;
    device.fill(0x001F);
    delegate->setSprites2(sprite(2, 1, 255, 0, 0, 128), nullptr, nullptr, nullptr);
    control->setLocation(HScreenPoint{3, 3});
    control->drawControl(HScreenRect(0, 0, kScreenWidth, kScreenHeight));
    H2DDisplayDevice::sm_configureBlender(BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE,
                                          CO_PRODUCT, 255, BO_ADD);
    EXPECT_EQ(device.pixel(3, 3), H2DDisplayDevice::sm_blendPixels16(red, 0x001F, 128));
    EXPECT_EQ(device.pixel(4, 3), H2DDisplayDevice::sm_blendPixels16(red, 0x001F, 128));
    EXPECT_EQ(device.pixel(5, 3), 0x001F);
}

TEST_F(Delegate, OnlyWhatLiesInsideTheControlAndTheClipIsDrawn)
{
    struct Case {
        const char* what;
        int32_t spriteWidth;
        int32_t spriteHeight;
        int32_t controlWidth; // from a pushed sprite of this size
        int32_t controlHeight;
        HScreenPoint at;
        HScreenRect clip;
        const char* dst; // "" when nothing is drawn
        const char* src;
    };
    const Case cases[] = {
        {"the whole sprite", 8, 6, 8, 6, {10, 10}, HScreenRect(0, 0, 640, 480), "(10,10,18,16)", "(0,0,8,6)"},
        {"cut by the clip on the left and the top, the source alike", 8, 6, 8, 6, {10, 10},
         HScreenRect(12, 11, 100, 100), "(12,11,18,16)", "(2,1,8,6)"},
        {"cut by the clip on every side", 8, 6, 8, 6, {10, 10}, HScreenRect(12, 11, 16, 14), "(12,11,16,14)",
         "(2,1,6,4)"},
        {"a sprite smaller than its control loses nothing to a clip that only cuts the control", 4, 3, 8, 6,
         {10, 10}, HScreenRect(0, 0, 15, 100), "(10,10,14,13)", "(0,0,4,3)"},
        {"a sprite smaller than its control cut by the clip", 4, 3, 8, 6, {10, 10}, HScreenRect(0, 0, 13, 100),
         "(10,10,13,13)", "(0,0,3,3)"},
        {"a sprite larger than its control stays inside it", 64, 48, 32, 24, {100, 100},
         HScreenRect(0, 0, 640, 480), "(100,100,132,124)", "(0,0,32,24)"},
        {"a large sprite at the bottom-right corner of the screen", 64, 48, 32, 24, {600, 447},
         HScreenRect(0, 0, 640, 480), "(600,447,632,471)", "(0,0,32,24)"},
        {"a control that runs off the screen is cut at its edge", 64, 48, 32, 24, {620, 470},
         HScreenRect(0, 0, 640, 480), "(620,470,640,480)", "(0,0,20,10)"},
        {"a clip that only touches the control draws nothing", 8, 6, 8, 6, {10, 10}, HScreenRect(18, 0, 30, 30),
         "", ""},
        {"a clip away from the control draws nothing", 8, 6, 8, 6, {10, 10}, HScreenRect(50, 50, 60, 60), "", ""},
        {"a control off the screen draws nothing", 64, 48, 32, 24, {-40, 500}, HScreenRect(-100, 0, 640, 600), "",
         ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        device.fill(kBackground);
        device.clearDrawCalls();
        MVSprite* art = sprite(c.spriteWidth, c.spriteHeight, 255, 255, 255);
        MVSprite* sizer = sprite(c.controlWidth, c.controlHeight, 255, 255, 255);
        delegate->setSprites2(art, art, art, sizer);
        control->setLocation(c.at);
        control->drawControl(c.clip);
        if (!*c.dst) {
            EXPECT_TRUE(device.drawCalls().empty());
            EXPECT_EQ(text(drawnArea()), "(0,0,0,0)");
            continue;
        }
        ASSERT_EQ(device.drawCalls().size(), 1u);
        EXPECT_EQ(text(device.drawCalls()[0].dst), c.dst);
        EXPECT_EQ(text(device.drawCalls()[0].src), c.src);
        // Every drawn pixel, and only those, changed on the screen.
        EXPECT_EQ(text(drawnArea()), c.dst);
        EXPECT_TRUE(device.guardIntact());
    }
}

} // namespace
