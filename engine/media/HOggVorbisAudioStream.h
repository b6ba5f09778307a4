// An Ogg Vorbis stream over bytes in memory, decoded by vorbisfile through
// this stream's own callbacks. It delivers signed 16-bit little-endian PCM
// in the file's channel count, and only opens a file whose rate is the one
// asked; a chained file plays from its first link on, and a chain whose links
// differ in channels or rate is refused. A hole in the data (a lost or
// damaged page) is passed over as reference decoders pass it: decoding goes
// on with the next page. At the end of the data the stream seeks to the loop
// position and decodes on in the same call, so it never reports an end to
// the mixer. The soundtrack is pulled on the audio thread and rewound on the
// main thread: both hold the stream's mutex for their whole work.
#pragma once

#include "engine/media/HCompressedAudioStream.h"

#include <cstddef>
#include <cstdint>

struct OggVorbis_File;

class HOggVorbisAudioStream : public HCompressedAudioStream {
public:
    // Why the last setDataSource left the stream closed.
    enum Refusal : int32_t {
        REFUSAL_NONE = 0,
        REFUSAL_NOT_VORBIS,  // no decoder, no bytes, or not Ogg Vorbis data
        REFUSAL_MIXED_LINKS, // a chain whose links differ in channels or rate
        REFUSAL_OTHER_RATE,  // the data's rate is not the one asked
    };

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
    // Whole PCM frames from where decoding stands to the end of the data,
    // never looping: the byte count (0 at the end), or -1 when decoding
    // failed. Stops when the buffer is full; `ended` (may be null) tells
    // whether the end of the data was reached.
    int readToEnd(void* buffer, int length, bool* ended);
    // Seeks to frame 0 when the stream is open; nothing otherwise.
    void rewindAudioStream() override;
    // Records the bytes and opens the decoder on them, at the start of the
    // first link; a decoder that was open on earlier bytes is cleared first.
    // False with a developer alert, the stream closed and getRefusal() saying
    // why, when there is no decoder, the bytes are not Ogg Vorbis, the links
    // of a chain differ in channels or rate, or the data's rate is not
    // `rate` (it would play at the wrong pitch). The channel count becomes
    // the file's on success.
    bool setDataSource(const void* data, int size, int bits, int rate, int loopPosition) override;
    // Frames of all links x channels x 2, capped at kMaxUncompressedBytes
    // (rounded down to whole frames); 0 unless the stream is open and the
    // file reports a length.
    int getUncompressedSizeInBytes() override;

    bool isOpened() const { return m_bOpened; }
    Refusal getRefusal() const { return m_eRefusal; }
    // The rate of the data's first link in Hz, once the decoder has read its
    // headers (also when the rate was refused); 0 before.
    int getDataRate() const { return m_iDataRate; }

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
    // Checks the opened data's links against each other and the rate asked;
    // REFUSAL_NONE when the stream may play them.
    Refusal m_checkLinks(int rate);
    // One ov_read of whole frames into `out`, passing over holes: the byte
    // count, 0 at the end of the data, or negative for a decoding error.
    long m_decodeFrames(char* out, int wanted);
    // Whole frames into `out` from where decoding stands. At the end of the
    // data it goes on from the loop position when `loop`, else stops with
    // `ended` set; a decoding error stops it with `failed` set. The bytes
    // delivered.
    int m_fill(char* out, int length, bool loop, bool* ended, bool* failed);

    OggVorbis_File* m_pDecoder; // owned; null before initStreamingAudioSource
    int32_t m_iCurrentSection;  // the logical stream ov_read reports
    bool m_bOpened;             // between ov_open_callbacks and ov_clear
    Refusal m_eRefusal;         // of the last setDataSource
    int32_t m_iDataRate;        // Hz of the first link; 0 before one was read
};
