// The game's small dialogs: no more moves (its buttons, the missing shuffle
// with a single open tile, a quit request), the two-button confirmation,
// and the rules slide show, whose time the clock does not count; with their
// pictures.
#include "game/QVAreYouSureDialog.h"
#include "game/QVGameOverDialog.h"
#include "tests/game/GameScreen.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/InputEvents.h"
#include "tests/support/TestLayout.h"
#include "ui/MVSlideShowDialog.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The no-more-moves dialog's buttons.
const HScreenRect kShuffle = screen::shuffleButton();
const HScreenRect kUndo = screen::undoButton();
const HScreenRect kEndGame = screen::endGameButton();
// The confirmation's.
const HScreenRect kYes = screen::clearConfirmationButton(true);
const HScreenRect kNo = screen::clearConfirmationButton(false);
// The rules': done and next.
const HScreenRect kRulesDone = screen::rulesDoneButton();
const HScreenRect kRulesNext = screen::rulesNextButton();

// A board with `open` present tiles, none touching another: each is free.
void boardWithOpenTiles(QinvarDialogProbe& g, int open)
{
    TestLayout::emptyBoard(g.m_board);
    for (int i = 0; i < open; ++i)
        TestLayout::placeTile(g.m_board, i, 4 * i, 0, 0, i);
}

const char* const kConfirmArt[5] = {"art/besttimes_areyousure.jpg", "art/besttimes_areyousure_yes.tga",
                                    "art/besttimes_areyousure_yes_lit.tga", "art/besttimes_areyousure_no.tga",
                                    "art/besttimes_areyousure_no_lit.tga"};

} // namespace

// Shuffle and undo are offered while more than one tile is open: shuffle is
// then the default item; with a single open tile only undo and end game,
// and undo is the default. Only end game ends the game; a quit request
// ends nothing by this dialog but quits.
TEST(QinvarGameOverDialog, TheButtonsAndTheirResults)
{
    struct Case {
        const char* what;
        int openTiles;
        std::vector<HEvent> close;
        bool ended;
        bool quits;
    };
    const std::vector<Case> cases = {
        {"end game", 2, clickIn(3000, kEndGame), true, false},
        {"shuffle", 2, clickIn(3000, kShuffle), false, false},
        {"undo", 2, clickIn(3000, kUndo), false, false},
        {"Enter with shuffle offered: shuffle", 2, {typedAt(3000, 13)}, false, false},
        {"Enter with one open tile: undo", 1, {typedAt(3000, 13)}, false, false},
        {"end game with one open tile", 1, clickIn(3000, kEndGame), true, false},
        {"a quit request", 2, {InputEvents::s_quit(3000)}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        boardWithOpenTiles(g, c.openTiles);
        ASSERT_EQ(g.m_board.countOpenTiles(), c.openTiles);
        int result = -1;
        int32_t stateAfter = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            result = p.m_doGameOverDialog() ? 1 : 0;
            stateAfter = p.getState();
        };
        s.script().batch({commandAt(2000)});
        s.script().batch({moveTo(2100, 5, 5)}, [&] {
            QVGameOverDialog* d = openDialog<QVGameOverDialog>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(rectText(d->getDialogRect()), rectText(screen::noMoreMovesDialog()));
            MVDialogItem* first = c.openTiles == 1 ? static_cast<MVDialogItem*>(d->getUndoButton())
                                                   : static_cast<MVDialogItem*>(d->getShuffleButton());
            EXPECT_EQ(d->getFirstItem(), first);
            EXPECT_EQ(d->getDefaultItem(), first);
            EXPECT_EQ(d->getFocusItem(), d->getEndGameButton());
            int items = 0;
            for (MVDialogItem* item = d->getFirstItem(); item; item = item->m_getNext())
                ++items;
            EXPECT_EQ(items, c.openTiles == 1 ? 2 : 3);
            if (c.openTiles != 1) {
                EXPECT_EQ(rectText(d->getShuffleButton()->getDialogItemRect()), rectText(kShuffle));
            }
            EXPECT_EQ(rectText(d->getUndoButton()->getDialogItemRect()), rectText(kUndo));
            EXPECT_EQ(rectText(d->getEndGameButton()->getDialogItemRect()), rectText(kEndGame));
            EXPECT_TRUE(s.session().savePng(
                screenshotPath(c.openTiles == 1 ? "nomoremoves_no_shuffle.png" : "nomoremoves.png")));
        });
        s.script().batch(c.close);
        s.script().batch({moveTo(3100, 5, 5)}, [&] { EXPECT_EQ(openDialogCount(), 0); });
        s.session().run();
        EXPECT_EQ(result, c.ended ? 1 : 0);
        EXPECT_EQ(stateAfter == GS_QUITTING, c.quits);
        EXPECT_EQ(g.m_getPauseCount(), 0);
        // The dialog's time is pause: 2000 to 3000.
        EXPECT_EQ(g.m_getPauseTime().getTime64(), 1000u);
    }
}

