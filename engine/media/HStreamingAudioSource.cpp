// The streaming source's format and muted flag.
#include "engine/media/HStreamingAudioSource.h"

HStreamingAudioSource::HStreamingAudioSource()
    : m_iNumChannels(0), m_iSampleRate(0), m_iBitsPerSample(0), m_bMuted(false)
{
}

HStreamingAudioSource::~HStreamingAudioSource() = default;

void HStreamingAudioSource::mute(bool muted)
{
    m_bMuted = muted;
}

bool HStreamingAudioSource::isMuted() const
{
    return m_bMuted;
}

int HStreamingAudioSource::getNumChannels() const
{
    return m_iNumChannels;
}

int HStreamingAudioSource::getSampleRate() const
{
    return m_iSampleRate;
}

void HStreamingAudioSource::configureStreamingAudioSource(int channels, int bits, int rate)
{
    m_iNumChannels = channels;
    m_iBitsPerSample = bits;
    m_iSampleRate = rate;
}
