// The I/O functions through which the unzip library reads an archive held
// whole in memory, and the state of one such stream.
//
// The stream keeps an integer offset into the buffer and never reads or moves
// outside it. Its buffer belongs to the caller until the archive has opened
// (m_takeBuffer); from then on closing the stream releases it with free().
#pragma once

#include <unzip.h>

#include <cstdint>

class HZIPMemoryStream {
public:
    // What the open function makes a stream from. The library hands it to
    // every function as its opaque pointer, so it must live as long as the
    // archive does.
    struct Source {
        const unsigned char* m_pBuffer;
        int32_t m_iSize;
        // The stream made from this source, until the library closes it.
        HZIPMemoryStream* m_pStream;
    };

    // The seven functions and the opaque pointer, ready for unzOpen2.
    static void s_fillFunctions(zlib_filefunc_def* functions, Source* source);

    static voidpf ZCALLBACK s_open(voidpf opaque, const char* name, int mode);
    // Bytes copied: at most what lies between the position and the end.
    static uLong ZCALLBACK s_read(voidpf opaque, voidpf stream, void* buf, uLong size);
    // The archive is read-only: always 0.
    static uLong ZCALLBACK s_write(voidpf opaque, voidpf stream, const void* buf, uLong size);
    static long ZCALLBACK s_tell(voidpf opaque, voidpf stream);
    // 0 when the new position is within [0, size]; else -1 and no move.
    static long ZCALLBACK s_seek(voidpf opaque, voidpf stream, uLong offset, int origin);
    // Releases the stream, and its buffer once the archive owns it.
    static int ZCALLBACK s_close(voidpf opaque, voidpf stream);
    // Non-zero after a read that came up short. The library asks only then,
    // and without it would take a header field cut off by the end of the
    // buffer for a field of value 0.
    static int ZCALLBACK s_testError(voidpf opaque, voidpf stream);

    // The opened archive owns the buffer from now on.
    void m_takeBuffer() { m_bOwnsBuffer = true; }

private:
    HZIPMemoryStream(Source* source);

    Source* m_pSource;
    const unsigned char* m_pBase;
    int64_t m_iPosition; // 0 to m_iSize
    int32_t m_iSize;
    bool m_bOwnsBuffer;
    bool m_bShortRead; // the last read copied less than asked
};
