// Dialog buttons: rectangle, lighting, clicks and Enter, the disabled state,
// and drawing that never reads beyond the sprite it draws.
#include "ui/MVDialogItemButton.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/InputEvents.h"
#include "ui/MVDialog.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

class MVDialogItemButtonTest : public ::testing::Test {
protected:
    MVDialogItemButtonTest()
    {
        game.makeSprite(&background, 300, 200);
        game.makeSprite(&normal, 60, 30, 1, 2, 3);
        game.makeSprite(&lit, 60, 30, 4, 5, 6);
        game.makeSprite(&disabled, 60, 30, 7, 8, 9);
        dialog.setBackgroundSprite(&background);
        dialog.setDialogOrigin(HScreenPoint{100, 50});
    }
    ~MVDialogItemButtonTest() override
    {
        dialog.removeAllItems();
        for (MVSprite* s : {&background, &normal, &lit, &disabled})
            s->unloadSprite();
    }

    void add(const MVSprite* n, const MVSprite* l, const MVSprite* d, HScreenPoint origin = HScreenPoint{10, 20})
    {
        button.setButtonSprites(n, l, d);
        button.setDialogItemOrigin(origin);
        dialog.addDialogItem(&button);
    }
    void clearDirt()
    {
        MVDialog::sm_dirtyRectManager.clearDirtyList();
        game.getDirtyList()->clearDirtyList();
    }
    // The draw calls of one sprite's surface.
    std::vector<RecordingDisplayDevice::DrawCall> callsOf(const MVSprite& sprite)
    {
        std::vector<RecordingDisplayDevice::DrawCall> out;
        for (const RecordingDisplayDevice::DrawCall& call : game.screen()->drawCalls()) {
            if (call.surface == sprite.getSpriteSurface())
                out.push_back(call);
        }
        return out;
    }
    static HEvent press(int32_t x, int32_t y) { return InputEvents::s_buttonDown(0, HScreenPoint{x, y}); }

    DialogTestGame game;
    MVSprite background, normal, lit, disabled;
    MVDialog dialog;
    MVDialogItemButton button;
};

TEST_F(MVDialogItemButtonTest, RectangleIsTheOriginOnTheDialogWithTheLastSpritesSize)
{
    MVSprite big;
    game.makeSprite(&big, 80, 40);
    add(&normal, nullptr, &big);
    EXPECT_EQ(button.getDialogItemRect().left, 110);
    EXPECT_EQ(button.getDialogItemRect().top, 70);
    EXPECT_EQ(button.getDialogItemRect().right, 190);
    EXPECT_EQ(button.getDialogItemRect().bottom, 110);
    // Without sprites the rectangle is empty at the origin.
    button.setButtonSprites(nullptr, nullptr, nullptr);
    EXPECT_TRUE(button.getDialogItemRect().isEmpty());
    EXPECT_EQ(button.getDialogItemRect().left, 110);
    dialog.removeAllItems();
    big.unloadSprite();
}

TEST_F(MVDialogItemButtonTest, MouseMovesLightAndUnlightAndAreNeverTaken)
{
    add(&normal, &lit, nullptr);
    clearDirt();
    EXPECT_FALSE(button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{120, 80})));
    EXPECT_TRUE(button.isLit());
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);

    // Over an already lit button nothing is invalidated.
    clearDirt();
    EXPECT_FALSE(button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{121, 81})));
    EXPECT_TRUE(button.isLit());
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 0);
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);

    EXPECT_FALSE(button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{5, 5})));
    EXPECT_FALSE(button.isLit());
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
}

TEST_F(MVDialogItemButtonTest, TakesAPressInsideAndEnterAnywhere)
{
    add(&normal, &lit, nullptr);
    const HEvent enter = InputEvents::s_typed(0, '\r');
    const HEvent releaseInside = InputEvents::s_buttonUp(0, HScreenPoint{120, 80});
    const HEvent rightPress = InputEvents::s_buttonDown(0, HScreenPoint{120, 80}, KC_RBUTTON);
    const HEvent letter = InputEvents::s_typed(0, 'a', HScreenPoint{120, 80});

    EXPECT_TRUE(button.handleEvent(press(120, 80)));
    EXPECT_TRUE(button.handleEvent(press(110, 70)));   // top-left corner
    EXPECT_TRUE(button.handleEvent(press(170, 100)));  // bottom-right edge
    EXPECT_FALSE(button.handleEvent(press(171, 80)));
    EXPECT_TRUE(button.handleEvent(enter));
    EXPECT_FALSE(button.handleEvent(releaseInside));
    EXPECT_FALSE(button.handleEvent(rightPress));
    EXPECT_FALSE(button.handleEvent(letter));
    EXPECT_FALSE(button.handleEvent(InputEvents::s_timestamp(0)));
}

