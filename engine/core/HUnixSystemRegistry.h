// The registry on Unix: an in-memory list of entries, loaded from
// "<home>/.moravel/registry_<company>_<product>" when it is opened and
// written back whole when it is closed after a value changed.
//
// The file has no header, count or checksum; records follow one another to
// the end of the file, each one the key with its terminating NUL (at most
// 1024 bytes), the value's length as 4 bytes little-endian, then the value's
// bytes. List order is file order: loading appends at the tail, a new key is
// inserted at the head, an existing key keeps its place.
//
// A file whose reading stopped at damage keeps its records before the damage
// in the store; before the first save that would replace it, the file as it
// was is copied once to "<registry file>.damaged" and the player is told.
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
    // The registry file's path with its NUL must fit in this many bytes; a
    // longer one is refused rather than cut.
    static constexpr int kPathBytes = 1024;
    // A temporary file of this registry (its name, a dot and six letters or
    // digits) older than this many seconds was left by an interrupted save;
    // the next save removes it.
    static constexpr int kStaleTemporarySeconds = 60;

    struct Entry {
        char* m_pszKey;    // owned, terminated
        int32_t m_iLength; // bytes of the value
        char* m_pData;     // owned: m_iLength bytes and one zero byte
        Entry* m_pNext;
    };

    HUnixSystemRegistry();
    ~HUnixSystemRegistry() override;

    // A store still open is closed first (saved when it changed). A file
    // that exists but cannot be read (refused, an I/O error), or a path
    // that does not fit kPathBytes, gives false and leaves the registry
    // closed, so nothing is ever saved over it or under a cut name.
    bool openRegistry(HCvarManager* manager, const char* company, const char* product) override;
    // Only when a value was set to something new since the file was read:
    // writes the store to a temporary file beside the registry file and
    // renames it over the old one. On any failure the old file is untouched,
    // the failure is reported, and the result is false. Either way the store
    // is closed: a later open reads the file again, and nothing unsaved is
    // ever written over what the file has gained since.
    bool closeRegistry() override;
    bool getStringValue(const char* key, char* dst, int len) override;
    // Setting a key to the bytes it holds already changes nothing.
    bool setStringValue(const char* key, const char* data, int len) override;
    bool getBinaryValue(const char* key, void* dst, int len, int* out) override;
    bool setBinaryValue(const char* key, const void* data, int len) override;

    // Replaces the store with the records read from `file`, from its current
    // position to its end. Damage is not a failure: the records before the
    // first damaged one (a key without a NUL within 1024 bytes, a key or
    // length cut short, a length above kMaxValueLength or beyond the bytes
    // left) are the store, and isDamaged() tells. A stream that cannot be
    // read (an I/O error) leaves the store empty and gives false: what it
    // holds is unknown, not missing.
    bool m_readRegistry(FILE* file);
    // Writes every entry in list order; false when any write fails.
    bool m_writeRegistry(FILE* file) const;

    // The registry file's path while open, else null.
    const char* getPath() const { return m_pszPath; }
    const Entry* getHead() const { return m_pHead; }
    // Whether the last read stopped at damage before the end of its bytes.
    bool isDamaged() const { return m_bDamaged; }
    // Whether a value was set to something new since the store was read.
    bool hasChanged() const { return m_bChanged; }

private:
    Entry* m_findEntry(const char* key) const;
    void m_freeEntries();
    void m_freePath();
    // Closes the damaged file kept open for its copy.
    void m_forgetDamagedFile();
    bool m_saveToPath();
    // Copies the damaged file as it was read to "<path>.damaged", once per
    // path in the life of this object; false when the copy cannot be made.
    bool m_keepDamagedCopy();
    void m_removeStaleTemporaries() const;

    Entry* m_pHead;
    char* m_pszPath;
    bool m_bChanged;
    bool m_bDamaged;
    // The damaged registry file, open for reading from its open to its close.
    FILE* m_pDamagedFile;
    // The path whose damaged file was copied; null until a copy is made.
    char* m_pszCopiedPath;
};
