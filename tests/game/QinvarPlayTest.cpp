// The play flow driven by events in the game's own main loop: selecting,
// unselecting, matching, blocked tiles and tiles of another group; clicks
// while paused; the right button; hints in rotation, the no-match hint,
// undo and shuffle with their penalties; focus loss and pause; the debug
// sequence; quitting and the new-game confirmation.
#include "tests/game/PlayFixture.h"

#include "tests/support/DiagnosticRecorder.h"
#include "ui/UIControl.h"

using namespace play;

namespace {

using Effects = std::vector<std::string>;
using States = std::vector<int32_t>;

const std::string kGuiClick = "sound/qv_guiclick.wav";
const std::string kClick = "sound/qv_click.wav";
const std::string kUnclick = "sound/qv_unclick.wav";
const std::string kBlocked = "sound/qv_blocked.ogg+";
const std::string kMatch = "sound/qv_match.ogg+";
const std::string kHint = "sound/qv_hint.ogg+";

class QinvarPlayTest : public PlayFixture {};

TEST_F(QinvarPlayTest, SelectUnselectBlockedOtherGroupAndMatch)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;

    at({press(t0 + 1000, centre(p.a))});
    check([&] {
        EXPECT_EQ(selectedSlot(), p.a);
        EXPECT_TRUE(tile(p.a)->selected);
        EXPECT_EQ(game().takeEffects(), Effects({kClick}));
    });
    at({press(t0 + 2000, centre(p.a))});
    check([&] {
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_FALSE(tile(p.a)->selected);
        EXPECT_EQ(game().takeEffects(), Effects({kUnclick}));
    });
    // A blocked tile: the blocked sound, and the selection stays.
    at({press(t0 + 3000, centre(p.a)), press(t0 + 3100, centre(p.blocked))});
    check([&] {
        EXPECT_EQ(selectedSlot(), p.a);
        EXPECT_FALSE(tile(p.blocked)->selected);
        EXPECT_EQ(game().takeEffects(), Effects({kClick, kBlocked}));
    });
    // A free tile of another group drops the selection and is not selected.
    at({press(t0 + 4000, centre(p.other))});
    check([&] {
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_FALSE(tile(p.a)->selected);
        EXPECT_FALSE(tile(p.other)->selected);
        EXPECT_EQ(game().takeEffects(), Effects({kBlocked}));
        EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u) << "the no-match message belongs to an asked hint";
    });
    // Empty board area: nothing at all.
    at({press(t0 + 4500, centre(p.a)), press(t0 + 4600, p.empty)});
    check([&] {
        EXPECT_EQ(selectedSlot(), p.a);
        EXPECT_EQ(game().takeEffects(), Effects({kClick}));
    });
    // The partner: the pair leaves the board.
    at({press(t0 + 5000, centre(p.b))});
    check([&] {
        EXPECT_FALSE(tile(p.a)->present);
        EXPECT_FALSE(tile(p.b)->present);
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_EQ(game().getBoard()->tilesLeft, 142);
        EXPECT_EQ(game().getBoard()->undoTop, 0);
        EXPECT_EQ(tile(p.a)->removedAt.getTime64(), t0 + 5000);
        EXPECT_EQ(game().lastActionTime().getTime64(), t0 + 5000);
        EXPECT_EQ(game().takeEffects(), Effects({kMatch}));
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_EQ(game().getPenaltySeconds(), 0);
    });
    run();
}

TEST_F(QinvarPlayTest, TracesTheClickedTileAndAlertsOnUnknownEventTypes)
{
    DiagnosticRecorder diagnostics;
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    const QVTile& a = mirror.board.tiles[p.a];
    const std::string traced =
        "tile = " + std::to_string(a.x) + "," + std::to_string(a.y) + "," + std::to_string(a.z) + "\n";
    // Types nothing in the program makes: a demo file may hold them.
    const HEvent dpad = InputEvents::s_unmade(ET_DPAD, t0 + 900);
    const HEvent unknown = InputEvents::s_unmade(15, t0 + 950);
    at({dpad, unknown, press(t0 + 1000, centre(p.a))});
    check([&] {
        EXPECT_EQ(diagnostics.count("Unknown event type"), 2);
        EXPECT_EQ(diagnostics.count(traced), 1) << traced;
    });
    run();
}

