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
#include "tests/support/DemoWriter.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/XTestPointer.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 480;
// Wall-clock limits, far above what each step takes.
constexpr double kStartSeconds = 20.0;
constexpr double kStepSeconds = 10.0;

using Pixels = std::vector<uint32_t>;

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

// What the window showed, for a person to look at: <build>/screens/live_<name>.png.
void keep(const Pixels& p, const std::string& name)
{
    ImageFixtures::writeRgbPng(screenshotPath("live_" + name + ".png"), kWidth, kHeight, p);
}

// A small square around a point.
HScreenRect around(HScreenPoint p)
{
    return HScreenRect(p.x - 3, p.y - 3, p.x + 4, p.y + 4);
}

class LiveSession : public testing::Test {
protected:
    std::vector<HEvent> journal() const { return DemoWriter::s_decode(box.workFile("journal.bin")); }
    // Whether the journal holds a left-button press at p.
    bool pressed(HScreenPoint p) const
    {
        for (const HEvent& e : journal()) {
            if (e.type == ET_KEYDOWN && e.keyCode == KC_LBUTTON && e.point.x == p.x && e.point.y == p.y)
                return true;
        }
        return false;
    }
    Pixels picture() const { return XvfbServer::s_readWindow(server.display(), window, kWidth, kHeight); }
    // The window once two pictures 100 ms apart are the same.
    Pixels settled() const
    {
        Pixels now = picture();
        waitFor(kStepSeconds, [&] {
            sleepMilliseconds(100);
            Pixels next = picture();
            const bool same = next == now;
            now = next;
            return same;
        });
        return now;
    }
    // Clicks p and waits until the game has queued the press.
    void click(HScreenPoint p)
    {
        ASSERT_TRUE(pointer.click(window, p.x, p.y));
        ASSERT_TRUE(waitFor(kStepSeconds, [&] { return pressed(p); })) << "the press never reached the game";
    }

    XvfbServer server;
    XTestPointer pointer;
    ProgramSandbox box;
    RunningProgram game;
    unsigned long window = 0;
};

TEST_F(LiveSession, StartAPairAndQuitWithTheMouseThenTheJournalReplaysTheSession)
{
    if (!XvfbServer::s_isInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    // A screen the size of the window: the pointer never leaves it.
    ASSERT_TRUE(server.start("640x480x24", 20));
    if (!pointer.open(server.display()))
        GTEST_SKIP() << "the X server has no XTEST extension";
    ArchiveBoard mirror;
    ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath();

    ASSERT_TRUE(box.start(&game, ProgramSandbox::s_binProgram("qvgame"), {"-s", "-journal"},
                          {{"SDL_VIDEODRIVER", "x11"}, {"DISPLAY", server.display()}}));
    ASSERT_TRUE(waitFor(kStartSeconds, [&] {
        window = XvfbServer::s_findWindow(server.display(), "Qinvar", kWidth, kHeight);
        return window != 0 || !game.running();
    }));
    ASSERT_NE(window, 0u) << "no game window; the game ended: " << game.wait(1).out;

    // The main loop runs once events are journaled; the first one's time
    // seeds the deal.
    std::vector<HEvent> first;
    ASSERT_TRUE(waitFor(kStartSeconds, [&] {
        first = journal();
        return !first.empty();
    })) << "nothing journaled";
    ASSERT_NE(first[0].time.getTime64(), 0u);
    ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(first[0].time.getTime64())));
    BoardSolver solver(mirror.board);
    const std::vector<BoardSolver::Move> pairs = solver.clickablePairs();
    ASSERT_FALSE(pairs.empty());
    const HScreenPoint a = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].first]);
    const HScreenPoint b = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].second]);

    // The start screen, then the board after the start button.
    const Pixels startScreen = settled();
    keep(startScreen, "start");
    click(screen::middle(screen::startButton()));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(picture(), startScreen, around(a)); }))
        << "the board never showed";
    const Pixels board = settled();
    keep(board, "board");

    // The pair: both tiles go and the count of tiles left changes.
    click(a);
    click(b);
    ASSERT_TRUE(waitFor(kStepSeconds, [&] {
        const Pixels now = picture();
        return differsIn(now, board, around(a)) && differsIn(now, board, around(b)) &&
               differsIn(now, board, screen::tilesLeftCounter());
    })) << "the pair was not taken";
    const Pixels afterPair = settled();
    keep(afterPair, "pair_taken");

    // Exit: the confirmation comes up; yes ends the program.
    const HScreenPoint yes = screen::middle(screen::confirmationButton(true));
    click(screen::middle(screen::exitButton()));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(picture(), afterPair, around(yes)); }))
        << "no confirmation";
    keep(settled(), "confirmation");
    click(yes);
    const ChildResult r = game.wait(kStepSeconds);
    EXPECT_FALSE(r.timedOut) << "the yes did not end the game";
    EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << r.err;
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.out, "");

    const std::string registry = readFileBytes(box.home().file(".moravel/registry_Moravel_Qinvar"));
    ASSERT_FALSE(registry.empty()) << "starting the board saves the options";

    // The journal replayed without a window, in a fresh HOME.
    const std::string recorded = box.workFile("journal.bin");
    ProgramSandbox replay;
    replay.work().write("journal.bin", recorded);
    const ChildResult again =
        replay.run(ProgramSandbox::s_binProgram("qvgame"), {"-s", "-demo", "journal.bin"}, {}, 30);
    EXPECT_FALSE(again.timedOut) << "the replay did not reach the quit";
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(readFileBytes(replay.home().file(".moravel/registry_Moravel_Qinvar")), registry);
}

} // namespace
