// Sessions of the real game on a real window: the program runs on a virtual
// X server (Xvfb) with SDL's X11 driver and records its journal, while the
// test moves and clicks the server's pointer and presses its keys through
// the XTEST extension, as a player's mouse and keyboard would. One session
// picks the next tile set and clicks the start button, a matching pair, the
// exit button and the yes of its confirmation; its journal, replayed with
// -demo, must leave the same registry file. Another lights the free tiles
// with the space bar, tapped and held. The deal depends on the time of the
// session's first event, which the test reads from the journal while the
// game runs; a dozen launches, one after another, deal a dozen first boards.
// Skipped when Xvfb or XTEST is missing.
#include "tests/game/GameScreen.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LiveGame.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XTestKeyboard.h"

#include <X11/keysym.h>
#include <signal.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
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

// What the window showed, for a person to look at: <build>/review/live_<name>.png.
void keep(const Pixels& p, const std::string& name)
{
    ImageFixtures::writeRgbPng(pictureFile("live_" + name + ".png"), kWidth, kHeight, p);
}

// The game started on the virtual server, the test skipped where Xvfb or
// XTEST is missing; and beside it the deal that its first event seeded.
class LiveSession : public testing::Test {
protected:
    void SetUp() override
    {
        if (!live.start("qvgame", {"-s"}, kStartSeconds)) {
            if (live.unavailable())
                GTEST_SKIP() << live.error();
            FAIL() << live.error();
        }
        ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath();
        // The first event's time seeds the deal.
        ASSERT_NE(live.firstEventTime(), 0u);
        ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(live.firstEventTime())));
    }

    LiveGame live;
    ArchiveBoard mirror;
};

TEST_F(LiveSession, StartAPairAndQuitWithTheMouseThenTheJournalReplaysTheSession)
{
    const std::vector<BoardSolver::Move> pairs = BoardSolver(mirror.board).clickablePairs();
    ASSERT_FALSE(pairs.empty());
    const HScreenPoint a = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].first]);
    const HScreenPoint b = ArchiveBoard::s_faceCentre(mirror.board.tiles[pairs[0].second]);

    // The start screen with the next tile set picked (a choice the start
    // saves), then the board after the start button.
    ASSERT_TRUE(live.click(screen::middle(screen::pickerArrow(screen::kTileSetUp)), kStepSeconds));
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

    const std::string registry = readFileBytes(gameRegistryPath(live.sandbox().home().path()));
    std::string tileSet;
    ASSERT_TRUE(registryValue(registry, "Tileset", &tileSet)) << "starting the board saves the options";
    EXPECT_EQ(tileSet, u32Bytes(1));

    // The journal replayed without a window, in a fresh HOME.
    ProgramSandbox replay;
    replay.work().write("journal.bin", live.sandbox().workFile("journal.bin"));
    const ChildResult again =
        replay.run(buildProgram("qvgame"), {"-s", "-demo", "journal.bin"}, {}, 30);
    EXPECT_FALSE(again.timedOut) << "the replay did not reach the quit";
    EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
    EXPECT_EQ(readFileBytes(gameRegistryPath(replay.home().path())), registry);
}