TEST_F(QinvarPlayTest, MouseMovesKeepTheHoverTile)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    at({move(t0 + 1000, centre(p.blocked))});
    check([&] { EXPECT_EQ(game().getBoard()->hoverTile, tile(p.blocked)); });
    at({move(t0 + 1100, p.empty)});
    check([&] { EXPECT_EQ(game().getBoard()->hoverTile, nullptr); });
    run();
}

TEST_F(QinvarPlayTest, ClicksWhileSuspendedOnlyResumeOnTheBoardArea)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    at({focus(t0 + 1000, false)});
    check([&] {
        EXPECT_TRUE(game().isSuspended());
        EXPECT_TRUE(game().isPaused());
        EXPECT_FALSE(game().isSoundtrackPlaying());
        EXPECT_TRUE(game().takeEffects().empty());
    });
    // Regaining the focus leaves the pause screen up.
    at({focus(t0 + 1500, true)});
    check([&] { EXPECT_TRUE(game().isSuspended()); });
    at({press(t0 + 2000, HScreenPoint{124, 100})});
    check([&] {
        EXPECT_TRUE(game().isSuspended());
        EXPECT_EQ(game().takeEffects(), Effects({kGuiClick}));
    });
    at({press(t0 + 3000, HScreenPoint{125, 100})});
    check([&] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_FALSE(game().isPaused());
        EXPECT_TRUE(game().isSoundtrackPlaying());
        EXPECT_EQ(game().takeEffects(), Effects({kGuiClick}));
    });
    // A click on a tile while suspended does not select it; the right
    // button resumes the same way.
    at({focus(t0 + 4000, false), press(t0 + 4100, centre(p.a))});
    check([&] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_EQ(game().takeEffects(), Effects({kGuiClick}));
    });
    at({focus(t0 + 5000, false), press(t0 + 5100, HScreenPoint{124, 479}, true)});
    check([&] {
        EXPECT_TRUE(game().isSuspended());
        EXPECT_EQ(game().takeEffects(), Effects({kGuiClick}));
    });
    at({press(t0 + 5200, HScreenPoint{640, 480}, true)});
    check([&] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_EQ(game().takeEffects(), Effects({kGuiClick}));
    });
    run();
}

TEST_F(QinvarPlayTest, RightClickDropsTheSelectionAndTheHintSilently)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    // Nothing selected: nothing happens.
    at({press(t0 + 500, centre(p.a), true)});
    check([&] {
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_TRUE(game().takeEffects().empty());
    });
    at({press(t0 + 1000, centre(p.a)), key(t0 + 1100, 'h')});
    check([&] {
        EXPECT_EQ(selectedSlot(), p.a);
        EXPECT_EQ(hintSlot(0), p.a) << "a hint with a selected tile shows the tile and its partners";
        EXPECT_NE(game().getHintTile(1), nullptr);
        EXPECT_EQ(game().takeEffects(), Effects({kClick, kHint}));
    });
    at({press(t0 + 1200, p.empty, true)});
    check([&] {
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_FALSE(tile(p.a)->selected);
        for (int i = 0; i < Qinvar::kHintTiles; ++i)
            EXPECT_EQ(game().getHintTile(i), nullptr) << i;
        EXPECT_TRUE(game().takeEffects().empty()) << "the right button plays nothing";
    });
    run();
}

TEST_F(QinvarPlayTest, AskedHintsWalkThroughThePairsAndCostThirtySecondsEach)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const std::vector<std::pair<int, int>> pairs = pairsInRotation(mirror.board);
    const int n = mirror.board.countFreeTiles();
    ASSERT_GE(n, 2);
    // With n available moves the first asked hint shows the pair at n - 1,
    // the next n - 2, ..., and the one after the pair at 0 the pair at n - 1.
    for (int k = 1; k <= n + 1; ++k) {
        const int position = (n - k % n) % n;
        at({key(t0 + 1000 * static_cast<uint64_t>(k), k % 2 ? 'h' : 'f')});
        check([this, k, position, pairs] {
            EXPECT_EQ(hintSlot(0), pairs[position].first) << "hint " << k;
            EXPECT_EQ(hintSlot(1), pairs[position].second) << "hint " << k;
            EXPECT_EQ(game().getHintTile(2), nullptr);
            EXPECT_EQ(game().getGameStats().hints, k);
            EXPECT_EQ(game().getPenaltySeconds(), 30 * k);
            EXPECT_EQ(game().takeEffects(), Effects({kHint}));
        });
    }
    run();
}

