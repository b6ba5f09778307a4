// Ogg Vorbis decoding through vorbisfile over the stream's bytes in memory.
#include "engine/media/HOggVorbisAudioStream.h"

#include "engine/core/HErrorManager.h"

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <climits>
#include <new>

namespace {

// Holds the stream's mutex for one operation; an uncreated mutex is never
// held, and the operation then does nothing.
class StreamLock {
public:
    explicit StreamLock(HMutex& mutex) : m_mutex(mutex), m_bHeld(mutex.lockMutex()) {}
    ~StreamLock()
    {
        if (m_bHeld)
            m_mutex.unlockMutex();
    }
    StreamLock(const StreamLock&) = delete;
    StreamLock& operator=(const StreamLock&) = delete;
    bool held() const { return m_bHeld; }

private:
    HMutex& m_mutex;
    bool m_bHeld;
};

HOggVorbisAudioStream* streamOf(void* source)
{
    return static_cast<HOggVorbisAudioStream*>(source);
}

} // namespace

HOggVorbisAudioStream::HOggVorbisAudioStream()
    : HCompressedAudioStream(), m_pDecoder(nullptr), m_iCurrentSection(0), m_bOpened(false),
      m_eRefusal(REFUSAL_NONE), m_iDataRate(0)
{
    m_mutex.createMutex();
}

HOggVorbisAudioStream::~HOggVorbisAudioStream()
{
    m_releaseDecoder();
    m_mutex.deleteMutex();
}

bool HOggVorbisAudioStream::initStreamingAudioSource()
{
    StreamLock lock(m_mutex);
    if (!m_pDecoder) {
        // Value-initialised: every field of the C record starts at zero.
        m_pDecoder = new (std::nothrow) OggVorbis_File();
        m_bOpened = false;
    }
    return m_pDecoder != nullptr;
}

void HOggVorbisAudioStream::shutdownStreamingAudioSource()
{
    // The memory is released even with a mutex that could not be created:
    // nothing reads a stream that the mixer no longer holds.
    StreamLock lock(m_mutex);
    m_releaseDecoder();
}

void HOggVorbisAudioStream::m_releaseDecoder()
{
    if (m_pDecoder) {
        if (m_bOpened)
            ov_clear(m_pDecoder);
        delete m_pDecoder;
    }
    m_pDecoder = nullptr;
    m_bOpened = false;
}

bool HOggVorbisAudioStream::setDataSource(const void* data, int size, int bits, int rate, int loopPosition)
{
    StreamLock lock(m_mutex);
    if (!lock.held())
        return false;
    if (m_bOpened) {
        // ov_clear releases what the last opening allocated and zeroes the
        // record again for the next one.
        ov_clear(m_pDecoder);
        m_bOpened = false;
    }
    m_eRefusal = REFUSAL_NOT_VORBIS;
    m_iDataRate = 0;
    if (!HCompressedAudioStream::setDataSource(data, size, bits, rate, loopPosition))
        return false;
    if (!m_pDecoder) {
        HErrorManager::s_db_alert("HOVAudioStream::setStream - no decoder");
        return false;
    }
    const ov_callbacks callbacks = {sm_readFunc, sm_seekFunc, sm_closeFunc, sm_tellFunc};
    // On failure vorbisfile releases whatever it had allocated itself.
    if (ov_open_callbacks(this, m_pDecoder, nullptr, 0, callbacks) < 0) {
        HErrorManager::s_db_alert("HOVAudioStream::setStream - ov_open_callbacks failed");
        return false;
    }
    m_bOpened = true;
    m_iCurrentSection = 0;
    Refusal refusal = m_checkLinks(rate);
    // Opening leaves vorbisfile past the first page of audio, and when the
    // first link's audio ends on that page, in the next link: decoding from
    // there would begin a chain at its second link. Decoding starts from the
    // first byte instead.
    if (refusal == REFUSAL_NONE && ov_raw_seek(m_pDecoder, 0) != 0) {
        HErrorManager::s_db_alert("HOVAudioStream::setStream - could not seek to the start");
        refusal = REFUSAL_NOT_VORBIS;
    }
    m_eRefusal = refusal;
    if (refusal != REFUSAL_NONE) {
        ov_clear(m_pDecoder);
        m_bOpened = false;
        return false;
    }
    m_iNumChannels = ov_info(m_pDecoder, 0)->channels;
    return true;
}

HOggVorbisAudioStream::Refusal HOggVorbisAudioStream::m_checkLinks(int rate)
{
    // vorbisfile has read every link's headers while opening a seekable
    // stream, which this one always is.
    const vorbis_info* first = ov_info(m_pDecoder, 0);
    const long links = ov_streams(m_pDecoder);
    if (!first || links < 1) {
        HErrorManager::s_db_alert("HOVAudioStream::setStream - ov_open_callbacks failed");
        return REFUSAL_NOT_VORBIS;
    }
    m_iDataRate = static_cast<int32_t>(first->rate);
    for (long link = 1; link < links; ++link) {
        const vorbis_info* info = ov_info(m_pDecoder, static_cast<int>(link));
        if (!info || info->channels != first->channels || info->rate != first->rate) {
            HErrorManager::s_db_alert(
                "HOggVorbisAudioStream::setDataSource - link %ld of the chain has %d channels at %ld Hz, "
                "link 0 %d channels at %ld Hz",
                link, info ? info->channels : 0, info ? info->rate : 0L, first->channels, first->rate);
            return REFUSAL_MIXED_LINKS;
        }
    }
    if (first->rate != rate) {
        HErrorManager::s_db_alert("HOggVorbisAudioStream::setDataSource - frequency %ld != requested frequency %d",
                                  first->rate, rate);
        return REFUSAL_OTHER_RATE;
    }
    return REFUSAL_NONE;
}

