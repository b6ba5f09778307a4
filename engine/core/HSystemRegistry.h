// The per-user persistent key/value store: the game's options, best times and
// switches live in it. There is one registry object in the process, reached
// through s_getSystemRegistry(); every user opens it with the company and
// product names, reads or writes its keys and closes it again, which writes
// the store back to disk when a value changed. Each open reads the file
// again: the file, not an earlier open's copy, is the truth between uses.
//
// Text and binary values are one kind of value: a key maps to a byte string.
//
// Several processes of the game share the file. An open that may change the
// store takes a lock that keeps every other such open of the same file out
// until the store is closed; an open only to read takes none.
#pragma once

#include <cstdint>

class HCvarManager;

class HSystemRegistry {
public:
    HSystemRegistry();

    HSystemRegistry(const HSystemRegistry&) = delete;
    HSystemRegistry& operator=(const HSystemRegistry&) = delete;

    // What an open is for: how it waits for another process's lock.
    enum Use : int32_t {
        // Reading only: no lock is taken, so the store opens at once,
        // whoever holds the lock (every save renames a whole file into
        // place: a read finds the file before a save or after it, never half
        // of one). Such a store is never saved.
        USE_READ = 0,
        // Reading and changing, during play: another process's lock is
        // waited for a short while; an open that gives up fails, and the
        // caller keeps its change for a later use.
        USE_CHANGE = 1,
        // One of the last saves of a game that ends: another process's lock
        // is waited for as long as slow storage, or many windows ending at
        // once, may hold it, but every last save of the process waits
        // until one deadline, set by the first of them: however many there
        // are, together they wait no longer than one.
        USE_LAST_SAVE = 2,
    };

    // Opens the store for `use` (the implementation's openRegistry, told
    // the use); the one way to open it for a read or a last save.
    bool openRegistryFor(Use use, HCvarManager* manager, const char* company, const char* product);
    // An open for USE_CHANGE, unless openRegistryFor calls it for another
    // use. The manager is not used; callers may pass null.
    virtual bool openRegistry(HCvarManager* manager, const char* company, const char* product) = 0;
    // False when a changed store could not be saved (or was opened only to
    // read); it is closed all the same, and what it held is not saved later.
    virtual bool closeRegistry() = 0;
    // Copies the value as text: at most len - 1 characters and always
    // terminated. False (dst untouched) when the key is absent or len <= 0.
    virtual bool getStringValue(const char* key, char* dst, int len) = 0;
    virtual bool setStringValue(const char* key, const char* data, int len) = 0;
    // Copies min(stored length, len) bytes and stores that count in *out.
    virtual bool getBinaryValue(const char* key, void* dst, int len, int* out) = 0;
    virtual bool setBinaryValue(const char* key, const void* data, int len) = 0;
    virtual ~HSystemRegistry();

    // The single-precision bit pattern, least significant byte first.
    bool setFloatValue(const char* key, float f);
    // True only when the key holds at least 4 bytes; *out untouched otherwise.
    bool getFloatValue(const char* key, float* out);
    // The 4 bytes of v in host order (least significant first on the target).
    bool setU32Value(const char* key, uint32_t v);
    bool getU32Value(const char* key, uint32_t* out);

    // The one registry object, made on first use (empty and closed); it is
    // destroyed, and so closed, at process exit.
    static HSystemRegistry* s_getSystemRegistry();

protected:
    // The use of the open under way: what openRegistryFor was given while
    // it runs, USE_CHANGE otherwise.
    Use m_getOpeningUse() const { return m_eOpeningUse; }

private:
    static void s_destroySystemRegistry();

    Use m_eOpeningUse;

    static HSystemRegistry* sm_pSystemRegistry;
};
