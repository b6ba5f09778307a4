// The modal loop: accepted clicks, time-outs, quit requests, the mouse moves
// queued on closing, nested dialogs, the game prepared before each dialog's
// first drawing, item order, focus, drawing, and the UI manager's capture
// dropped after a dialog.
#include "ui/MVDialog.h"

#include "engine/core/HFile.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/DialogTestGame.h"
#include "tests/support/InputEvents.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedInput.h"
#include "ui/MVDialogItem.h"
#include "ui/MVDialogItemButton.h"
#include "ui/UIControl.h"
#include "ui/UIControlDelegate.h"
#include "ui/UIManager.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr uint64_t kStart = 10000;

// A dialog whose answers the test chooses, recording what it was asked.
class TestDialog : public MVDialog {
public:
    bool handleItemClick(MVDialogItem* item) override
    {
        clicks.push_back(item);
        if (onClick)
            onClick();
        return acceptClicks;
    }
    bool handleTimeOut() override
    {
        timeOutClocks.push_back(getPuzzleGame()->getGameClock().getTime64());
        if (onTimeOut)
            onTimeOut();
        return static_cast<int>(timeOutClocks.size()) > refusedTimeOuts;
    }

    bool acceptClicks = true;
    int refusedTimeOuts = 0; // handleTimeOut answers false this many times first
    std::function<void()> onClick;
    std::function<void()> onTimeOut;
    std::vector<MVDialogItem*> clicks;
    std::vector<uint64_t> timeOutClocks;
};

// An item that records each event offered to it in a shared log.
class LoggingItem : public MVDialogItem {
public:
    LoggingItem(std::string name, std::vector<std::string>* log) : m_name(std::move(name)), m_pLog(log) {}
    bool handleEvent(const HEvent& /*e*/) override
    {
        m_pLog->push_back(m_name);
        return takes;
    }
    bool acceptsFocus() const override { return focusable; }

    bool takes = false;
    bool focusable = false;

private:
    std::string m_name;
    std::vector<std::string>* m_pLog;
};

// A delegate of a fixed size for the capture test.
class BoxDelegate : public UIControlDelegate {
public:
    void drawUIControl(UIControl* /*control*/, const HScreenRect& /*clip*/) override {}
    void invalidateControl(UIControl* /*control*/) override {}
    void getExtents(HScreenPoint* size) override { *size = HScreenPoint{40, 20}; }
};

class MVDialogTest : public ::testing::Test {
protected:
    MVDialogTest() : input(game.getEventManager(), kStart)
    {
        game.setGameClock(MvTime::s_fromTime64(kStart));
        game.makeSprite(&background, 200, 100, 0, 0, 255);
        game.makeSprite(&buttonSprite, 60, 30, 0, 255, 0);
        dialog.setBackgroundSprite(&background);
        dialog.setDialogOrigin(HScreenPoint{100, 100});
        button.setButtonSprites(&buttonSprite, &buttonSprite, nullptr);
        button.setDialogItemOrigin(HScreenPoint{20, 50}); // the screen rectangle (120, 150, 180, 180)
        dialog.addDialogItem(&button);
    }
    ~MVDialogTest() override
    {
        dialog.removeAllItems();
        background.unloadSprite();
        buttonSprite.unloadSprite();
    }

    intptr_t run(int32_t timeoutMs = 0)
    {
        return dialog.doModal(&game, game.screen(), game.getEventManager(), timeoutMs, &game);
    }
    static intptr_t id(const MVDialogItem* item) { return reinterpret_cast<intptr_t>(item); }

    DialogTestGame game;
    ScriptedInput input;
    MVSprite background;
    MVSprite buttonSprite;
    TestDialog dialog;
    MVDialogItemButton button;
};

TEST_F(MVDialogTest, ButtonRectangleFollowsTheDialogCorner)
{
    EXPECT_EQ(dialog.getDialogRect().left, 100);
    EXPECT_EQ(dialog.getDialogRect().bottom, 200);
    const HScreenRect& r = button.getDialogItemRect();
    EXPECT_EQ(r.left, 120);
    EXPECT_EQ(r.top, 150);
    EXPECT_EQ(r.right, 180);
    EXPECT_EQ(r.bottom, 180);
}

