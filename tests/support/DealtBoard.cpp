// A board wired as the game wires it, for tests.
#include "tests/support/DealtBoard.h"

#include "tests/support/TestLayout.h"

DealtBoard::DealtBoard() : pyramid(TestLayout::pyramid())
{
    fs.initFileSystem(dir.path().c_str());
    board.setFileSystem(&fs);
    board.setRandomNumberGenerator(&rng);
    writeLayout("layouts/pyramid.qvl", TestLayout::text(pyramid));
}

void DealtBoard::writeLayout(const std::string& name, const std::string& text)
{
    dir.write(name, text);
}

bool DealtBoard::deal(uint32_t seed, const std::string& name)
{
    rng.seedRNG(seed);
    return board.newBoard(name.c_str());
}
