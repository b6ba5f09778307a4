// The ZIP archive file system and the stdio functions through which the
// unzip library reads an archive file.
#include "engine/core/HZIPFileSystem.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HUtil.h"
#include "engine/core/POSH.h"

#include <zlib.h>

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

// Stands in a directory record's 32-bit size or offset field when the value
// is in the entry's Zip64 extra field.
constexpr uint64_t kZip64Marker = 0xFFFFFFFFu;
// The fixed parts of a directory record and of a local header.
constexpr size_t kCentralRecordBytes = 46;
constexpr size_t kLocalHeaderBytes = 30;
constexpr uint32_t kCentralSignature = 0x02014b50;
constexpr uint32_t kLocalSignature = 0x04034b50;
// The tag of the Zip64 extended information block of an extra field.
constexpr uint16_t kZip64Tag = 0x0001;
// Bytes of compressed data taken from the archive at a time.
constexpr size_t kInflateChunk = 16 * 1024;

// Whether a directory record read from the archive is the one the library
// describes in `info`: what it read from there must match.
bool recordMatches(const uint8_t* record, const unz_file_info64& info)
{
    return POSH_ReadU32FromLittle(record) == kCentralSignature &&
           POSH_ReadU16FromLittle(record + 10) == info.compression_method &&
           POSH_ReadU32FromLittle(record + 12) == info.dosDate && POSH_ReadU32FromLittle(record + 16) == info.crc &&
           POSH_ReadU16FromLittle(record + 28) == info.size_filename &&
           POSH_ReadU16FromLittle(record + 30) == info.size_file_extra &&
           POSH_ReadU16FromLittle(record + 32) == info.size_file_comment;
}

// The values of the Zip64 block of an extra field, in their order: the
// uncompressed size, the compressed size and the local header's offset, each
// there only when its 32-bit field gave way (`want`). Values not wanted are
// left. False when there is no such block, it is too short for what is
// wanted, or the extra field is not a run of whole blocks up to it.
bool readZip64Block(const uint8_t* extra, size_t length, const bool want[3], uint64_t* values[3])
{
    for (size_t at = 0; at + 4 <= length;) {
        const uint16_t tag = POSH_ReadU16FromLittle(extra + at);
        const size_t size = POSH_ReadU16FromLittle(extra + at + 2);
        if (size > length - at - 4)
            return false;
        if (tag == kZip64Tag) {
            const uint8_t* field = extra + at + 4;
            size_t needed = 0;
            for (int i = 0; i < 3; ++i)
                needed += want[i] ? 8 : 0;
            if (size < needed)
                return false;
            for (int i = 0; i < 3; ++i) {
                if (want[i]) {
                    *values[i] = POSH_ReadU64FromLittle(field);
                    field += 8;
                }
            }
            return true;
        }
        at += 4 + size;
    }
    return false;
}

