// The sound cache and playing by name.
#include "engine/media/HSoundManager.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HUtil.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HOGGLoader.h"
#include "engine/media/HWAVLoader.h"

#include <cstring>

HSoundManager::HSoundManager()
    : m_slots(), m_pFileSystem(nullptr), m_pMixer(nullptr), m_iBitsPerSample(0), m_iSampleRate(0), m_iNumChannels(0)
{
    for (Slot& slot : m_slots) {
        slot.m_szName[0] = '\0';
        slot.sample = HAudioSample{nullptr, 0, 0, 0, 0};
    }
}

HSoundManager::~HSoundManager() = default;

bool HSoundManager::initSoundManager(HFileSystem* fs, HAudioMixerStreamingAudioSource* mixer, int channels, int bits,
                                     int rate)
{
    m_pFileSystem = fs;
    m_pMixer = mixer;
    m_iNumChannels = channels;
    m_iBitsPerSample = bits;
    m_iSampleRate = rate;
    return true;
}

void HSoundManager::shutdownSoundManager()
{
    for (Slot& slot : m_slots) {
        if (slot.sample.data)
            m_freeSlot(slot);
    }
    m_pFileSystem = nullptr;
    m_pMixer = nullptr;
}

void HSoundManager::m_freeSlot(Slot& slot)
{
    // The audio thread reads the data through the voices until they stop.
    if (m_pMixer)
        m_pMixer->stopVoicesUsingSampleData(slot.sample.data);
    delete[] slot.sample.data;
    slot.sample = HAudioSample{nullptr, 0, 0, 0, 0};
    slot.m_szName[0] = '\0';
}

void HSoundManager::m_makeKey(const char* name, char (&key)[kMaxNameBytes])
{
    // Cut as a slot stores it, so that a name longer than a slot holds finds
    // the slot it was stored in instead of loading the file into another.
    HUtil::s_strcpy(key, name, kMaxNameBytes);
}

bool HSoundManager::m_slotHasKey(const Slot& slot, const char* key)
{
    return slot.m_szName[0] != '\0' && HUtil::s_stricmp(slot.m_szName, key) == 0;
}

bool HSoundManager::preloadAudioSample(const char* name)
{
    return m_loadAudioSample(name, nullptr);
}

int HSoundManager::playSoundByName(int* voice, const char* name, int loopCount, unsigned char volume,
                                   signed char pan, bool overlapAllowed)
{
    if (!name || !m_pFileSystem || !m_pMixer)
        return 0;
    HAudioSample sample{nullptr, 0, 0, 0, 0};
    if (!m_loadAudioSample(name, &sample))
        return 0;
    if (!overlapAllowed && m_soundIsPlaying(name))
        return 0;
    if (sample.data)
        m_pMixer->playSample(voice, &sample, volume, pan, loopCount);
    return 1;
}

void HSoundManager::unloadAudioSample(const char* name)
{
    if (!name)
        return;
    char key[kMaxNameBytes];
    m_makeKey(name, key);
    for (Slot& slot : m_slots) {
        if (m_slotHasKey(slot, key))
            m_freeSlot(slot);
    }
}

void HSoundManager::pauseSound(int voice, bool paused)
{
    if (m_pMixer)
        m_pMixer->pauseSample(voice, paused);
}

void HSoundManager::stopSound(int voice)
{
    if (m_pMixer)
        m_pMixer->stopSample(voice);
}

void HSoundManager::setSoundVolume(int voice, unsigned char volume)
{
    if (m_pMixer)
        m_pMixer->setSampleVolume(voice, volume);
}

void HSoundManager::rewindSound(int voice)
{
    if (m_pMixer)
        m_pMixer->rewindSample(voice);
}

HAudioSample* HSoundManager::m_findAudioSample(const char* name)
{
    if (!name)
        return nullptr;
    char key[kMaxNameBytes];
    m_makeKey(name, key);
    for (Slot& slot : m_slots) {
        if (m_slotHasKey(slot, key))
            return &slot.sample;
    }
    return nullptr;
}

bool HSoundManager::m_storeAudioSampleData(const char* name, const HAudioSample& sample)
{
    for (Slot& slot : m_slots) {
        if (slot.m_szName[0] == '\0' && !slot.sample.data) {
            HUtil::s_strcpy(slot.m_szName, name, kMaxNameBytes);
            slot.sample = sample;
            return true;
        }
    }
    HErrorManager::s_db_alert("m_storeAudioBufferTemplate - couldn't find a free slot");
    return false;
}

bool HSoundManager::m_loadAudioSample(const char* name, HAudioSample* out)
{
    if (!m_pFileSystem || !name)
        return false;
    if (const HAudioSample* cached = m_findAudioSample(name)) {
        if (out)
            *out = *cached;
        return true;
    }
    HErrorManager::s_db_trace("...loading sound '%s'\n", name);

    HWAVLoader wavLoader;
    HOGGLoader oggLoader;
    HAudioSampleLoader* loader = nullptr;
    if (std::strstr(name, ".wav"))
        loader = &wavLoader;
    else if (std::strstr(name, ".ogg"))
        loader = &oggLoader;
    if (!loader) {
        HErrorManager::s_db_alert("loadAudioSample - unknown file type for file '%s'", name);
        return false;
    }
    HAudioSample sample{nullptr, 0, 0, 0, 0};
    if (!loader->loadAudioSample(m_pFileSystem, name, &sample, m_iBitsPerSample, m_iSampleRate))
        return false;
    // A sample the cache cannot keep would be handed to a voice with nobody
    // to free it afterwards: freed here, it never plays.
    if (!m_storeAudioSampleData(name, sample)) {
        delete[] sample.data;
        return false;
    }
    if (out)
        *out = sample;
    return true;
}

bool HSoundManager::m_soundIsPlaying(const char* name)
{
    if (!m_pMixer || !name)
        return false;
    char key[kMaxNameBytes];
    m_makeKey(name, key);
    for (const Slot& slot : m_slots) {
        if (m_slotHasKey(slot, key) && slot.sample.data && m_pMixer->isUsingSampleData(slot.sample.data))
            return true;
    }
    return false;
}
