// One session of the real game on a real window: the program runs on a
// virtual X server (Xvfb) with SDL's X11 driver and records its journal,
// while the test moves and clicks the server's pointer through the XTEST
// extension, as a player's mouse would: the start button, a matching pair,
// the exit button and the yes of its confirmation. The deal depends on the
// time of the session's first event, which the test reads from the journal
// while the game runs. The journal, replayed with -demo, must leave the same
// registry file. Skipped when Xvfb or XTEST is missing.
#include "tests/game/GameScreen.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LiveGame.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = LiveGame::kWidth;
constexpr int kHeight = LiveGame::kHeight;
// Wall-clock limits, far above what each step takes.
constexpr double kStartSeconds = 20.0;
constexpr double kStepSeconds = 10.0;

using Pixels = LiveGame::Pixels;

// Whether any pixel inside r differs between two pictures of the window.
bool differsIn(const Pixels& a, const Pixels& b, const HScreenRect& r)
{
    if (a.size() != b.size() || a.size() != static_cast<size_t>(kWidth) * kHeight)
        return false;
    for (int32_t y = r.top; y < r.bottom; ++y) {
        for (int32_t x = r.left; x < r.right; ++x) {
            const size_t i = static_cast<size_t>(y) * kWidth + static_cast<size_t>(x);
            if (a[i] != b[i])
                return true;
        }
    }
    return false;
}

// A small square around a point.
HScreenRect around(HScreenPoint p)
{
    return HScreenRect(p.x - 3, p.y - 3, p.x + 4, p.y + 4);
}

// What the window showed, for a person to look at: <build>/screens/live_<name>.png.
void keep(const Pixels& p, const std::string& name)
{
    ImageFixtures::writeRgbPng(screenshotPath("live_" + name + ".png"), kWidth, kHeight, p);
}

TEST(LiveSession, StartAPairAndQuitWithTheMouseThenTheJournalReplaysTheSession)
{
    LiveGame live;
    if (!live.start("qvgame", {"-s"}, kStartSeconds)) {
        if (live.unavailable())
            GTEST_SKIP() << live.error();
        FAIL() << live.error();
    }
    ArchiveBoard mirror;
    ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath();

    // The first event's time seeds the deal.
    ASSERT_NE(live.firstEventTime(), 0u);
    ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(live.firstEventTime())));
    const std::vector<BoardSolver::Move> pairs = BoardSolver(mirror.board).clickablePairs();
    ASSERT_FALSE(pairs.empty());
    const HScreenPoint a = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].first]);
    const HScreenPoint b = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].second]);

    // The start screen, then the board after the start button.
    const Pixels startScreen = live.settled(kStepSeconds);
    keep(startScreen, "start");
    ASSERT_TRUE(live.click(screen::middle(screen::startButton()), kStepSeconds));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(live.picture(), startScreen, around(a)); }))
        << "the board never showed";
    const Pixels board = live.settled(kStepSeconds);
    keep(board, "board");

    // The pair: both tiles go and the count of tiles left changes.
    ASSERT_TRUE(live.click(a, kStepSeconds));
    ASSERT_TRUE(live.click(b, kStepSeconds));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] {
        const Pixels now = live.picture();
        return differsIn(now, board, around(a)) && differsIn(now, board, around(b)) &&
               differsIn(now, board, screen::tilesLeftCounter());
    })) << "the pair was not taken";
    const Pixels afterPair = live.settled(kStepSeconds);
    keep(afterPair, "pair_taken");

    // Exit: the confirmation comes up; yes ends the program.
    const HScreenPoint yes = screen::middle(screen::confirmationButton(true));
    ASSERT_TRUE(live.click(screen::middle(screen::exitButton()), kStepSeconds));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(live.picture(), afterPair, around(yes)); }))
        << "no confirmation";
    keep(live.settled(kStepSeconds), "confirmation");
    ASSERT_TRUE(live.click(yes, kStepSeconds));
    const ChildResult r = live.program().wait(kStepSeconds);
    EXPECT_FALSE(r.timedOut) << "the yes did not end the game";
    EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");

    const std::string registry = readFileBytes(live.sandbox().home().file(".moravel/registry_Moravel_Qinvar"));
    ASSERT_FALSE(registry.empty()) << "starting the board saves the options";

    // The journal replayed without a window, in a fresh HOME.
    ProgramSandbox replay;
    replay.work().write("journal.bin", live.sandbox().workFile("journal.bin"));
    const ChildResult again =
        replay.run(buildProgram("qvgame"), {"-s", "-demo", "journal.bin"}, {}, 30);
    EXPECT_FALSE(again.timedOut) << "the replay did not reach the quit";
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(readFileBytes(replay.home().file(".moravel/registry_Moravel_Qinvar")), registry);
}

} // namespace