long HOggVorbisAudioStream::m_decodeFrames(char* out, int wanted)
{
    // vorbisfile reports a hole (a page lost or damaged) once and then
    // decodes on from the next page, as reference decoders go on; every
    // hole it reports lies further on in the data, so this ends.
    for (;;) {
        int section = m_iCurrentSection;
        const long got = ov_read(m_pDecoder, out, wanted, 0, 2, 1, &section);
        m_iCurrentSection = section;
        if (got != OV_HOLE)
            return got;
    }
}

bool HOggVorbisAudioStream::m_seekToLoopPosition()
{
    // A loop position at or past the end would find the end again at once.
    const ogg_int64_t total = ov_pcm_total(m_pDecoder, -1);
    if (total < 0 || m_iLoopPosition < 0 || m_iLoopPosition >= total)
        return false;
    return ov_pcm_seek(m_pDecoder, m_iLoopPosition) == 0;
}

int HOggVorbisAudioStream::m_fill(char* out, int length, bool loop, bool* ended, bool* failed)
{
    *ended = false;
    *failed = false;
    // vorbisfile refuses a request of less than one frame as an error, so
    // only whole frames are asked for.
    const int frameBytes = 2 * (m_iNumChannels > 0 ? m_iNumChannels : 1);
    int delivered = 0;
    // Set when decoding has reached the end of the data and gone back to the
    // loop position without delivering anything since: a second end in a row
    // stops the filling instead of seeking for ever.
    bool loopedWithoutData = false;
    for (;;) {
        const int wanted = (length - delivered) / frameBytes * frameBytes;
        if (wanted <= 0)
            break;
        const long got = m_decodeFrames(out + delivered, wanted);
        if (got > 0) {
            delivered += static_cast<int>(got < wanted ? got : wanted);
            loopedWithoutData = false;
            continue;
        }
        if (got < 0) {
            *failed = true;
            break;
        }
        if (!loop) {
            *ended = true;
            break;
        }
        if (loopedWithoutData || !m_seekToLoopPosition())
            break;
        loopedWithoutData = true;
    }
    return delivered;
}

int HOggVorbisAudioStream::readNextChunk(void* buffer, int length)
{
    if (!buffer || length <= 0)
        return 0;
    StreamLock lock(m_mutex);
    if (!lock.held() || !m_pData || !m_pDecoder || !m_bOpened)
        return 0;
    bool ended = false;
    bool failed = false;
    return m_fill(static_cast<char*>(buffer), length, true, &ended, &failed);
}

int HOggVorbisAudioStream::readToEnd(void* buffer, int length, bool* ended)
{
    bool atEnd = false;
    bool failed = false;
    int delivered = 0;
    if (buffer && length > 0) {
        StreamLock lock(m_mutex);
        if (!lock.held() || !m_pData || !m_pDecoder || !m_bOpened)
            failed = true;
        else
            delivered = m_fill(static_cast<char*>(buffer), length, false, &atEnd, &failed);
    }
    if (ended)
        *ended = atEnd;
    return failed ? -1 : delivered;
}

void HOggVorbisAudioStream::rewindAudioStream()
{
    StreamLock lock(m_mutex);
    if (lock.held() && m_pDecoder && m_bOpened)
        ov_pcm_seek(m_pDecoder, 0);
}

int HOggVorbisAudioStream::getUncompressedSizeInBytes()
{
    StreamLock lock(m_mutex);
    if (!lock.held() || !m_pDecoder || !m_bOpened)
        return 0;
    // A crafted last granule position can claim any length up to 2^63
    // frames: the count is capped before it is multiplied.
    const ogg_int64_t frames = ov_pcm_total(m_pDecoder, -1);
    if (frames < 0)
        return 0;
    const ogg_int64_t frameBytes = 2 * static_cast<ogg_int64_t>(m_iNumChannels > 0 ? m_iNumChannels : 0);
    if (frameBytes == 0)
        return 0;
    const ogg_int64_t maxFrames = kMaxUncompressedBytes / frameBytes;
    return static_cast<int>((frames < maxFrames ? frames : maxFrames) * frameBytes);
}

size_t HOggVorbisAudioStream::sm_readFunc(void* buffer, size_t elementSize, size_t elementCount, void* source)
{
    if (elementSize == 0 || elementCount == 0)
        return 0;
    // One call reads at most INT_MAX bytes; vorbisfile asks for a few KiB.
    const size_t maxElements = static_cast<size_t>(INT_MAX) / elementSize;
    const size_t elements = elementCount < maxElements ? elementCount : maxElements;
    const int bytes = streamOf(source)->m_readStream(buffer, static_cast<int>(elements * elementSize));
    return static_cast<size_t>(bytes) / elementSize;
}

int HOggVorbisAudioStream::sm_seekFunc(void* source, int64_t offset, int whence)
{
    return streamOf(source)->m_seekStream(offset, whence);
}

int HOggVorbisAudioStream::sm_closeFunc(void* /*source*/)
{
    return 0;
}

long HOggVorbisAudioStream::sm_tellFunc(void* source)
{
    return streamOf(source)->m_tellStream();
}
