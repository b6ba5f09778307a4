// The main loop in-process on a recording display: batches of events with
// chosen times, one per pass, and the drawing passes that follow each.
#include "engine/core/HEventManager.h"
#include "engine/media/HImage.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ImageDisplayDevice.h"
#include "tests/support/InputEvents.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedEventSource.h"
#include "tests/support/TestGame.h"
#include "ui/MVControlDelegate.h"
#include "ui/UIControl.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class MainLoopTest : public testing::Test {
protected:
    void SetUp() override
    {
        game.setup().recordingDisplay = true;
        ASSERT_TRUE(game.m_createDisplayDevice("main loop", false, false, 640, 480));
        script.install(1);
        game.getEventManager()->registerEventSource(&script);
        // Everything recorded before the loop runs is set-up.
        game.clearCalls();
    }
    void TearDown() override { game.getEventManager()->unregisterEventSource(&script); }

    void batch(const DemoWriter& events) { script.batch(events.events()); }

    // The drawing lines of each pass (the event lines left out): each pass
    // starts at its "begin draw".
    Lines pass(size_t n) const
    {
        std::vector<Lines> passes;
        for (const std::string& line : game.calls()) {
            if (line.rfind("begin draw", 0) == 0)
                passes.emplace_back();
            if (!passes.empty() && line.rfind("event ", 0) != 0 && line.rfind("control click", 0) != 0 &&
                line.rfind("control unclick", 0) != 0)
                passes.back().push_back(line);
        }
        return n < passes.size() ? passes[n] : Lines{"(no pass " + std::to_string(n) + ")"};
    }
    int passCount() const { return static_cast<int>(game.callsStartingWith("begin draw").size()); }
    // The event lines, each cut after its toString text.
    Lines events() const
    {
        Lines out;
        for (const std::string& line : game.callsStartingWith("event "))
            out.push_back(line.substr(6, line.find(" clock=") - 6));
        return out;
    }
    bool sawEvent(const std::string& text) const
    {
        for (const std::string& e : events()) {
            if (e == text)
                return true;
        }
        return false;
    }

    TestGame game;
    ScriptedEventSource script;
};

TEST_F(MainLoopTest, FirstPassDrawsTheWholeScreen)
{
    batch(DemoWriter().mouseMove(1000, 5, 5));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(pass(0), (Lines{"begin draw", "board 0,0,640,480 0", "overlays 0,0,640,480 0", "end draw",
                              "cursor 0,0,640,480"}));
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);
}

TEST_F(MainLoopTest, ThreePassesPerDirtyRectangleInOrder)
{
    game.m_insertControl(new TestControl(&game, HScreenRect(600, 0, 640, 40)));
    game.eventHandler = [this](const HEvent& e) {
        if (e.type == ET_KEYDOWN) {
            game.invalidateArea(HScreenRect(10, 10, 50, 50));
            game.invalidateArea(HScreenRect(400, 300, 460, 340));
        }
        return e.type == ET_QUIT;
    };
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().press(2000, 300, 300));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(pass(1), (Lines{"begin draw", "board 10,10,50,50 0", "board 400,300,460,340 0",
                              "control 10,10,50,50", "control 400,300,460,340", "overlays 10,10,50,50 0",
                              "overlays 400,300,460,340 0", "end draw", "cursor 10,10,50,50",
                              "cursor 400,300,460,340"}));
}

TEST_F(MainLoopTest, PassesWalkTheListAsItWasWhenDrawingBegan)
{
    // A board pass that invalidates more: the new area is drawn next frame.
    class Game : public TestGame {
    public:
        void m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog) override
        {
            TestGame::m_drawPuzzleBoard(dirty, inDialog);
            if (!invalidated) {
                invalidated = true;
                invalidateArea(HScreenRect(500, 400, 520, 420));
            }
        }
        bool invalidated = false;
    } g;
    g.setup().recordingDisplay = true;
    ASSERT_TRUE(g.m_createDisplayDevice("walk", false, false, 640, 480));
    g.invalidateArea(HScreenRect(0, 0, 20, 20));
    g.drawGame(false);
    EXPECT_EQ(g.callsStartingWith("board"), (Lines{"board 0,0,20,20 0"}));
    EXPECT_EQ(g.callsStartingWith("overlays"), (Lines{"overlays 0,0,20,20 0"}));
    EXPECT_EQ(g.getDirtyList()->getRectangleCount(), 2);
}

