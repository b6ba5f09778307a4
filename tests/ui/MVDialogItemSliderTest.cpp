// Sliders: the knob's rectangle, dragging along a horizontal or vertical
// track, and the guards for a track of length 0 and a NaN value.
#include "ui/MVDialogItemSlider.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/InputEvents.h"
#include "ui/MVDialog.h"
#include "ui/MVDialogItemButton.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

class MVDialogItemSliderTest : public ::testing::Test {
protected:
    MVDialogItemSliderTest()
    {
        game.makeSprite(&background, 500, 300);
        game.makeSprite(&knob, 20, 20);
        game.makeSprite(&buttonSprite, 40, 20);
        dialog.setBackgroundSprite(&background);
        dialog.setDialogOrigin(HScreenPoint{100, 50});
        // A button first, so the focus has somewhere to go back to.
        button.setButtonSprites(&buttonSprite, &buttonSprite, nullptr);
        dialog.addDialogItem(&button);
        slider.setSliderParameters(MVDialogItemSlider::SO_HORIZONTAL, 160);
        slider.setSliderSprite(&knob);
        slider.setDialogItemOrigin(HScreenPoint{200, 100});
        dialog.addDialogItem(&slider);
    }
    ~MVDialogItemSliderTest() override
    {
        dialog.removeAllItems();
        background.unloadSprite();
        knob.unloadSprite();
        buttonSprite.unloadSprite();
    }
    static HEvent mouse(HEventType type, int32_t x, int32_t y)
    {
        return InputEvents::s_mouse(type, 0, HScreenPoint{x, y});
    }
    // Presses on the knob where it is now.
    void grab()
    {
        const HScreenRect& r = slider.getDialogItemRect();
        ASSERT_TRUE(slider.handleEvent(mouse(ET_KEYDOWN, r.left + 10, r.top + 10)));
    }

    DialogTestGame game;
    MVSprite background, knob, buttonSprite;
    MVDialog dialog;
    MVDialogItemButton button;
    MVDialogItemSlider slider;
};

TEST_F(MVDialogItemSliderTest, TheOriginIsTheKnobsCentreAtValueZero)
{
    // Knob at value 0: centred on (100 + 200, 50 + 100).
    EXPECT_EQ(slider.getDialogItemRect().left, 290);
    EXPECT_EQ(slider.getDialogItemRect().top, 140);
    EXPECT_EQ(slider.getDialogItemRect().right, 310);
    EXPECT_EQ(slider.getDialogItemRect().bottom, 160);
    slider.setSliderValue(0.5f);
    EXPECT_EQ(slider.getDialogItemRect().left, 100 + 200 - 10 + 80);
    // Stored unclamped.
    slider.setSliderValue(1.25f);
    EXPECT_FLOAT_EQ(slider.getSliderValue(), 1.25f);
    EXPECT_EQ(slider.getDialogItemRect().left, 290 + 200);
}