// Undo and shuffle in the dialog are the game's own actions: the last pair
// comes back and 60 seconds are charged, or the tiles are shuffled and 120
// seconds are charged; the game goes on.
TEST(QinvarGameOverDialog, UndoAndShuffleActAndAreCharged)
{
    struct Case {
        const char* what;
        HScreenRect button;
        int32_t penalty;
        int32_t undos;
        int32_t shuffles;
    };
    for (const Case& c : {Case{"undo", kUndo, 60, 1, 0}, Case{"shuffle", kShuffle, 120, 0, 1}}) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.m_setGameState(GS_PLAYING);
        // Four open tiles; 0 and 1 a pair that was taken off.
        boardWithOpenTiles(g, 4);
        g.m_board.tiles[1].matchGroup = g.m_board.tiles[0].matchGroup;
        g.m_board.removeTiles(&g.m_board.tiles[0], &g.m_board.tiles[1], MvTime::s_fromTime64(1500));
        ASSERT_EQ(g.m_board.tilesLeft, 2);
        int result = -1;
        int32_t stateAfter = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            result = p.m_doGameOverDialog() ? 1 : 0;
            stateAfter = p.getState();
        };
        s.script().batch({commandAt(2000)});
        s.script().batch(clickIn(3000, c.button));
        s.session().run();
        EXPECT_EQ(result, 0);
        EXPECT_EQ(stateAfter, GS_PLAYING);
        EXPECT_EQ(g.getPenaltySeconds(), c.penalty);
        EXPECT_EQ(g.getGameStats().undos, c.undos);
        EXPECT_EQ(g.getGameStats().shuffles, c.shuffles);
        // Undo puts the pair back; a shuffle empties the undo stack.
        EXPECT_EQ(g.m_board.tilesLeft, c.undos ? 4 : 2);
        EXPECT_EQ(g.m_board.undoTop, -1);
    }
}

// A quit request during the dialog quits the game (the main loop ends at
// its next update) without ending it by this dialog.
TEST(QinvarGameOverDialog, AQuitRequestQuitsTheGame)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    boardWithOpenTiles(g, 3);
    int result = -1;
    int32_t stateAfter = -1;
    g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
        result = p.m_doGameOverDialog() ? 1 : 0;
        stateAfter = p.getState();
    };
    s.script().batch({commandAt(2000)});
    s.script().batch({InputEvents::s_quit(2500)});
    s.script().batch({InputEvents::s_timestamp(3000)}, [] { ADD_FAILURE() << "the game went on"; });
    s.session().run();
    EXPECT_EQ(result, 0);
    EXPECT_EQ(stateAfter, GS_QUITTING);
}