// A dozen launches of the game on one virtual server, each on a fresh home,
// Start clicked the same 100 ms after its window mapped: every launch deals
// another first board. The board each dealt is the deal of its journal's
// first event time; each run ends with SIGTERM, giving its board up.
TEST(LiveLaunches, EveryLaunchDealsAnotherFirstBoard)
{
    constexpr int kLaunches = 12;
    constexpr double kClickAfterMapSeconds = 0.1;
    XvfbServer server;
    ArchiveBoard mirror;
    ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath();
    std::vector<uint64_t> firstTimes;
    std::vector<std::vector<int32_t>> boards;
    for (int launch = 0; launch < kLaunches; ++launch) {
        SCOPED_TRACE("launch " + std::to_string(launch + 1));
        LiveGame live(&server);
        if (!live.start("qvgame", {"-s"}, kStartSeconds)) {
            if (live.unavailable())
                GTEST_SKIP() << live.error();
            FAIL() << live.error();
        }
        const double clickAt = live.mappedAt() + kClickAfterMapSeconds;
        while (monotonicSeconds() < clickAt)
            sleepMilliseconds(1);
        ASSERT_TRUE(live.click(screen::middle(screen::startButton()), kStepSeconds));
        ::kill(live.program().pid(), SIGTERM);
        const ChildResult r = live.program().wait(kStepSeconds);
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;

        const uint64_t first = live.firstEventTime();
        ASSERT_NE(first, 0u);
        ASSERT_TRUE(mirror.deal(ArchiveBoard::s_seedForTime(first)));
        std::vector<int32_t> faces;
        for (const QVTile& t : mirror.board.tiles)
            faces.push_back(t.face);
        firstTimes.push_back(first);
        boards.push_back(faces);
    }
    for (size_t a = 0; a < boards.size(); ++a) {
        for (size_t b = a + 1; b < boards.size(); ++b) {
            EXPECT_NE(firstTimes[a], firstTimes[b]) << "launches " << a + 1 << " and " << b + 1;
            EXPECT_NE(boards[a], boards[b]) << "launches " << a + 1 << " and " << b + 1 << " dealt the same board";
        }
    }
}