// The opaque pointer of the stdio set is the file system's StdioSource: the
// open function measures the archive and records its stream there.
voidpf ZCALLBACK stdioOpen(voidpf opaque, const char* name, int mode)
{
    if (!name || (mode & ZLIB_FILEFUNC_MODE_WRITE) != 0)
        return nullptr;
    // Only a regular file, opened without waiting (a FIFO would block); its
    // size as the open saw it.
    int64_t size = 0;
    FILE* f = HPlatform::s_openRegularFile(name, &size);
    if (!f)
        return nullptr;
    if (opaque) {
        HZIPFileSystem::StdioSource* source = static_cast<HZIPFileSystem::StdioSource*>(opaque);
        source->m_iSize = size;
        source->m_pStream = f;
    }
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

int ZCALLBACK stdioClose(voidpf opaque, voidpf stream)
{
    HZIPFileSystem::StdioSource* source = static_cast<HZIPFileSystem::StdioSource*>(opaque);
    if (source && source->m_pStream == stream)
        source->m_pStream = nullptr;
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
    : m_pUnzFile(nullptr), m_iArchiveSize(0), m_functions(), m_memorySource{nullptr, 0, nullptr},
      m_stdioSource{0, nullptr}, m_pIndex(nullptr), m_iIndexCount(0)
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
                                   stdioSeek,  stdioClose, stdioTestError, &m_stdioSource};
    if (!m_openArchive(path, &functions))
        return false;
    m_iArchiveSize = m_stdioSource.m_iSize;
    return true;
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
    m_stdioSource = {0, nullptr};
    m_functions = zlib_filefunc_def();
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

    unz_file_info64 info;
    uint64_t localHeader = 0;
    bool itself = false;
    bool ok = unzGetCurrentFileInfo64(m_pUnzFile, &info, nullptr, 0, nullptr, 0, nullptr, 0) == UNZ_OK &&
              m_applyZip64Fields(&info, &localHeader, &itself);
    if (ok && info.compression_method != 0 && info.compression_method != Z_DEFLATED) {
        HErrorManager::s_db_alert("HZIPFileSystem::openFileForRead - file '%s' is compressed with method %lu; only "
                                  "stored and deflated entries are read",
                                  name, info.compression_method);
        return nullptr;
    }
    if (ok && (info.flag & 1u) != 0) {
        HErrorManager::s_db_alert("HZIPFileSystem::openFileForRead - file '%s' is encrypted", name);
        return nullptr;
    }
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
    slot->m_take(this, name, info, localHeader, itself);
    return slot;
}

bool HZIPFileSystem::m_applyZip64Fields(unz_file_info64* info, uint64_t* localHeader, bool* itself) const
{
    *localHeader = 0;
    *itself = false;
    // The library's own reading takes the 32-bit fields as they stand.
    const bool sizesGiveWay = info->compressed_size == kZip64Marker || info->uncompressed_size == kZip64Marker;
    // The record lies at its place in the directory unless bytes stand
    // before the archive's first (a self-extracting archive), which the
    // library allows for and this reading does not: there the record is not
    // found, and an entry that needs its extra field cannot be read.
    unz64_file_pos place;
    uint8_t record[kCentralRecordBytes];
    if (unzGetFilePos64(m_pUnzFile, &place) != UNZ_OK ||
        !m_readArchive(place.pos_in_zip_directory, record, sizeof(record)) || !recordMatches(record, *info))
        return !sizesGiveWay;
    // In the block's order: uncompressed size, compressed size, offset.
    const bool want[3] = {POSH_ReadU32FromLittle(record + 24) == kZip64Marker,
                          POSH_ReadU32FromLittle(record + 20) == kZip64Marker,
                          POSH_ReadU32FromLittle(record + 42) == kZip64Marker};
    *localHeader = POSH_ReadU32FromLittle(record + 42);
    if (!want[0] && !want[1] && !want[2])
        return true;
    const size_t extraLength = info->size_file_extra;
    uint8_t* extra = new (std::nothrow) uint8_t[extraLength > 0 ? extraLength : 1];
    uint64_t unpacked = 0;
    uint64_t packed = 0;
    uint64_t offset = 0;
    uint64_t* values[3] = {&unpacked, &packed, &offset};
    const bool ok = extra &&
                    m_readArchive(place.pos_in_zip_directory + kCentralRecordBytes + info->size_filename, extra,
                                  extraLength) &&
                    readZip64Block(extra, extraLength, want, values);
    delete[] extra;
    if (!ok)
        return false;
    if (want[0])
        info->uncompressed_size = unpacked;
    if (want[1])
        info->compressed_size = packed;
    if (want[2])
        *localHeader = offset;
    *itself = true;
    return true;
}

