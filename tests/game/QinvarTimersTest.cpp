// The game's timers on the game clock: the automatic hint after 45 s
// without a move (free, again 45 s later, delayed by pauses), the free-tile
// highlight's rise, hold and fall, the hint's display time, the fade of
// removed tiles, the no-match message, the clock's redraws and penalties,
// and the times a finished game keeps: a game cleared with the debug match
// key charges exactly its penalties and counts no pause.
#include "tests/game/PlayFixture.h"

#include <algorithm>

using namespace play;

namespace {

class QinvarTimersTest : public PlayFixture {};

TEST_F(QinvarTimersTest, TheAutomaticHintComesAfterFortyFiveIdleSecondsAndAgainAndIsFree)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const std::pair<int, int> first = pairsInRotation(mirror.board).front();
    const uint64_t start = t0 + kBoardDelay;
    at({tick(start + 45000)});
    check([&] { EXPECT_EQ(game().getHintTile(0), nullptr); });
    at({tick(start + 45001)});
    check([&] {
        // No hint asked yet: the rotation's first pair.
        EXPECT_EQ(hintSlot(0), first.first);
        EXPECT_EQ(hintSlot(1), first.second);
        EXPECT_EQ(game().hintTime().getTime64(), start + 45001);
        EXPECT_EQ(game().lastActionTime().getTime64(), start + 45001);
        EXPECT_EQ(game().getPenaltySeconds(), 0);
        EXPECT_EQ(game().getGameStats().hints, 0);
        EXPECT_TRUE(game().takeEffects().empty()) << "the automatic hint is silent";
    });
    // The hint shows for 3450 ms.
    at({tick(start + 45001 + 3450)});
    check([&] { EXPECT_EQ(hintSlot(0), first.first); });
    at({tick(start + 45001 + 3451)});
    check([&] {
        EXPECT_EQ(game().getHintTile(0), nullptr);
        EXPECT_EQ(game().getHintTile(1), nullptr);
    });
    at({tick(start + 90001)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), start + 45001); });
    at({tick(start + 90002)});
    check([&] {
        EXPECT_EQ(game().hintTime().getTime64(), start + 90002);
        EXPECT_EQ(hintSlot(0), first.first);
        EXPECT_EQ(game().getPenaltySeconds(), 0);
    });
    run();
}

TEST_F(QinvarTimersTest, NoAutomaticHintWhenTheOptionIsOff)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    check([&] { game().getOptions()->autoHint = 0; });
    at({tick(t0 + kBoardDelay + 60000)});
    check([&] {
        EXPECT_EQ(game().getHintTile(0), nullptr);
        EXPECT_EQ(game().hintTime().getTime64(), 0u);
    });
    run();
}

TEST_F(QinvarTimersTest, APauseDelaysEveryLaterAutomaticHint)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t start = t0 + kBoardDelay;
    at({focus(start + 10000, false)});
    at({tick(start + 50000)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), 0u) << "no hint while paused"; });
    at({press(start + 70000, HScreenPoint{300, 200})});
    check([&] { EXPECT_FALSE(game().isSuspended()); });
    at({tick(start + 105000)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), 0u); });
    at({tick(start + 105001)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), start + 105001); });
    // The whole pause of the board counts against every later hint too.
    at({tick(start + 210001)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), start + 105001); });
    at({tick(start + 210002)});
    check([&] { EXPECT_EQ(game().hintTime().getTime64(), start + 210002); });
    run();
}

// Whether any free present tile was redrawn.
bool freeTileRedrawn(PlayTestGame& g)
{
    QVBoard* board = g.getBoard();
    for (QVTile& t : board->tiles) {
        HScreenRect r;
        t.getTileRect(&r);
        if (t.present && board->tileIsFree(&t) && g.drewOver(r))
            return true;
    }
    return false;
}