// A free tile whose partners all lie wholly under the layer above.
int freeTileWithHiddenPartners(QVBoard& board)
{
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        QVTile* t = &board.tiles[i];
        if (!ArchiveBoard::s_clickable(board, i) || !board.tileIsFree(t))
            continue;
        QVTile* partners[3] = {nullptr, nullptr, nullptr};
        const int n = board.findAllMatchingTiles(t, partners);
        bool hidden = n > 0;
        for (int j = 0; j < n; ++j)
            hidden = hidden && !board.tileIsVisible(partners[j]);
        if (hidden)
            return i;
    }
    return -1;
}

TEST_F(QinvarPlayTest, AnAskedHintWithoutVisiblePartnersShowsTheNoMatchMessageAndStillCosts)
{
    int slot = -1;
    const uint64_t t0 = findSeedTime(30000, [&slot](ArchiveBoard& m) {
        slot = freeTileWithHiddenPartners(m.board);
        return slot >= 0;
    });
    ASSERT_NE(t0, 0u) << "no deal with a free tile whose partners are all covered";
    startGame(t0);
    game().getOptions()->autoHint = 1;
    at({press(t0 + 1000, centre(slot)), key(t0 + 2000, 'h')});
    check([&] {
        EXPECT_EQ(selectedSlot(), slot);
        EXPECT_EQ(game().getNoMatchTime().getTime64(), t0 + 2000);
        for (int i = 0; i < Qinvar::kHintTiles; ++i)
            EXPECT_EQ(game().getHintTile(i), nullptr) << i;
        EXPECT_EQ(game().getPenaltySeconds(), 30);
        EXPECT_EQ(game().getGameStats().hints, 1);
    });
    // The message goes 3000 ms after it came, after one last redraw.
    at({tick(t0 + 5000)});
    check([&] { EXPECT_EQ(game().getNoMatchTime().getTime64(), t0 + 2000); });
    at({tick(t0 + 5001)});
    check([&] { EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u); });
    // The automatic hint in the same position (after 45 s without a move)
    // shows nothing and costs nothing.
    at({tick(t0 + kBoardDelay + 45001)});
    check([&] {
        EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u);
        EXPECT_EQ(game().getPenaltySeconds(), 30);
        EXPECT_EQ(game().lastActionTime().getTime64(), t0 + kBoardDelay + 45001) << "the automatic hint did run";
        EXPECT_EQ(game().getHintTile(0), nullptr);
    });
    run();
}

TEST_F(QinvarPlayTest, UndoCostsSixtySecondsEvenWithNothingToUndo)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    at({key(t0 + 1000, 'u')});
    check([&] {
        EXPECT_EQ(game().getGameStats().undos, 1);
        EXPECT_EQ(game().getPenaltySeconds(), 60);
        EXPECT_EQ(game().getBoard()->tilesLeft, 144);
        EXPECT_TRUE(game().takeEffects().empty());
    });
    at({press(t0 + 2000, centre(p.a)), press(t0 + 2100, centre(p.b)), press(t0 + 2200, centre(p.other)),
        key(t0 + 2300, 'u')});
    check([&] {
        EXPECT_TRUE(tile(p.a)->present);
        EXPECT_TRUE(tile(p.b)->present);
        EXPECT_EQ(game().getBoard()->tilesLeft, 144);
        EXPECT_EQ(game().getBoard()->undoTop, -1);
        EXPECT_EQ(selectedSlot(), -1) << "undo drops the selection";
        EXPECT_FALSE(tile(p.other)->selected);
        EXPECT_EQ(game().getGameStats().undos, 2);
        EXPECT_EQ(game().getPenaltySeconds(), 120);
        EXPECT_EQ(game().lastActionTime().getTime64(), t0 + 2100) << "undo is not a move for the automatic hint";
    });
    run();
}

