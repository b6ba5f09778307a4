// The byte-level cursor over a compressed stream's bytes in memory.
#include "engine/media/HCompressedAudioStream.h"

#include "engine/core/HErrorManager.h"

#include <cstring>

HCompressedAudioStream::HCompressedAudioStream()
    : m_iLoopPosition(0), m_mutex(), m_pCursor(nullptr), m_pData(nullptr), m_iSize(0)
{
}

HCompressedAudioStream::~HCompressedAudioStream() = default;

bool HCompressedAudioStream::setDataSource(const void* data, int size, int bits, int rate, int loopPosition)
{
    if (size < 0 || (!data && size > 0))
        return false;
    m_pData = static_cast<const uint8_t*>(data);
    m_pCursor = m_pData;
    m_iSize = size;
    m_iBitsPerSample = bits;
    m_iSampleRate = rate;
    m_iLoopPosition = loopPosition;
    return true;
}

int HCompressedAudioStream::m_readStream(void* buffer, int length)
{
    if (!buffer || length <= 0 || !m_pData)
        return 0;
    const int32_t left = static_cast<int32_t>(m_pData + m_iSize - m_pCursor);
    const int32_t count = length < left ? length : left;
    if (count <= 0)
        return 0;
    std::memcpy(buffer, m_pCursor, static_cast<size_t>(count));
    m_pCursor += count;
    return count;
}

int HCompressedAudioStream::m_seekStream(long long offset, int whence)
{
    // The target is worked out as an index in 64 bits, compared with the
    // bounds without overflow, and only then turned into a pointer.
    long long base = 0;
    const char* name = nullptr;
    switch (whence) {
    case 0:
        base = 0;
        name = "SEEK_SET";
        break;
    case 1:
        base = m_tellStream();
        name = "SEEK_CUR";
        break;
    case 2:
        base = m_iSize;
        name = "SEEK_END";
        break;
    default:
        HErrorManager::s_db_alert("HCompressedAudioStream::m_seekStream - invalid whence '%d'", whence);
        return -1;
    }
    if (offset > static_cast<long long>(m_iSize) - base) {
        m_pCursor = m_pData + m_iSize;
        HErrorManager::s_db_alert("HCompressedAudioStream::m_seekStream - %s out of range", name);
        return -1;
    }
    if (offset < -base) {
        m_pCursor = m_pData;
        HErrorManager::s_db_alert("HCompressedAudioStream::m_seekStream - %s out of range", name);
        return -1;
    }
    m_pCursor = m_pData + (base + offset);
    return 0;
}

int HCompressedAudioStream::m_tellStream() const
{
    return static_cast<int>(m_pCursor - m_pData);
}
