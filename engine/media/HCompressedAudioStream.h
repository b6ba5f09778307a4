// A streaming source whose compressed bytes lie whole in memory and are
// decoded on demand. It holds the bytes (not owned: the caller keeps them
// alive while the stream is set up and frees them), a read cursor over them,
// the loop position where playback continues after the end, and the mutex
// that keeps a rewind on the main thread apart from the decoding on the
// audio thread. Subclasses decode one format.
#pragma once

#include "engine/core/HMutex.h"
#include "engine/media/HStreamingAudioSource.h"

#include <cstdint>

class HCompressedAudioStream : public HStreamingAudioSource {
public:
    // Most PCM a stream reports for a whole-file decode: the cap on any
    // decoded sound (64 MiB).
    static constexpr int32_t kMaxUncompressedBytes = 64 * 1024 * 1024;

    // The mutex is constructed but not created: a subclass creates it.
    HCompressedAudioStream();
    ~HCompressedAudioStream() override;

    // Back to the start of the data (not the loop position).
    virtual void rewindAudioStream() = 0;
    // Records the bytes with the cursor at the first one, the format and the
    // loop position (in PCM frames). False, recording nothing, for a negative
    // size or missing bytes with a positive size.
    virtual bool setDataSource(const void* data, int size, int bits, int rate, int loopPosition);
    // Bytes of PCM that decoding the whole data gives.
    virtual int getUncompressedSizeInBytes() = 0;

    int getLoopPosition() const { return m_iLoopPosition; }

protected:
    // Copies min(length, bytes left) bytes from the cursor and advances it;
    // the count, 0 at the end or for a length of 0 or less.
    int m_readStream(void* buffer, int length);
    // whence 0 from the first byte, 1 from the cursor, 2 from the end. 0 when
    // the new place lies within the data or at its end; otherwise the cursor
    // goes to the bound that was crossed, a developer alert names the
    // whence, and the result is -1 (an unknown whence leaves the cursor).
    int m_seekStream(long long offset, int whence);
    // Bytes from the first byte to the cursor.
    int m_tellStream() const;

    int32_t m_iLoopPosition; // PCM frames from the start
    HMutex m_mutex;
    const uint8_t* m_pCursor; // within [m_pData, m_pData + m_iSize]
    const uint8_t* m_pData;
    int32_t m_iSize;
};
