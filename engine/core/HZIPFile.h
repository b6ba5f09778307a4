// One entry of a ZIP archive, lent out by HZIPFileSystem. It has no position:
// every read inflates the entry from its start. The slot holds the library's
// information record of the entry while it is in use, with the sizes from
// the entry's Zip64 extra field where they stand there.
#pragma once

#include "engine/core/HFile.h"

#include <unzip.h>

#include <cstdint>

class HZIPFileSystem;

// The library's per-entry record, embedded whole in each slot.
static_assert(sizeof(unz_file_info64) == 136, "unz_file_info64 as built by this host's unzip library");

class HZIPFile : public HFile {
    H_DECLARE_CLASS(HZIPFile)
public:
    HZIPFile();
    ~HZIPFile() override;

    // Inflates up to len bytes from the entry's start; the count, or 0 on any
    // failure: a library error, a CRC mismatch, or an entry that inflates to
    // less than its declared size when the whole of it was asked for.
    int read(void* buffer, int len) override;
    // Read-only: developer alert, 0.
    int write(const void* data, int len) override;
    // Every read starts at the beginning anyway: developer alert, false.
    bool rewind() override;
    void flush() override;

    bool isInUse() const { return m_bInUse; }

    // Called by the file system: the slot holds the entry until m_release.
    // `localHeader` is where the entry's local header lies, for an entry the
    // file system reads itself (`readItself`) rather than through the
    // library.
    void m_take(HZIPFileSystem* owner, const char* name, const unz_file_info64& info, uint64_t localHeader,
                bool readItself);
    void m_release();

private:
    // Inflates through the library: the count, or 0 after an alert.
    int m_readThroughLibrary(void* buffer, int len);

    unz_file_info64 m_entryInfo;
    uint64_t m_iLocalHeader;
    bool m_bReadItself;
    bool m_bInUse;
    HZIPFileSystem* m_pZIPFileSystem;
};
