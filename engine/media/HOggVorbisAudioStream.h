// An Ogg Vorbis stream over bytes in memory, decoded by vorbisfile through
// this stream's own callbacks. It always delivers signed 16-bit little-endian
// PCM at the file's rate and its channel count; at the end of the data it
// seeks to the loop position and decodes on in the same call, so it never
// reports an end to the mixer. The soundtrack is pulled on the audio thread
// and rewound on the main thread: both hold the stream's mutex for their
// whole work.
#pragma once

#include "engine/media/HCompressedAudioStream.h"

#include <cstddef>
#include <cstdint>

struct OggVorbis_File;

class HOggVorbisAudioStream : public HCompressedAudioStream {
public:
    // Creates the mutex; no decoder yet.
    HOggVorbisAudioStream();
    // Releases the decoder like shutdownStreamingAudioSource.
    ~HOggVorbisAudioStream() override;

    // Allocates a zeroed decoder record (once); true when there is one.
    bool initStreamingAudioSource() override;
    // Clears and frees the decoder; the data bytes stay the caller's.
    void shutdownStreamingAudioSource() override;
    // Whole PCM frames into the buffer, looping at the end of the data; the
    // byte count, short only after a decoding error, a failed loop seek or
    // a loop position at or past the end (which leave silence), or when less
    // than one frame was asked for. 0 before a successful setDataSource.
    int readNextChunk(void* buffer, int length) override;
    // Seeks to frame 0 when the stream is open; nothing otherwise.
    void rewindAudioStream() override;
    // Records the bytes and opens the decoder on them; a decoder that was
    // open on earlier bytes is cleared first. False with a developer alert
    // when there is no decoder or the bytes are not Ogg Vorbis; the channel
    // count becomes the file's on success. A file whose rate differs from
    // `rate` is traced: it would play at the wrong speed.
    bool setDataSource(const void* data, int size, int bits, int rate, int loopPosition) override;
    // Frames of all links x channels x 2, capped at kMaxUncompressedBytes
    // (rounded down to whole frames); 0 unless the stream is open and the
    // file reports a length.
    int getUncompressedSizeInBytes() override;

    bool isOpened() const { return m_bOpened; }

    // vorbisfile's callbacks; `source` is the stream.
    static size_t sm_readFunc(void* buffer, size_t elementSize, size_t elementCount, void* source);
    static int sm_seekFunc(void* source, int64_t offset, int whence);
    static int sm_closeFunc(void* source);
    static long sm_tellFunc(void* source);

private:
    // Both run with the mutex held (or, for the destructor, while nothing
    // else can reach the stream).
    void m_releaseDecoder();
    bool m_seekToLoopPosition();

    OggVorbis_File* m_pDecoder; // owned; null before initStreamingAudioSource
    int32_t m_iCurrentSection;  // the logical stream ov_read reports
    bool m_bOpened;             // between ov_open_callbacks and ov_clear
};
