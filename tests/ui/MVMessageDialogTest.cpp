// The image message box: its layout, the buttons' roles, and an OK button
// held back until the time-out, then shown and invalidated once.
#include "ui/MVMessageDialog.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedInput.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr uint64_t kStart = 20000;

// Exposes the art and counts what the time-out does.
class ObservedMessageDialog : public MVMessageDialog {
public:
    bool handleTimeOut() override
    {
        ++timeOuts;
        if (timeOuts == 1)
            okDrawsBeforeTimeOut = okDraws();
        inTimeOut = true;
        const bool result = MVMessageDialog::handleTimeOut();
        inTimeOut = false;
        return result;
    }
    void invalidateArea(const HScreenRect& r) override
    {
        if (inTimeOut)
            timeOutInvalidations.push_back(r);
        MVMessageDialog::invalidateArea(r);
    }
    int okDraws() const
    {
        int n = 0;
        for (const RecordingDisplayDevice::DrawCall& call : screen->drawCalls()) {
            if (call.surface == m_okSprite.getSpriteSurface())
                ++n;
        }
        return n;
    }
    const MVSprite* background() const { return &m_backgroundSprite; }

    RecordingDisplayDevice* screen = nullptr;
    int timeOuts = 0;
    int okDrawsBeforeTimeOut = -1;
    bool inTimeOut = false;
    std::vector<HScreenRect> timeOutInvalidations;
};