TEST_F(QinvarTimersTest, TheHighlightRisesHoldsAndFallsAtHalfStrengthOnTileSetZero)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t s = t0 + kBoardDelay + 1000;
    check([&] { EXPECT_EQ(game().getOptions()->tileSet, 0); });
    at({space(s), spaceUp(s + 100)});
    check([&] {
        EXPECT_EQ(game().showMovesStart().getTime64(), s);
        EXPECT_FALSE(game().showMovesKeyHeld());
        EXPECT_EQ(game().getPenaltySeconds(), 0);
    });
    struct Step {
        uint64_t at;
        float level;
    };
    // The level before the tile set's scale, then halved.
    const Step steps[] = {
        {250, 0.5f}, {499, 0.998f}, {500, 1.0f}, {3999, 1.0f},
        {4000, 1.0f}, {4250, 0.5f}, {4500, 0.0f},
    };
    for (const Step& step : steps) {
        at({tick(s + step.at)}, [&] { game().takeDrawn(); });
        check([this, step] {
            EXPECT_FLOAT_EQ(game().getShowMovesLevel(), 0.5f * step.level) << step.at << " ms";
            EXPECT_EQ(game().showMovesStart().getTime64() != 0, true) << step.at << " ms";
        });
    }
    at({tick(s + 4501)});
    check([&] {
        EXPECT_EQ(game().getShowMovesLevel(), 0.0f);
        EXPECT_EQ(game().showMovesStart().getTime64(), 0u) << "the highlight ends after 4500 ms";
    });
    run();
}

TEST_F(QinvarTimersTest, TheHighlightRedrawsTheFreeTilesOnlyWhileItsLevelMoves)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t s = t0 + kBoardDelay + 1000;
    at({space(s), spaceUp(s + 10)});
    at({tick(s + 200)}, [&] { game().takeDrawn(); });
    check([&] { EXPECT_TRUE(freeTileRedrawn(game())) << "rising"; });
    // Two updates within the hold and within one second of the clock.
    at({tick(s + 1500)}, [&] { game().takeDrawn(); });
    at({tick(s + 1600)}, [&] { game().takeDrawn(); });
    check([&] { EXPECT_TRUE(game().takeDrawn().empty()) << "nothing is redrawn during the hold"; });
    at({tick(s + 4200)}, [&] { game().takeDrawn(); });
    check([&] { EXPECT_TRUE(freeTileRedrawn(game())) << "falling"; });
    run();
}

TEST_F(QinvarTimersTest, HoldingSpaceHoldsTheHighlightAndReleasingLateEndsItAtOnce)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t s = t0 + kBoardDelay + 1000;
    at({space(s)});
    at({tick(s + 5000), space(s + 5500)});
    check([&] {
        EXPECT_EQ(game().getShowMovesLevel(), 0.5f);
        EXPECT_TRUE(game().showMovesKeyHeld());
        EXPECT_EQ(game().showMovesStart().getTime64(), s) << "key repeat starts nothing";
    });
    at({spaceUp(s + 6000)});
    check([&] {
        EXPECT_EQ(game().getShowMovesLevel(), 0.0f) << "no fall after 6 s";
        EXPECT_EQ(game().showMovesStart().getTime64(), 0u);
    });
    // Tile set 2 reaches full strength.
    check([&] { game().getOptions()->tileSet = 2; });
    at({space(s + 7000), spaceUp(s + 7010)});
    at({tick(s + 7000 + 600)});
    check([&] {
        EXPECT_EQ(game().showMovesStart().getTime64(), s + 7000);
        EXPECT_EQ(game().getShowMovesLevel(), 1.0f);
    });
    run();
}

// The device's release of the space bar has its key code and no character;
// the release of another key, or the space bar's with shift down, is no
// different for the game than it is for the device.
TEST_F(QinvarTimersTest, TheSpaceBarsReleaseEndsTheHoldAndEveryPressAfterItStartsAHighlight)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t s = t0 + kBoardDelay + 1000;
    at({space(s), InputEvents::s_typedUp(s + 100, 'a')});
    check([&] { EXPECT_TRUE(game().showMovesKeyHeld()) << "another key's release holds on"; });
    at({InputEvents::s_keyUp(s + 200, KC_SPACE, KM_SHIFT)});
    check([&] { EXPECT_FALSE(game().showMovesKeyHeld()); });
    at({tick(s + 4501)});
    check([&] { EXPECT_EQ(game().showMovesStart().getTime64(), 0u) << "over after 4500 ms"; });

    // Pressed and released again: a second highlight, and it ends too.
    at({space(s + 5000), spaceUp(s + 5050)});
    check([&] {
        EXPECT_EQ(game().showMovesStart().getTime64(), s + 5000);
        EXPECT_FALSE(game().showMovesKeyHeld());
    });
    at({tick(s + 9501)});
    check([&] { EXPECT_EQ(game().showMovesStart().getTime64(), 0u); });

    // And on a new board.
    at({key(s + 10000, PlayTestGame::kStartKey)});
    at({space(s + 11000), spaceUp(s + 11050)});
    check([&] { EXPECT_EQ(game().showMovesStart().getTime64(), s + 11000); });
    at({tick(s + 15501)});
    check([&] {
        EXPECT_EQ(game().showMovesStart().getTime64(), 0u);
        EXPECT_EQ(game().getShowMovesLevel(), 0.0f);
    });
    run();
}

