// One entry of a ZIP archive, lent out by HZIPFileSystem. It has no position:
// every read inflates the entry from its start. The slot holds the library's
// information record of the entry while it is in use.
#pragma once

#include "engine/core/HFile.h"

#include <unzip.h>

class HZIPFileSystem;

// The library's per-entry record, embedded whole in each slot.
static_assert(sizeof(unz_file_info) == 136, "unz_file_info as built by this host's unzip library");

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
    void m_take(HZIPFileSystem* owner, const char* name, const unz_file_info& info);
    void m_release();

private:
    unz_file_info m_entryInfo;
    bool m_bInUse;
    HZIPFileSystem* m_pZIPFileSystem;
};
