// Memory streams for the unzip library.
#include "engine/core/HZIPMemoryStream.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace {
HZIPMemoryStream* streamOf(voidpf stream)
{
    return static_cast<HZIPMemoryStream*>(stream);
}
} // namespace

HZIPMemoryStream::HZIPMemoryStream(Source* source)
    : m_pSource(source), m_pBase(source->m_pBuffer), m_iPosition(0), m_iSize(source->m_iSize), m_bOwnsBuffer(false),
      m_bShortRead(false)
{
}

void HZIPMemoryStream::s_fillFunctions(zlib_filefunc_def* functions, Source* source)
{
    functions->zopen_file = s_open;
    functions->zread_file = s_read;
    functions->zwrite_file = s_write;
    functions->ztell_file = s_tell;
    functions->zseek_file = s_seek;
    functions->zclose_file = s_close;
    functions->zerror_file = s_testError;
    functions->opaque = source;
}

voidpf ZCALLBACK HZIPMemoryStream::s_open(voidpf opaque, const char* /*name*/, int mode)
{
    Source* source = static_cast<Source*>(opaque);
    if (!source || !source->m_pBuffer || source->m_iSize < 0 || (mode & ZLIB_FILEFUNC_MODE_WRITE) != 0)
        return nullptr;
    HZIPMemoryStream* stream = new (std::nothrow) HZIPMemoryStream(source);
    source->m_pStream = stream;
    return stream;
}

uLong ZCALLBACK HZIPMemoryStream::s_read(voidpf /*opaque*/, voidpf stream, void* buf, uLong size)
{
    HZIPMemoryStream* s = streamOf(stream);
    if (!s || !buf)
        return 0;
    const uint64_t left = static_cast<uint64_t>(s->m_iSize - s->m_iPosition);
    const uint64_t n = size < left ? size : left;
    s->m_bShortRead = n < size;
    if (n == 0)
        return 0;
    std::memcpy(buf, s->m_pBase + s->m_iPosition, static_cast<size_t>(n));
    s->m_iPosition += static_cast<int64_t>(n);
    return static_cast<uLong>(n);
}

uLong ZCALLBACK HZIPMemoryStream::s_write(voidpf /*opaque*/, voidpf /*stream*/, const void* /*buf*/, uLong /*size*/)
{
    return 0;
}

long ZCALLBACK HZIPMemoryStream::s_tell(voidpf /*opaque*/, voidpf stream)
{
    HZIPMemoryStream* s = streamOf(stream);
    return s ? static_cast<long>(s->m_iPosition) : -1;
}

long ZCALLBACK HZIPMemoryStream::s_seek(voidpf /*opaque*/, voidpf stream, uLong offset, int origin)
{
    HZIPMemoryStream* s = streamOf(stream);
    if (!s)
        return -1;
    // From the start the offset is a distance forward; from the current
    // position or the end the library may pass a negative one, so it is read
    // as signed there.
    int64_t target = 0;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        if (offset > static_cast<uLong>(s->m_iSize))
            return -1;
        target = static_cast<int64_t>(offset);
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
    case ZLIB_FILEFUNC_SEEK_END: {
        const int64_t from = origin == ZLIB_FILEFUNC_SEEK_CUR ? s->m_iPosition : s->m_iSize;
        const int64_t delta = static_cast<int64_t>(offset);
        // Compared against the room on either side, so nothing overflows.
        if (delta > s->m_iSize - from || delta < -from)
            return -1;
        target = from + delta;
        break;
    }
    default:
        return -1;
    }
    s->m_iPosition = target;
    return 0;
}

int ZCALLBACK HZIPMemoryStream::s_close(voidpf /*opaque*/, voidpf stream)
{
    HZIPMemoryStream* s = streamOf(stream);
    if (!s)
        return 0;
    if (s->m_bOwnsBuffer)
        std::free(const_cast<unsigned char*>(s->m_pBase));
    if (s->m_pSource && s->m_pSource->m_pStream == s)
        s->m_pSource->m_pStream = nullptr;
    delete s;
    return 0;
}

int ZCALLBACK HZIPMemoryStream::s_testError(voidpf /*opaque*/, voidpf stream)
{
    HZIPMemoryStream* s = streamOf(stream);
    return !s || s->m_bShortRead ? 1 : 0;
}