// The confirmation: only its confirm button says yes; Enter cancels; a quit
// request says no and quits.
TEST(QinvarAreYouSureDialog, OnlyTheConfirmButtonSaysYes)
{
    struct Case {
        const char* what;
        std::vector<HEvent> close;
        bool confirmed;
        bool quits;
    };
    const std::vector<Case> cases = {
        {"yes", clickIn(3000, kYes), true, false},
        {"no", clickIn(3000, kNo), false, false},
        {"Enter", {typedAt(3000, 13)}, false, false},
        {"a quit request", {InputEvents::s_quit(3000)}, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        int result = -1;
        int32_t stateAfter = -1;
        g.onCommand = [&](QinvarDialogProbe& p, uint32_t) {
            result = p.m_doAreYouSureDialog(kConfirmArt[0], kConfirmArt[1], kConfirmArt[2], kConfirmArt[3],
                                            kConfirmArt[4])
                         ? 1
                         : 0;
            stateAfter = p.getState();
        };
        s.script().batch({commandAt(2000)});
        s.script().batch({moveTo(2100, 5, 5)}, [&] {
            QVAreYouSureDialog* d = openDialog<QVAreYouSureDialog>();
            ASSERT_NE(d, nullptr);
            EXPECT_EQ(rectText(d->getDialogRect()), rectText(screen::clearConfirmation()));
            EXPECT_EQ(rectText(d->getConfirmButton()->getDialogItemRect()), rectText(kYes));
            EXPECT_EQ(rectText(d->getCancelButton()->getDialogItemRect()), rectText(kNo));
            EXPECT_EQ(d->getDefaultItem(), d->getCancelButton());
            EXPECT_STREQ(d->getConfirmButton()->getDialogItemName(), "Are you sure, ok");
            EXPECT_STREQ(d->getCancelButton()->getDialogItemName(), "Are you sure, cancel");
            EXPECT_TRUE(s.session().savePng(screenshotPath("areyousure.png")));
        });
        s.script().batch(c.close);
        s.session().run();
        EXPECT_EQ(result, c.confirmed ? 1 : 0);
        EXPECT_EQ(stateAfter == GS_QUITTING, c.quits);
        EXPECT_EQ(g.m_getPauseCount(), 0);
        EXPECT_EQ(g.m_getPauseTime().getTime64(), 1000u);
    }
}

// The rules start on the first slide; the time spent reading is pause.
TEST(QinvarRules, TheSlidesTimeIsNotCounted)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doHelp(); };
    s.script().batch({commandAt(2000)});
    s.script().batch({moveTo(2100, 5, 5)}, [&] {
        MVSlideShowDialog* d = openDialog<MVSlideShowDialog>();
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->getCurrentSlide(), 0);
        EXPECT_EQ(d->getSlideCount(), 2);
        EXPECT_EQ(rectText(d->getDialogRect()), rectText(screen::boardArea()));
        EXPECT_TRUE(g.isPaused());
        EXPECT_TRUE(s.session().savePng(screenshotPath("rules_1.png")));
    });
    s.script().batch(clickIn(30000, kRulesNext));
    s.script().batch({moveTo(30100, 5, 5)}, [&] {
        EXPECT_EQ(openDialog<MVSlideShowDialog>()->getCurrentSlide(), 1);
        EXPECT_TRUE(s.session().savePng(screenshotPath("rules_2.png")));
    });
    s.script().batch(clickIn(62000, kRulesDone));
    s.script().batch({moveTo(62100, 5, 5)}, [&] {
        EXPECT_EQ(openDialogCount(), 0);
        EXPECT_FALSE(g.isPaused());
        EXPECT_EQ(g.m_getPauseTime().getTime64(), 60000u);
    });
    s.session().run();
}

// A quit request while the rules are up is kept for afterwards: the game
// quits once they close.
TEST(QinvarRules, AQuitRequestDuringTheRulesQuitsAfterThem)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    g.onCommand = [](QinvarDialogProbe& p, uint32_t) { p.doHelp(); };
    s.script().setKeepQuitting(false);
    s.script().setQuitWhenDone(false);
    s.script().batch({commandAt(2000)});
    s.script().batch({InputEvents::s_quit(2100)});
    s.script().batch({moveTo(2200, 5, 5)}, [&] {
        EXPECT_EQ(openDialogCount(), 1);
        EXPECT_NE(g.getState(), GS_QUITTING);
    });
    s.script().batch(clickIn(2300, kRulesDone));
    s.session().run();
    EXPECT_EQ(g.getState(), GS_QUITTING);
    EXPECT_TRUE(s.script().done());
}
