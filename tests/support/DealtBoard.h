// A board wired as the game wires it, for tests: layouts are written into a
// temporary directory and read through the directory file system, and the
// deal draws from a seeded Mersenne Twister.
#pragma once

#include "engine/core/HMersenneTwisterRNG.h"
#include "engine/core/HStandardFileSystem.h"
#include "game/QVBoard.h"
#include "game/TilePosition.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <string>
#include <vector>

class DealtBoard {
public:
    DealtBoard();

    // Writes the text as layout `name` in the temporary directory.
    void writeLayout(const std::string& name, const std::string& text);
    // Seeds the generator and deals on `name` (the pyramid layout unless named).
    bool deal(uint32_t seed, const std::string& name = "layouts/pyramid.qvl");

    TempDir dir;
    HStandardFileSystem fs;
    HMersenneTwisterRNG rng;
    QVBoard board;
    std::vector<TilePosition> pyramid;
};
