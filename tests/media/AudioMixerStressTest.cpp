// The mixer and the music stream under two threads: one pulls chunks without
// pause, as the audio callback does, while the main thread starts, pauses,
// rewinds and stops samples and music, freeing sample data and deleting
// streams as soon as the stop calls return. Meant to run under the thread
// sanitizer (the tsan preset) as well as the others.
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HOggVorbisAudioStream.h"

#include "tests/support/OggFixtures.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <random>
#include <thread>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kRounds = 20000;

using Mixer = HAudioMixerStreamingAudioSource;

// Pulls 4096-byte chunks, as the audio device does at 22050 Hz, until told
// to stop; counts them and remembers whether the last one was all silence.
//
// A real device calls back once per buffer; a thread that pulled without a
// break would take the mixer's mutex again the moment it let it go, and the
// main thread would hardly ever get it. So the thread mixes only as many
// chunks as the main thread has granted. Grants and counts are relaxed
// atomics: they order nothing, so the thread sanitizer still sees every
// access to the mixer that its mutex does not order.
class AudioThread {
public:
    explicit AudioThread(Mixer& mixer) : m_mixer(mixer), m_thread([this] { run(); }) {}
    ~AudioThread()
    {
        m_stop.store(true);
        m_thread.join();
    }

    // Lets the thread mix `count` more chunks and goes on at once.
    void grant(int count) { m_granted.fetch_add(count, std::memory_order_relaxed); }
    // Grants `count` chunks and returns once they have been mixed whole.
    void waitForChunks(int count)
    {
        const int64_t target = m_chunks.load(std::memory_order_relaxed) + count;
        grant(count);
        while (m_chunks.load(std::memory_order_relaxed) < target)
            std::this_thread::yield();
    }
    bool lastChunkWasSilent() const { return m_lastSilent.load(std::memory_order_relaxed); }
    int64_t chunks() const { return m_chunks.load(std::memory_order_relaxed); }

private:
    void run()
    {
        std::vector<int16_t> buffer(2048);
        while (!m_stop.load(std::memory_order_relaxed)) {
            if (m_granted.load(std::memory_order_relaxed) <= 0) {
                std::this_thread::yield();
                continue;
            }
            m_granted.fetch_sub(1, std::memory_order_relaxed);
            const int got = m_mixer.readNextChunk(buffer.data(), 4096);
            bool silent = got == 4096;
            for (int16_t v : buffer)
                silent = silent && v == 0;
            m_lastSilent.store(silent, std::memory_order_relaxed);
            m_chunks.fetch_add(1, std::memory_order_relaxed);
        }
    }

    Mixer& m_mixer;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_lastSilent{false};
    std::atomic<int64_t> m_granted{0};
    std::atomic<int64_t> m_chunks{0};
    std::thread m_thread;
};

// A sample whose data lives only as long as the main thread says.
struct PlayedSample {
    std::unique_ptr<int16_t[]> data;
    int voice = -1;
};

std::unique_ptr<HOggVorbisAudioStream> newMusic(const Bytes& file, int loopPosition)
{
    auto stream = std::make_unique<HOggVorbisAudioStream>();
    EXPECT_TRUE(stream->initStreamingAudioSource());
    EXPECT_TRUE(stream->setDataSource(file.data(), static_cast<int>(file.size()), 16, kRate, loopPosition));
    return stream;
}

TEST(AudioMixerStress, TheMainThreadControlsEverythingWhileChunksAreMixed)
{
    const Bytes stereo = OggFixtures::vorbis(OggFixtures::tone(8000, 2, kRate, 440), 2, kRate, 0.2f);
    const Bytes mono = OggFixtures::vorbis(OggFixtures::tone(6000, 1, kRate, 660), 1, kRate, 0.2f);

    Mixer mixer;
    mixer.configureStreamingAudioSource(2, 16, kRate);
    std::unique_ptr<HOggVorbisAudioStream> music = newMusic(stereo, 1000);
    mixer.playCompressedAudioStream(nullptr, music.get(), 200);

    std::mt19937 random(20240611);
    const auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    std::vector<PlayedSample> played;

    {
        AudioThread audio(mixer);
        for (int round = 0; round < kRounds; ++round) {
            switch (pick(12)) {
            case 0:
            case 1:
            case 2: {
                // A fresh sample of 1 to 3000 frames, mono or stereo.
                const int channels = 1 + pick(2);
                const int values = channels * (1 + pick(3000));
                PlayedSample sample;
                sample.data.reset(new int16_t[static_cast<size_t>(values)]);
                for (int i = 0; i < values; ++i)
                    sample.data[static_cast<size_t>(i)] = static_cast<int16_t>(pick(65536) - 32768);
                const HAudioSample record{reinterpret_cast<uint8_t*>(sample.data.get()), channels, 16, kRate,
                                          values * 2};
                const int loops = pick(4) - 1;
                if (mixer.playSample(&sample.voice, &record, static_cast<unsigned char>(pick(256)), 0, loops) == 0)
                    played.push_back(std::move(sample));
                break;
            }
            case 3:
                if (!played.empty()) {
                    // Stop one and free its data at once.
                    const size_t i = static_cast<size_t>(pick(static_cast<int>(played.size())));
                    mixer.stopSample(played[i].voice);
                    ASSERT_FALSE(mixer.isUsingSampleData(played[i].data.get()));
                    played.erase(played.begin() + static_cast<std::ptrdiff_t>(i));
                }
                break;
            case 4:
                mixer.pauseSample(pick(9), pick(2) == 0);
                mixer.setSampleVolume(pick(9), static_cast<unsigned char>(pick(256)));
                break;
            case 5:
                mixer.rewindSample(pick(8));
                break;
            case 6:
                if (music)
                    music->rewindAudioStream();
                break;
            case 7:
                mixer.setStreamingAudioSourceVolume(static_cast<unsigned char>(pick(256)));
                mixer.mute(pick(4) == 0);
                break;
            case 8: {
                // Stop the music, delete its stream, start another.
                mixer.stopCompressedAudioStream(0);
                if (music)
                    music->shutdownStreamingAudioSource();
                const bool useMono = pick(2) == 0;
                music = newMusic(useMono ? mono : stereo, pick(5000));
                mixer.playCompressedAudioStream(nullptr, music.get(), static_cast<unsigned char>(pick(256)));
                break;
            }
            case 9:
                // Finished samples free their voices on the audio thread.
                for (size_t i = 0; i < played.size();) {
                    if (!mixer.isUsingSampleData(played[i].data.get()))
                        played.erase(played.begin() + static_cast<std::ptrdiff_t>(i));
                    else
                        ++i;
                }
                break;
            case 10: {
                // Everything stops: a chunk begun after that is silence.
                mixer.shutdownStreamingAudioSource();
                mixer.stopCompressedAudioStream(0);
                played.clear();
                audio.waitForChunks(2);
                EXPECT_TRUE(audio.lastChunkWasSilent()) << "round " << round;
                mixer.playCompressedAudioStream(nullptr, music.get(), 255);
                break;
            }
            default:
                mixer.configureStreamingAudioSource(2, 16, kRate);
                break;
            }
            // The audio thread mixes while the main thread goes on.
            audio.grant(1);
        }
        EXPECT_GT(audio.chunks(), kRounds / 2);
        mixer.shutdownStreamingAudioSource();
        mixer.stopCompressedAudioStream(0);
    }
    // The audio thread has ended; whatever is left may go.
    played.clear();
    music.reset();
}

} // namespace