TEST_F(QinvarPlayTest, ShuffleCostsTwoMinutesAndDisablesTheUndoButton)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    UIControl undoButton(nullptr);
    check([&] {
        game().setUndoButton(&undoButton);
        EXPECT_TRUE(game().canShuffle());
        EXPECT_TRUE(undoButton.isEnabled());
    });
    at({press(t0 + 1000, centre(p.a)), press(t0 + 1100, centre(p.b)), press(t0 + 1200, centre(p.other)),
        key(t0 + 2000, 's')});
    check([&] {
        EXPECT_EQ(game().getGameStats().shuffles, 1);
        EXPECT_EQ(game().getPenaltySeconds(), 120);
        EXPECT_EQ(game().getBoard()->undoTop, -1);
        EXPECT_EQ(game().getBoard()->tilesLeft, 142);
        EXPECT_EQ(selectedSlot(), -1);
        EXPECT_EQ(game().lastActionTime().getTime64(), t0 + 2000);
        EXPECT_FALSE(undoButton.isEnabled());
        EXPECT_EQ(game().takeEffects(), Effects({kClick, kMatch, kClick, kHint}));
        EXPECT_TRUE(game().getBoard()->matchExists(nullptr, nullptr, 0));
        game().setUndoButton(nullptr);
    });
    // Refused while suspended: no shuffle, no penalty.
    at({focus(t0 + 3000, false), key(t0 + 3100, 's'), key(t0 + 3200, 'h'), space(t0 + 3300)});
    check([&] {
        EXPECT_EQ(game().getGameStats().shuffles, 1);
        EXPECT_EQ(game().getGameStats().hints, 0);
        EXPECT_EQ(game().getPenaltySeconds(), 120);
        EXPECT_EQ(game().showMovesStart().getTime64(), 0u);
        EXPECT_TRUE(game().takeEffects().empty());
    });
    run();
}

TEST_F(QinvarPlayTest, ActionsOutsideABoardInPlayDoNothing)
{
    startSession(40000);
    at({key(40100, 's'), key(40200, 'h'), space(40300)});
    check([&] {
        EXPECT_EQ(game().getState(), GS_START);
        EXPECT_FALSE(game().canShuffle());
        EXPECT_EQ(game().getGameStats().shuffles, 0);
        EXPECT_EQ(game().getGameStats().hints, 0);
        EXPECT_EQ(game().getPenaltySeconds(), 0);
        EXPECT_EQ(game().showMovesStart().getTime64(), 0u);
        EXPECT_TRUE(game().takeEffects().empty());
    });
    // No automatic hint on the start screen either.
    at({tick(40000 + 60000)});
    check([&] { EXPECT_EQ(game().getHintTile(0), nullptr); });
    run();
}

TEST_F(QinvarPlayTest, DebugSequenceTogglesDebugModeAndItsKeys)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    // Without debug mode "m" and "n" do nothing.
    at({key(t0 + 200, 'm'), key(t0 + 210, 'n')});
    check([&] {
        EXPECT_EQ(game().getBoard()->tilesLeft, 144);
        EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u);
    });
    // Other keys between them neither advance nor reset the sequence.
    at({key(t0 + 300, 'q'), key(t0 + 310, 'x'), key(t0 + 320, 'q'), key(t0 + 330, 'v')});
    check([&] { EXPECT_FALSE(game().isDebugMode()); });
    at({key(t0 + 400, 'd')});
    check([&] { EXPECT_TRUE(game().isDebugMode()); });
    at({key(t0 + 500, 'm')});
    check([&] {
        EXPECT_EQ(game().getBoard()->tilesLeft, 142);
        EXPECT_EQ(game().takeEffects(), Effects({kMatch}));
    });
    at({key(t0 + 600, 'n')});
    check([&] { EXPECT_EQ(game().getNoMatchTime().getTime64(), t0 + 600); });
    // In debug mode losing the focus does not pause.
    at({focus(t0 + 700, false)});
    check([&] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_FALSE(game().isPaused());
    });
    at({key(t0 + 800, 'q'), key(t0 + 810, 'v'), key(t0 + 820, 'd')});
    check([&] { EXPECT_FALSE(game().isDebugMode()); });
    run();
}