TEST_F(MainLoopTest, DrawingUnderADialogPassesTheFlag)
{
    game.invalidateArea(HScreenRect(1, 2, 3, 4));
    game.drawGame(true);
    EXPECT_EQ(game.callsStartingWith("board"), (Lines{"board 1,2,3,4 1"}));
    EXPECT_EQ(game.callsStartingWith("overlays"), (Lines{"overlays 1,2,3,4 1"}));
}

TEST_F(MainLoopTest, FocusLossRedrawsTheScreenFocusGainDoesNot)
{
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().activate(2000, false));
    batch(DemoWriter().activate(3000, true));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(game.callsStartingWith("active"), (Lines{"active 0", "active 1"}));
    EXPECT_TRUE(game.isActive());
    // The framework's handling consumes nothing: the game sees both.
    EXPECT_TRUE(sawEvent("ET_ACTIVATE(2000)"));
    EXPECT_TRUE(sawEvent("ET_ACTIVATE(3000)"));
    EXPECT_EQ(pass(1)[1], "board 0,0,640,480 0");
    EXPECT_EQ(pass(2), (Lines{"begin draw", "end draw"}));
}

TEST_F(MainLoopTest, PaintRedrawsTheWholeScreen)
{
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().timestamp(1500));
    batch(DemoWriter().paint(2000));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(pass(1), (Lines{"begin draw", "end draw"}));
    EXPECT_EQ(pass(2)[1], "board 0,0,640,480 0");
    EXPECT_TRUE(sawEvent("ET_PAINT(2000)"));
}

// The input device never reports a minimised window; a demo record may, and
// the framework keeps to it.
TEST_F(MainLoopTest, MinimisedDrawsNothingAndThePaintAfterRestoringRedraws)
{
    game.eventHandler = [this](const HEvent& e) {
        // Invalidated while minimised: never drawn later.
        if (e.type == ET_KEYDOWN)
            game.invalidateArea(HScreenRect(30, 30, 60, 60));
        return e.type == ET_QUIT;
    };
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().minimize(2000, true).paint(2001).press(2002, 40, 40));
    batch(DemoWriter().minimize(3000, false));
    batch(DemoWriter().paint(4000));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(pass(1), (Lines{"begin draw refused"}));
    EXPECT_EQ(pass(2), (Lines{"begin draw", "end draw"}));
    EXPECT_EQ(pass(3)[1], "board 0,0,640,480 0");
    EXPECT_FALSE(game.isMinimized());
    EXPECT_EQ(game.callsStartingWith("board 30,30").size(), 0u);
}

TEST_F(MainLoopTest, GameClockFollowsEventTimesAndTheFirstNonZeroTimeSeeds)
{
    const uint64_t late = (uint64_t{1} << 32) + 5;
    batch(DemoWriter().mouseMove(0, 1, 1));
    batch(DemoWriter().mouseMove(1234, 2, 2));
    batch(DemoWriter().key(late, 'G', 'g'));
    EXPECT_TRUE(game.m_runGame());
    const Lines moves = game.callsStartingWith("event ET_MOUSEMOVE");
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0], "event ET_MOUSEMOVE(0) - pt=1,1 clock=0 seed=none");
    EXPECT_EQ(moves[1], "event ET_MOUSEMOVE(1234) - pt=2,2 clock=1234 seed=1234");
    const Lines keys = game.callsStartingWith("event ET_KEYDOWN");
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0], "event ET_KEYDOWN(5) - key=KC_G pt=0,0 clock=4294967301 seed=1234");
    EXPECT_EQ(game.getRNG()->getSeed(), 1234u);
    EXPECT_TRUE(game.isRNGSeeded());
}

