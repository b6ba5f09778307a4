// The board's per-click work: a full deal with its count of available moves,
// the recount and the hint search that follow every move, and the hit-test
// that runs on every click and pointer move.
#include "engine/core/HMersenneTwisterRNG.h"
#include "engine/core/HStandardFileSystem.h"
#include "game/QVBoard.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// 144 positions on five layers, each layer a block of tiles on the one below.
std::string pyramidLayout()
{
    struct Block {
        int x0, y0, columns, rows, z;
    };
    const Block blocks[] = {{0, 0, 12, 6, 0}, {2, 2, 10, 4, 1}, {4, 4, 8, 2, 2}, {6, 4, 6, 2, 3}, {8, 5, 4, 1, 4}};
    std::string text;
    for (const Block& b : blocks) {
        for (int r = 0; r < b.rows; ++r) {
            for (int c = 0; c < b.columns; ++c)
                text += std::to_string(b.x0 + 2 * c) + "," + std::to_string(b.y0 + 2 * r) + "," +
                        std::to_string(b.z) + "\n";
        }
    }
    return text;
}

// A board wired to a directory holding the layout, removed at exit.
class BenchBoard {
public:
    BenchBoard()
    {
        char templ[] = "/tmp/qvbench.XXXXXX";
        const char* dir = mkdtemp(templ);
        m_dir = dir ? dir : ".";
        ::mkdir((m_dir + "/layouts").c_str(), 0755);
        if (FILE* f = std::fopen(layoutPath().c_str(), "wb")) {
            const std::string text = pyramidLayout();
            std::fwrite(text.data(), 1, text.size(), f);
            std::fclose(f);
        }
        fs.initFileSystem(m_dir.c_str());
        board.setFileSystem(&fs);
        board.setRandomNumberGenerator(&rng);
    }
    ~BenchBoard()
    {
        std::remove(layoutPath().c_str());
        ::rmdir((m_dir + "/layouts").c_str());
        ::rmdir(m_dir.c_str());
    }

    bool deal(uint32_t seed)
    {
        rng.seedRNG(seed);
        return board.newBoard("layouts/pyramid.qvl");
    }

    HStandardFileSystem fs;
    HMersenneTwisterRNG rng;
    QVBoard board;

private:
    std::string layoutPath() const { return m_dir + "/layouts/pyramid.qvl"; }
    std::string m_dir;
};

void BM_DealAndCountFreeTiles(benchmark::State& state)
{
    BenchBoard b;
    uint32_t seed = 1;
    for (auto _ : state) {
        if (!b.deal(seed++))
            state.SkipWithError("layout not read");
        benchmark::DoNotOptimize(b.board.countFreeTiles());
    }
}
BENCHMARK(BM_DealAndCountFreeTiles);

void BM_CountFreeTiles(benchmark::State& state)
{
    BenchBoard b;
    b.deal(7);
    for (auto _ : state)
        benchmark::DoNotOptimize(b.board.countFreeTiles());
}
BENCHMARK(BM_CountFreeTiles);

void BM_MatchExists(benchmark::State& state)
{
    BenchBoard b;
    b.deal(7);
    int k = 0;
    for (auto _ : state) {
        QVTile* first = nullptr;
        QVTile* second = nullptr;
        benchmark::DoNotOptimize(b.board.matchExists(&first, &second, k++));
        benchmark::DoNotOptimize(first);
    }
}
BENCHMARK(BM_MatchExists);

void BM_FindTileAtPoint(benchmark::State& state)
{
    BenchBoard b;
    b.deal(7);
    // A walk over the board's whole screen area, a few pixels apart.
    int x = 120;
    int y = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(b.board.m_findTileAtPoint(HScreenPoint{x, y}, true));
        x += 7;
        if (x >= 640) {
            x = 120;
            y = (y + 5) % 480;
        }
    }
}
BENCHMARK(BM_FindTileAtPoint);

} // namespace