class MVMessageDialogTest : public ::testing::Test {
protected:
    MVMessageDialogTest() : input(game.getEventManager(), kStart)
    {
        game.setGameClock(MvTime::s_fromTime64(kStart));
        DialogTestGame::s_addArt(&files, "bg.tga", 300, 200);
        DialogTestGame::s_addArt(&files, "ok.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "oklit.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "cancel.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "wide.tga", 100, 40);
        dialog.screen = game.screen();
    }
    ~MVMessageDialogTest() override
    {
        dialog.unloadDialogSprites();
        dialog.removeAllItems();
    }
    intptr_t run(int32_t timeoutMs)
    {
        return dialog.doModal(&game, game.screen(), game.getEventManager(), timeoutMs, &game);
    }
    static intptr_t id(const MVDialogItem* item) { return reinterpret_cast<intptr_t>(item); }

    DialogTestGame game;
    ScriptedInput input;
    MemoryFileSystem files;
    ObservedMessageDialog dialog;
};

TEST_F(MVMessageDialogTest, LayoutCentresTheDialogAndPlacesTheButtons)
{
    struct Case {
        const char* name;
        int32_t x, y;
        const char* cancel;
        HScreenPoint dialogAt;
        HScreenPoint okAt;
        HScreenPoint cancelAt;
    };
    const Case cases[] = {
        {"OK alone, centred", -1, -1, nullptr, {170, 140}, {120, 155}, {0, 0}},
        {"OK and cancel, centred", -1, -1, "cancel.tga", {170, 140}, {60, 155}, {180, 155}},
        {"placed, centred vertically only", 10, -1, nullptr, {10, 140}, {120, 155}, {0, 0}},
        {"wider cancel", 5, 6, "wide.tga", {5, 6}, {60, 155}, {150, 155}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ObservedMessageDialog d;
        EXPECT_EQ(d.initDialog(game.screen(), &files, c.x, c.y, 0, "bg.tga", "ok.tga", nullptr, c.cancel, nullptr),
                  1);
        EXPECT_EQ(d.getDialogRect().left, c.dialogAt.x);
        EXPECT_EQ(d.getDialogRect().top, c.dialogAt.y);
        EXPECT_EQ(d.getDialogRect().right, c.dialogAt.x + 300);
        EXPECT_EQ(d.getOkButton()->getDialogItemOrigin().x, c.okAt.x);
        EXPECT_EQ(d.getOkButton()->getDialogItemOrigin().y, c.okAt.y);
        // Buttons sit on the dialog.
        EXPECT_EQ(d.getOkButton()->getDialogItemRect().left, c.dialogAt.x + c.okAt.x);
        EXPECT_STREQ(d.getOkButton()->getDialogItemName(), "Are you sure, ok");
        if (c.cancel) {
            EXPECT_EQ(d.getCancelButton()->getDialogItemOrigin().x, c.cancelAt.x);
            EXPECT_EQ(d.getCancelButton()->getDialogItemOrigin().y, c.cancelAt.y);
            EXPECT_STREQ(d.getCancelButton()->getDialogItemName(), "Are you sure, cancel");
            // Enter triggers cancel; the focus rests on the last button added.
            EXPECT_EQ(d.getDefaultItem(), d.getCancelButton());
            EXPECT_EQ(d.getFocusItem(), d.getCancelButton());
        } else {
            EXPECT_EQ(d.getDefaultItem(), d.getOkButton());
            EXPECT_EQ(d.getFocusItem(), d.getOkButton());
            EXPECT_EQ(d.getOkButton()->m_getNext(), nullptr);
        }
        d.unloadDialogSprites();
        d.removeAllItems();
    }
}

TEST_F(MVMessageDialogTest, MissingArtGivesSizesOfZeroAndStillOneAsResult)
{
    EXPECT_EQ(dialog.initDialog(game.screen(), &files, -1, -1, 0, "nothere.tga", "ok.tga", nullptr, nullptr, nullptr),
              1);
    EXPECT_EQ(dialog.getDialogRect().left, 320);
    EXPECT_EQ(dialog.getDialogRect().top, 240);
    EXPECT_TRUE(dialog.getDialogRect().isEmpty());
    EXPECT_EQ(dialog.getOkButton()->getDialogItemOrigin().x, -30);
}

TEST_F(MVMessageDialogTest, AnyAcceptedClickClosesIt)
{
    dialog.initDialog(game.screen(), &files, -1, -1, 0, "bg.tga", "ok.tga", "oklit.tga", "cancel.tga", nullptr);
    // Cancel sits at (170 + 180, 140 + 155).
    input.pressAt(kStart + 10, 360, 300);
    EXPECT_EQ(run(0), id(dialog.getCancelButton()));
}

TEST_F(MVMessageDialogTest, AHeldBackOkAppearsAfterItsDelayAndIsInvalidatedOnce)
{
    dialog.initDialog(game.screen(), &files, -1, -1, 1, "bg.tga", "ok.tga", nullptr, nullptr, nullptr);
    ASSERT_FALSE(dialog.getOkButton()->isEnabled());
    // OK sits at (170 + 120, 140 + 155): clicks and Enter before the delay
    // are ignored, a click after it closes the dialog.
    input.pressAt(kStart + 1000, 300, 300).keyAt(kStart + 2000, 13).pressAt(kStart + 4999, 300, 300);
    input.pressAt(kStart + 5400, 300, 300);
    EXPECT_EQ(run(5000), id(dialog.getOkButton()));
    EXPECT_EQ(game.getGameClock().getTime64(), kStart + 5400);
    // Invisible until then, drawn afterwards.
    EXPECT_EQ(dialog.okDrawsBeforeTimeOut, 0);
    EXPECT_GT(dialog.okDraws(), 0);
    // Asked on every pass after the delay, it invalidated the button once.
    EXPECT_GT(dialog.timeOuts, 100);
    ASSERT_EQ(dialog.timeOutInvalidations.size(), 1u);
    EXPECT_EQ(dialog.timeOutInvalidations[0].left, 290);
    EXPECT_EQ(dialog.timeOutInvalidations[0].top, 295);
    EXPECT_EQ(dialog.timeOutInvalidations[0].right, 350);
}

TEST_F(MVMessageDialogTest, ACancelButtonWorksWhileOkIsHeldBack)
{
    dialog.initDialog(game.screen(), &files, -1, -1, 1, "bg.tga", "ok.tga", nullptr, "cancel.tga", nullptr);
    input.pressAt(kStart + 10, 230, 300).keyAt(kStart + 20, 13);
    EXPECT_EQ(run(5000), id(dialog.getCancelButton()));
    EXPECT_EQ(dialog.timeOuts, 0);
}

} // namespace
