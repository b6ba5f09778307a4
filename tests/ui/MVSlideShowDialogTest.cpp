// The slide show: layout, paging with the enabled state of previous and
// next, the quit request kept for after the dialog, and no slides at all.
#include "ui/MVSlideShowDialog.h"

#include "tests/support/DialogTestGame.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedInput.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr uint64_t kStart = 30000;

const char* const kSlides[] = {"slide0.tga", "slide1.tga", "slide2.tga"};

// Exposes the buttons' art.
class ObservedSlideShow : public MVSlideShowDialog {
public:
    const H2DSurface* doneSurface() const { return m_doneSprite.getSpriteSurface(); }
    const H2DSurface* nextSurface() const { return m_nextSprite.getSpriteSurface(); }
    const H2DSurface* previousSurface() const { return m_previousSprite.getSpriteSurface(); }
};

class MVSlideShowDialogTest : public ::testing::Test {
protected:
    MVSlideShowDialogTest() : input(game.getEventManager(), kStart)
    {
        game.setGameClock(MvTime::s_fromTime64(kStart));
        DialogTestGame::s_addArt(&files, "slide0.tga", 400, 300);
        DialogTestGame::s_addArt(&files, "slide1.tga", 400, 300);
        DialogTestGame::s_addArt(&files, "slide2.tga", 360, 280);
        DialogTestGame::s_addArt(&files, "done.tga", 80, 20);
        DialogTestGame::s_addArt(&files, "donelit.tga", 80, 20);
        DialogTestGame::s_addArt(&files, "next.tga", 50, 30);
        DialogTestGame::s_addArt(&files, "nextlit.tga", 50, 30);
        DialogTestGame::s_addArt(&files, "prev.tga", 60, 30);
        DialogTestGame::s_addArt(&files, "prevlit.tga", 60, 30);
    }
    ~MVSlideShowDialogTest() override
    {
        dialog.unloadDialogSprites();
        dialog.removeAllItems();
    }
    int init(int32_t count)
    {
        return dialog.initDialog(20, 10, game.screen(), &files, "done.tga", "donelit.tga", "next.tga", "nextlit.tga",
                                 "prev.tga", "prevlit.tga", const_cast<const char**>(kSlides), count);
    }
    intptr_t run() { return dialog.doModal(&game, game.screen(), game.getEventManager(), 0, &game); }
    static intptr_t id(const MVDialogItem* item) { return reinterpret_cast<intptr_t>(item); }
    // The screen point in the middle of a button.
    static HScreenPoint middle(MVDialogItemButton* b)
    {
        const HScreenRect& r = b->getDialogItemRect();
        return HScreenPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    }

    DialogTestGame game;
    ScriptedInput input;
    MemoryFileSystem files;
    ObservedSlideShow dialog;
};

TEST_F(MVSlideShowDialogTest, LayoutFromTheFirstSlide)
{
    ASSERT_EQ(init(3), 1);
    EXPECT_EQ(dialog.getSlideCount(), 3);
    EXPECT_EQ(dialog.getCurrentSlide(), 0);
    EXPECT_EQ(dialog.getBackgroundSprite(), dialog.getSlide(0));
    EXPECT_EQ(dialog.getDialogRect().left, 20);
    EXPECT_EQ(dialog.getDialogRect().top, 10);
    EXPECT_EQ(dialog.getDialogRect().right, 420);
    EXPECT_EQ(dialog.getDialogRect().bottom, 310);

    struct Case {
        const char* name;
        MVDialogItemButton* button;
        int32_t x, y;
    };
    const Case cases[] = {
        {"done", dialog.getDoneButton(), 400 / 4, 300 - (5 * 20) / 4},
        {"previous", dialog.getPreviousButton(), (2 * 400) / 3, 300 - (3 * 30) / 2},
        {"next", dialog.getNextButton(), (2 * 400) / 3 + 2 * 60, 300 - (3 * 30) / 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.button->getDialogItemOrigin().x, c.x);
        EXPECT_EQ(c.button->getDialogItemOrigin().y, c.y);
        EXPECT_EQ(c.button->getDialogItemRect().left, 20 + c.x);
    }
    EXPECT_TRUE(dialog.getDoneButton()->isEnabled());
    EXPECT_FALSE(dialog.getPreviousButton()->isEnabled());
    EXPECT_TRUE(dialog.getNextButton()->isEnabled());
    EXPECT_EQ(dialog.getDefaultItem(), dialog.getDoneButton());
    EXPECT_EQ(dialog.getFocusItem(), dialog.getNextButton());
}

