// The read-only file system over one ZIP archive, opened from a path or from
// a buffer that holds the whole archive. Entry names are used as they are
// (no asset directory) and compare without regard to case. It embeds 16
// HZIPFile slots; the lowest free one is lent first.
//
// Opening the archive walks its directory once into a name index (a hash of
// each name, folded as the comparison folds it, with the entry's place), so
// that finding an entry costs a few header reads instead of a walk over the
// whole directory; without the index the library's own search is used.
#pragma once

#include "engine/core/HFileSystem.h"
#include "engine/core/HZIPFile.h"
#include "engine/core/HZIPMemoryStream.h"

#include <unzip.h>

#include <cstdint>

class HZIPFileSystem : public HFileSystem {
public:
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
    void m_buildIndex();
    void m_freeIndex();

    unzFile m_pUnzFile;
    // The archive's size in bytes, the bound of every entry's compressed size.
    int64_t m_iArchiveSize;
    // The memory stream's source; the library keeps a pointer to it.
    HZIPMemoryStream::Source m_memorySource;
    HZIPFile m_files[kMaxOpenFiles];
    IndexEntry* m_pIndex; // sorted by hash, then directory order; null: no index
    int32_t m_iIndexCount;
};
