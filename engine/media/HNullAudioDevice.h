// The silent audio device: it opens nothing, never fails and never reads its
// source, so a mixer behind it is simply not pulled.
#pragma once

#include "engine/media/HAudioDevice.h"

class HNullAudioDevice : public HAudioDevice {
public:
    HNullAudioDevice();
    ~HNullAudioDevice() override;

    void suspendAudioDevice() override;
    void resumeAudioDevice() override;
    // True; the format is not recorded.
    bool m_createAudioDevice(HStreamingAudioSource* source, int channels, int bits, int rate) override;
    void m_shutdownAudioDevice() override;
};
