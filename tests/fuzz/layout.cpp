// Layout files: the input is read as a layout through a file system that
// serves it from memory, a board is dealt on it, and the rules run over the
// result (moves, hints, a removal and its undo, the shuffle, hit-tests).
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HMersenneTwisterRNG.h"
#include "game/QVBoard.h"

#include <cstdint>
#include <cstring>

namespace {

class MemoryFile : public HFile {
public:
    void open(HFileSystem* fs, const uint8_t* data, size_t size)
    {
        m_setFileSystem(fs);
        m_pData = data;
        m_iLength = static_cast<int>(size);
        m_iPos = 0;
        m_pHandle = this;
    }
    void shut() { m_pHandle = nullptr; }

    int read(void* buffer, int len) override
    {
        if (!m_pHandle || len <= 0)
            return 0;
        const int n = len < m_iLength - m_iPos ? len : m_iLength - m_iPos;
        if (n > 0)
            std::memcpy(buffer, m_pData + m_iPos, static_cast<size_t>(n));
        m_iPos += n;
        return n;
    }
    int write(const void*, int) override { return 0; }
    bool rewind() override
    {
        m_iPos = 0;
        return true;
    }

private:
    const uint8_t* m_pData = nullptr;
    int m_iPos = 0;
};

class MemoryFileSystem : public HFileSystem {
public:
    MemoryFileSystem(const uint8_t* data, size_t size) : m_pData(data), m_uSize(size) {}

    bool fileExists(const char*) override { return true; }
    HFile* openFileForRead(const char*) override
    {
        if (m_file.isOpen() || m_uSize > 0x7FFFFFFF)
            return nullptr;
        m_file.open(this, m_pData, m_uSize);
        return &m_file;
    }
    HFile* openFileForWrite(const char*) override { return nullptr; }
    int64_t getLastModTime(const char*) override { return 0; }
    void m_closeFile(HFile*) override { m_file.shut(); }

private:
    const uint8_t* m_pData;
    size_t m_uSize;
    MemoryFile m_file;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static QVBoard board; // 144 tiles: kept off the stack
    MemoryFileSystem fs(data, size);
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