TEST_F(MVDialogTest, PressInsideTheButtonOrEnterReturnsIt)
{
    struct Case {
        const char* name;
        std::function<void(ScriptedInput&)> script;
    };
    const Case cases[] = {
        {"left press inside", [](ScriptedInput& in) { in.pressAt(kStart + 5, 130, 160); }},
        {"press on the bottom-right edge", [](ScriptedInput& in) { in.pressAt(kStart + 5, 180, 180); }},
        {"Enter (the default item)", [](ScriptedInput& in) { in.keyAt(kStart + 5, 13); }},
        // No key makes this one (Return and keypad Enter carry KC_RETURN), but
        // a demo file may hold it: the character alone decides.
        {"Enter as a bare character",
         [](ScriptedInput& in) {
             HEvent bare = InputEvents::s_typed(kStart + 5, '\r');
             bare.keyCode = KC_NONE;
             in.at(kStart + 5, bare);
         }},
        {"press outside, then Enter",
         [](ScriptedInput& in) {
             in.pressAt(kStart + 5, 20, 20);
             in.keyAt(kStart + 9, 13);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        dialog.clicks.clear();
        c.script(input);
        EXPECT_EQ(run(), id(&button));
        ASSERT_EQ(dialog.clicks.size(), 1u);
        EXPECT_EQ(dialog.clicks[0], &button);
        EXPECT_EQ(MVDialog::sm_modalStack.getNumItems(), 0);
        game.drainEvents();
    }
}

TEST_F(MVDialogTest, RunsOnADemoWithItsRecordedTimes)
{
    struct Case {
        const char* name;
        DemoWriter demo;
        bool closedByButton;
        uint64_t clock;
    };
    Case cases[] = {
        {"press", DemoWriter().mouseMove(kStart + 100, 300, 300).press(kStart + 250, 130, 160), true, kStart + 250},
        {"Enter", DemoWriter().keyDown(kStart + 400, KC_RETURN, 13), true, kStart + 400},
        {"window closed", DemoWriter().press(kStart + 10, 20, 20).quit(kStart + 700), false, kStart + 700},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        MemoryFileSystem files;
        files.add("demo.bin", c.demo.bytes());
        HFile* file = files.openFileForRead("demo.bin");
        ASSERT_NE(file, nullptr);
        game.setGameClock(MvTime::s_fromTime64(kStart));
        game.getEventManager()->beginDemo(file);
        EXPECT_EQ(run(), c.closedByButton ? id(&button) : MVDialog::kQuit);
        EXPECT_EQ(game.getGameClock().getTime64(), c.clock);
        game.getEventManager()->endDemo();
        file->close();
        game.drainEvents();
    }
}

TEST_F(MVDialogTest, RefusedClicksKeepItOpenUntilAQuitWhichIsNotPassedOn)
{
    dialog.acceptClicks = false;
    input.pressAt(kStart + 5, 130, 160).releaseAt(kStart + 6, 130, 160).keyAt(kStart + 10, 13).quitAt(kStart + 50);
    EXPECT_EQ(run(), MVDialog::kQuit);
    // Clicks are accepted on the press: the release was not offered as one.
    EXPECT_EQ(dialog.clicks.size(), 2u);
    EXPECT_EQ(game.getGameClock().getTime64(), kStart + 50);
    for (const HEvent& e : game.drainEvents())
        EXPECT_NE(e.type, ET_QUIT);
}

TEST_F(MVDialogTest, TimeOutEndsTheDialogOnTheFirstPassAfterIt)
{
    EXPECT_EQ(run(3000), MVDialog::kTimedOut);
    // The idle passes advance the clock by 1 ms each: the first pass whose
    // clock lies more than 3000 ms after the start.
    ASSERT_EQ(dialog.timeOutClocks.size(), 1u);
    EXPECT_EQ(dialog.timeOutClocks[0], kStart + 3001);
}

TEST_F(MVDialogTest, RefusedTimeOutIsAskedAgainOnEveryLaterPass)
{
    dialog.refusedTimeOuts = 2;
    EXPECT_EQ(run(100), MVDialog::kTimedOut);
    EXPECT_EQ(dialog.timeOutClocks, (std::vector<uint64_t>{kStart + 101, kStart + 102, kStart + 103}));
}

TEST_F(MVDialogTest, TimeOutOfZeroOrLessNeverEndsTheDialog)
{
    for (int32_t timeout : {0, -5}) {
        SCOPED_TRACE(timeout);
        input.setNow(kStart);
        game.setGameClock(MvTime::s_fromTime64(kStart));
        input.setLimit(kStart + 4000);
        EXPECT_EQ(run(timeout), MVDialog::kQuit);
        EXPECT_TRUE(dialog.timeOutClocks.empty());
        EXPECT_GT(game.getGameClock().getTime64(), kStart + 4000);
        game.drainEvents();
    }
}

TEST_F(MVDialogTest, ClosingQueuesTwoMovesAroundTheLastMousePoint)
{
    input.moveTo(kStart + 2, 300, 300).pressAt(kStart + 5, 130, 160);
    ASSERT_EQ(run(), id(&button));
    const std::vector<HEvent> after = game.drainEvents();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[0].type, ET_MOUSEMOVE);
    EXPECT_EQ(after[0].point.x, 131);
    EXPECT_EQ(after[0].point.y, 161);
    EXPECT_EQ(after[1].type, ET_MOUSEMOVE);
    EXPECT_EQ(after[1].point.x, 130);
    EXPECT_EQ(after[1].point.y, 160);
}

TEST_F(MVDialogTest, MovesReachTheQueueEvenWhenThePointerHasNotMoved)
{
    // The last queued move is at the pointer: the first of the pair differs
    // from it, so the second is not dropped as a duplicate.
    input.moveTo(kStart + 2, 130, 160).keyAt(kStart + 5, 13);
    ASSERT_EQ(run(), id(&button));
    const std::vector<HEvent> after = game.drainEvents();
    ASSERT_EQ(after.size(), 2u);
    EXPECT_EQ(after[1].type, ET_MOUSEMOVE);
    EXPECT_EQ(after[1].point.x, 130);
    EXPECT_EQ(after[1].point.y, 160);
}

TEST_F(MVDialogTest, TheFirstClosingMoveIsHeldToTheScreen)
{
    // The screen is 640 x 480. Computed wide, the step beside the pointer
    // never overflows; held to the screen, it still differs from the pointer.
    constexpr int32_t kMax = INT32_MAX;
    constexpr int32_t kMin = INT32_MIN;
    const struct Case {
        HScreenPoint pointer;
        bool screen;
        HScreenPoint first;
    } cases[] = {
        {{kMax, kMax}, true, {639, 479}},
        {{kMax, 20}, true, {639, 21}},
        {{639, 479}, true, {638, 478}},
        {{639, 10}, true, {638, 11}},
        {{700, 300}, true, {639, 301}},
        {{-5, -7}, true, {0, 0}},
        {{kMin, kMin}, true, {0, 0}},
        {{0, 0}, true, {1, 1}},
        {{kMax, kMax}, false, {kMax - 1, kMax - 1}},
        {{kMin, 5}, false, {0, 6}},
    };
    uint64_t t = kStart;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pointer.x << "," << c.pointer.y << (c.screen ? "" : " without a screen"));
        input.moveTo(t + 2, c.pointer.x, c.pointer.y).keyAt(t + 5, 13);
        t += 10;
        ASSERT_EQ(dialog.doModal(&game, c.screen ? game.screen() : nullptr, game.getEventManager(), 0, &game),
                  id(&button));
        const std::vector<HEvent> after = game.drainEvents();
        ASSERT_EQ(after.size(), 2u);
        EXPECT_EQ(after[0].type, ET_MOUSEMOVE);
        EXPECT_EQ(after[0].point.x, c.first.x);
        EXPECT_EQ(after[0].point.y, c.first.y);
        // The second is the pointer itself.
        EXPECT_EQ(after[1].point.x, c.pointer.x);
        EXPECT_EQ(after[1].point.y, c.pointer.y);
    }
}

