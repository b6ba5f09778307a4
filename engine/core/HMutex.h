// The engine's mutex over the portable thread layer. Not recursive: lock once,
// unlock once. The first createMutex of the process initialises the layer
// with the platform allocator; nothing shuts it down.
#pragma once

struct PTL_Mutex;

class HMutex {
public:
    HMutex();
    // Deletes the mutex when one exists.
    ~HMutex();

    HMutex(const HMutex&) = delete;
    HMutex& operator=(const HMutex&) = delete;

    // False when a mutex already exists (the first one is kept) or the layer
    // could not create one.
    bool createMutex();
    void deleteMutex();
    // Blocks until the mutex is taken; false for a mutex never created.
    bool lockMutex();
    // The layer has no try-lock: always false.
    bool tryLockMutex();
    bool unlockMutex();

    // Set once the first createMutex has initialised the layer.
    static bool sm_bPTLInitialized;

private:
    PTL_Mutex* m_pMutex;
};
