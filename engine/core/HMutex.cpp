// Mutexes over the portable thread layer.
#include "engine/core/HMutex.h"

#include "engine/core/PTL.h"

bool HMutex::sm_bPTLInitialized = false;

HMutex::HMutex() : m_pMutex(nullptr)
{
}

HMutex::~HMutex()
{
    deleteMutex();
}

bool HMutex::createMutex()
{
    if (m_pMutex)
        return false;
    if (!sm_bPTLInitialized) {
        // Runs on the main thread during start-up, before the audio thread
        // exists, so the flag needs no guard. Already initialised by someone
        // else (PTL_ALREADY_INITIALIZED) is as good as initialised here.
        PTL_Init(nullptr);
        sm_bPTLInitialized = _PTL_IsValid();
    }
    PTL_Mutex* mutex = nullptr;
    if (PTL_CreateMutex(&mutex) != PTL_OK)
        return false;
    m_pMutex = mutex;
    return true;
}

void HMutex::deleteMutex()
{
    if (!m_pMutex)
        return;
    PTL_DestroyMutex(m_pMutex);
    m_pMutex = nullptr;
}

bool HMutex::lockMutex()
{
    return PTL_LockMutex(m_pMutex) == PTL_OK;
}

bool HMutex::tryLockMutex()
{
    return false;
}

bool HMutex::unlockMutex()
{
    return PTL_ReleaseMutex(m_pMutex) == PTL_OK;
}
