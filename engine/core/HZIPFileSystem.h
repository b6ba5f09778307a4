// The read-only file system over one ZIP archive, opened from a path or from
// a buffer that holds the whole archive. Entry names are used as they are
// (no asset directory) and compare without regard to case. It embeds 16
// HZIPFile slots; the lowest free one is lent first.
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

private:
    bool m_openArchive(const char* name, zlib_filefunc_def* functions);
    void m_reset();

    unzFile m_pUnzFile;
    // The archive's size in bytes, the bound of every entry's compressed size.
    int64_t m_iArchiveSize;
    // The memory stream's source; the library keeps a pointer to it.
    HZIPMemoryStream::Source m_memorySource;
    HZIPFile m_files[kMaxOpenFiles];
};
