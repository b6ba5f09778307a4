// The read-only file system over one ZIP archive, opened from a path or from
// a buffer that holds the whole archive. Entry names are used as they are
// (no asset directory) and compare without regard to case. It embeds 16
// HZIPFile slots; the lowest free one is lent first.
//
// Opening the archive walks its directory once into a name index (a hash of
// each name, folded as the comparison folds it, with the entry's place), so
// that finding an entry costs a few header reads instead of a walk over the
// whole directory; without the index the library's own search is used.
//
// Only stored and deflated entries are read; an entry compressed otherwise,
// or encrypted, is refused when it is opened. An entry whose sizes or local
// header offset stand in its Zip64 extra field (the directory's 32-bit field
// holding 0xFFFFFFFF) gets them from there: the library's reading takes the
// 32-bit fields as they stand, so such an entry is read by the file system
// itself, from its local header on, through the archive's I/O functions.
#pragma once

#include "engine/core/HFileSystem.h"
#include "engine/core/HZIPFile.h"
#include "engine/core/HZIPMemoryStream.h"

#include <unzip.h>

#include <cstdint>

class HZIPFileSystem : public HFileSystem {
public:
    // What the stdio functions share with the file system: the archive's
    // size, which the open function measures, and the stream it opened.
    struct StdioSource {
        int64_t m_iSize;
        void* m_pStream; // FILE*; null once closed
    };

    // An entry that claims to inflate to more than this many times its
    // compressed size cannot be deflate data (whose limit is 1032 to 1) and
    // is refused before anyone allocates for it.
    static constexpr uint64_t kMaxInflateRatio = 1032;

    HZIPFileSystem();
    // Closes an archive that is still open; the owner normally calls
    // shutdownFileSystem first.
    ~HZIPFileSystem() override;

    // Opens the archive file at `path`; true when it is an archive.
    bool initFileSystem(const char* path) override;
    // Opens the archive held in `buffer`. On success the archive owns the
    // buffer, which must come from malloc, and frees it when it is closed; on
    // failure the buffer is still the caller's.
    bool initFileSystemFromMemory(const void* buffer, int size);
    // Closes the archive (and frees its buffer when it was opened from one).
    void shutdownFileSystem() override;
    bool fileExists(const char* name) override;
    HFile* openFileForRead(const char* name) override;
    // Not supported: developer alert, null.
    HFile* openFileForWrite(const char* name) override;
    // Always 0.
    int64_t getLastModTime(const char* name) override;
    void m_closeFile(HFile* file) override;

    // The library's archive handle, or null when none is open.
    unzFile getUnzFile() const { return m_pUnzFile; }
    HZIPFile* m_findFreeZIPFile();
    // Makes the entry of that name the archive's current one: the first in
    // directory order whose name equals `name` without regard to case, as the
    // library's own search would find it. False, leaving the current entry as
    // it was, when there is none.
    bool m_locateEntry(const char* name);
    // Entries in the name index; 0 without one.
    int32_t getIndexedEntryCount() const { return m_iIndexCount; }

    // How a read of an entry that the file system reads itself went.
    enum EntryRead : int32_t {
        ENTRY_READ = 0,       // `*got` bytes from the entry's start
        ENTRY_NO_HEADER,      // no local header of that entry where it should be
        ENTRY_DAMAGED,        // the data does not inflate, or its CRC differs
    };
    // Up to `len` bytes of an entry from its start, inflated from the data
    // after its local header at `localHeader`; never more than the entry's
    // uncompressed size, and the CRC checked when the whole entry came out.
    EntryRead m_readEntryItself(const unz_file_info64& info, uint64_t localHeader, void* buffer, int len, int* got);

private:
    // Where an entry's directory record lies, under the hash of its name.
    struct IndexEntry {
        uint32_t hash;
        uint32_t order; // place in directory order
        unz64_file_pos position;
    };
    // An archive that claims more entries than this is searched without an
    // index rather than allocated for.
    static constexpr uint64_t kMaxIndexedEntries = 1u << 20;

    bool m_openArchive(const char* name, zlib_filefunc_def* functions);
    void m_reset();
    // The stream the library reads the open archive through.
    voidpf m_archiveStream() const;
    // Exactly `length` bytes of the archive from `offset`; false when they
    // are not all there.
    bool m_readArchive(uint64_t offset, void* buffer, size_t length) const;
    // Puts the current entry's sizes from its Zip64 extra field into `info`
    // where its directory record says they stand there, and tells where its
    // local header is and whether the file system must read it itself
    // (`*itself`). False when the record gives way to an extra field that
    // does not hold the values.
    bool m_applyZip64Fields(unz_file_info64* info, uint64_t* localHeader, bool* itself) const;
    void m_buildIndex();
    void m_freeIndex();

    unzFile m_pUnzFile;
    // The archive's size in bytes, the bound of every entry's compressed size.
    int64_t m_iArchiveSize;
    // The I/O functions the archive was opened with (the library keeps its
    // own copy), for the entries read by the file system itself.
    zlib_filefunc_def m_functions;
    // The sources of the two sets of functions; the library keeps a pointer
    // to the one in use.
    HZIPMemoryStream::Source m_memorySource;
    StdioSource m_stdioSource;
    HZIPFile m_files[kMaxOpenFiles];
    IndexEntry* m_pIndex; // sorted by hash, then directory order; null: no index
    int32_t m_iIndexCount;
};
