// The software mixer that the audio device pulls: 8 sound voices, each
// playing a decoded sample from memory, over one music stream decoded chunk
// by chunk. Volumes are 0 to 255 applied as (value x volume) >> 8.
//
// readNextChunk runs on the audio thread and every other operation on the
// main thread. The mixer's mutex makes them exclusive: a chunk is mixed from
// one consistent state, and once stopSample, shutdownStreamingAudioSource or
// stopCompressedAudioStream has returned the audio thread no longer reads the
// sample data or the old stream. The mixer's mutex is always taken before a
// stream's mutex, never after it. A mixer whose mutex could not be created
// keeps no state: it refuses every change and mixes silence.
#pragma once

#include "engine/core/HMutex.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HStreamingAudioSource.h"

#include <cstdint>

class HCompressedAudioStream;

class HAudioMixerStreamingAudioSource : public HStreamingAudioSource {
public:
    static constexpr int kNumVoices = 8;
    // Largest chunk mixed in one piece, the size of the music scratch buffer
    // (4096 frames of 2 channels of 16 bits); longer requests are mixed in
    // pieces of this size.
    static constexpr int kMaxChunkBytes = 16384;

    // One voice: a copy of the sample record being played (the data is not
    // owned) and where it has got to. Each get method produces one frame
    // and advances the voice; at the end of the data the loop count decides
    // whether it plays again (negative: for ever; n > 0: n more times) or
    // goes idle.
    class HAudioMixerVoice {
    public:
        // Idle.
        HAudioMixerVoice();

        // Starts the sample from its first frame. The caller has checked that
        // it holds at least one whole frame of its own format.
        void start(const HAudioSample& sample, unsigned char volume, signed char pan, int loopCount);
        // Idle: no data, paused, volume 255.
        void stop();
        bool isInUse() const { return m_sample.data != nullptr; }
        bool isSounding() const { return m_sample.data != nullptr && !m_bPaused; }

        // 16-bit data; a mono sample gives the same value on both sides.
        void getStereoSample16(int16_t* left, int16_t* right);
        // 8-bit data, each value made signed (u - 128) before the volume.
        void getStereoSample8(signed char* left, signed char* right);
        // One 8-bit value, whatever the channel count.
        void getMonoSample8(signed char* value);

        HAudioSample m_sample;
        bool m_bPaused;
        int32_t m_iPosition;  // next value in the data, channels counted apart
        uint8_t m_uVolume;
        int8_t m_iPan;        // kept with the voice, not applied
        int32_t m_iLoopCount; // -1 for ever; n >= 0 plays n + 1 times in all
        int32_t m_iLength;    // values in the data, whole frames only

    private:
        void m_advance(int32_t values);
    };

    HAudioMixerStreamingAudioSource();
    // Frees nothing: the mixer owns neither the sample data nor the stream.
    ~HAudioMixerStreamingAudioSource() override;

    // True; nothing else.
    bool initStreamingAudioSource() override;
    // Makes every voice idle; the music stream and its volume stay.
    void shutdownStreamingAudioSource() override;
    // Mixes the music and the sounding voices into `length` bytes in the
    // mixer's format and returns `length`. Stereo 16-bit, mono 8-bit and
    // stereo 8-bit mix voices; music is mixed into 16-bit output only. Any
    // other format raises a developer alert on every chunk and delivers the
    // base layer (music or silence). Silence is 128 in 8-bit output, else 0.
    int readNextChunk(void* buffer, int length) override;
    void mute(bool muted) override;
    void configureStreamingAudioSource(int channels, int bits, int rate) override;
    // The music volume, from the next chunk on.
    virtual void setStreamingAudioSourceVolume(unsigned char volume);

    // -2, changing nothing, for a null sample, a loop count below -1, bits
    // other than the mixer's, more channels than the mixer's, a rate other
    // than the mixer's (traced), or a sample without one whole frame. -1
    // with a developer trace when all 8 voices are in use (paused ones
    // included). Else 0: the lowest free voice plays the sample and its
    // number goes to *voice when voice is not null.
    int playSample(int* voice, const HAudioSample* sample, unsigned char volume, signed char pan, int loopCount);
    // These four do nothing for a voice number outside 0 to 7.
    void pauseSample(int voice, bool paused);
    void rewindSample(int voice);
    void stopSample(int voice);
    void setSampleVolume(int voice, unsigned char volume);
    // True while some voice plays from `data`.
    bool isUsingSampleData(const void* data);
    // Makes idle every voice that plays from `data` (paused ones included);
    // once it returns the audio thread no longer reads the data.
    void stopVoicesUsingSampleData(const void* data);

    // Makes the stream the music (writing 0 to *handle) at the given volume;
    // the stream that is already the music keeps its volume. Returns 0.
    int playCompressedAudioStream(int* handle, HCompressedAudioStream* stream, unsigned char volume);
    // No music from now on; the handle is not used.
    void stopCompressedAudioStream(int handle);

private:
    // Frames summed at a time (two values each) in a local accumulator.
    static constexpr int kMixBlock = 1024;

    void m_mixPiece(uint8_t* out, int length);
    void m_mixMusic(uint8_t* out, int length);
    void m_mixStereo16(uint8_t* out, int frames);
    void m_mixMono8(uint8_t* out, int values);
    void m_mixStereo8(uint8_t* out, int frames);

    HAudioMixerVoice m_voices[kNumVoices];
    HCompressedAudioStream* m_pMusicStream; // not owned; null without music
    uint8_t m_uMusicVolume;
    HMutex m_mutex; // guards everything above and the format and muted flag
};
