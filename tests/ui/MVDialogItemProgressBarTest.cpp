// Progress bars: the revealed width, clamping, and the guards for a bar
// without a sprite or outside a dialog.
#include "ui/MVDialogItemProgressBar.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/InputEvents.h"
#include "ui/MVDialog.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

class MVDialogItemProgressBarTest : public ::testing::Test {
protected:
    MVDialogItemProgressBarTest()
    {
        game.makeSprite(&background, 300, 200);
        game.makeSprite(&barSprite, 100, 12);
        dialog.setBackgroundSprite(&background);
        dialog.setDialogOrigin(HScreenPoint{100, 50});
    }
    ~MVDialogItemProgressBarTest() override
    {
        dialog.removeAllItems();
        background.unloadSprite();
        barSprite.unloadSprite();
    }
    std::vector<RecordingDisplayDevice::DrawCall> barCalls(const HScreenRect& clip)
    {
        game.screen()->clearDrawCalls();
        bar.drawDialogItem(game.screen(), clip);
        std::vector<RecordingDisplayDevice::DrawCall> out;
        for (const RecordingDisplayDevice::DrawCall& call : game.screen()->drawCalls()) {
            if (call.surface == barSprite.getSpriteSurface())
                out.push_back(call);
        }
        return out;
    }

    DialogTestGame game;
    MVSprite background, barSprite;
    MVDialog dialog;
    MVDialogItemProgressBar bar;
};

TEST_F(MVDialogItemProgressBarTest, RectangleIsTheSpriteAtTheScreenOrigin)
{
    bar.setDialogItemOrigin(HScreenPoint{150, 120});
    bar.setProgressSprite(&barSprite);
    EXPECT_EQ(bar.getDialogItemRect().left, 150);
    EXPECT_EQ(bar.getDialogItemRect().right, 250);
    EXPECT_EQ(bar.getDialogItemRect().bottom, 132);
    bar.setDialogItemOrigin(HScreenPoint{10, 20});
    EXPECT_EQ(bar.getDialogItemRect().left, 10);
    EXPECT_EQ(bar.getDialogItemRect().bottom, 32);
}

TEST_F(MVDialogItemProgressBarTest, ProgressIsHeldBetweenZeroAndOne)
{
    struct Case {
        float in;
        float stored;
    };
    for (const Case& c : {Case{0.37f, 0.37f}, Case{1.5f, 1.0f}, Case{-1.0f, 0.0f}, Case{0.0f, 0.0f},
                          Case{1.0f, 1.0f}, Case{std::numeric_limits<float>::quiet_NaN(), 0.0f},
                          Case{std::numeric_limits<float>::infinity(), 1.0f},
                          Case{-std::numeric_limits<float>::infinity(), 0.0f}}) {
        SCOPED_TRACE(c.in);
        bar.setProgress(c.in);
        EXPECT_EQ(bar.getProgress(), c.stored);
    }
}

TEST_F(MVDialogItemProgressBarTest, DrawsTheProgressPartOfTheSpriteWidth)
{
    bar.setProgressSprite(&barSprite);
    bar.setDialogItemOrigin(HScreenPoint{150, 120});
    dialog.addDialogItem(&bar);
    struct Case {
        float progress;
        int32_t columns;
    };
    for (const Case& c : {Case{0.37f, 37}, Case{1.0f, 100}, Case{0.999f, 99}, Case{0.5f, 50}}) {
        SCOPED_TRACE(c.progress);
        bar.setProgress(c.progress);
        std::vector<RecordingDisplayDevice::DrawCall> calls = barCalls(HScreenRect(0, 0, 640, 480));
        ASSERT_EQ(calls.size(), 1u);
        EXPECT_TRUE(calls[0].blend);
        EXPECT_EQ(calls[0].src.left, 0);
        EXPECT_EQ(calls[0].src.right, c.columns);
        EXPECT_EQ(calls[0].src.bottom, 12);
        EXPECT_EQ(calls[0].dst.left, 150);
        EXPECT_EQ(calls[0].dst.top, 120);
    }
    // Nothing revealed, nothing drawn.
    bar.setProgress(0.0f);
    EXPECT_TRUE(barCalls(HScreenRect(0, 0, 640, 480)).empty());

    // The clip trims the source alike.
    bar.setProgress(0.5f);
    std::vector<RecordingDisplayDevice::DrawCall> calls = barCalls(HScreenRect(170, 0, 640, 125));
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].src.left, 20);
    EXPECT_EQ(calls[0].src.right, 50);
    EXPECT_EQ(calls[0].src.bottom, 5);
    EXPECT_EQ(calls[0].dst.left, 170);
}

TEST_F(MVDialogItemProgressBarTest, WithoutASpriteOrADialogItDrawsNothing)
{
    // No sprite: the setters and drawing are safe and draw nothing.
    dialog.addDialogItem(&bar);
    bar.setDialogItemOrigin(HScreenPoint{5, 5});
    bar.setProgress(0.5f);
    game.screen()->clearDrawCalls();
    bar.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());

    // A sprite but no dialog.
    MVDialogItemProgressBar loose;
    loose.setProgressSprite(&barSprite);
    loose.setProgress(1.0f);
    game.screen()->clearDrawCalls();
    loose.drawDialogItem(game.screen(), HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(game.screen()->drawCalls().empty());
    EXPECT_FALSE(loose.handleEvent(InputEvents::s_mouseMove(0, HScreenPoint{0, 0})));
}

} // namespace