TEST_F(QinvarTimersTest, ARemovedTileFadesForHalfASecond)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const Picks p = picks;
    const uint64_t m = t0 + 1000;
    at({press(m - 10, centre(p.a)), press(m, centre(p.b))});
    check([&] { EXPECT_EQ(tile(p.a)->removedAt.getTime64(), m); });
    at({tick(m + 250)}, [&] { game().takeDrawn(); });
    check([&] {
        HScreenRect r;
        tile(p.a)->getTileRect(&r);
        EXPECT_TRUE(game().drewOver(r)) << "redrawn while it fades";
    });
    at({tick(m + 500)});
    check([&] { EXPECT_EQ(tile(p.b)->removedAt.getTime64(), m); });
    at({tick(m + 501)});
    check([&] {
        EXPECT_EQ(tile(p.a)->removedAt.getTime64(), 0u);
        EXPECT_EQ(tile(p.b)->removedAt.getTime64(), 0u);
    });
    run();
}

TEST_F(QinvarTimersTest, TheClockIsRedrawnOncePerSecondNotDuringAPauseAndJumpsWithPenalties)
{
    const uint64_t t0 = startUsualGame();
    ASSERT_NE(t0, 0u);
    const uint64_t start = t0 + kBoardDelay;
    check([&] { game().takeDrawn(); });
    at({tick(start + 1100)});
    check([&] {
        EXPECT_TRUE(game().drewOver(game().clockArea()));
        EXPECT_EQ(game().m_getClockSeconds(), 1);
        game().takeDrawn();
    });
    at({tick(start + 1900)});
    check([&] { EXPECT_FALSE(game().drewOver(game().clockArea())) << "the same second"; });
    at({tick(start + 2000)});
    check([&] {
        EXPECT_TRUE(game().drewOver(game().clockArea()));
        EXPECT_EQ(game().m_getClockSeconds(), 2);
    });
    at({focus(start + 2500, false)});
    at({tick(start + 4000)}, [&] { game().takeDrawn(); });
    at({tick(start + 5000)}, [&] {
        EXPECT_FALSE(game().drewOver(game().clockArea())) << "paused";
        game().takeDrawn();
    });
    check([&] {
        EXPECT_FALSE(game().drewOver(game().clockArea())) << "paused";
        EXPECT_EQ(game().m_getClockSeconds(), 2);
    });
    at({press(start + 10000, HScreenPoint{300, 200})});
    at({tick(start + 10100)}, [&] { game().takeDrawn(); });
    at({key(start + 10200, 'u')});
    check([&] {
        EXPECT_TRUE(game().drewOver(game().clockArea())) << "a penalty shows at once";
        EXPECT_EQ(game().m_getClockSeconds(), 2 + 60) << "10.2 s less 7.5 s of pause, plus 60";
    });
    run();
}

// Takes pairs off the mirror as the debug match key does, until no pair is
// left; how many it took. The board may then be clear or stuck.
int takeDebugMatches(ArchiveBoard& m)
{
    int matches = 0;
    while (m.board.tilesLeft > 0) {
        QVTile* a = nullptr;
        QVTile* b = nullptr;
        if (!m.board.matchExists(&a, &b, 0))
            break;
        m.board.removeTiles(a, b, MvTime{1, 0});
        ++matches;
    }
    return matches;
}

// Whether the debug match key clears the deal pair by pair, without a
// shuffle; and after one shuffle.
bool clearedByDebugMatches(ArchiveBoard& m)
{
    takeDebugMatches(m);
    return m.board.tilesLeft == 0;
}

bool clearedByDebugMatchesAfterAShuffle(ArchiveBoard& m)
{
    m.board.shuffleTiles();
    return clearedByDebugMatches(m);
}

