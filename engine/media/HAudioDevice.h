// The audio output's interface: once opened in a format, a device pulls PCM
// from one streaming source (the mixer) whenever the output needs more, on
// whatever thread the output runs. The static factory chooses the device by
// the console variable "c_soundDriver": "null" (in any letter case) gives the
// silent device, anything else, a missing variable included, the SDL device.
#pragma once

#include "engine/media/HSystemDevice.h"

#include <cstdint>

class HCvarManager;
class HStreamingAudioSource;

class HAudioDevice : public HSystemDevice {
public:
    // No format yet (all three 0).
    HAudioDevice();
    ~HAudioDevice() override;

    HAudioDevice(const HAudioDevice&) = delete;
    HAudioDevice& operator=(const HAudioDevice&) = delete;

    // A new device opened on `source` in the given format, or null when it
    // could not be opened (the device is deleted again). A null manager
    // counts as "default".
    static HAudioDevice* s_createAudioDevice(HCvarManager* cvars, HStreamingAudioSource* source, int channels,
                                             int bits, int rate);
    // Closes and deletes the device; null is ignored. Once it returns the
    // source is no longer read.
    static void s_destroyAudioDevice(HAudioDevice* device);

    virtual void suspendAudioDevice() = 0;
    virtual void resumeAudioDevice() = 0;
    // Records the format; true. A device opens its output first.
    virtual bool m_createAudioDevice(HStreamingAudioSource* source, int channels, int bits, int rate);
    virtual void m_shutdownAudioDevice() = 0;

    int getNumChannels() const { return m_iNumChannels; }
    int getBitsPerSample() const { return m_iBitsPerSample; }
    int getSampleRate() const { return m_iSampleRate; }

protected:
    int32_t m_iNumChannels;
    int32_t m_iBitsPerSample;
    int32_t m_iSampleRate; // Hz
};
