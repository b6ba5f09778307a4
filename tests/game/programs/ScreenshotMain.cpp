// Takes a picture of the game in play, as a player sees it: the real program
// on a virtual X server, a board started and a few pairs taken with the
// pointer (through XTEST), one tile selected; the window is written as a
// PNG file. scripts/screenshot runs it to make docs/screenshot.png.
//
//   build/bin/qv_screenshot <file.png>
#include "tests/game/GameScreen.h"
#include "tests/support/ArchiveBoard.h"
#include "tests/support/BoardSolver.h"
#include "tests/support/ImageFixtures.h"
#include "tests/support/LiveGame.h"

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr double kStartSeconds = 20.0;
constexpr double kStepSeconds = 10.0;
// Pairs taken before the picture.
constexpr int kPairs = 6;

int fail(const std::string& why)
{
    std::fprintf(stderr, "qv_screenshot: %s\n", why.c_str());
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.png>\n", argc > 0 ? argv[0] : "qv_screenshot");
        return 2;
    }
    LiveGame live;
    if (!live.start("qvgame", {"-s"}, kStartSeconds))
        return fail(live.error());
    ArchiveBoard mirror;
    if (!mirror.ok() || !mirror.deal(ArchiveBoard::s_seedForTime(live.firstEventTime())))
        return fail("cannot deal the game's board from " + ArchiveBoard::s_archivePath());

    live.settled(kStepSeconds);
    if (!live.click(screen::middle(screen::startButton()), kStepSeconds))
        return fail("the start button's click did not reach the game");
    live.settled(kStepSeconds);

    // A few pairs from the top of the heap, as a player would begin.
    BoardSolver solver(mirror.board);
    for (int i = 0; i < kPairs; ++i) {
        std::vector<BoardSolver::Move> pairs = solver.clickablePairs();
        if (pairs.empty())
            break;
        const auto height = [&](const BoardSolver::Move& m) {
            return mirror.board.tiles[m.first].z + mirror.board.tiles[m.second].z;
        };
        const BoardSolver::Move m = *std::max_element(
            pairs.begin(), pairs.end(),
            [&](const BoardSolver::Move& l, const BoardSolver::Move& r) { return height(l) < height(r); });
        if (!live.click(ArchiveBoard::s_faceCentre(mirror.board.tiles[m.first]), kStepSeconds) ||
            !live.click(ArchiveBoard::s_faceCentre(mirror.board.tiles[m.second]), kStepSeconds))
            return fail("a tile's click did not reach the game");
        mirror.board.removeTiles(&mirror.board.tiles[m.first], &mirror.board.tiles[m.second], MvTime{0, 0});
        // The solver works on its own copy: it is told of the pair taken.
        solver.takePosition(mirror.board);
        live.settled(kStepSeconds);
    }
    // One tile selected, its partner still to find.
    const std::vector<BoardSolver::Move> left = solver.clickablePairs();
    if (!left.empty())
        live.click(ArchiveBoard::s_faceCentre(mirror.board.tiles[left.front().first]), kStepSeconds);
    live.moveTo(HScreenPoint{630, 10});
    const LiveGame::Pixels picture = live.settled(kStepSeconds);
    if (!ImageFixtures::writeRgbPng(argv[1], LiveGame::kWidth, LiveGame::kHeight, picture))
        return fail(std::string("cannot write ") + argv[1]);

    // Out of the game the way a player leaves it.
    live.click(screen::middle(screen::exitButton()), kStepSeconds);
    live.settled(kStepSeconds);
    live.click(screen::middle(screen::confirmationButton(true)), kStepSeconds);
    live.program().wait(kStepSeconds);
    std::printf("%s\n", argv[1]);
    return 0;
}
