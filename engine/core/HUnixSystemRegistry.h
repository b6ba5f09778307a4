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
// A registry file that is a symbolic link is followed: the file read and
// replaced is the link's target (its temporary files and the copies of a
// damaged one go beside it), and the link stays. Only folders the player
// may trust are read and written through: the registry's folder, the
// folder of every link on the way and the target's folder must belong to
// the running user or root (for root, also to the home's owner) and may
// not be writable by the group or others; any other is refused. A file
// replaced keeps its mode, owner and group.
//
// Several processes of the game share the file: an open that may change the
// store takes an exclusive lock (flock) on the folder that holds the file it
// reads, the link's target, and holds it until the store is closed, so one
// process's read, change and rename never interleave with another's. The
// lock needs no file of its own, and every path to one file (two links, a
// linked folder) meets the same lock. The folder is kept open from the
// lock to the rename, and every file is reached through it: a folder
// replaced or a link changed meanwhile never sends a save elsewhere. A
// folder that cannot be locked itself (one that may not be read, a network
// file system that locks only files) is locked through "<file>.lock"
// beside the file, made when missing and never removed; only when neither
// lock can be had is that told, once, and saves go on without it. The
// messages of an open and its save wait until the lock is let go: a
// standard stream that cannot take them never holds another window's save.
//
// A save writes "<file>.#saving#XXXXXX" (six letters or digits) and renames
// it over the file; a save cut short leaves it behind, and the next holder of
// the lock removes it. No other name is ever removed.
//
// A file whose reading stopped at damage keeps its records before the damage
// in the store; before a save replaces it, the file as it was is copied to
// "<registry file>.damaged" (or ".damaged.2" to ".damaged.9" when those hold
// other damaged files) and the player is told.
#pragma once

#include "engine/core/HSystemRegistry.h"

#include <cstdarg>
#include <cstdint>
#include <cstdio>

class HUnixSystemRegistry : public HSystemRegistry {
public:
    // A key and its NUL never take more than this many bytes in the file.
    static constexpr int kMaxKeyBytes = 1024;
    // Longest value the store accepts or loads.
    static constexpr int32_t kMaxValueLength = 1024 * 1024;
    // At most this many bytes of a registry file are read (the game's own
    // is about 16 KB): a longer file is damaged after them. A store that
    // would not fit is not saved.
    static constexpr int32_t kMaxFileBytes = 1024 * 1024;
    // The registry file's path with its NUL must fit in this many bytes; a
    // longer one is refused rather than cut. So must a link's target.
    static constexpr int kPathBytes = 1024;
    // How long an open during play waits for the lock that another process
    // holds, on the monotonic clock.
    static constexpr int kLockTimeoutMs = 2000;
    // The last saves of a game that ends wait for the lock until this long
    // after the first of them began, all of them together: the ending
    // takes at most 60 s, and the last save then has the rest of it to
    // write its file.
    static constexpr int kLastSavesLockTimeoutMs = 50000;
    // Copies of damaged files kept beside the registry file, at most.
    static constexpr int kMaxDamagedCopies = 9;

    struct Entry {
        char* m_pszKey;    // owned, terminated
        int32_t m_iLength; // bytes of the value
        char* m_pData;     // owned: m_iLength bytes and one zero byte
        Entry* m_pNext;
    };

    // Between two tries for a lock held elsewhere: waits `ms` milliseconds.
    using LockPause = void (*)(void* context, int ms);
    // The clock that the waits for the lock are measured on: milliseconds
    // that never go back (the monotonic clock's).
    using LockClock = int64_t (*)(void* context);

    HUnixSystemRegistry();
    ~HUnixSystemRegistry() override;

    // For the use openRegistryFor gives (USE_CHANGE when called alone): a
    // store still open is closed first (saved when it changed). Then,
    // unless the use only reads, the lock is taken, waiting for another
    // process: during play up to kLockTimeoutMs from this open, for a last
    // save until kLastSavesLockTimeoutMs after the first last save of this
    // object began; a lock that does not come in time gives false
    // (reported) and the registry stays closed. A lock that cannot be had
    // for another reason is told once (standard error and the trace) and
    // the store opens unlocked. A file that exists but cannot be read
    // (refused, not a regular file, an I/O error), or a path that does not
    // fit kPathBytes, gives false and leaves the registry closed, so
    // nothing is ever saved over it or under a cut name.
    bool openRegistry(HCvarManager* manager, const char* company, const char* product) override;
    // Only when a value was set to something new since the file was read:
    // writes the store to a temporary file beside the registry file (with
    // the old file's mode, 0600 for a new one) and renames it over the old
    // one. On any failure the old file is untouched, the failure is
    // reported, and the result is false. A store opened only to read is
    // never saved: false, silently, when a value was set in it. Either way
    // the store is closed and the lock let go: a later open reads the file
    // again, and nothing unsaved is ever written over what the file has
    // gained since.
    bool closeRegistry() override;
    bool getStringValue(const char* key, char* dst, int len) override;
    // Setting a key to the bytes it holds already changes nothing.
    bool setStringValue(const char* key, const char* data, int len) override;
    bool getBinaryValue(const char* key, void* dst, int len, int* out) override;
    bool setBinaryValue(const char* key, const void* data, int len) override;

