// The software mixer: music as the base layer, the sounding voices summed
// over it, each sum clamped once to the output's range.
#include "engine/media/HAudioMixerStreamingAudioSource.h"

#include "engine/core/HErrorManager.h"
#include "engine/media/HCompressedAudioStream.h"

#include <cstring>

namespace {

// Holds the mixer's mutex for one operation. A mutex that was never created
// is never held; the operation then changes nothing.
class MixerLock {
public:
    explicit MixerLock(HMutex& mutex) : m_mutex(mutex), m_bHeld(mutex.lockMutex()) {}
    ~MixerLock()
    {
        if (m_bHeld)
            m_mutex.unlockMutex();
    }
    MixerLock(const MixerLock&) = delete;
    MixerLock& operator=(const MixerLock&) = delete;
    bool held() const { return m_bHeld; }

private:
    HMutex& m_mutex;
    bool m_bHeld;
};

// Output and sample bytes carry no alignment promise: 16-bit values go
// through memcpy, which compiles to a plain load or store.
inline int32_t load16(const uint8_t* p)
{
    int16_t v;
    std::memcpy(&v, p, sizeof(v));
    return v;
}

inline void store16(uint8_t* p, int32_t value)
{
    const int16_t v = static_cast<int16_t>(value);
    std::memcpy(p, &v, sizeof(v));
}

inline int32_t clamp(int32_t value, int32_t low, int32_t high)
{
    return value < low ? low : (value > high ? high : value);
}

// The audio device opens unsigned output for 8 bits and signed 16-bit output
// for anything else.
inline uint8_t silenceByte(int32_t bits)
{
    return bits == 8 ? 128 : 0;
}

bool validVoice(int voice)
{
    return voice >= 0 && voice < HAudioMixerStreamingAudioSource::kNumVoices;
}

} // namespace

// --- voices ----------------------------------------------------------------