// Takes the termination request back when a test ends, passed or not.
struct TerminationRequest {
    TerminationRequest() { HEventManager::s_requestTermination(); }
    ~TerminationRequest() { HEventManager::s_resetSharedState(); }
};

TEST_F(MVDialogTest, ATerminationRequestMadeBeforeItOpensClosesItAtOnce)
{
    input.pressAt(kStart + 5, 130, 160);
    const TerminationRequest request;
    EXPECT_EQ(run(), MVDialog::kQuit);
    // Nothing was fetched.
    EXPECT_EQ(input.pending(), 1);
    EXPECT_EQ(game.getGameClock().getTime64(), kStart);
    EXPECT_TRUE(dialog.clicks.empty());
    EXPECT_EQ(MVDialog::sm_modalStack.getNumItems(), 0);
}

TEST_F(MVDialogTest, ATerminationRequestClosesEveryOpenDialogAtOnce)
{
    // The request comes while a dialog opened from the first one is up; the
    // inner one would otherwise never close by itself.
    TestDialog inner;
    inner.setBackgroundSprite(&background);
    inner.setDialogOrigin(HScreenPoint{150, 120});
    inner.refusedTimeOuts = 1000000;
    std::unique_ptr<TerminationRequest> request;
    inner.onTimeOut = [&] {
        if (!request)
            request = std::make_unique<TerminationRequest>();
    };
    intptr_t innerResult = 0;
    int stackedInside = 0;
    dialog.onClick = [&] {
        innerResult = inner.doModal(&game, game.screen(), game.getEventManager(), 20, &game);
        stackedInside = MVDialog::sm_modalStack.getNumItems();
    };
    input.keyAt(kStart + 5, 13).pressAt(kStart + 500, 130, 160);
    EXPECT_EQ(run(), MVDialog::kQuit);
    EXPECT_EQ(innerResult, MVDialog::kQuit);
    EXPECT_EQ(inner.timeOutClocks.size(), 1u);
    // The outer dialog was left as soon as the inner one returned.
    EXPECT_EQ(stackedInside, 1);
    EXPECT_EQ(dialog.clicks.size(), 1u);
    EXPECT_EQ(input.pending(), 1);
    EXPECT_EQ(MVDialog::sm_modalStack.getNumItems(), 0);
    inner.removeAllItems();
}