TEST_F(MainLoopTest, ADemoStartingAtTimeZeroSeedsFromItsFirstLaterTime)
{
    MemoryFileSystem files;
    files.add("demo.bin", DemoWriter().paint(0).mouseMove(0, 3, 3).key(750, 'A', 'a').key(900, 'B', 'b').bytes());
    // Once the demo is over, live input brings nothing before the quit.
    script.batch({});
    HFile* demo = files.openFileForRead("demo.bin");
    ASSERT_NE(demo, nullptr);
    game.getEventManager()->beginDemo(demo);
    EXPECT_TRUE(game.m_runGame());
    demo->close();
    EXPECT_EQ(game.getRNG()->getSeed(), 750u);
    const Lines keys = game.callsStartingWith("event ET_KEYDOWN");
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[1], "event ET_KEYDOWN(900) - key=KC_B pt=0,0 clock=900 seed=750");
    // The demo's records are handled in one pass: its end is the first draw.
    EXPECT_EQ(game.indexOf("begin draw"), game.indexOf("event ET_KEYUP(900) - key=KC_B pt=0,0 clock=900 seed=750") + 1);
}

TEST_F(MainLoopTest, AnEventAControlTakesNeverReachesTheGame)
{
    TestControl* control = new TestControl(&game, HScreenRect(100, 100, 150, 150));
    game.m_insertControl(control);
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().click(2000, 120, 120, false, 10).click(3000, 300, 300, false, 10).mouseMove(3100, 125, 125));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(game.callsStartingWith("control click"), (Lines{"control click"}));
    EXPECT_EQ(game.callsStartingWith("control unclick"), (Lines{"control unclick"}));
    EXPECT_FALSE(sawEvent("ET_KEYDOWN(2000) - key=KC_LBUTTON pt=120,120"));
    EXPECT_FALSE(sawEvent("ET_KEYUP(2010) - key=KC_LBUTTON pt=120,120"));
    EXPECT_TRUE(sawEvent("ET_KEYDOWN(3000) - key=KC_LBUTTON pt=300,300"));
    EXPECT_TRUE(sawEvent("ET_KEYUP(3010) - key=KC_LBUTTON pt=300,300"));
    // Moves light controls but are not taken: the game sees them too.
    EXPECT_TRUE(sawEvent("ET_MOUSEMOVE(3100) - pt=125,125"));
    EXPECT_TRUE(control->isLit());
}

TEST_F(MainLoopTest, AHandlerThatEndsTheLoopSkipsTheDrawingOfThatPass)
{
    game.eventHandler = [](const HEvent& e) { return e.type == ET_KEYDOWN; };
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().keyDown(2000, 'Q', 'q').mouseMove(2001, 9, 9));
    EXPECT_TRUE(game.m_runGame());
    EXPECT_EQ(passCount(), 1);
    EXPECT_FALSE(sawEvent("ET_MOUSEMOVE(2001) - pt=9,9"));
    HEvent next;
    ASSERT_TRUE(game.getEventManager()->peekEvent(&next));
    EXPECT_EQ(next.type, static_cast<uint32_t>(ET_MOUSEMOVE));
}