TEST_F(MVDialogItemSliderTest, DraggingSetsTheValueFromThePointer)
{
    grab();
    EXPECT_TRUE(slider.isDragging());
    EXPECT_EQ(dialog.getFocusItem(), &slider);
    struct Case {
        int32_t x;
        float value;
        int32_t knobLeft;
    };
    for (const Case& c : {Case{380, 0.5f, 370}, Case{250, 0.0f, 290}, Case{500, 1.0f, 450}, Case{340, 0.25f, 330}}) {
        SCOPED_TRACE(c.x);
        MVDialog::sm_dirtyRectManager.clearDirtyList();
        EXPECT_TRUE(slider.handleEvent(mouse(ET_MOUSEMOVE, c.x, 999)));
        EXPECT_FLOAT_EQ(slider.getSliderValue(), c.value);
        EXPECT_EQ(slider.getDialogItemRect().left, c.knobLeft);
        EXPECT_GE(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
    }
    // The moves go to the dragged slider first: the dialog offers them from
    // the focus item.
    EXPECT_EQ(dialog.m_filterEventToItems(mouse(ET_MOUSEMOVE, 380, 0)), &slider);

    EXPECT_TRUE(slider.handleEvent(mouse(ET_KEYUP, 380, 0)));
    EXPECT_FALSE(slider.isDragging());
    EXPECT_EQ(dialog.getFocusItem(), &button); // back to the first item
    EXPECT_FALSE(slider.handleEvent(mouse(ET_MOUSEMOVE, 250, 0)));
    EXPECT_FLOAT_EQ(slider.getSliderValue(), 0.5f);
    EXPECT_FALSE(slider.handleEvent(mouse(ET_KEYUP, 380, 0)));
}

TEST_F(MVDialogItemSliderTest, APressBesideTheKnobIsNotTaken)
{
    EXPECT_FALSE(slider.handleEvent(mouse(ET_KEYDOWN, 350, 150)));
    EXPECT_FALSE(slider.isDragging());
    EXPECT_FALSE(slider.handleEvent(InputEvents::s_buttonDown(0, HScreenPoint{300, 150}, KC_RBUTTON)));
}

TEST_F(MVDialogItemSliderTest, AVerticalTrackRunsDownwards)
{
    slider.setSliderParameters(MVDialogItemSlider::SO_VERTICAL, 100);
    slider.setSliderValue(0.0f);
    EXPECT_EQ(slider.getDialogItemRect().top, 140);
    grab();
    EXPECT_TRUE(slider.handleEvent(mouse(ET_MOUSEMOVE, 0, 150 + 30)));
    EXPECT_FLOAT_EQ(slider.getSliderValue(), 0.3f);
    EXPECT_EQ(slider.getDialogItemRect().top, 170);
    EXPECT_EQ(slider.getDialogItemRect().left, 290);
}

TEST_F(MVDialogItemSliderTest, ATrackOfLengthZeroAndANaNValueAreGuarded)
{
    slider.setSliderParameters(MVDialogItemSlider::SO_HORIZONTAL, 0);
    slider.setSliderValue(0.0f);
    grab();
    EXPECT_TRUE(slider.handleEvent(mouse(ET_MOUSEMOVE, 400, 150)));
    EXPECT_FALSE(std::isnan(slider.getSliderValue()));
    EXPECT_EQ(slider.getSliderValue(), 0.0f);
    EXPECT_EQ(slider.getDialogItemRect().left, 290);

    // An infinite value on a track of length 0 places the knob at the start.
    slider.setSliderValue(std::numeric_limits<float>::infinity());
    EXPECT_EQ(slider.getDialogItemRect().left, 290);

    slider.setSliderParameters(MVDialogItemSlider::SO_HORIZONTAL, 160);
    slider.setSliderValue(std::numeric_limits<float>::quiet_NaN());
    EXPECT_EQ(slider.getSliderValue(), 0.0f);
    EXPECT_EQ(slider.getDialogItemRect().left, 290);
    EXPECT_EQ(slider.getDialogItemRect().right, 310);
}

TEST_F(MVDialogItemSliderTest, DrawsTheKnobTrimmedToTheClip)
{
    game.screen()->clearDrawCalls();
    slider.drawDialogItem(game.screen(), HScreenRect(300, 0, 640, 480));
    int drawn = 0;
    for (const RecordingDisplayDevice::DrawCall& call : game.screen()->drawCalls()) {
        if (call.surface != knob.getSpriteSurface())
            continue;
        ++drawn;
        EXPECT_TRUE(call.blend);
        EXPECT_EQ(call.dst.left, 300);
        EXPECT_EQ(call.src.left, 10);
        EXPECT_EQ(call.src.right, 20);
    }
    EXPECT_EQ(drawn, 1);
}

TEST_F(MVDialogItemSliderTest, WithoutAKnobOrADialogNothingHappens)
{
    MVDialogItemSlider bare;
    dialog.addDialogItem(&bare);
    EXPECT_FALSE(bare.handleEvent(mouse(ET_KEYDOWN, 0, 0)));
    game.screen()->clearDrawCalls();
    bare.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());

    MVDialogItemSlider loose;
    loose.setSliderSprite(&knob);
    const HScreenRect r = loose.getDialogItemRect();
    EXPECT_FALSE(loose.handleEvent(mouse(ET_KEYDOWN, r.left + 5, r.top + 5)));
    EXPECT_FALSE(loose.handleEvent(mouse(ET_MOUSEMOVE, 50, 50)));
    loose.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());
    dialog.removeAllItems(); // before the local items go
}

} // namespace
