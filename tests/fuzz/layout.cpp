// Layout files: the input is read as a layout through a file system that
// serves it from memory, a board is dealt on it, and the rules run over the
// result (moves, hints, a removal and its undo, the shuffle, hit-tests).
#include "engine/core/HMersenneTwisterRNG.h"
#include "game/QVBoard.h"
#include "tests/support/MemoryFileSystem.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QVBoard board; // 144 tiles: kept off the stack
    MemoryFileSystem fs;
    fs.add("layouts/fuzz.qvl", std::vector<unsigned char>(data, data + size));
    HMersenneTwisterRNG rng;
    rng.seedRNG(static_cast<uint32_t>(size) + 1);
    board.setFileSystem(&fs);
    board.setRandomNumberGenerator(&rng);

    board.newBoard("layouts/fuzz.qvl");
    board.countOpenTiles();
    QVTile* first = nullptr;
    QVTile* second = nullptr;
    if (board.matchExists(&first, &second, 1)) {
        board.removeTiles(first, second, MvTime{100, 0});
        board.undoLastMatch(&first, &second);
    }
    for (const QVTile& t : board.tiles)
        board.tileIsVisible(&t);
    board.shuffleTiles();
    for (int32_t y = 0; y < 480; y += 37) {
        for (int32_t x = 120; x < 640; x += 41)
            board.m_findTileAtPoint(HScreenPoint{x, y}, true);
    }
    board.setFileSystem(nullptr);
    board.setRandomNumberGenerator(nullptr);
    return 0;
}
