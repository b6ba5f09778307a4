// PTL, the portable thread layer: threads, mutexes and semaphores of the
// media library behind plain functions with their own result codes. Every
// object the layer hands out is allocated through the process-wide allocation
// hooks, which PTL_Init installs and PTL_Shutdown clears; while they are
// unset every function that needs them returns PTL_NOT_INITIALIZED.
//
// A handle is a pointer to a small box that the layer allocated; the caller
// keeps it and gives it back to the matching destroy function.
#pragma once

#include <cstddef>
#include <cstdint>

struct SDL_Thread;
struct SDL_mutex;
struct SDL_semaphore;

// Result codes (2 is not used).
enum : int {
    PTL_OK = 0,
    PTL_BUSY = 1,                // a try-wait found the semaphore taken
    PTL_NATIVE_INIT_FAILED = 3,  // the native layer did not start
    PTL_NOT_INITIALIZED = 4,     // no allocation hooks
    PTL_ALREADY_INITIALIZED = 5, //
    PTL_OUT_OF_MEMORY = 6,       // the allocation hook returned null
    PTL_BAD_ARGUMENT = 7,        // null handle, pointer or function; count <= 0; empty box
    PTL_NATIVE_FAILED = 8,       // the native call failed, or the operation is unavailable
};

struct PTL_Callbacks {
    void* (*allocate)(size_t size);
    void (*release)(void* p);
};

// Both null while the layer is not initialised.
extern PTL_Callbacks g_ptlCallbacks;

struct PTL_Thread;
struct PTL_Mutex;
struct PTL_Semaphore;

using PTL_ThreadFunction = int (*)(void* argument);

// With hooks: both set installs them, exactly one set is PTL_BAD_ARGUMENT,
// both null (or no record) installs the platform's malloc and free.
int PTL_Init(const PTL_Callbacks* hooks);
int PTL_Shutdown();
bool _PTL_IsValid();
bool _PTL_InitNative();

// Starts function(argument) on a new native thread; argument may not be null.
int PTL_CreateThread(PTL_Thread** out, PTL_ThreadFunction function, void* argument, uint32_t userValue);
// Kills the native thread (and waits until it is gone), then releases the record.
int PTL_DestroyThread(PTL_Thread* thread);
int PTL_GetNativeThread(PTL_Thread* thread, SDL_Thread** out);

// On failure *out is null and nothing stays allocated.
int PTL_CreateMutex(PTL_Mutex** out);
int PTL_DestroyMutex(PTL_Mutex* mutex);
int PTL_LockMutex(PTL_Mutex* mutex);
// The media library has no try-lock: always PTL_NATIVE_FAILED.
int PTL_TryLockMutex(PTL_Mutex* mutex);
int PTL_ReleaseMutex(PTL_Mutex* mutex);
int PTL_GetNativeMutex(PTL_Mutex* mutex, SDL_mutex** out);

int PTL_CreateSemaphore(PTL_Semaphore** out, int initialCount);
int PTL_DestroySemaphore(PTL_Semaphore* semaphore);
int PTL_LockSemaphore(PTL_Semaphore* semaphore);
// PTL_OK when taken, PTL_BUSY when the count was 0.
int PTL_TryLockSemaphore(PTL_Semaphore* semaphore);
int PTL_ReleaseSemaphore(PTL_Semaphore* semaphore);
int PTL_GetNativeSemaphore(PTL_Semaphore* semaphore, SDL_semaphore** out);

// Test seam: while set, every native create call (thread, mutex, semaphore)
// fails as if the media library had refused it.
void _PTL_SetNativeCreateFailure(bool fail);