    // Replaces the store with the records read from `file`, from its current
    // position on, at most kMaxFileBytes of them. Damage is not a failure:
    // the records before the first damaged one (a key without a NUL within
    // 1024 bytes, a key read before, a key or length cut short, a length
    // above kMaxValueLength or beyond the bytes left, bytes beyond
    // kMaxFileBytes) are the store, and isDamaged() tells. A stream that
    // cannot be read (an I/O error) leaves the store empty and gives false:
    // what it holds is unknown, not missing.
    bool m_readRegistry(FILE* file);
    // Writes every entry in list order; false when any write fails.
    bool m_writeRegistry(FILE* file) const;

    // How an open waits between tries for the lock (null: it sleeps), and
    // the clock it measures the wait on (null: the monotonic clock); tests
    // count the wait, or act while it lasts, without waiting.
    void setLockPause(LockPause pause, void* context);
    void setLockClock(LockClock clock, void* context);

    // The registry file's path while open, else null.
    const char* getPath() const { return m_pszPath; }
    const Entry* getHead() const { return m_pHead; }
    // Whether the last read stopped at damage before the end of its bytes.
    bool isDamaged() const { return m_bDamaged; }
    // Whether a value was set to something new since the store was read.
    bool hasChanged() const { return m_bChanged; }
    // Whether this object holds the lock (from an open to its close).
    bool isLocked() const { return m_bLocked; }

private:
    // What taking the lock came to.
    enum LockResult { LOCK_TAKEN, LOCK_HELD_ELSEWHERE, LOCK_FAILED };

    Entry* m_findEntry(const char* key) const;
    void m_freeEntries();
    void m_freePaths();
    // Closes the damaged file kept open for its copy.
    void m_forgetDamagedFile();
    // Milliseconds on the lock's clock.
    int64_t m_now() const;
    // Locks the open descriptor `fd`, trying again while another process
    // holds it (or the try is interrupted) until the lock's clock reaches
    // `deadlineMs`; LOCK_FAILED with errno set when it cannot be locked at
    // all.
    LockResult m_lock(int fd, int64_t deadlineMs);
    // Tells, once in the object's life, that the folder of the registry
    // file cannot be locked and why.
    void m_tellLockProblem(const char* folder, int err);
    // Lets the folder, and its lock, go.
    void m_closeFolder();
    // The work of openRegistry, for `use`.
    bool m_open(Use use, const char* company, const char* product);
    // A message for the player, an alert (HErrorManager::s_alert) or a text
    // for standard error (HErrorManager::s_tell), held until no lock is
    // held: a write to a standard stream may wait for good (a stopped
    // terminal, a pipe nobody reads), and no other window may wait for it
    // meanwhile. More than kMaxHeldMessages at once are lost.
    void m_alert(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void m_tell(const char* fmt, ...) __attribute__((format(printf, 2, 3)));
    void m_hold(bool alert, const char* fmt, va_list args);
    // Tells the held messages, in order, and forgets them; only without the lock.
    void m_tellHeldMessages();
    // The name of the registry file in its folder (within m_pszTarget).
    const char* m_targetName() const;
    // `name` in the registry file's folder, as a full path for messages.
    void m_besideTarget(const char* name, char* out, int len) const;
    bool m_saveToPath();
    // Copies the damaged file as it was read to the first free copy name,
    // unless one of them holds its bytes already; tells the player. False
    // when the copy could not be written; true also when every name holds
    // other bytes (the save then goes on and says so).
    bool m_keepDamagedCopy();
    // Every temporary file of this registry left by a save that was cut
    // short: the lock is held, so no save of another process is under way.
    void m_removeStaleTemporaries() const;

    Entry* m_pHead;
    // The registry file's path as formed from the home directory, and the
    // file it names once symbolic links are followed (the same path when
    // it is none): the file read and replaced, whose folder is locked.
    char* m_pszPath;
    char* m_pszTarget;
    bool m_bChanged;
    bool m_bDamaged;
    // Whether the store was opened only to read.
    bool m_bReadOnly;
    // The damaged registry file, open for reading from its open to its close.
    FILE* m_pDamagedFile;
    // The folder of the file read, open from the open to the close of a
    // store that may change (-1 otherwise, or when it could not be reached:
    // m_iFolderOpenError says why); every file of a save is reached through it.
    int m_iFolderFd;
    int m_iFolderOpenError;
    // The lock file beside the file, open and locked in place of a folder
    // that cannot be locked itself; -1 otherwise.
    int m_iLockFileFd;
    // Whether m_iFolderFd, or the lock file, is locked.
    bool m_bLocked;
    // Whether a lock that could not be had was told.
    bool m_bLockProblemTold;
    // Why the registry folder could not be made at the last open; 0 when
    // it was made or was there.
    int m_iFolderError;
    LockPause m_pLockPause;
    void* m_pLockPauseContext;
    LockClock m_pLockClock;
    void* m_pLockClockContext;
    // When the first last save began waiting, on the lock's clock; every
    // later last save waits until the same deadline. -1: none yet.
    int64_t m_iLastSavesStartMs;
    // The messages held while the lock is (an open and its close make a
    // few at most), each text owned; and the bytes of each at most.
    static constexpr int kMaxHeldMessages = 8;
    static constexpr int kHeldMessageBytes = 4096;
    struct HeldMessage {
        bool alert;
        char* text;
    };
    HeldMessage m_aHeldMessages[kMaxHeldMessages];
    int m_iHeldMessages;
};
