// The board of a game run, dealt from the build's archive for tests.
#include "tests/support/ArchiveBoard.h"

#include "game/QVTile.h"
#include "tests/support/TestPaths.h"

ArchiveBoard::ArchiveBoard() : fs(), rng(), board(), m_bOpen(false)
{
    m_bOpen = fs.initFileSystem(s_archivePath().c_str());
    board.setFileSystem(&fs);
    board.setRandomNumberGenerator(&rng);
}

std::string ArchiveBoard::s_archivePath()
{
    // The same lookup as the game's.
    return buildArchivePath();
}

bool ArchiveBoard::deal(uint32_t seed, int32_t layout)
{
    if (!m_bOpen || layout < 0 || layout >= QVBoard::kLayoutCount)
        return false;
    rng.seedRNG(seed);
    return board.newBoard(QVBoard::s_akpLayouts[layout]);
}

uint64_t ArchiveBoard::findSeedTime(uint64_t from, int tries, const std::function<bool(ArchiveBoard&)>& wanted)
{
    for (uint64_t t = from; t < from + static_cast<uint64_t>(tries); ++t) {
        if (deal(s_seedForTime(t)) && wanted(*this))
            return t;
    }
    return 0;
}

HScreenPoint ArchiveBoard::s_faceCentre(const QVTile& tile)
{
    HScreenRect face;
    tile.getFaceRect(&face);
    return HScreenPoint{(face.left + face.right) / 2, (face.top + face.bottom) / 2};
}

bool ArchiveBoard::s_clickable(QVBoard& board, int32_t slot)
{
    QVTile* t = &board.tiles[slot];
    return t->present && board.m_findTileAtPoint(s_faceCentre(*t), true) == t;
}

int32_t ArchiveBoard::slotOf(const QVTile* tile) const
{
    if (tile < &board.tiles[0] || tile >= &board.tiles[QVBoard::kTileCount])
        return -1;
    return static_cast<int32_t>(tile - &board.tiles[0]);
}

bool ArchiveBoard::sameDeal(const QVBoard& other) const
{
    for (int i = 0; i < QVBoard::kTileCount; ++i) {
        const QVTile& a = board.tiles[i];
        const QVTile& b = other.tiles[i];
        if (a.present != b.present || a.matchGroup != b.matchGroup || a.face != b.face || a.x != b.x ||
            a.y != b.y || a.z != b.z)
            return false;
    }
    return true;
}