TEST_F(QinvarPlayTest, APauseBegunBeforeDebugModeCanStillEnd)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    at({focus(t0 + 1000, false), key(t0 + 1100, 'q'), key(t0 + 1110, 'v'), key(t0 + 1120, 'd')});
    check([&] {
        EXPECT_TRUE(game().isDebugMode());
        EXPECT_TRUE(game().isSuspended());
    });
    at({press(t0 + 2000, HScreenPoint{300, 200})});
    check([&] {
        EXPECT_FALSE(game().isSuspended()) << "a click on the board leaves the pause screen in debug mode too";
        EXPECT_FALSE(game().isPaused());
    });
    run();
}

TEST_F(QinvarPlayTest, TheDebugMatchKeyTakesNoPairOutsideABoardInPlay)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    // Back to the start screen (yes), the abandoned board still lies there.
    at({key(t0 + 200, PlayTestGame::kNewGameKey)});
    at({press(t0 + 300, confirmationButton(true))});
    at({key(t0 + 400, 'q'), key(t0 + 410, 'v'), key(t0 + 420, 'd'), key(t0 + 500, 'm')});
    check([&] {
        EXPECT_EQ(game().getState(), GS_START);
        EXPECT_EQ(game().getBoard()->tilesLeft, 144);
    });
    run();
}

TEST_F(QinvarPlayTest, QuitFromTheStartScreenNeedsNoConfirmation)
{
    startSession(50000);
    at({quitRequest(50100)});
    run();
    EXPECT_EQ(game().getState(), GS_QUITTING);
    EXPECT_EQ(game().confirmations(), 0);
    EXPECT_TRUE(session->script().done());
}

TEST_F(QinvarPlayTest, QuitFromPlayOnlyAfterYesAndTheQuestionTakesNoTime)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t start = t0 + kBoardDelay;
    at({quitRequest(start + 10000)});
    // The confirmation is up: the no button (Enter) keeps the game.
    at({enter(start + 30000)});
    check([&] {
        EXPECT_EQ(game().confirmations(), 1);
        EXPECT_STREQ(game().lastConfirmationArt(), "art/restart_areyousure.jpg");
        // On the board area, clear of the left panel.
        EXPECT_GE(game().lastConfirmationX(), screen::boardArea().left);
        EXPECT_LE(game().lastConfirmationX() + screen::widthOf("art/restart_areyousure.jpg"),
                  screen::boardArea().right);
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_FALSE(game().isPaused());
        EXPECT_TRUE(game().isSoundtrackPlaying());
    });
    at({tick(start + 31000)});
    check([&] {
        // 31 s since the start, 20 of them under the question.
        EXPECT_EQ(game().m_getClockSeconds(), 11);
    });
    at({quitRequest(start + 40000)});
    at({press(start + 41000, confirmationButton(false))});
    check([&] {
        EXPECT_EQ(game().confirmations(), 2);
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_EQ(game().m_getClockSeconds(), 20);
    });
    at({quitRequest(start + 50000)});
    at({press(start + 52000, confirmationButton(true))});
    run();
    EXPECT_EQ(game().states(), States({GS_START, GS_PLAYING, GS_QUITTING}));
    EXPECT_EQ(game().confirmations(), 3);
    EXPECT_FALSE(game().isSoundtrackPlaying());
    for (bool paused : game().pausedDuringConfirmations())
        EXPECT_TRUE(paused);
}

TEST_F(QinvarPlayTest, AQuitRequestDuringTheQuitQuestionQuits)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    at({quitRequest(t0 + 1000)});
    at({quitRequest(t0 + 2000)});
    run();
    EXPECT_EQ(game().states(), States({GS_START, GS_PLAYING, GS_QUITTING}));
    EXPECT_EQ(game().confirmations(), 1);
}

