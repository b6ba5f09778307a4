// SDL 1.2 audio output, pulled from one streaming source on SDL's audio
// thread.
#include "engine/media/HSDLAudioDevice.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HStreamingAudioSource.h"

#include <SDL.h>

void sdlAudioCallback(void* source, uint8_t* stream, int length)
{
    if (!source || !stream || length <= 0)
        return;
    static_cast<HStreamingAudioSource*>(source)->readNextChunk(stream, length);
}

HSDLAudioDevice::HSDLAudioDevice() : HAudioDevice(), m_pSource(nullptr) {}

HSDLAudioDevice::~HSDLAudioDevice()
{
    // A device deleted while open would leave SDL calling back into a source
    // that may be gone.
    if (m_pSource)
        m_shutdownAudioDevice();
}

int HSDLAudioDevice::s_framesPerCallback(int rate)
{
    if (rate <= 11025)
        return 512;
    if (rate <= 22050)
        return 1024;
    if (rate <= 44100)
        return 2048;
    return 4096;
}

bool HSDLAudioDevice::m_createAudioDevice(HStreamingAudioSource* source, int channels, int bits, int rate)
{
    // The source is what marks the device open; without one there would be
    // nothing for the callback to read.
    if (!source)
        return false;
    // Audio only, with no parachute: SDL installs no signal handlers of its
    // own, and no timer thread is started.
    if (SDL_Init(SDL_INIT_AUDIO | SDL_INIT_NOPARACHUTE) != 0) {
        HErrorManager::s_alert("createAudioDevice: SDL_Init() failed: %s", SDL_GetError());
        return false;
    }

    SDL_AudioSpec desired;
    SDL_memset(&desired, 0, sizeof(desired));
    desired.freq = rate;
    desired.format = bits == 8 ? AUDIO_U8 : AUDIO_S16LSB;
    desired.channels = static_cast<Uint8>(channels);
    desired.samples = static_cast<Uint16>(s_framesPerCallback(rate));
    desired.callback = sdlAudioCallback;
    desired.userdata = source;
    // No "obtained" record: SDL converts from exactly this format.
    if (SDL_OpenAudio(&desired, nullptr) != 0) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        return false;
    }

    HAudioDevice::m_createAudioDevice(source, channels, bits, rate);
    m_pSource = source;
    resumeAudioDevice();
    return true;
}

void HSDLAudioDevice::m_shutdownAudioDevice()
{
    // SDL_CloseAudio waits for the audio thread to end.
    SDL_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    m_pSource = nullptr;
}

void HSDLAudioDevice::suspendAudioDevice()
{
    SDL_PauseAudio(1);
}

void HSDLAudioDevice::resumeAudioDevice()
{
    SDL_PauseAudio(0);
}