HAudioMixerStreamingAudioSource::HAudioMixerVoice::HAudioMixerVoice()
    : m_sample{nullptr, 0, 0, 0, 0}, m_bPaused(true), m_iPosition(0), m_uVolume(255), m_iPan(0), m_iLoopCount(0),
      m_iLength(0)
{
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::start(const HAudioSample& sample, unsigned char volume,
                                                              signed char pan, int loopCount)
{
    m_sample = sample;
    m_bPaused = false;
    m_iPosition = 0;
    m_uVolume = volume;
    m_iPan = pan;
    m_iLoopCount = loopCount;
    // Only whole frames count, so the last frame read is always complete.
    const int32_t values = sample.size / (sample.bits / 8);
    m_iLength = values / sample.channels * sample.channels;
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::stop()
{
    m_sample = HAudioSample{nullptr, 0, 0, 0, 0};
    m_bPaused = true;
    m_iPosition = 0;
    m_uVolume = 255;
    m_iPan = 0;
    m_iLoopCount = 0;
    m_iLength = 0;
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::m_advance(int32_t values)
{
    m_iPosition += values;
    if (m_iPosition < m_iLength)
        return;
    m_iPosition = 0;
    if (m_iLoopCount == 0)
        stop();
    else if (m_iLoopCount > 0)
        --m_iLoopCount;
    else
        m_iLoopCount = -1;
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::getStereoSample16(int16_t* left, int16_t* right)
{
    if (!m_sample.data) {
        *left = 0;
        *right = 0;
        return;
    }
    const uint8_t* p = m_sample.data + 2 * static_cast<size_t>(m_iPosition);
    const int32_t first = (load16(p) * m_uVolume) >> 8;
    if (m_sample.channels == 2) {
        *left = static_cast<int16_t>(first);
        *right = static_cast<int16_t>((load16(p + 2) * m_uVolume) >> 8);
        m_advance(2);
    } else {
        *left = static_cast<int16_t>(first);
        *right = static_cast<int16_t>(first);
        m_advance(1);
    }
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::getStereoSample8(signed char* left, signed char* right)
{
    if (!m_sample.data) {
        *left = 0;
        *right = 0;
        return;
    }
    const uint8_t* p = m_sample.data + m_iPosition;
    const int32_t first = ((static_cast<int32_t>(p[0]) - 128) * m_uVolume) >> 8;
    if (m_sample.channels == 2) {
        *left = static_cast<signed char>(first);
        *right = static_cast<signed char>(((static_cast<int32_t>(p[1]) - 128) * m_uVolume) >> 8);
        m_advance(2);
    } else {
        *left = static_cast<signed char>(first);
        *right = static_cast<signed char>(first);
        m_advance(1);
    }
}

void HAudioMixerStreamingAudioSource::HAudioMixerVoice::getMonoSample8(signed char* value)
{
    if (!m_sample.data) {
        *value = 0;
        return;
    }
    const uint8_t u = m_sample.data[m_iPosition];
    *value = static_cast<signed char>(((static_cast<int32_t>(u) - 128) * m_uVolume) >> 8);
    m_advance(1);
}

// --- mixer -----------------------------------------------------------------

HAudioMixerStreamingAudioSource::HAudioMixerStreamingAudioSource()
    : HStreamingAudioSource(), m_voices(), m_pMusicStream(nullptr), m_uMusicVolume(255), m_mutex()
{
    m_mutex.createMutex();
}

HAudioMixerStreamingAudioSource::~HAudioMixerStreamingAudioSource() = default;

bool HAudioMixerStreamingAudioSource::initStreamingAudioSource()
{
    return true;
}

void HAudioMixerStreamingAudioSource::shutdownStreamingAudioSource()
{
    MixerLock lock(m_mutex);
    if (!lock.held())
        return;
    for (HAudioMixerVoice& voice : m_voices)
        voice.stop();
}

void HAudioMixerStreamingAudioSource::mute(bool muted)
{
    MixerLock lock(m_mutex);
    if (lock.held())
        m_bMuted = muted;
}

void HAudioMixerStreamingAudioSource::configureStreamingAudioSource(int channels, int bits, int rate)
{
    MixerLock lock(m_mutex);
    if (lock.held())
        HStreamingAudioSource::configureStreamingAudioSource(channels, bits, rate);
}

void HAudioMixerStreamingAudioSource::setStreamingAudioSourceVolume(unsigned char volume)
{
    MixerLock lock(m_mutex);
    if (lock.held())
        m_uMusicVolume = volume;
}

int HAudioMixerStreamingAudioSource::playSample(int* voice, const HAudioSample* sample, unsigned char volume,
                                                signed char pan, int loopCount)
{
    // The format is written only on this thread, so it is read here without
    // the mutex.
    if (!sample || loopCount < -1 || sample->bits != m_iBitsPerSample || sample->channels > m_iNumChannels)
        return -2;
    if (sample->rate != m_iSampleRate) {
        HErrorManager::s_trace("HAudioMixerStreamingAudioSource::playSample - the sample's rate is %d Hz, not %d Hz\n",
                               sample->rate, m_iSampleRate);
        return -2;
    }
    // A voice produces a frame before it looks for the end of the data, so
    // the sample must hold at least one whole frame of a format it can read.
    if ((sample->bits != 8 && sample->bits != 16) || sample->channels < 1 || !sample->data || sample->size < 0)
        return -2;
    if (sample->size / (sample->bits / 8) / sample->channels < 1)
        return -2;

    MixerLock lock(m_mutex);
    if (!lock.held())
        return -1;
    for (int i = 0; i < kNumVoices; ++i) {
        if (m_voices[i].isInUse())
            continue;
        m_voices[i].start(*sample, volume, pan, loopCount);
        if (voice)
            *voice = i;
        return 0;
    }
    HErrorManager::s_db_trace("*WARNING* HAudioMixerStreamingAudioSource::playSample - out of voices\n");
    return -1;
}

void HAudioMixerStreamingAudioSource::pauseSample(int voice, bool paused)
{
    if (!validVoice(voice))
        return;
    MixerLock lock(m_mutex);
    if (lock.held())
        m_voices[voice].m_bPaused = paused;
}

void HAudioMixerStreamingAudioSource::rewindSample(int voice)
{
    if (!validVoice(voice))
        return;
    MixerLock lock(m_mutex);
    if (lock.held())
        m_voices[voice].m_iPosition = 0;
}

void HAudioMixerStreamingAudioSource::stopSample(int voice)
{
    if (!validVoice(voice))
        return;
    MixerLock lock(m_mutex);
    if (lock.held())
        m_voices[voice].stop();
}

void HAudioMixerStreamingAudioSource::setSampleVolume(int voice, unsigned char volume)
{
    if (!validVoice(voice))
        return;
    MixerLock lock(m_mutex);
    if (lock.held())
        m_voices[voice].m_uVolume = volume;
}

bool HAudioMixerStreamingAudioSource::isUsingSampleData(const void* data)
{
    // Idle voices hold null: null is never "in use".
    if (!data)
        return false;
    MixerLock lock(m_mutex);
    if (!lock.held())
        return false;
    for (const HAudioMixerVoice& voice : m_voices) {
        if (voice.m_sample.data == data)
            return true;
    }
    return false;
}

void HAudioMixerStreamingAudioSource::stopVoicesUsingSampleData(const void* data)
{
    if (!data)
        return;
    MixerLock lock(m_mutex);
    if (!lock.held())
        return; // a mixer without its mutex never started a voice
    for (HAudioMixerVoice& voice : m_voices) {
        if (voice.m_sample.data == data)
            voice.stop();
    }
}

int HAudioMixerStreamingAudioSource::playCompressedAudioStream(int* handle, HCompressedAudioStream* stream,
                                                               unsigned char volume)
{
    MixerLock lock(m_mutex);
    if (!lock.held())
        return -1;
    if (stream != m_pMusicStream) {
        if (handle)
            *handle = 0;
        m_pMusicStream = stream;
        m_uMusicVolume = volume;
    }
    return 0;
}

void HAudioMixerStreamingAudioSource::stopCompressedAudioStream(int /*handle*/)
{
    MixerLock lock(m_mutex);
    if (lock.held())
        m_pMusicStream = nullptr;
}

int HAudioMixerStreamingAudioSource::readNextChunk(void* buffer, int length)
{
    if (!buffer || length <= 0)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buffer);
    MixerLock lock(m_mutex);
    if (!lock.held()) {
        // Nothing ever changed the format of a mixer without a mutex.
        std::memset(out, silenceByte(m_iBitsPerSample), static_cast<size_t>(length));
        return length;
    }
    // Pieces of kMaxChunkBytes keep whole frames, since it is a multiple of
    // every frame size the mixer supports.
    for (int done = 0; done < length;) {
        const int piece = length - done < kMaxChunkBytes ? length - done : kMaxChunkBytes;
        m_mixPiece(out + done, piece);
        done += piece;
    }
    return length;
}

void HAudioMixerStreamingAudioSource::m_mixPiece(uint8_t* out, int length)
{
    const int32_t bits = m_iBitsPerSample;
    const int32_t channels = m_iNumChannels;
    const uint8_t silence = silenceByte(bits);

    // Base layer: silence, with the music over it in 16-bit output. The
    // music writes 16-bit values, so an 8-bit mixer plays none.
    std::memset(out, silence, static_cast<size_t>(length));
    if (bits == 16 && m_pMusicStream)
        m_mixMusic(out, length);

    bool anySounding = false;
    for (const HAudioMixerVoice& voice : m_voices)
        anySounding = anySounding || voice.isSounding();

    if (channels == 2 && bits == 16) {
        if (anySounding)
            m_mixStereo16(out, length / 4);
    } else if (channels == 1 && bits == 8) {
        if (anySounding)
            m_mixMono8(out, length);
    } else if (channels == 2 && bits == 8) {
        if (anySounding)
            m_mixStereo8(out, length / 2);
    } else {
        HErrorManager::s_db_alert("readNextChunk: unsupported format %d channels %d bits", channels, bits);
    }

    // The voices and the music have advanced all the same: muting pauses
    // nothing.
    if (m_bMuted)
        std::memset(out, silence, static_cast<size_t>(length));
}

void HAudioMixerStreamingAudioSource::m_mixMusic(uint8_t* out, int length)
{
    // Local to the call, so mixing allocates nothing; every request into it
    // is bounded by its size.
    int16_t scratch[kMaxChunkBytes / 2];
    const int32_t values = length / 2;
    const bool mono = m_pMusicStream->getNumChannels() == 1;
    int request = mono ? length / 2 : length;
    if (request > static_cast<int>(sizeof(scratch)))
        request = static_cast<int>(sizeof(scratch));
    int delivered = m_pMusicStream->readNextChunk(scratch, request);
    if (delivered <= 0)
        return;
    if (delivered > request)
        delivered = request;
    // Whatever the stream did not deliver stays silence.
    const int32_t got = delivered / 2;
    const int32_t volume = m_uMusicVolume;
    if (!mono) {
        const int32_t count = got < values ? got : values;
        for (int32_t i = 0; i < count; ++i)
            store16(out + 2 * i, (scratch[i] * volume) >> 8);
    } else {
        // Mono music sounds on both channels.
        const int32_t frames = got < values / 2 ? got : values / 2;
        for (int32_t i = 0; i < frames; ++i) {
            const int32_t v = (scratch[i] * volume) >> 8;
            store16(out + 4 * i, v);
            store16(out + 4 * i + 2, v);
        }
    }
}

// The voices are summed one after the other over a block of frames: each
// voice is independent of the others and the sums are clamped only once,
// after the last voice, so the result is the same as visiting voices 0 to 7
// for every frame, and the voice's state stays in registers.
void HAudioMixerStreamingAudioSource::m_mixStereo16(uint8_t* out, int frames)
{
    int32_t sum[2 * kMixBlock];
    for (int first = 0; first < frames; first += kMixBlock) {
        const int count = frames - first < kMixBlock ? frames - first : kMixBlock;
        uint8_t* p = out + 4 * first;
        for (int i = 0; i < 2 * count; ++i)
            sum[i] = load16(p + 2 * i);
        for (HAudioMixerVoice& voice : m_voices) {
            for (int f = 0; f < count && voice.isSounding(); ++f) {
                int16_t l = 0;
                int16_t r = 0;
                voice.getStereoSample16(&l, &r);
                sum[2 * f] += l;
                sum[2 * f + 1] += r;
            }
        }
        for (int i = 0; i < 2 * count; ++i)
            store16(p + 2 * i, clamp(sum[i], -32768, 32767));
    }
}

void HAudioMixerStreamingAudioSource::m_mixMono8(uint8_t* out, int values)
{
    int32_t sum[2 * kMixBlock];
    for (int first = 0; first < values; first += 2 * kMixBlock) {
        const int count = values - first < 2 * kMixBlock ? values - first : 2 * kMixBlock;
        uint8_t* p = out + first;
        for (int i = 0; i < count; ++i)
            sum[i] = p[i];
        for (HAudioMixerVoice& voice : m_voices) {
            for (int i = 0; i < count && voice.isSounding(); ++i) {
                signed char v = 0;
                voice.getMonoSample8(&v);
                sum[i] += v;
            }
        }
        for (int i = 0; i < count; ++i)
            p[i] = static_cast<uint8_t>(clamp(sum[i], 0, 255));
    }
}

void HAudioMixerStreamingAudioSource::m_mixStereo8(uint8_t* out, int frames)
{
    int32_t sum[2 * kMixBlock];
    for (int first = 0; first < frames; first += kMixBlock) {
        const int count = frames - first < kMixBlock ? frames - first : kMixBlock;
        uint8_t* p = out + 2 * first;
        for (int i = 0; i < 2 * count; ++i)
            sum[i] = p[i];
        for (HAudioMixerVoice& voice : m_voices) {
            for (int f = 0; f < count && voice.isSounding(); ++f) {
                signed char l = 0;
                signed char r = 0;
                voice.getStereoSample8(&l, &r);
                sum[2 * f] += l;
                sum[2 * f + 1] += r;
            }
        }
        for (int i = 0; i < 2 * count; ++i)
            p[i] = static_cast<uint8_t>(clamp(sum[i], 0, 255));
    }
}
