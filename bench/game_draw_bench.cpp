// The game's drawing on its real art: the game started in this process as
// the program starts it (the build's archive, SDL's dummy video driver, whose
// screen is plain memory), a board of the first layout dealt, and then
//  - a full-board frame: the whole screen drawn by the game's pass-1 hook
//    (table top, 144 tiles with their shadows, left panel, counters) and
//    presented;
//  - one click's redraw: a pair just taken off the board, fading, with the
//    rectangles the click makes dirty (the two tiles with their shadows and
//    the two counters) redrawn through the framework's drawing passes and
//    presented.
#include "engine/media/H2DDisplayDevice.h"
#include "game/Qinvar.h"
#include "tests/support/QinvarSession.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <memory>

namespace {

constexpr uint64_t kDealTime = 12345;

// Opens up what the benchmark sets directly.
class BenchGame : public Qinvar {
public:
    // A board on the chosen layout, as a new game deals it; false when the
    // layout cannot be read.
    bool dealBoard()
    {
        getRNG()->seedRNG(static_cast<uint32_t>(kDealTime));
        if (!m_board.newBoard(QVBoard::s_akpLayouts[m_options.layout]))
            return false;
        setGameClock(MvTime::s_fromTime64(kDealTime));
        m_gameStartTime = getGameClock();
        m_setGameState(GS_PLAYING);
        m_loadTileSet();
        m_loadBackground();
        return true;
    }
    const HScreenRect& tilesLeftArea() const { return m_tilesLeftArea; }
    const HScreenRect& availableMovesArea() const { return m_availableMovesArea; }
};

// One started game for every benchmark of the run.
struct Session {
    Session()
    {
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        session.reset(new GameSession<BenchGame>(kDealTime));
        ok = session->start() && game().dealBoard();
    }
    BenchGame& game() { return session->game(); }

    std::unique_ptr<GameSession<BenchGame>> session;
    bool ok = false;
};

Session& session()
{
    static Session s;
    return s;
}

void BM_FullBoardFrame(benchmark::State& state)
{
    Session& s = session();
    if (!s.ok) {
        state.SkipWithError("start-up or deal failed (is the archive built?)");
        return;
    }
    BenchGame& game = s.game();
    H2DDisplayDevice* display = game.getDisplayDevice();
    const HScreenRect screen(0, 0, 640, 480);
    for (auto _ : state) {
        game.m_drawPuzzleBoard(screen, false);
        display->updateScreen();
        benchmark::ClobberMemory();
    }
    state.counters["tiles"] = static_cast<double>(game.getBoard()->tilesLeft);
}
BENCHMARK(BM_FullBoardFrame)->Unit(benchmark::kMicrosecond);

void BM_ClickRedraw(benchmark::State& state)
{
    Session& s = session();
    if (!s.ok) {
        state.SkipWithError("start-up or deal failed (is the archive built?)");
        return;
    }
    BenchGame& game = s.game();
    QVBoard* board = game.getBoard();
    QVTile* a = nullptr;
    QVTile* b = nullptr;
    if (!board->matchExists(&a, &b, 0)) {
        state.SkipWithError("no free pair on the dealt board");
        return;
    }
    // The pair went 100 ms ago: both tiles are half-way through their fade.
    const MvTime clock = game.getGameClock();
    board->removeTiles(a, b, MvTime::s_fromTime64(clock.getTime64() - 100));
    HScreenRect ra;
    HScreenRect rb;
    a->getTileRectWithShadows(&ra);
    b->getTileRectWithShadows(&rb);
    game.invalidateWholeScreen();
    game.drawGame(false);
    game.updateScreen();

    for (auto _ : state) {
        game.invalidateArea(game.tilesLeftArea());
        game.invalidateArea(game.availableMovesArea());
        game.invalidateArea(ra);
        game.invalidateArea(rb);
        game.drawGame(false);
        game.updateScreen();
        benchmark::ClobberMemory();
    }
    // Back as dealt, for any benchmark after this one.
    QVTile* first = nullptr;
    QVTile* second = nullptr;
    board->undoLastMatch(&first, &second);
}
BENCHMARK(BM_ClickRedraw)->Unit(benchmark::kMicrosecond);

} // namespace