TEST_F(MainLoopTest, ATerminationRequestEndsTheLoopAtOnceWithoutDrawing)
{
    // Made while an event is handled (as a signal may come at any time):
    // the rest of the batch and the batches after it are never handled.
    game.eventHandler = [](const HEvent& e) {
        if (e.type == ET_KEYDOWN)
            HEventManager::s_requestTermination();
        return false;
    };
    batch(DemoWriter().mouseMove(1000, 5, 5));
    batch(DemoWriter().keyDown(2000, 'Q', 'q').mouseMove(2001, 9, 9));
    batch(DemoWriter().mouseMove(3000, 20, 20));
    script.setQuitWhenDone(false);
    EXPECT_TRUE(game.m_runGame());
    const bool requested = HEventManager::s_isTerminationRequested();
    HEventManager::s_resetSharedState();
    EXPECT_TRUE(requested);
    EXPECT_EQ(passCount(), 1);
    EXPECT_TRUE(sawEvent("ET_KEYDOWN(2000) - key=KC_Q pt=0,0"));
    EXPECT_FALSE(sawEvent("ET_MOUSEMOVE(2001) - pt=9,9"));
    EXPECT_FALSE(script.done());
}

TEST_F(MainLoopTest, InvalidationIsClampedToTheScreen)
{
    game.getDirtyList()->clearDirtyList();
    game.invalidateArea(HScreenRect(-10, -10, 700, 500));
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    const HScreenRect r = *game.getDirtyList()->getRectangle(0);
    EXPECT_EQ(TestGame::s_rect(r), "0,0,640,480");

    game.getDirtyList()->clearDirtyList();
    game.invalidateArea(HScreenRect(-50, 10, -5, 20));
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);
    game.updateScreen();
}

TEST_F(MainLoopTest, LitControlIsFoundUnderTheMouse)
{
    TestControl* control = new TestControl(&game, HScreenRect(100, 100, 150, 150));
    game.m_insertControl(control);
    game.getEventManager()->appendEvent(InputEvents::s_mouseMove(0, HScreenPoint{110, 140}));
    HEvent fetched;
    ASSERT_TRUE(game.getEventManager()->getEvent(&fetched, false));
    EXPECT_FALSE(control->isLit());
    game.m_findLitControl();
    EXPECT_TRUE(control->isLit());
}

TEST_F(MainLoopTest, SpriteControlsInvalidateThroughTheRunningGame)
{
    HImage image(16, 12, HImage::FORMAT_32BIT);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 16; ++x)
            image.setPixel32(x, y, HImage::s_packRGBA(0, 255, 0, 255));
    }
    MVSprite sprite;
    ASSERT_TRUE(sprite.createSpriteFromImage(game.getDisplayDevice(), &image));
    MVControlDelegate* delegate = new MVControlDelegate();
    UIControl* control = new UIControl(delegate);
    game.m_insertControl(control);
    delegate->setSprites2(&sprite, &sprite, nullptr, nullptr);
    game.getDirtyList()->clearDirtyList();
    control->setLocation(HScreenPoint{10, 20});
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    EXPECT_EQ(TestGame::s_rect(*game.getDirtyList()->getRectangle(0)), "10,20,26,32");
    // Drawn in the controls' pass.
    game.drawGame(false);
    uint8_t r, g, b;
    game.recordingDisplay()->rgbAt(25, 31, &r, &g, &b);
    EXPECT_EQ(g, 255);
    game.m_removeControl(control);
    delete control;
    sprite.unloadSprite();
}

TEST(MainLoopWithoutDisplayTest, NothingIsInvalidatedOrDrawn)
{
    TestGame game;
    game.invalidateArea(HScreenRect(0, 0, 10, 10));
    game.invalidateWholeScreen();
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);
    // A list filled some other way is still not drawn.
    game.getDirtyList()->addScreenRectToDirtyList(HScreenRect(0, 0, 10, 10));
    game.drawGame(false);
    game.drawCursor();
    game.m_drawCursor(HScreenRect(0, 0, 10, 10));
    game.updateScreen();
    EXPECT_TRUE(game.callsStartingWith("board").empty());
    EXPECT_TRUE(game.callsStartingWith("overlays").empty());
    EXPECT_EQ(game.callsStartingWith("cursor").size(), 1u);
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);
    EXPECT_FALSE(game.m_quickToggleFullScreen());
}

