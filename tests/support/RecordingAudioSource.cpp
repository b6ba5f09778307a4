// Counting the chunks an audio device pulls.
#include "tests/support/RecordingAudioSource.h"

#include <chrono>

RecordingAudioSource::RecordingAudioSource(HStreamingAudioSource* inner)
    : HStreamingAudioSource(), m_pInner(inner), m_mutex(), m_pulled(), m_lengths()
{
}

RecordingAudioSource::~RecordingAudioSource() = default;

bool RecordingAudioSource::initStreamingAudioSource()
{
    return true;
}

void RecordingAudioSource::shutdownStreamingAudioSource() {}

int RecordingAudioSource::readNextChunk(void* buffer, int length)
{
    const int got = m_pInner ? m_pInner->readNextChunk(buffer, length) : length;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_lengths.push_back(length);
    }
    m_pulled.notify_all();
    return got;
}

bool RecordingAudioSource::waitForChunks(int count, int timeoutSeconds)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    return m_pulled.wait_for(lock, std::chrono::seconds(timeoutSeconds),
                             [&] { return static_cast<int>(m_lengths.size()) >= count; });
}

int RecordingAudioSource::chunks() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_lengths.size());
}

std::vector<int> RecordingAudioSource::lengths() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_lengths;
}