// The free-tile highlight on the real window, the space bar pressed through
// the server's keyboard, so every event is the input device's own: a tap
// lights the free tiles for 4.5 s, a second tap again, and a held key keeps
// them lit until its release. A selected tile keeps its look throughout.
TEST_F(LiveSession, TheSpaceBarLightsTheFreeTilesForAWhileOrForAsLongAsItIsHeld)
{
    XTestKeyboard keys;
    ASSERT_TRUE(keys.open(live.display()));
    // SDL's X11 driver tells the release of the server's key repeat from a
    // real one only when the repeat's press has already arrived, which under
    // load it sometimes has not: with the server's repeat off, a held key is
    // one press and one release, and SDL's own key repeat sends the presses
    // in between.
    ASSERT_TRUE(keys.setServerRepeat(false));

    // Two free tiles that a click on their faces' middles reaches, far
    // enough apart that neither's drawing reaches the other's face: one is
    // selected, the other watched. The whole face is looked at: a light
    // that brightens the tile changes its every pixel that is not black
    // or white already.
    std::vector<const QVTile*> free;
    for (int32_t slot = 0; slot < QVBoard::kTileCount; ++slot) {
        const QVTile& t = mirror.board.tiles[slot];
        if (mirror.board.tileIsFree(&t) && ArchiveBoard::s_clickable(mirror.board, slot))
            free.push_back(&t);
    }
    ASSERT_GE(free.size(), 2u);
    const QVTile* const selectedTile = free.front();
    const QVTile* watchedTile = nullptr;
    for (const QVTile* t : free) {
        const HScreenPoint a = ArchiveBoard::s_faceCentre(*selectedTile);
        const HScreenPoint b = ArchiveBoard::s_faceCentre(*t);
        if (std::abs(a.x - b.x) + std::abs(a.y - b.y) > 120) {
            watchedTile = t;
            break;
        }
    }
    ASSERT_NE(watchedTile, nullptr) << "no free tile far from the first";
    const HScreenPoint selected = ArchiveBoard::s_faceCentre(*selectedTile);
    HScreenRect selectedFace;
    selectedTile->getFaceRect(&selectedFace);
    HScreenRect watchedFace;
    watchedTile->getFaceRect(&watchedFace);
    // The pointer rests on the panel, off every tile, so no hover outline
    // comes and goes.
    const HScreenPoint rest{60, 20};

    const Pixels startScreen = live.settled(kStepSeconds);
    ASSERT_TRUE(live.click(screen::middle(screen::startButton()), kStepSeconds));
    ASSERT_TRUE(live.moveTo(rest));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(live.picture(), startScreen, watchedFace); }))
        << "the board never showed";
    const Pixels unselected = live.settled(kStepSeconds);
    ASSERT_TRUE(live.click(selected, kStepSeconds));
    ASSERT_TRUE(live.moveTo(rest));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(live.picture(), unselected, selectedFace); }))
        << "the tile was not selected";
    const Pixels dark = live.settled(kStepSeconds);
    keep(dark, "space_before");
    const auto lit = [&] { return differsIn(live.picture(), dark, watchedFace); };
    const auto selectionKept = [&](const Pixels& p) {
        return !differsIn(p, dark, selectedFace) && differsIn(p, unselected, selectedFace);
    };

    for (int tap = 1; tap <= 2; ++tap) {
        SCOPED_TRACE("tap " + std::to_string(tap));
        const double pressed = monotonicSeconds();
        ASSERT_TRUE(keys.press(XK_space));
        ASSERT_TRUE(keys.release(XK_space));
        ASSERT_TRUE(waitFor(kStepSeconds, lit)) << "the free tiles did not light up";
        if (tap == 1)
            keep(live.settled(kStepSeconds), "space_lit"); // risen: it holds still
        ASSERT_TRUE(waitFor(pressed + 5.0 - monotonicSeconds(), [&] { return !lit(); }))
            << "still lit 5 s after the tap";
        const Pixels after = live.settled(kStepSeconds);
        EXPECT_FALSE(differsIn(after, dark, watchedFace));
        EXPECT_TRUE(selectionKept(after)) << "the selected tile lost its look";
    }

    // Held for 6 s: lit all the while, past the 4 s a tap lasts.
    const double pressed = monotonicSeconds();
    ASSERT_TRUE(keys.press(XK_space));
    ASSERT_TRUE(waitFor(kStepSeconds, lit)) << "the free tiles did not light up";
    bool wentDark = false;
    waitFor(
        pressed + 6.0 - monotonicSeconds(),
        [&] {
            wentDark = !lit();
            return wentDark;
        },
        50);
    const Pixels held = live.picture();
    keep(held, "space_held");
    ASSERT_TRUE(keys.release(XK_space));
    EXPECT_FALSE(wentDark) << "the tiles went dark while the key was held";
    EXPECT_TRUE(differsIn(held, dark, watchedFace)) << "dark after 6 s held";
    ASSERT_TRUE(waitFor(2.0, [&] { return !lit(); })) << "still lit after the release";
    const Pixels after = live.settled(kStepSeconds);
    keep(after, "space_after");
    EXPECT_TRUE(selectionKept(after)) << "the selected tile lost its look";

    // Exit, and yes: the program ends cleanly.
    const HScreenPoint yes = screen::middle(screen::confirmationButton(true));
    ASSERT_TRUE(live.click(screen::middle(screen::exitButton()), kStepSeconds));
    ASSERT_TRUE(waitFor(kStepSeconds, [&] { return differsIn(live.picture(), after, around(yes)); }))
        << "no confirmation";
    ASSERT_TRUE(live.click(yes, kStepSeconds));
    const ChildResult r = live.program().wait(kStepSeconds);
    EXPECT_FALSE(r.timedOut) << "the yes did not end the game";
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;

    // The journal holds the space bar's presses, the held key's repeats
    // among them, and its releases as the device made them: key code and
    // character on a press, no character on a release.
    int presses = 0;
    int releases = 0;
    for (const HEvent& e : DemoWriter::s_decode(live.sandbox().workFile("journal.bin"))) {
        if (e.keyCode != KC_SPACE)
            continue;
        if (e.type == ET_KEYDOWN && e.character == ' ')
            ++presses;
        if (e.type == ET_KEYUP) {
            ++releases;
            EXPECT_EQ(e.character, 0);
        }
    }
    EXPECT_GT(presses, 3) << "the held key was not repeated";
    EXPECT_EQ(releases, 3);
}

} // namespace
