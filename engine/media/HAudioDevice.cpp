// The audio devices' base and the factory that picks one by console variable.
#include "engine/media/HAudioDevice.h"

#include "engine/core/HCvarManager.h"
#include "engine/core/HUtil.h"
#include "engine/media/HNullAudioDevice.h"
#include "engine/media/HSDLAudioDevice.h"

#include <new>

HAudioDevice::HAudioDevice() : HSystemDevice(), m_iNumChannels(0), m_iBitsPerSample(0), m_iSampleRate(0) {}

HAudioDevice::~HAudioDevice() = default;

bool HAudioDevice::m_createAudioDevice(HStreamingAudioSource* /*source*/, int channels, int bits, int rate)
{
    m_iNumChannels = channels;
    m_iBitsPerSample = bits;
    m_iSampleRate = rate;
    return true;
}

HAudioDevice* HAudioDevice::s_createAudioDevice(HCvarManager* cvars, HStreamingAudioSource* source, int channels,
                                                int bits, int rate)
{
    // A variable that was never added reads as null: that is the default
    // driver, not a string to compare.
    const char* driver = cvars ? cvars->getVariableString("c_soundDriver") : nullptr;
    const bool silent = driver && HUtil::s_stricmp(driver, "null") == 0;
    HAudioDevice* device = nullptr;
    if (silent)
        device = new (std::nothrow) HNullAudioDevice();
    else
        device = new (std::nothrow) HSDLAudioDevice();
    if (!device)
        return nullptr;
    if (!device->m_createAudioDevice(source, channels, bits, rate)) {
        delete device;
        return nullptr;
    }
    return device;
}

void HAudioDevice::s_destroyAudioDevice(HAudioDevice* device)
{
    if (!device)
        return;
    device->m_shutdownAudioDevice();
    delete device;
}