TEST_F(QinvarTimersTest, AFinishedGameKeepsItsPenaltiesAndNoPauseAndFreezesTheClock)
{
    const uint64_t t0 = findSeedTime(60000, clearedByDebugMatchesAfterAShuffle);
    ASSERT_NE(t0, 0u) << "no deal that the debug match key clears after a shuffle";
    // The deal again, and the same shuffle, to compare with the game's.
    ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(t0)));
    const uint64_t start = t0 + kBoardDelay;
    startGame(t0);
    DealRecord shuffled;
    mirror.board.shuffleTiles();
    shuffled.take(mirror.board);

    // Penalties: an asked hint, an undo with nothing to undo, a shuffle.
    at({key(start + 1000, 'h'), key(start + 2000, 'u'), key(start + 3000, 's')});
    check([&] {
        EXPECT_TRUE(shuffled.matches(*game().getBoard())) << "the game shuffled otherwise than the mirror";
        EXPECT_EQ(game().getPenaltySeconds(), 30 + 60 + 120);
    });
    // Pauses: 60 s without the focus, 10 s of a quit question answered no.
    at({focus(start + 5000, false)});
    at({press(start + 65000, HScreenPoint{300, 200})});
    at({quitRequest(start + 70000)});
    at({enter(start + 80000)});
    check([&] {
        EXPECT_EQ(game().getState(), GS_PLAYING);
        EXPECT_FALSE(game().isPaused());
    });
    // Debug mode, then the match key until the board is clear.
    at({key(start + 81000, 'q'), key(start + 81010, 'v'), key(start + 81020, 'd')});
    uint64_t t = start + 82000;
    for (int i = 0; i < QVBoard::kTileCount / 2; ++i, t += 250)
        at({key(t, 'm')});
    const uint64_t won = t - 250;
    check([&] {
        ASSERT_EQ(game().getState(), GS_WON);
        const QVGameStats& stats = game().getGameStats();
        EXPECT_EQ(stats.gameSeconds - stats.realSeconds, 30 + 60 + 120);
        // Played from the start to the last pair, less 70 s of pauses.
        EXPECT_EQ(stats.realSeconds, static_cast<int32_t>((won - start - 70000) / 1000));
        EXPECT_EQ(stats.hints, 1);
        EXPECT_EQ(stats.undos, 1);
        EXPECT_EQ(stats.shuffles, 1);
        EXPECT_EQ(game().getBoard()->tilesLeft, 0);
        EXPECT_EQ(game().getBoard()->undoTop, -1);
        EXPECT_FALSE(game().isSoundtrackPlaying());
        const std::vector<std::string> effects = game().takeEffects();
        ASSERT_FALSE(effects.empty());
        EXPECT_EQ(effects.back(), "sound/qv_youwin.ogg") << "the win sound, not the match sound";
        EXPECT_EQ(game().m_getClockSeconds(), stats.gameSeconds);
    });
    // The clock stays where the game ended.
    at({tick(won + 100000)});
    check([&] {
        EXPECT_EQ(game().m_getClockSeconds(), game().getGameStats().gameSeconds);
        EXPECT_EQ(game().getState(), GS_WON);
    });
    run();
}

