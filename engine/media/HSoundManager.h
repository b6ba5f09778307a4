// Sound effects played by file name. The first use of a name loads the file
// through the resource file system, decoded whole into PCM of the output's
// bits and rate, into one of 64 cache slots; every play hands the cached PCM
// to a free voice of the mixer. The manager owns the cached PCM and frees it
// only in unloadAudioSample and shutdownSoundManager, which first stop every
// voice of the mixer that plays from it, so the audio thread never reads
// freed memory.
//
// Names compare without regard to case and are kept to their first 127
// characters, for storing and for looking up alike. The loader is chosen by
// the name: one containing ".wav" takes the WAV loader, else one containing
// ".ogg" the Ogg loader (both case-sensitive).
//
// Main thread only.
#pragma once

#include "engine/media/HAudioSample.h"

#include <cstdint>

class HAudioMixerStreamingAudioSource;
class HFileSystem;

class HSoundManager {
public:
    static constexpr int kNumSlots = 64;
    // Bytes of a slot's name, the terminator included.
    static constexpr int kMaxNameBytes = 128;

    // Every slot free; no file system, no mixer, format 0.
    HSoundManager();
    // Frees nothing: call shutdownSoundManager once no voice plays.
    virtual ~HSoundManager();

    HSoundManager(const HSoundManager&) = delete;
    HSoundManager& operator=(const HSoundManager&) = delete;

    // Stores all five (neither pointer is owned); true. Samples load in
    // these bits and this rate; the channel count is kept, not used.
    bool initSoundManager(HFileSystem* fs, HAudioMixerStreamingAudioSource* mixer, int channels, int bits, int rate);
    // Stops every voice that plays a cached sample, frees every cached
    // sample and forgets the file system and the mixer.
    void shutdownSoundManager();

    // True when the sample is in the cache afterwards.
    bool preloadAudioSample(const char* name);
    // Loads the sample when it is not cached and hands it to the mixer. 0
    // for a null name, without a file system or mixer, when the sample does
    // not load or cannot be kept, or when overlap is not allowed and the
    // sample is already playing; otherwise 1, even when the mixer had no
    // voice free or refused the sample (its result is not passed on).
    int playSoundByName(int* voice, const char* name, int loopCount, unsigned char volume, signed char pan,
                        bool overlapAllowed);
    // Stops every voice that plays the sample of that name and frees it, so
    // that a later play loads the file again.
    void unloadAudioSample(const char* name);

    // Forwarded to the mixer's voice; nothing without a mixer. No caller in
    // the game, which controls no voice once it is started.
    void pauseSound(int voice, bool paused);
    void stopSound(int voice);
    void setSoundVolume(int voice, unsigned char volume);
    void rewindSound(int voice);

    // The cached record of that name (first slot in slot order); null when
    // none.
    HAudioSample* m_findAudioSample(const char* name);
    // Puts the name and the record into the first free slot; false, with a
    // developer alert, when every slot is taken.
    bool m_storeAudioSampleData(const char* name, const HAudioSample& sample);
    // The cached record, loading and caching it first when needed; copied to
    // `out` unless it is null. A sample that was decoded but finds no free
    // slot is freed and the load fails: nothing else would ever free it.
    bool m_loadAudioSample(const char* name, HAudioSample* out);
    // True when a slot of that name holds data that some voice plays.
    bool m_soundIsPlaying(const char* name);

private:
    struct Slot {
        char m_szName[kMaxNameBytes]; // empty when free
        HAudioSample sample;          // data null when free
    };

    // The name as a slot stores it: its first 127 characters.
    static void m_makeKey(const char* name, char (&key)[kMaxNameBytes]);
    static bool m_slotHasKey(const Slot& slot, const char* key);
    // Stops the voices that play the slot's data, then frees it.
    void m_freeSlot(Slot& slot);

    Slot m_slots[kNumSlots];
    HFileSystem* m_pFileSystem;             // not owned
    HAudioMixerStreamingAudioSource* m_pMixer; // not owned
    int32_t m_iBitsPerSample;
    int32_t m_iSampleRate; // Hz
    int32_t m_iNumChannels;
};
