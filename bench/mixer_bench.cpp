// The audio thread's work: one readNextChunk of 1024 stereo 16-bit frames
// (4096 bytes, the device's buffer at 22050 Hz) with eight looping voices
// over a looping Ogg Vorbis music stream, and each layer alone. The counter
// "cpu_per_audio_s" is the CPU time that one second of output costs.
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HAudioSample.h"
#include "engine/media/HOggVorbisAudioStream.h"
#include "tests/support/OggFixtures.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr int kChunkFrames = 1024;

// A chord whose notes swell and fade, in stereo 16-bit frames.
std::vector<int16_t> music(int frames)
{
    const double pi = 3.14159265358979323846;
    const double notes[] = {220.0, 277.18, 329.63, 440.0};
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    for (int i = 0; i < frames; ++i) {
        const double t = double(i) / kRate;
        double left = 0;
        double right = 0;
        for (int n = 0; n < 4; ++n) {
            const double envelope = 0.5 + 0.5 * std::sin(2 * pi * (0.25 + 0.1 * n) * t);
            const double v = 0.12 * envelope * std::sin(2 * pi * notes[n] * t);
            left += n % 2 ? v : 0.6 * v;
            right += n % 2 ? 0.6 * v : v;
        }
        pcm[size_t(i) * 2] = int16_t(left * 32767.0);
        pcm[size_t(i) * 2 + 1] = int16_t(right * 32767.0);
    }
    return pcm;
}


const std::vector<unsigned char>& musicFile()
{
    // Ten seconds at quality 0.4, as the soundtrack is made.
    static const std::vector<unsigned char> file = OggFixtures::vorbis(music(10 * kRate), 2, kRate, 0.4f);
    return file;
}

// One second of a decaying tone per voice, mono or stereo.
std::vector<int16_t> effect(int voice)
{
    const int channels = 1 + voice % 2;
    std::vector<int16_t> pcm(static_cast<size_t>(kRate * channels));
    for (int i = 0; i < kRate; ++i) {
        const double v = 8000.0 * std::exp(-3.0 * i / kRate) * std::sin(0.05 * (voice + 1) * i);
        for (int c = 0; c < channels; ++c)
            pcm[size_t(i * channels + c)] = int16_t(v);
    }
    return pcm;
}

// Arguments: the number of voices, and 1 for music.
void BM_ReadNextChunk(benchmark::State& state)
{
    const int voices = int(state.range(0));
    const bool withMusic = state.range(1) != 0;

    HAudioMixerStreamingAudioSource mixer;
    mixer.configureStreamingAudioSource(2, 16, kRate);
    HOggVorbisAudioStream stream;
    if (withMusic) {
        const std::vector<unsigned char>& file = musicFile();
        if (!stream.initStreamingAudioSource() ||
            !stream.setDataSource(file.data(), int(file.size()), 16, kRate, kRate)) {
            state.SkipWithError("music not opened");
            return;
        }
        mixer.playCompressedAudioStream(nullptr, &stream, 200);
    }
    std::vector<std::vector<int16_t>> effects;
    for (int v = 0; v < voices; ++v)
        effects.push_back(effect(v));
    for (int v = 0; v < voices; ++v) {
        const HAudioSample sample{reinterpret_cast<uint8_t*>(effects[size_t(v)].data()), 1 + v % 2, 16, kRate,
                                  int32_t(effects[size_t(v)].size() * 2)};
        if (mixer.playSample(nullptr, &sample, 180, 0, -1) != 0) {
            state.SkipWithError("voice refused");
            return;
        }
    }

    std::vector<int16_t> chunk(kChunkFrames * 2);
    for (auto _ : state) {
        mixer.readNextChunk(chunk.data(), kChunkFrames * 4);
        benchmark::DoNotOptimize(chunk.data());
        benchmark::ClobberMemory();
    }
    // Seconds of audio per iteration, turned by the flags into CPU seconds
    // per second of audio.
    state.counters["cpu_per_audio_s"] =
        benchmark::Counter(double(state.iterations()) * kChunkFrames / kRate,
                           benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    mixer.stopCompressedAudioStream(0);
    mixer.shutdownStreamingAudioSource();
    stream.shutdownStreamingAudioSource();
}
BENCHMARK(BM_ReadNextChunk)->ArgNames({"voices", "music"})->Args({8, 1})->Args({8, 0})->Args({0, 1})->Args({0, 0});

} // namespace