TEST_F(MVDialogTest, NestedDialogsAreDrawnBottomUpOverTheGame)
{
    MVSprite innerBackground;
    game.makeSprite(&innerBackground, 100, 50, 255, 0, 0);
    TestDialog inner;
    inner.setBackgroundSprite(&innerBackground);
    inner.setDialogOrigin(HScreenPoint{150, 120}); // inside the outer dialog

    int stackedInside = 0;
    std::vector<RecordingDisplayDevice::DrawCall> innerPasses;
    inner.onTimeOut = [&] {
        stackedInside = MVDialog::sm_modalStack.getNumItems();
        innerPasses = game.screen()->drawCalls();
    };
    intptr_t innerResult = 0;
    dialog.onClick = [&] {
        game.screen()->clearDrawCalls();
        game.boardDraws.clear();
        innerResult = inner.doModal(&game, game.screen(), game.getEventManager(), 20, &game);
    };
    input.pressAt(kStart + 5, 130, 160);
    EXPECT_EQ(run(), id(&button));
    EXPECT_EQ(innerResult, MVDialog::kTimedOut);
    EXPECT_EQ(stackedInside, 2);
    // Each dialog let the game end its running effects before it drew the
    // game beneath itself.
    EXPECT_EQ(game.preparations, (std::vector<size_t>{0, 0}));

    const H2DSurface* board = game.boardSprite()->getSpriteSurface();
    const H2DSurface* outer = background.getSpriteSurface();
    const H2DSurface* innerSurface = innerBackground.getSpriteSurface();
    std::vector<const H2DSurface*> order;
    for (const RecordingDisplayDevice::DrawCall& call : innerPasses) {
        if (call.surface != board && call.surface != outer && call.surface != innerSurface)
            continue;
        if (order.empty() || order.back() != call.surface)
            order.push_back(call.surface);
    }
    ASSERT_GE(order.size(), 3u);
    ASSERT_EQ(order.size() % 3, 0u);
    for (size_t i = 0; i < order.size(); i += 3) {
        EXPECT_EQ(order[i], board) << "pass " << i / 3;
        EXPECT_EQ(order[i + 1], outer) << "pass " << i / 3;
        EXPECT_EQ(order[i + 2], innerSurface) << "pass " << i / 3;
    }
    ASSERT_FALSE(game.boardDraws.empty());
    for (const DialogTestGame::BoardDraw& d : game.boardDraws)
        EXPECT_TRUE(d.inDialog);
    innerBackground.unloadSprite();
}

