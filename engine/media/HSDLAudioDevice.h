// The audio device over SDL 1.2's audio callback. Opening asks SDL for
// exactly the given format (unsigned 8-bit for 8 bits, signed 16-bit
// little-endian for anything else) with no "obtained" record, so SDL converts
// to whatever the hardware takes, and starts playback at once. From then
// until the device is shut down SDL's audio thread calls sdlAudioCallback,
// one call at a time, and the callback fills the whole buffer from the
// source; everything else runs on the main thread.
#pragma once

#include "engine/media/HAudioDevice.h"

#include <cstdint>

class HSDLAudioDevice : public HAudioDevice {
public:
    // Not open: no source.
    HSDLAudioDevice();
    // Shuts the output down when it is still open.
    ~HSDLAudioDevice() override;

    // Pauses the output: the callback stops and SDL plays silence.
    void suspendAudioDevice() override;
    void resumeAudioDevice() override;
    // Initialises SDL's audio subsystem (alert on failure), opens the output
    // and starts it; false when either fails, with the subsystem shut down
    // again, and false at once for a null source.
    bool m_createAudioDevice(HStreamingAudioSource* source, int channels, int bits, int rate) override;
    // Closes the output: once this returns the callback no longer runs and
    // the source is not read again.
    void m_shutdownAudioDevice() override;

    // Sample frames SDL asks for per callback at `rate` Hz: 512 up to 11025,
    // 1024 up to 22050, 2048 up to 44100, 4096 above.
    static int s_framesPerCallback(int rate);

    HStreamingAudioSource* getSource() const { return m_pSource; }

private:
    HStreamingAudioSource* m_pSource; // not owned; null while not open
};

// SDL's audio callback: `source` is the device's HStreamingAudioSource,
// asked for all `length` bytes.
void sdlAudioCallback(void* source, uint8_t* stream, int length);