TEST_F(MVDialogItemButtonTest, DisabledTakesNothingAndDrawsItsDisabledSpriteOrNothing)
{
    add(&normal, &lit, &disabled);
    button.setEnabled(false);
    const HEvent enter = InputEvents::s_typed(0, '\r');
    EXPECT_FALSE(button.handleEvent(press(120, 80)));
    EXPECT_FALSE(button.handleEvent(enter));
    EXPECT_FALSE(button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{120, 80})));
    EXPECT_FALSE(button.isLit());

    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(callsOf(disabled).size(), 1u);
    EXPECT_TRUE(callsOf(normal).empty());

    button.setButtonSprites(&normal, &lit, nullptr);
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());
}

TEST_F(MVDialogItemButtonTest, DrawsTheStateSpriteInsideTheClipWithTheStandardBlend)
{
    add(&normal, &lit, nullptr);
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(130, 0, 640, 90));
    std::vector<RecordingDisplayDevice::DrawCall> calls = callsOf(normal);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_TRUE(calls[0].blend);
    EXPECT_EQ(calls[0].dst.left, 130);
    EXPECT_EQ(calls[0].dst.top, 70);
    EXPECT_EQ(calls[0].src.left, 20);
    EXPECT_EQ(calls[0].src.top, 0);
    EXPECT_EQ(calls[0].src.right, 60);
    EXPECT_EQ(calls[0].src.bottom, 20);

    button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{120, 80}));
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_EQ(callsOf(lit).size(), 1u);
    EXPECT_TRUE(callsOf(normal).empty());

    // A clip that does not meet the button draws nothing.
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(400, 300, 500, 400));
    EXPECT_TRUE(game.screen()->drawCalls().empty());
}

TEST_F(MVDialogItemButtonTest, ASpriteSmallerThanTheButtonIsNeverReadBeyondItsSurface)
{
    MVSprite small, big;
    game.makeSprite(&small, 10, 8);
    game.makeSprite(&big, 80, 40);
    // Sized by the larger lit sprite; the normal one is drawn.
    add(&small, &big, nullptr);
    ASSERT_EQ(button.getDialogItemRect().width(), 80);
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    std::vector<RecordingDisplayDevice::DrawCall> calls = callsOf(small);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].src.left, 0);
    EXPECT_EQ(calls[0].src.top, 0);
    EXPECT_EQ(calls[0].src.right, 10);
    EXPECT_EQ(calls[0].src.bottom, 8);
    EXPECT_EQ(calls[0].dst.left, 110);
    EXPECT_EQ(calls[0].dst.top, 70);
    EXPECT_TRUE(game.screen()->guardIntact());

    // Clipped on the left and top as well.
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(115, 74, 640, 480));
    calls = callsOf(small);
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].src.left, 5);
    EXPECT_EQ(calls[0].src.top, 4);
    EXPECT_EQ(calls[0].src.right, 10);
    EXPECT_EQ(calls[0].src.bottom, 8);
    EXPECT_EQ(calls[0].dst.left, 115);
    EXPECT_EQ(calls[0].dst.top, 74);

    // Entirely beyond the small sprite: nothing.
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(150, 90, 640, 480));
    EXPECT_TRUE(callsOf(small).empty());
    dialog.removeAllItems();
    small.unloadSprite();
    big.unloadSprite();
}

TEST_F(MVDialogItemButtonTest, OutsideADialogItDrawsNothingAndTakesNothing)
{
    button.setButtonSprites(&normal, &lit, nullptr);
    button.setDialogItemOrigin(HScreenPoint{10, 10});
    const HEvent enter = InputEvents::s_typed(0, '\r');
    EXPECT_FALSE(button.handleEvent(enter));
    EXPECT_FALSE(button.handleEvent(press(20, 20)));
    EXPECT_FALSE(button.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{20, 20})));
    game.screen()->clearDrawCalls();
    button.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());
}

} // namespace