TEST_F(MVDialogTest, FirstItemIsTheDefaultLastHoldsTheFocusAndEventsGoRoundFromIt)
{
    std::vector<std::string> log;
    LoggingItem first("first", &log), second("second", &log), third("third", &log);
    MVDialog d;
    d.addDialogItem(&first);
    d.addDialogItem(&second);
    d.addDialogItem(&third);
    EXPECT_EQ(d.getDefaultItem(), &first);
    EXPECT_EQ(d.getFocusItem(), &third);

    EXPECT_EQ(d.m_filterEventToItems(InputEvents::s_mouseMove(0, HScreenPoint{5, 5})), nullptr);
    EXPECT_EQ(log, (std::vector<std::string>{"third", "first", "second"}));

    // The first item that takes the event ends the walk.
    log.clear();
    first.takes = true;
    EXPECT_EQ(d.m_filterEventToItems(InputEvents::s_mouseMove(0, HScreenPoint{6, 6})), &first);
    EXPECT_EQ(log, (std::vector<std::string>{"third", "first"}));

    // Enter is offered to the default item before the walk.
    log.clear();
    const HEvent enter = InputEvents::s_typed(0, '\r');
    EXPECT_EQ(d.m_filterEventToItems(enter), &first);
    EXPECT_EQ(log, (std::vector<std::string>{"first"}));

    // Adding an item a second time changes nothing (it would link to itself).
    d.addDialogItem(&first);
    int count = 0;
    for (MVDialogItem* item = d.getFirstItem(); item && count < 10; item = item->m_getNext())
        ++count;
    EXPECT_EQ(count, 3);
    d.removeAllItems();
}

TEST_F(MVDialogTest, TabMovesTheFocusToTheNextItemThatTakesIt)
{
    std::vector<std::string> log;
    LoggingItem a("a", &log), b("b", &log), c("c", &log);
    MVDialog d;
    d.addDialogItem(&a);
    d.addDialogItem(&b);
    d.addDialogItem(&c);
    const HEvent tab = InputEvents::s_typed(0, '\t');

    // No item takes the focus: it stays where it was.
    EXPECT_TRUE(d.m_handleEvent(tab));
    EXPECT_EQ(d.getFocusItem(), &c);

    // After the last comes the first.
    b.focusable = true;
    EXPECT_TRUE(d.m_handleEvent(tab));
    EXPECT_EQ(d.getFocusItem(), &b);
    a.focusable = true;
    EXPECT_TRUE(d.m_handleEvent(tab));
    EXPECT_EQ(d.getFocusItem(), &a);
    d.removeAllItems();
}

TEST_F(MVDialogTest, OwnShareOfEvents)
{
    EXPECT_FALSE(dialog.m_handleEvent(InputEvents::s_quit(0)));
    for (const HEvent& e : {InputEvents::s_timestamp(0), InputEvents::s_mouseMove(0, HScreenPoint{5, 5}),
                            InputEvents::s_typedUp(0, 'a'), InputEvents::s_typed(0, 'a'),
                            InputEvents::s_activate(0, false), InputEvents::s_paste(0)})
        EXPECT_TRUE(dialog.m_handleEvent(e)) << e.type;

    // A paint needs the game, which the dialog keeps after it has run.
    input.keyAt(kStart + 5, 13);
    ASSERT_EQ(run(), id(&button));
    EXPECT_EQ(dialog.getPuzzleGame(), &game);
    game.getDirtyList()->clearDirtyList();
    MVDialog::sm_dirtyRectManager.clearDirtyList();
    EXPECT_TRUE(dialog.m_handleEvent(InputEvents::s_paint(0)));
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    EXPECT_EQ(game.getDirtyList()->getRectangle(0)->right, 640);
    EXPECT_EQ(game.getDirtyList()->getRectangle(0)->bottom, 480);
    ASSERT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->left, 100);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->right, 300);
}