TEST_F(MVSlideShowDialogTest, OneSlideShowsOnlyTheDoneButton)
{
    ASSERT_EQ(init(1), 1);
    EXPECT_FALSE(dialog.getPreviousButton()->isEnabled());
    EXPECT_FALSE(dialog.getNextButton()->isEnabled());
    input.keyAt(kStart + 5, 13);
    EXPECT_EQ(run(), id(dialog.getDoneButton()));
    // Only the done button was drawn of the three.
    int nextOrPrevious = 0;
    int done = 0;
    for (const RecordingDisplayDevice::DrawCall& call : game.screen()->drawCalls()) {
        if (call.surface == dialog.nextSurface() || call.surface == dialog.previousSurface())
            ++nextOrPrevious;
        if (call.surface == dialog.doneSurface())
            ++done;
    }
    EXPECT_EQ(nextOrPrevious, 0);
    EXPECT_GT(done, 0);
}

TEST_F(MVSlideShowDialogTest, PagingFollowsTheSlidesAndTheirButtons)
{
    ASSERT_EQ(init(3), 1);
    MVDialogItemButton* next = dialog.getNextButton();
    MVDialogItemButton* previous = dialog.getPreviousButton();
    struct Step {
        MVDialogItemButton* click;
        int32_t slide;
        bool previousShown;
        bool nextShown;
    };
    const Step steps[] = {
        {next, 1, true, true},
        {next, 2, true, false},
        {next, 2, true, false}, // clamped at the last slide
        {previous, 1, true, true},
        {previous, 0, false, true},
        {previous, 0, false, true}, // clamped at the first
    };
    int n = 0;
    for (const Step& s : steps) {
        SCOPED_TRACE(n++);
        EXPECT_FALSE(dialog.handleItemClick(s.click));
        EXPECT_EQ(dialog.getCurrentSlide(), s.slide);
        EXPECT_EQ(dialog.getBackgroundSprite(), dialog.getSlide(s.slide));
        EXPECT_EQ(previous->isEnabled(), s.previousShown);
        EXPECT_EQ(next->isEnabled(), s.nextShown);
    }
    // The dialog rectangle follows the slide's size.
    dialog.handleItemClick(next);
    dialog.handleItemClick(next);
    EXPECT_EQ(dialog.getDialogRect().right, 20 + 360);
    EXPECT_EQ(dialog.getDialogRect().bottom, 10 + 280);
    EXPECT_TRUE(dialog.handleItemClick(dialog.getDoneButton()));
}

TEST_F(MVSlideShowDialogTest, ClicksPageUntilDone)
{
    ASSERT_EQ(init(3), 1);
    const HScreenPoint next = middle(dialog.getNextButton());
    const HScreenPoint done = middle(dialog.getDoneButton());
    input.pressAt(kStart + 10, next.x, next.y).pressAt(kStart + 20, next.x, next.y);
    input.pressAt(kStart + 30, done.x, done.y);
    EXPECT_EQ(run(), id(dialog.getDoneButton()));
    EXPECT_EQ(dialog.getCurrentSlide(), 2);
}

TEST_F(MVSlideShowDialogTest, AQuitRequestIsKeptUntilTheDialogCloses)
{
    ASSERT_EQ(init(2), 1);
    const HScreenPoint done = middle(dialog.getDoneButton());
    input.quitAt(kStart + 10).pressAt(kStart + 50, done.x, done.y);
    EXPECT_EQ(run(), id(dialog.getDoneButton()));
    EXPECT_EQ(game.getGameClock().getTime64(), kStart + 50);
    const std::vector<HEvent> after = game.drainEvents();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(after[0].type, ET_MOUSEMOVE);
    EXPECT_EQ(after[1].type, ET_MOUSEMOVE);
    EXPECT_EQ(after[2].type, ET_QUIT);

    // Without a quit request none is queued.
    input.pressAt(kStart + 100, done.x, done.y);
    EXPECT_EQ(run(), id(dialog.getDoneButton()));
    for (const HEvent& e : game.drainEvents())
        EXPECT_NE(e.type, ET_QUIT);
}

TEST_F(MVSlideShowDialogTest, NoSlidesLoadsNothing)
{
    EXPECT_EQ(init(0), 0);
    EXPECT_EQ(init(-3), 0);
    EXPECT_EQ(dialog.initDialog(0, 0, game.screen(), &files, "done.tga", nullptr, "next.tga", nullptr, "prev.tga",
                                nullptr, nullptr, 2),
              0);
    EXPECT_EQ(files.totalOpens(), 0);
    EXPECT_EQ(dialog.getSlideCount(), 0);
    EXPECT_EQ(dialog.getFirstItem(), nullptr);
}

TEST_F(MVSlideShowDialogTest, UnloadingGivesEverySurfaceBack)
{
    const int32_t before = game.screen()->surfacesMade() - game.screen()->surfacesDestroyed();
    ASSERT_EQ(init(3), 1);
    EXPECT_EQ(game.screen()->surfacesMade() - game.screen()->surfacesDestroyed(), before + 9);
    dialog.unloadDialogSprites();
    EXPECT_EQ(game.screen()->surfacesMade() - game.screen()->surfacesDestroyed(), before);
    EXPECT_EQ(dialog.getSlideCount(), 0);
    EXPECT_EQ(dialog.getBackgroundSprite(), nullptr);
}

} // namespace
