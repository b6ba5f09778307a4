// The portable thread layer over SDL 1.2 threads, mutexes and semaphores.
#include "engine/core/PTL.h"

#include <SDL_mutex.h>
#include <SDL_thread.h>

#include <cstdlib>

// The thread record: what the native thread runs, and the caller's value.
struct PTL_Thread {
    void* argument;
    SDL_Thread* native;
    uint32_t userValue;
    PTL_ThreadFunction function;
};

struct PTL_Mutex {
    SDL_mutex* native;
};

struct PTL_Semaphore {
    SDL_sem* native;
};

PTL_Callbacks g_ptlCallbacks = {nullptr, nullptr};

namespace {

bool g_failNativeCreate = false;

void* platformAllocate(size_t size)
{
    return std::malloc(size);
}

void platformRelease(void* p)
{
    std::free(p);
}

template <typename T>
T* allocateBox()
{
    return static_cast<T*>(g_ptlCallbacks.allocate(sizeof(T)));
}

} // namespace

int PTL_Init(const PTL_Callbacks* hooks)
{
    if (g_ptlCallbacks.allocate || g_ptlCallbacks.release)
        return PTL_ALREADY_INITIALIZED;
    if (!_PTL_InitNative())
        return PTL_NATIVE_INIT_FAILED;
    if (hooks) {
        const bool hasAllocate = hooks->allocate != nullptr;
        const bool hasRelease = hooks->release != nullptr;
        if (hasAllocate != hasRelease)
            return PTL_BAD_ARGUMENT;
        if (hasAllocate)
            g_ptlCallbacks = *hooks;
    }
    if (!g_ptlCallbacks.allocate) {
        g_ptlCallbacks.allocate = platformAllocate;
        g_ptlCallbacks.release = platformRelease;
    }
    return PTL_OK;
}

int PTL_Shutdown()
{
    g_ptlCallbacks.allocate = nullptr;
    g_ptlCallbacks.release = nullptr;
    return PTL_OK;
}

bool _PTL_IsValid()
{
    return g_ptlCallbacks.allocate && g_ptlCallbacks.release;
}

bool _PTL_InitNative()
{
    // SDL 1.2 starts its thread bookkeeping on the first thread it creates.
    return true;
}

void _PTL_SetNativeCreateFailure(bool fail)
{
    g_failNativeCreate = fail;
}

// --- threads ---------------------------------------------------------------

int PTL_CreateThread(PTL_Thread** out, PTL_ThreadFunction function, void* argument, uint32_t userValue)
{
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!out || !function || !argument)
        return PTL_BAD_ARGUMENT;
    *out = nullptr;
    PTL_Thread* thread = allocateBox<PTL_Thread>();
    if (!thread)
        return PTL_OUT_OF_MEMORY;
    thread->argument = argument;
    thread->native = nullptr;
    thread->userValue = userValue;
    thread->function = function;
    thread->native = g_failNativeCreate ? nullptr : SDL_CreateThread(function, argument);
    if (!thread->native) {
        g_ptlCallbacks.release(thread);
        return PTL_NATIVE_FAILED;
    }
    *out = thread;
    return PTL_OK;
}

int PTL_DestroyThread(PTL_Thread* thread)
{
    if (!thread)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    // SDL cancels the thread and joins it, which also frees its own record.
    SDL_KillThread(thread->native);
    g_ptlCallbacks.release(thread);
    return PTL_OK;
}

int PTL_GetNativeThread(PTL_Thread* thread, SDL_Thread** out)
{
    if (!thread || !out)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    *out = thread->native;
    return PTL_OK;
}

// --- mutexes ---------------------------------------------------------------

int PTL_CreateMutex(PTL_Mutex** out)
{
    if (!out)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    *out = nullptr;
    PTL_Mutex* box = allocateBox<PTL_Mutex>();
    if (!box)
        return PTL_OUT_OF_MEMORY;
    box->native = g_failNativeCreate ? nullptr : SDL_CreateMutex();
    if (!box->native) {
        // Handing out an empty box would give the caller a mutex that guards
        // nothing; the failure is reported instead.
        g_ptlCallbacks.release(box);
        return PTL_NATIVE_FAILED;
    }
    *out = box;
    return PTL_OK;
}

int PTL_DestroyMutex(PTL_Mutex* mutex)
{
    if (!mutex)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (mutex->native)
        SDL_DestroyMutex(mutex->native);
    g_ptlCallbacks.release(mutex);
    return PTL_OK;
}

int PTL_LockMutex(PTL_Mutex* mutex)
{
    if (!mutex)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!mutex->native)
        return PTL_BAD_ARGUMENT;
    return SDL_mutexP(mutex->native) == 0 ? PTL_OK : PTL_NATIVE_FAILED;
}

int PTL_TryLockMutex(PTL_Mutex* /*mutex*/)
{
    return PTL_NATIVE_FAILED;
}

int PTL_ReleaseMutex(PTL_Mutex* mutex)
{
    if (!mutex)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!mutex->native)
        return PTL_BAD_ARGUMENT;
    return SDL_mutexV(mutex->native) == 0 ? PTL_OK : PTL_NATIVE_FAILED;
}

int PTL_GetNativeMutex(PTL_Mutex* mutex, SDL_mutex** out)
{
    if (!mutex || !out)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    *out = mutex->native;
    return PTL_OK;
}

// --- semaphores ------------------------------------------------------------

int PTL_CreateSemaphore(PTL_Semaphore** out, int initialCount)
{
    if (!out || initialCount <= 0)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    *out = nullptr;
    PTL_Semaphore* box = allocateBox<PTL_Semaphore>();
    if (!box)
        return PTL_OUT_OF_MEMORY;
    box->native = g_failNativeCreate ? nullptr : SDL_CreateSemaphore(static_cast<Uint32>(initialCount));
    if (!box->native) {
        g_ptlCallbacks.release(box);
        return PTL_NATIVE_FAILED;
    }
    *out = box;
    return PTL_OK;
}

int PTL_DestroySemaphore(PTL_Semaphore* semaphore)
{
    if (!semaphore)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (semaphore->native)
        SDL_DestroySemaphore(semaphore->native);
    g_ptlCallbacks.release(semaphore);
    return PTL_OK;
}

int PTL_LockSemaphore(PTL_Semaphore* semaphore)
{
    if (!semaphore)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!semaphore->native)
        return PTL_BAD_ARGUMENT;
    return SDL_SemWait(semaphore->native) == 0 ? PTL_OK : PTL_NATIVE_FAILED;
}

int PTL_TryLockSemaphore(PTL_Semaphore* semaphore)
{
    if (!semaphore)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!semaphore->native)
        return PTL_BAD_ARGUMENT;
    const int result = SDL_SemTryWait(semaphore->native);
    if (result == 0)
        return PTL_OK;
    return result == SDL_MUTEX_TIMEDOUT ? PTL_BUSY : PTL_NATIVE_FAILED;
}

int PTL_ReleaseSemaphore(PTL_Semaphore* semaphore)
{
    if (!semaphore)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    if (!semaphore->native)
        return PTL_BAD_ARGUMENT;
    return SDL_SemPost(semaphore->native) == 0 ? PTL_OK : PTL_NATIVE_FAILED;
}

int PTL_GetNativeSemaphore(PTL_Semaphore* semaphore, SDL_semaphore** out)
{
    if (!semaphore || !out)
        return PTL_BAD_ARGUMENT;
    if (!_PTL_IsValid())
        return PTL_NOT_INITIALIZED;
    *out = semaphore->native;
    return PTL_OK;
}
