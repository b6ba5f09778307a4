// The ZIP archive file system and the stdio functions through which the
// unzip library reads an archive file.
#include "engine/core/HZIPFileSystem.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HUtil.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

// unzLocateFile: letters compare without regard to case.
constexpr int kCaseInsensitive = 2;
// The library's search refuses a longer name and reads at most this many
// characters of an entry's name.
constexpr size_t kMaxNameChars = 256;

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
    // Only a regular file, opened without waiting (a FIFO would block).
    FILE* f = HPlatform::s_openRegularFile(name);
    if (!f)
        return nullptr;
    struct stat st;
    if (::fstat(::fileno(f), &st) != 0) {
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

// FNV-1a over the name with the letters a-z folded to upper case, the
// folding of the library's case-insensitive comparison: names that compare
// equal hash alike.
uint32_t nameHash(const char* name)
{
    uint32_t h = 2166136261u;
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(name); *p; ++p) {
        const unsigned char c = (*p >= 'a' && *p <= 'z') ? static_cast<unsigned char>(*p - ('a' - 'A')) : *p;
        h = (h ^ c) * 16777619u;
    }
    return h;
}

} // namespace

HZIPFileSystem::HZIPFileSystem()
    : m_pUnzFile(nullptr), m_iArchiveSize(0), m_memorySource{nullptr, 0, nullptr}, m_pIndex(nullptr), m_iIndexCount(0)
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
    m_freeIndex();
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
    return m_locateEntry(name);
}

bool HZIPFileSystem::m_locateEntry(const char* name)
{
    if (!m_pUnzFile || !name)
        return false;
    if (!m_pIndex)
        return unzLocateFile(m_pUnzFile, name, kCaseInsensitive) == UNZ_OK;
    // The library's search takes no longer name, and compares at most this
    // many characters of an entry's.
    if (std::strlen(name) >= kMaxNameChars)
        return false;
    unz64_file_pos before;
    const bool restorable = unzGetFilePos64(m_pUnzFile, &before) == UNZ_OK;
    const uint32_t hash = nameHash(name);
    const IndexEntry* begin = m_pIndex;
    const IndexEntry* end = begin + m_iIndexCount;
    const IndexEntry* at = std::lower_bound(
        begin, end, hash, [](const IndexEntry& e, uint32_t h) { return e.hash < h; });
    for (; at != end && at->hash == hash; ++at) {
        char entryName[kMaxNameChars + 1];
        if (unzGoToFilePos64(m_pUnzFile, &at->position) != UNZ_OK ||
            unzGetCurrentFileInfo64(m_pUnzFile, nullptr, entryName, sizeof(entryName), nullptr, 0, nullptr, 0) !=
                UNZ_OK)
            continue;
        entryName[kMaxNameChars] = '\0';
        if (HUtil::s_stricmp(entryName, name) == 0)
            return true;
    }
    if (restorable)
        unzGoToFilePos64(m_pUnzFile, &before);
    return false;
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
    if (m_pUnzFile)
        m_buildIndex();
    return m_pUnzFile != nullptr;
}

void HZIPFileSystem::m_buildIndex()
{
    m_freeIndex();
    unz_global_info64 global;
    if (unzGetGlobalInfo64(m_pUnzFile, &global) != UNZ_OK || global.number_entry == 0 ||
        global.number_entry > kMaxIndexedEntries)
        return;
    IndexEntry* index = new (std::nothrow) IndexEntry[global.number_entry];
    if (!index)
        return;
    // The walk stops where the library's own search would: at the end of
    // the directory or at the first record it cannot read.
    int32_t count = 0;
    for (int r = unzGoToFirstFile(m_pUnzFile); r == UNZ_OK && static_cast<uint64_t>(count) < global.number_entry;
         r = unzGoToNextFile(m_pUnzFile)) {
        unz_file_info64 info;
        char entryName[kMaxNameChars + 1];
        if (unzGetCurrentFileInfo64(m_pUnzFile, &info, entryName, sizeof(entryName), nullptr, 0, nullptr, 0) !=
            UNZ_OK)
            break;
        entryName[kMaxNameChars] = '\0';
        IndexEntry& e = index[count];
        if (unzGetFilePos64(m_pUnzFile, &e.position) != UNZ_OK)
            break;
        e.hash = nameHash(entryName);
        e.order = static_cast<uint32_t>(count);
        ++count;
    }
    std::sort(index, index + count, [](const IndexEntry& a, const IndexEntry& b) {
        return a.hash != b.hash ? a.hash < b.hash : a.order < b.order;
    });
    unzGoToFirstFile(m_pUnzFile);
    m_pIndex = index;
    m_iIndexCount = count;
}

void HZIPFileSystem::m_freeIndex()
{
    delete[] m_pIndex;
    m_pIndex = nullptr;
    m_iIndexCount = 0;
}

void HZIPFileSystem::m_reset()
{
    // A second open replaces the first archive; files lent from it are void.
    shutdownFileSystem();
    for (HZIPFile& slot : m_files)
        slot.m_release();
}