TEST_F(QinvarPlayTest, NewGameAfterYesReturnsToTheStartScreenAndAfterNoPlaysOn)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    at({press(t0 + 500, centre(p.a)), key(t0 + 1000, PlayTestGame::kNewGameKey)});
    at({enter(t0 + 2000)});
    check([&] {
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_EQ(selectedSlot(), p.a) << "the board stays where it was";
        EXPECT_EQ(game().confirmations(), 1);
    });
    at({key(t0 + 3000, PlayTestGame::kNewGameKey)});
    at({press(t0 + 4000, confirmationButton(true))});
    check([&] {
        EXPECT_EQ(game().getState(), GS_START);
        EXPECT_FALSE(game().isSoundtrackPlaying());
        EXPECT_FALSE(game().isSuspended());
        EXPECT_EQ(game().getBoard()->tilesLeft, 144) << "the abandoned board stays until the next deal";
    });
    run();
}

// The hint and the highlight name slots of the board: within the hint's
// 3450 ms the next deal puts other tiles there, which must not glow.
TEST_F(QinvarPlayTest, NewGameLeavesNothingOfTheBoardBeforeToShowOnTheNextDeal)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    at({key(t0 + 200, 'h'), space(t0 + 300), tick(t0 + 350)});
    check([&] {
        ASSERT_NE(game().getHintTile(0), nullptr);
        ASSERT_GT(game().getShowMovesLevel(), 0.0f);
    });
    at({key(t0 + 400, PlayTestGame::kNewGameKey)});
    at({press(t0 + 500, confirmationButton(true))});
    at({key(t0 + 600, PlayTestGame::kStartKey)});
    check([&] {
        ASSERT_EQ(game().getState(), GS_PLAYING);
        for (int i = 0; i < Qinvar::kHintTiles; ++i)
            EXPECT_EQ(game().getHintTile(i), nullptr) << "hint tile " << i;
        EXPECT_EQ(game().getShowMovesLevel(), 0.0f);
        EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u);
    });
    run();
}

TEST_F(QinvarPlayTest, AQuitRequestDuringTheNewGameQuestionQuitsInsteadOfRestarting)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    at({key(t0 + 1000, PlayTestGame::kNewGameKey)});
    at({quitRequest(t0 + 2000)});
    run();
    EXPECT_EQ(game().states(), States({GS_START, GS_PLAYING, GS_QUITTING})) << "never back on the start screen";
    EXPECT_EQ(game().confirmations(), 1);
    EXPECT_FALSE(game().isSoundtrackPlaying());
}

TEST_F(QinvarPlayTest, ResumingPlaysTheMusicOnlyOnABoardInPlay)
{
    const uint64_t t0 = usualSeedTime();
    ASSERT_NE(t0, 0u);
    startSession(t0);
    // The start screen: paused and resumed, still silent.
    at({focus(t0 + 100, false)});
    check([&] {
        EXPECT_TRUE(game().isSuspended());
        EXPECT_FALSE(game().isSoundtrackPlaying());
    });
    at({press(t0 + 200, HScreenPoint{300, 200})});
    check([&] {
        EXPECT_FALSE(game().isSuspended());
        EXPECT_EQ(game().getState(), GS_START);
        EXPECT_FALSE(game().isSoundtrackPlaying());
    });
    // A board: the music plays, stops for the pause and comes back.
    startBoard(t0 + 300);
    check([&] { EXPECT_TRUE(game().isSoundtrackPlaying()); });
    at({focus(t0 + 400, false)});
    check([&] { EXPECT_FALSE(game().isSoundtrackPlaying()); });
    at({press(t0 + 500, HScreenPoint{300, 200})});
    check([&] { EXPECT_TRUE(game().isSoundtrackPlaying()); });
    run();
}

TEST_F(QinvarPlayTest, AGameEndedWhileQuittingStaysQuitting)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    // As when a quit request reached a dialog that ended the game: the quit
    // holds, and the game's times are still recorded.
    check([&] {
        game().m_requestQuit();
        game().m_doGameOver(true, 75, 45);
        EXPECT_EQ(game().getState(), GS_QUITTING);
        EXPECT_EQ(game().getGameStats().gameSeconds, 75);
        EXPECT_EQ(game().getGameStats().realSeconds, 45);
        game().restartGame(false);
        game().startBoard();
        EXPECT_EQ(game().getState(), GS_QUITTING);
    });
    run();
}

} // namespace
