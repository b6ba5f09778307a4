// A streaming source for audio-device tests: it counts the chunks an audio
// device pulls and records their lengths, forwarding each request to an
// inner source when it has one (else it leaves the buffer as it is). Its
// record is guarded by its own mutex, and the test thread can wait for a
// number of chunks, so a test learns of the audio thread's progress through
// events, never by sleeping.
#pragma once

#include "engine/media/HStreamingAudioSource.h"

#include <condition_variable>
#include <mutex>
#include <vector>

class RecordingAudioSource : public HStreamingAudioSource {
public:
    explicit RecordingAudioSource(HStreamingAudioSource* inner = nullptr);
    ~RecordingAudioSource() override;

    bool initStreamingAudioSource() override;
    void shutdownStreamingAudioSource() override;
    int readNextChunk(void* buffer, int length) override;

    // Waits until at least `count` chunks have been pulled since
    // construction; false when that has not happened within the timeout.
    bool waitForChunks(int count, int timeoutSeconds = 20);
    int chunks() const;
    std::vector<int> lengths() const;

private:
    HStreamingAudioSource* m_pInner;
    mutable std::mutex m_mutex;
    std::condition_variable m_pulled;
    std::vector<int> m_lengths;
};