TEST_F(MVDialogTest, InvalidationReachesBothDirtyLists)
{
    game.getDirtyList()->clearDirtyList();
    MVDialog::sm_dirtyRectManager.clearDirtyList();
    MVDialog::sm_invalidateArea(HScreenRect(-10, -10, 700, 500));
    ASSERT_EQ(MVDialog::sm_dirtyRectManager.getRectangleCount(), 1);
    EXPECT_EQ(MVDialog::sm_dirtyRectManager.getRectangle(0)->left, -10);
    // The game clamps its copy to the screen.
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    EXPECT_EQ(game.getDirtyList()->getRectangle(0)->left, 0);
    EXPECT_EQ(game.getDirtyList()->getRectangle(0)->right, 640);
}

TEST_F(MVDialogTest, BackgroundIsCopiedOnlyWhereItIsDirty)
{
    game.getDirtyList()->clearDirtyList();
    MVDialog::sm_dirtyRectManager.clearDirtyList();
    MVDialog::sm_dirtyRectManager.addScreenRectToDirtyList(HScreenRect(50, 50, 150, 130));
    game.screen()->clearDrawCalls();
    dialog.m_drawDialog(game.screen());
    std::vector<RecordingDisplayDevice::DrawCall> backgroundCalls;
    for (const RecordingDisplayDevice::DrawCall& call : game.screen()->drawCalls()) {
        if (call.surface == background.getSpriteSurface())
            backgroundCalls.push_back(call);
    }
    ASSERT_EQ(backgroundCalls.size(), 1u);
    EXPECT_FALSE(backgroundCalls[0].blend);
    EXPECT_EQ(backgroundCalls[0].dst.left, 100);
    EXPECT_EQ(backgroundCalls[0].dst.top, 100);
    EXPECT_EQ(backgroundCalls[0].src.left, 0);
    EXPECT_EQ(backgroundCalls[0].src.top, 0);
    EXPECT_EQ(backgroundCalls[0].src.right, 50);
    EXPECT_EQ(backgroundCalls[0].src.bottom, 30);
}

TEST_F(MVDialogTest, RemoveAllItemsLeavesNothingToDrawOrOffer)
{
    dialog.removeAllItems();
    EXPECT_EQ(dialog.getFirstItem(), nullptr);
    EXPECT_EQ(dialog.getFocusItem(), nullptr);
    EXPECT_EQ(dialog.getDefaultItem(), nullptr);
    EXPECT_EQ(dialog.getBackgroundSprite(), nullptr);
    const HEvent enter = InputEvents::s_typed(0, '\r');
    EXPECT_EQ(dialog.m_filterEventToItems(enter), nullptr);
    MVDialog::sm_dirtyRectManager.addScreenRectToDirtyList(HScreenRect(0, 0, 640, 480));
    game.screen()->clearDrawCalls();
    dialog.m_drawDialog(game.screen());
    EXPECT_TRUE(game.screen()->drawCalls().empty());
}

TEST_F(MVDialogTest, AControlPressedBeforeTheDialogIsNotCapturedAfterIt)
{
    UIControl control(new BoxDelegate);
    UIManager* manager = game.getUIManager();
    manager->insertControl(&control);
    control.setLocation(HScreenPoint{400, 400});
    game.m_processEvent(InputEvents::s_buttonDown(0, HScreenPoint{410, 410}));
    ASSERT_EQ(manager->getCapture(), &control);

    // The dialog takes the release: the control never sees it.
    input.releaseAt(kStart + 3, 410, 410).keyAt(kStart + 5, 13);
    ASSERT_EQ(run(), id(&button));
    EXPECT_EQ(manager->getCapture(), nullptr);
    EXPECT_FALSE(control.m_isPushed());
    manager->removeControl(&control);
}

} // namespace