// A clock that jumps (a demo's, or a system clock set years ahead) is
// measured in 64 bits: a finished game's times are held to what a best time
// can hold, 0 to 2^31-1 seconds, and a game whose time fell outside is
// marked, so that it is never ranked.
TEST_F(QinvarTimersTest, ATimeBeyondWhatABestTimeHoldsIsHeldAndMarked)
{
    const uint64_t t0 = findSeedTime(60000, clearedByDebugMatches);
    ASSERT_NE(t0, 0u) << "no deal that the debug match key clears";
    constexpr int32_t kMax = INT32_MAX;
    constexpr uint64_t kMaxMs = static_cast<uint64_t>(kMax) * 1000;
    const struct {
        const char* what;
        uint64_t playedMs; // from the board's start to the last pair
        bool hint;         // 30 s of penalty
        int32_t real, game;
        bool outOfRange;
    } cases[] = {
        {"a jump of 3e12 ms", 3000000000000ull, false, kMax, kMax, true},
        {"one second beyond the longest", kMaxMs + 1000, false, kMax, kMax, true},
        {"the longest real time", kMaxMs + 999, false, kMax, kMax, false},
        {"a penalty beyond the longest game time", kMaxMs - 29000, true, kMax - 29, kMax, true},
        {"the longest game time with a penalty", kMaxMs - 30000, true, kMax - 30, kMax, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(t0)));
        const uint64_t start = t0 + kBoardDelay;
        startGame(t0);
        at({key(start + 100, 'q'), key(start + 110, 'v'), key(start + 120, 'd')});
        if (c.hint)
            at({key(start + 200, 'h')});
        // The clock jumps, then the pairs go within the last second.
        const uint64_t won = start + c.playedMs;
        uint64_t t = won - 72 * 10;
        for (int i = 0; i < QVBoard::kTileCount / 2; ++i)
            at({key(t += 10, 'm')});
        check([&] {
            ASSERT_EQ(game().getState(), GS_WON);
            const QVGameStats& stats = game().getGameStats();
            EXPECT_EQ(stats.realSeconds, c.real);
            EXPECT_EQ(stats.gameSeconds, c.game);
            EXPECT_EQ(stats.timeOutOfRange, c.outOfRange);
            EXPECT_EQ(game().m_getClockSeconds(), c.game) << "the clock shows the held time";
        });
        run();
        session.reset();
    }
}

// A seed whose deal the debug match key leaves without a free pair; the
// number of matches until then.
int matchesUntilStuck(ArchiveBoard& m)
{
    const int matches = takeDebugMatches(m);
    return m.board.tilesLeft > 0 ? matches : -1;
}

// The middle of the no-more-moves dialog's end-game button.
HScreenPoint endGameButton()
{
    return screen::middle(screen::endGameButton());
}

class NoMoreMovesTest : public PlayFixture {
protected:
    // A game played with the debug match key until no pair is left.
    void playUntilStuck()
    {
        int matches = -1;
        const uint64_t t0 = findSeedTime(70000, [&matches](ArchiveBoard& m) {
            matches = matchesUntilStuck(m);
            return matches > 0;
        });
        ASSERT_NE(t0, 0u);
        ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(t0)));
        start = t0 + kBoardDelay;
        startGame(t0);
        at({key(start + 100, 'q'), key(start + 110, 'v'), key(start + 120, 'd')});
        uint64_t t = start + 1000;
        for (int i = 0; i < matches; ++i, t += 100)
            at({key(t, 'm')});
        stuck = t - 100;
    }

    uint64_t start = 0;
    uint64_t stuck = 0;
};

TEST_F(NoMoreMovesTest, EndingTheGameStopsTheMusicAndFreezesTheClock)
{
    playUntilStuck();
    at({press(stuck + 1000, endGameButton())});
    check([&] {
        EXPECT_EQ(game().getState(), GS_NO_MORE_MOVES);
        EXPECT_FALSE(game().isSoundtrackPlaying());
        const QVGameStats& stats = game().getGameStats();
        EXPECT_EQ(stats.realSeconds, static_cast<int32_t>((stuck - start) / 1000));
        EXPECT_EQ(stats.gameSeconds, stats.realSeconds);
        EXPECT_EQ(game().getNoMatchTime().getTime64(), 0u);
        EXPECT_EQ(game().getBoard()->undoTop, -1);
        bool gameOverSound = false;
        for (const std::string& e : game().takeEffects())
            gameOverSound = gameOverSound || e == "sound/qv_gameover.ogg";
        EXPECT_TRUE(gameOverSound);
    });
    at({tick(stuck + 60000)});
    check([&] { EXPECT_EQ(game().m_getClockSeconds(), game().getGameStats().gameSeconds); });
    run();
}

TEST_F(NoMoreMovesTest, AQuitRequestThereQuits)
{
    playUntilStuck();
    at({quitRequest(stuck + 1000)});
    run();
    // The dialog's own decision (ending the game) may come first; the quit
    // holds either way, and the start screen never comes back.
    const std::vector<int32_t>& states = game().states();
    EXPECT_EQ(states.back(), GS_QUITTING);
    EXPECT_EQ(std::count(states.begin(), states.end(), GS_START), 1);
    EXPECT_EQ(game().confirmations(), 0) << "no game in play: no question";
}

} // namespace