HZIPFileSystem::EntryRead HZIPFileSystem::m_readEntryItself(const unz_file_info64& info, uint64_t localHeader,
                                                            void* buffer, int len, int* got)
{
    *got = 0;
    uint8_t header[kLocalHeaderBytes];
    if (!m_readArchive(localHeader, header, sizeof(header)) || POSH_ReadU32FromLittle(header) != kLocalSignature ||
        POSH_ReadU16FromLittle(header + 8) != info.compression_method)
        return ENTRY_NO_HEADER;
    // The sizes in the local header are 0xFFFFFFFF or 0 (with a data
    // descriptor) in such archives: the directory's are the ones to go by.
    const uint64_t data =
        localHeader + kLocalHeaderBytes + POSH_ReadU16FromLittle(header + 26) + POSH_ReadU16FromLittle(header + 28);
    const uint64_t archive = static_cast<uint64_t>(m_iArchiveSize);
    if (data > archive || info.compressed_size > archive - data)
        return ENTRY_NO_HEADER;
    // Never more than the entry holds, as the library's reading.
    const uint64_t wanted = len > 0 && static_cast<uint64_t>(len) < info.uncompressed_size
                                ? static_cast<uint64_t>(len)
                                : info.uncompressed_size;
    Bytef* out = static_cast<Bytef*>(buffer);
    uint64_t produced = 0;
    if (info.compression_method == 0) {
        // Stored: the open made sure the data holds the whole entry.
        if (!m_readArchive(data, out, static_cast<size_t>(wanted)))
            return ENTRY_DAMAGED;
        produced = wanted;
    } else {
        z_stream z;
        std::memset(&z, 0, sizeof(z));
        if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
            return ENTRY_DAMAGED;
        Bytef chunk[kInflateChunk];
        uint64_t fed = 0;
        bool damaged = false;
        z.next_out = out;
        z.avail_out = static_cast<uInt>(wanted);
        while (z.avail_out > 0) {
            if (z.avail_in == 0) {
                // The data ends before the entry does: a short read.
                if (fed == info.compressed_size)
                    break;
                const uint64_t left = info.compressed_size - fed;
                const size_t n = left < sizeof(chunk) ? static_cast<size_t>(left) : sizeof(chunk);
                if (!m_readArchive(data + fed, chunk, n)) {
                    damaged = true;
                    break;
                }
                fed += n;
                z.next_in = chunk;
                z.avail_in = static_cast<uInt>(n);
            }
            const int r = inflate(&z, Z_NO_FLUSH);
            if (r == Z_STREAM_END)
                break;
            if (r != Z_OK) {
                damaged = true;
                break;
            }
        }
        produced = wanted - z.avail_out;
        inflateEnd(&z);
        if (damaged)
            return ENTRY_DAMAGED;
    }
    // The CRC covers the whole entry, so it is checked when all of it came.
    if (produced == info.uncompressed_size &&
        crc32(0, out, static_cast<uInt>(produced)) != static_cast<uLong>(info.crc))
        return ENTRY_DAMAGED;
    *got = static_cast<int>(produced);
    return ENTRY_READ;
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
    m_functions = *functions;
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

voidpf HZIPFileSystem::m_archiveStream() const
{
    // Only the source of the set in use has a stream.
    return m_memorySource.m_pStream ? static_cast<voidpf>(m_memorySource.m_pStream) : m_stdioSource.m_pStream;
}

bool HZIPFileSystem::m_readArchive(uint64_t offset, void* buffer, size_t length) const
{
    const voidpf stream = m_archiveStream();
    const uint64_t archive = static_cast<uint64_t>(m_iArchiveSize);
    if (!m_pUnzFile || !stream || offset > archive || length > archive - offset)
        return false;
    if (length == 0)
        return true;
    // The library seeks before each of its own reads, so moving the stream
    // here leaves it nothing to restore.
    const uLong at = static_cast<uLong>(offset);
    return m_functions.zseek_file(m_functions.opaque, stream, at, ZLIB_FILEFUNC_SEEK_SET) == 0 &&
           m_functions.zread_file(m_functions.opaque, stream, buffer, static_cast<uLong>(length)) == length;
}

void HZIPFileSystem::m_reset()
{
    // A second open replaces the first archive; files lent from it are void.
    shutdownFileSystem();
    for (HZIPFile& slot : m_files)
        slot.m_release();
}
