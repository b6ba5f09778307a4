// The board a game run deals, rebuilt outside the game for tests: the
// layouts come from the build's resource archive (the one the game under
// test reads, beside the test program's bin/), and the deal draws from a
// Mersenne Twister seeded as the framework seeds it, with the low 32 bits
// of the first non-zero event time. Tests use it to know where the tiles of
// a game lie before the game deals them, and to click real tiles.
#pragma once

#include "engine/core/HMersenneTwisterRNG.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HZIPFileSystem.h"
#include "game/QVBoard.h"

#include <cstdint>
#include <functional>
#include <string>

class ArchiveBoard {
public:
    // Opens the archive; ok() tells whether it opened.
    ArchiveBoard();

    ArchiveBoard(const ArchiveBoard&) = delete;
    ArchiveBoard& operator=(const ArchiveBoard&) = delete;

    bool ok() const { return m_bOpen; }
    // Seeds the generator with `seed` and deals the layout of that option
    // index (0-17). False when the archive is not open or the layout did
    // not read.
    bool deal(uint32_t seed, int32_t layout = 0);
    // The first seed time of `tries` from `from` on whose deal of layout 0
    // `wanted` holds; the board keeps that deal. 0 when none does.
    uint64_t findSeedTime(uint64_t from, int tries, const std::function<bool(ArchiveBoard&)>& wanted);
    // The game's generator seed for a first event at `timeMs`.
    static uint32_t s_seedForTime(uint64_t timeMs) { return static_cast<uint32_t>(timeMs); }
    // The resource archive the game of this test program reads.
    static std::string s_archivePath();
    // The middle of the tile's face on screen: a click there hits the tile
    // unless a tile of a higher layer covers that point.
    static HScreenPoint s_faceCentre(const QVTile& tile);
    // Whether the tile of that slot is present and a click at its face's
    // middle reaches it.
    static bool s_clickable(QVBoard& board, int32_t slot);
    // The slot of a tile of this board (0-143), -1 for a tile of another.
    int32_t slotOf(const QVTile* tile) const;
    // The tile in the same slot of another board (the game's).
    static QVTile* s_sameSlot(QVBoard& other, int32_t slot) { return slot >= 0 ? &other.tiles[slot] : nullptr; }
    // Whether both boards hold the same tiles: presence, group, face and
    // position slot by slot.
    bool sameDeal(const QVBoard& other) const;

    HZIPFileSystem fs;
    HMersenneTwisterRNG rng;
    QVBoard board;

private:
    bool m_bOpen;
};
