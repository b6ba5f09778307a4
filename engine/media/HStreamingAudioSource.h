// The pull interface between an audio device and whatever produces PCM: the
// device's callback asks its one source to fill a buffer of a given byte
// length. The source knows its own format (channels, bits per sample, rate)
// and can be muted.
#pragma once

#include <cstdint>

class HStreamingAudioSource {
public:
    // No format (all three numbers 0), not muted.
    HStreamingAudioSource();
    virtual ~HStreamingAudioSource();

    HStreamingAudioSource(const HStreamingAudioSource&) = delete;
    HStreamingAudioSource& operator=(const HStreamingAudioSource&) = delete;

    // True on success.
    virtual bool initStreamingAudioSource() = 0;
    virtual void shutdownStreamingAudioSource() = 0;
    // Fills up to `length` bytes of `buffer`; returns the number of bytes
    // delivered.
    virtual int readNextChunk(void* buffer, int length) = 0;
    virtual void mute(bool muted);
    virtual bool isMuted() const;
    virtual int getNumChannels() const;
    virtual int getSampleRate() const;
    // Stores the three values.
    virtual void configureStreamingAudioSource(int channels, int bits, int rate);

protected:
    int32_t m_iNumChannels;
    int32_t m_iSampleRate;  // Hz
    int32_t m_iBitsPerSample;
    bool m_bMuted;
};
