// The registry on Unix: an in-memory list of entries, loaded from
// "<home>/.moravel/registry_<company>_<product>" when it is opened and
// written back whole when it is closed.
//
// The file has no header, count or checksum; records follow one another to
// the end of the file, each one the key with its terminating NUL (at most
// 1024 bytes), the value's length as 4 bytes little-endian, then the value's
// bytes. List order is file order: loading appends at the tail, a new key is
// inserted at the head, an existing key keeps its place.
#pragma once

#include "engine/core/HSystemRegistry.h"

#include <cstdint>
#include <cstdio>

class HUnixSystemRegistry : public HSystemRegistry {
public:
    // A key and its NUL never take more than this many bytes in the file.
    static constexpr int kMaxKeyBytes = 1024;
    // Longest value the store accepts or loads.
    static constexpr int32_t kMaxValueLength = 1024 * 1024;

    struct Entry {
        char* m_pszKey;    // owned, terminated
        int32_t m_iLength; // bytes of the value
        char* m_pData;     // owned: m_iLength bytes and one zero byte
        Entry* m_pNext;
    };

    HUnixSystemRegistry();
    ~HUnixSystemRegistry() override;

    // A file that exists but cannot be read (refused, an I/O error) gives
    // false and leaves the registry closed, so nothing is ever saved over it.
    bool openRegistry(HCvarManager* manager, const char* company, const char* product) override;
    // Writes the store to a temporary file beside the registry file and
    // renames it over the old one. On any failure the old file is untouched,
    // the entries and the path stay for a later close, and the result is false.
    bool closeRegistry() override;
    bool getStringValue(const char* key, char* dst, int len) override;
    bool setStringValue(const char* key, const char* data, int len) override;
    bool getBinaryValue(const char* key, void* dst, int len, int* out) override;
    bool setBinaryValue(const char* key, const void* data, int len) override;

    // Replaces the store with the records read from `file`, from its current
    // position to its end. Damage is not a failure: the records before the
    // first damaged one (a key without a NUL within 1024 bytes, a length cut
    // short, a length above kMaxValueLength or beyond the bytes left) are the
    // store. A stream that cannot be read (an I/O error) leaves the store
    // empty and gives false: what it holds is unknown, not missing.
    bool m_readRegistry(FILE* file);
    // Writes every entry in list order; false when any write fails.
    bool m_writeRegistry(FILE* file) const;

    // The registry file's path while open, else null.
    const char* getPath() const { return m_pszPath; }
    const Entry* getHead() const { return m_pHead; }

private:
    Entry* m_findEntry(const char* key) const;
    void m_freeEntries();
    void m_freePath();
    bool m_saveToPath() const;

    Entry* m_pHead;
    char* m_pszPath;
};
