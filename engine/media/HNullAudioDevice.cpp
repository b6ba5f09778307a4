// The silent audio device: every operation does nothing.
#include "engine/media/HNullAudioDevice.h"

HNullAudioDevice::HNullAudioDevice() : HAudioDevice() {}

HNullAudioDevice::~HNullAudioDevice() = default;

void HNullAudioDevice::suspendAudioDevice() {}

void HNullAudioDevice::resumeAudioDevice() {}

bool HNullAudioDevice::m_createAudioDevice(HStreamingAudioSource* /*source*/, int /*channels*/, int /*bits*/,
                                           int /*rate*/)
{
    return true;
}

void HNullAudioDevice::m_shutdownAudioDevice() {}