class SpriteCursorTest : public MainLoopTest {
protected:
    void SetUp() override
    {
        MainLoopTest::SetUp();
        ASSERT_TRUE(game.getCvarManager()->initCvarManager());
        game.m_initCvars();
        HImage image(16, 16, HImage::FORMAT_32BIT);
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x)
                image.setPixel32(x, y, HImage::s_packRGBA(255, 255, 255, 255));
        }
        ASSERT_TRUE(cursor.createSpriteFromImage(game.getDisplayDevice(), &image));
        ASSERT_TRUE(cursor.isSpriteValid());
        game.cursorSprite = &cursor;
        display = game.recordingDisplay();
    }
    void TearDown() override
    {
        game.cursorSprite = nullptr;
        cursor.unloadSprite();
        MainLoopTest::TearDown();
    }
    // Fetches a mouse move so that it becomes the event manager's mouse point.
    HEvent moveTo(int32_t x, int32_t y)
    {
        game.getEventManager()->appendEvent(InputEvents::s_mouseMove(0, HScreenPoint{x, y}));
        HEvent fetched;
        EXPECT_TRUE(game.getEventManager()->getEvent(&fetched, false));
        return fetched;
    }

    MVSprite cursor;
    ImageDisplayDevice* display = nullptr;
};

TEST_F(SpriteCursorTest, AMoveInvalidatesWhereTheCursorWasAndWhereItGoes)
{
    game.getDirtyList()->clearDirtyList();
    game.m_processEvent(moveTo(20, 30));
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    EXPECT_EQ(TestGame::s_rect(*game.getDirtyList()->getRectangle(0)), "0,0,36,46");
}

TEST_F(SpriteCursorTest, CursorIsDrawnInsideTheDirtyAreaOnly)
{
    game.getDirtyList()->clearDirtyList();
    game.m_processEvent(moveTo(20, 30));
    game.getDirtyList()->clearDirtyList();
    game.invalidateArea(HScreenRect(0, 0, 28, 640));
    game.drawCursor();
    EXPECT_FALSE(display->cursorShown());
    uint8_t r, g, b;
    display->rgbAt(20, 30, &r, &g, &b);
    EXPECT_EQ(r, 255);
    display->rgbAt(27, 45, &r, &g, &b);
    EXPECT_EQ(r, 255);
    display->rgbAt(28, 30, &r, &g, &b);
    EXPECT_EQ(r, 0) << "outside the dirty area";
    EXPECT_TRUE(display->guardIntact());

    // Off the screen the system cursor comes back.
    moveTo(700, 10);
    game.m_drawCursor(HScreenRect(0, 0, 640, 480));
    EXPECT_TRUE(display->cursorShown());
}

TEST_F(SpriteCursorTest, AHiddenCursorIsNotDrawn)
{
    moveTo(50, 60);
    game.getDirtyList()->clearDirtyList();
    game.showCursor(false);
    ASSERT_EQ(game.getDirtyList()->getRectangleCount(), 1);
    EXPECT_EQ(TestGame::s_rect(*game.getDirtyList()->getRectangle(0)), "50,60,66,76");
    game.drawCursor();
    uint8_t r, g, b;
    display->rgbAt(55, 65, &r, &g, &b);
    EXPECT_EQ(r, 0);
}

TEST_F(SpriteCursorTest, WithTheVariableOffTheSystemCursorIsUsed)
{
    game.getCvarManager()->setVariableString("mv_spriteCursor", "0");
    game.getDirtyList()->clearDirtyList();
    game.m_processEvent(moveTo(20, 30));
    EXPECT_EQ(game.getDirtyList()->getRectangleCount(), 0);
    game.invalidateWholeScreen();
    game.drawCursor();
    EXPECT_TRUE(display->cursorShown());
    uint8_t r, g, b;
    display->rgbAt(20, 30, &r, &g, &b);
    EXPECT_EQ(r, 0);
}

} // namespace
