// The ZIP archive file system and the stdio functions through which the
// unzip library reads an archive file.
#include "engine/core/HZIPFileSystem.h"

#include "engine/core/HErrorManager.h"

#include <sys/stat.h>

#include <climits>
#include <cstdio>

namespace {

// unzLocateFile: letters compare without regard to case.
constexpr int kCaseInsensitive = 2;

FILE* streamOf(voidpf stream)
{
    return static_cast<FILE*>(stream);
}

// The opaque pointer of the stdio set is the file system's archive size,
// which the open function measures.
voidpf ZCALLBACK stdioOpen(voidpf opaque, const char* name, int mode)
{
    if (!name || (mode & ZLIB_FILEFUNC_MODE_WRITE) != 0)
        return nullptr;
    FILE* f = std::fopen(name, "rb");
    if (!f)
        return nullptr;
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
        std::fclose(f);
        return nullptr;
    }
    if (opaque)
        *static_cast<int64_t*>(opaque) = static_cast<int64_t>(st.st_size);
    return f;
}

uLong ZCALLBACK stdioRead(voidpf /*opaque*/, voidpf stream, void* buf, uLong size)
{
    return static_cast<uLong>(std::fread(buf, 1, static_cast<size_t>(size), streamOf(stream)));
}

uLong ZCALLBACK stdioWrite(voidpf /*opaque*/, voidpf /*stream*/, const void* /*buf*/, uLong /*size*/)
{
    return 0;
}

long ZCALLBACK stdioTell(voidpf /*opaque*/, voidpf stream)
{
    return std::ftell(streamOf(stream));
}

long ZCALLBACK stdioSeek(voidpf /*opaque*/, voidpf stream, uLong offset, int origin)
{
    int whence = SEEK_SET;
    switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
        if (offset > static_cast<uLong>(LONG_MAX))
            return -1;
        break;
    case ZLIB_FILEFUNC_SEEK_CUR:
        whence = SEEK_CUR;
        break;
    case ZLIB_FILEFUNC_SEEK_END:
        whence = SEEK_END;
        break;
    default:
        return -1;
    }
    // From the current position or the end the offset may be negative.
    return std::fseek(streamOf(stream), static_cast<long>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK stdioClose(voidpf /*opaque*/, voidpf stream)
{
    return std::fclose(streamOf(stream));
}

// The library asks after a short read only; the end of the file counts as
// an error there, or a header field cut off by it would read as 0.
int ZCALLBACK stdioTestError(voidpf /*opaque*/, voidpf stream)
{
    FILE* f = streamOf(stream);
    return std::ferror(f) || std::feof(f) ? 1 : 0;
}

} // namespace

HZIPFileSystem::HZIPFileSystem() : m_pUnzFile(nullptr), m_iArchiveSize(0), m_memorySource{nullptr, 0, nullptr}
{
}

HZIPFileSystem::~HZIPFileSystem()
{
    if (m_pUnzFile)
        shutdownFileSystem();
}

bool HZIPFileSystem::initFileSystem(const char* path)
{
    m_reset();
    if (!path)
        return false;
    zlib_filefunc_def functions = {stdioOpen,  stdioRead,  stdioWrite,     stdioTell,
                                   stdioSeek,  stdioClose, stdioTestError, &m_iArchiveSize};
    return m_openArchive(path, &functions);
}

bool HZIPFileSystem::initFileSystemFromMemory(const void* buffer, int size)
{
    m_reset();
    if (!buffer || size <= 0)
        return false;
    m_memorySource = {static_cast<const unsigned char*>(buffer), size, nullptr};
    zlib_filefunc_def functions;
    HZIPMemoryStream::s_fillFunctions(&functions, &m_memorySource);
    m_iArchiveSize = size;
    if (!m_openArchive("memory", &functions)) {
        // The library closes the stream itself when the data is not an
        // archive; a stream it left open (its own allocation failed) is
        // closed here. The buffer stays the caller's either way.
        if (m_memorySource.m_pStream)
            HZIPMemoryStream::s_close(&m_memorySource, m_memorySource.m_pStream);
        m_memorySource = {nullptr, 0, nullptr};
        return false;
    }
    if (!m_memorySource.m_pStream) {
        shutdownFileSystem();
        return false;
    }
    m_memorySource.m_pStream->m_takeBuffer();
    return true;
}

void HZIPFileSystem::shutdownFileSystem()
{
    if (m_pUnzFile) {
        // Closes the stream, which frees a memory archive's buffer.
        unzClose(m_pUnzFile);
        m_pUnzFile = nullptr;
    }
    m_memorySource = {nullptr, 0, nullptr};
    m_iArchiveSize = 0;
}

bool HZIPFileSystem::fileExists(const char* name)
{
    return m_pUnzFile && name && unzLocateFile(m_pUnzFile, name, kCaseInsensitive) == UNZ_OK;
}

HFile* HZIPFileSystem::openFileForRead(const char* name)
{
    if (!fileExists(name))
        return nullptr;
    HZIPFile* slot = m_findFreeZIPFile();
    if (!slot)
        return nullptr;

    unz_file_info info;
    bool ok = unzGetCurrentFileInfo(m_pUnzFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK;
    // The declared sizes are checked against the archive before anyone
    // allocates length() bytes: the length must fit an int, the compressed
    // data must fit in the archive, and the ratio must be one that stored or
    // deflated data can have.
    if (ok) {
        const uint64_t packed = info.compressed_size;
        const uint64_t unpacked = info.uncompressed_size;
        ok = unpacked <= static_cast<uint64_t>(INT_MAX) && packed <= static_cast<uint64_t>(m_iArchiveSize) &&
             (info.compression_method == 0 ? unpacked <= packed : unpacked <= (packed + 1) * kMaxInflateRatio);
    }
    if (!ok) {
        HErrorManager::s_db_alert("HZIPFileSystem::openFileForRead - could not read file '%s'", name);
        return nullptr;
    }
    slot->m_take(this, name, info);
    return slot;
}

HFile* HZIPFileSystem::openFileForWrite(const char* name)
{
    HErrorManager::s_db_alert("HZIPFileSystem::openFileForWrite - function not supported (name = '%s')",
                              name ? name : "");
    return nullptr;
}

int64_t HZIPFileSystem::getLastModTime(const char* /*name*/)
{
    return 0;
}

void HZIPFileSystem::m_closeFile(HFile* file)
{
    for (HZIPFile& slot : m_files) {
        if (&slot == file) {
            slot.m_release();
            return;
        }
    }
}

HZIPFile* HZIPFileSystem::m_findFreeZIPFile()
{
    for (HZIPFile& slot : m_files) {
        if (!slot.isInUse())
            return &slot;
    }
    return nullptr;
}

bool HZIPFileSystem::m_openArchive(const char* name, zlib_filefunc_def* functions)
{
    m_pUnzFile = unzOpen2(name, functions);
    return m_pUnzFile != nullptr;
}

void HZIPFileSystem::m_reset()
{
    // A second open replaces the first archive; files lent from it are void.
    shutdownFileSystem();
    for (HZIPFile& slot : m_files)
        slot.m_release();
}
