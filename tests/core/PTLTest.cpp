// The portable thread layer: result codes before and after initialisation,
// allocation through the hooks, native failures and semaphore counting.
#include "engine/core/HMutex.h"
#include "engine/core/PTL.h"

#include <SDL_mutex.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

int g_allocations = 0;
int g_releases = 0;
bool g_allocationFails = false;

void* countingAllocate(size_t size)
{
    if (g_allocationFails)
        return nullptr;
    ++g_allocations;
    return std::malloc(size);
}

void countingRelease(void* p)
{
    ++g_releases;
    std::free(p);
}

const PTL_Callbacks kCountingHooks = {countingAllocate, countingRelease};

// Every case starts with the layer shut down and leaves it as HMutex expects.
class PTLTest : public testing::Test {
protected:
    void SetUp() override
    {
        PTL_Shutdown();
        _PTL_SetNativeCreateFailure(false);
        g_allocations = 0;
        g_releases = 0;
        g_allocationFails = false;
    }

    void TearDown() override
    {
        _PTL_SetNativeCreateFailure(false);
        PTL_Shutdown();
        if (HMutex::sm_bPTLInitialized)
            PTL_Init(nullptr);
    }
};

// Posts `started`, then blocks on `gate` until it is killed. It waits on the
// media library's semaphores directly, so that it touches nothing of the
// layer while a test shuts the layer down and starts it again.
struct BlockingThread {
    BlockingThread() : started(SDL_CreateSemaphore(0)), gate(SDL_CreateSemaphore(0)) {}
    ~BlockingThread()
    {
        SDL_DestroySemaphore(started);
        SDL_DestroySemaphore(gate);
    }
    SDL_sem* started;
    SDL_sem* gate;
    int ran = 0;
};

int blockForever(void* argument)
{
    BlockingThread* t = static_cast<BlockingThread*>(argument);
    t->ran = 1;
    SDL_SemPost(t->started);
    SDL_SemWait(t->gate);
    return 0;
}

int returnAtOnce(void*)
{
    return 0;
}

TEST_F(PTLTest, InitInstallsHooksOnce)
{
    EXPECT_FALSE(_PTL_IsValid());
    EXPECT_EQ(PTL_Init(&kCountingHooks), PTL_OK);
    EXPECT_TRUE(_PTL_IsValid());
    EXPECT_EQ(g_ptlCallbacks.allocate, kCountingHooks.allocate);

    EXPECT_EQ(PTL_Init(nullptr), PTL_ALREADY_INITIALIZED);
    EXPECT_EQ(g_ptlCallbacks.allocate, kCountingHooks.allocate) << "a second init changes nothing";

    EXPECT_EQ(PTL_Shutdown(), PTL_OK);
    EXPECT_FALSE(_PTL_IsValid());
    EXPECT_EQ(g_ptlCallbacks.allocate, nullptr);
    EXPECT_EQ(g_ptlCallbacks.release, nullptr);
}

TEST_F(PTLTest, InitWithHalfAHookRecordIsRefused)
{
    const PTL_Callbacks releaseOnly = {nullptr, countingRelease};
    const PTL_Callbacks allocateOnly = {countingAllocate, nullptr};
    EXPECT_EQ(PTL_Init(&releaseOnly), PTL_BAD_ARGUMENT);
    EXPECT_FALSE(_PTL_IsValid());
    EXPECT_EQ(PTL_Init(&allocateOnly), PTL_BAD_ARGUMENT);
    EXPECT_FALSE(_PTL_IsValid());

    // An empty record, like none at all, means the platform allocator.
    const PTL_Callbacks none = {nullptr, nullptr};
    EXPECT_EQ(PTL_Init(&none), PTL_OK);
    EXPECT_TRUE(_PTL_IsValid());
    EXPECT_NE(g_ptlCallbacks.allocate, kCountingHooks.allocate);
}

TEST_F(PTLTest, EveryFunctionBeforeInitReportsNotInitialized)
{
    // Real handles, made while initialised, so only the missing hooks differ.
    ASSERT_EQ(PTL_Init(nullptr), PTL_OK);
    PTL_Mutex* mutex = nullptr;
    PTL_Semaphore* semaphore = nullptr;
    ASSERT_EQ(PTL_CreateMutex(&mutex), PTL_OK);
    ASSERT_EQ(PTL_CreateSemaphore(&semaphore, 1), PTL_OK);
    BlockingThread blocker;
    PTL_Thread* thread = nullptr;
    ASSERT_EQ(PTL_CreateThread(&thread, blockForever, &blocker, 7), PTL_OK);
    ASSERT_EQ(SDL_SemWait(blocker.started), 0);
    PTL_Shutdown();

    PTL_Thread* newThread = nullptr;
    PTL_Mutex* newMutex = nullptr;
    PTL_Semaphore* newSemaphore = nullptr;
    SDL_Thread* nativeThread = nullptr;
    SDL_mutex* nativeMutex = nullptr;
    SDL_semaphore* nativeSemaphore = nullptr;
    int dummy = 0;
    const std::vector<std::pair<std::string, std::function<int()>>> calls = {
        {"CreateThread", [&] { return PTL_CreateThread(&newThread, returnAtOnce, &dummy, 0); }},
        {"DestroyThread", [&] { return PTL_DestroyThread(thread); }},
        {"GetNativeThread", [&] { return PTL_GetNativeThread(thread, &nativeThread); }},
        {"CreateMutex", [&] { return PTL_CreateMutex(&newMutex); }},
        {"DestroyMutex", [&] { return PTL_DestroyMutex(mutex); }},
        {"LockMutex", [&] { return PTL_LockMutex(mutex); }},
        {"ReleaseMutex", [&] { return PTL_ReleaseMutex(mutex); }},
        {"GetNativeMutex", [&] { return PTL_GetNativeMutex(mutex, &nativeMutex); }},
        {"CreateSemaphore", [&] { return PTL_CreateSemaphore(&newSemaphore, 1); }},
        {"DestroySemaphore", [&] { return PTL_DestroySemaphore(semaphore); }},
        {"LockSemaphore", [&] { return PTL_LockSemaphore(semaphore); }},
        {"TryLockSemaphore", [&] { return PTL_TryLockSemaphore(semaphore); }},
        {"ReleaseSemaphore", [&] { return PTL_ReleaseSemaphore(semaphore); }},
        {"GetNativeSemaphore", [&] { return PTL_GetNativeSemaphore(semaphore, &nativeSemaphore); }},
    };
    for (const auto& call : calls)
        EXPECT_EQ(call.second(), PTL_NOT_INITIALIZED) << call.first;
    EXPECT_EQ(newThread, nullptr);
    EXPECT_EQ(newMutex, nullptr);
    EXPECT_EQ(newSemaphore, nullptr);
    EXPECT_EQ(nativeMutex, nullptr);
    EXPECT_EQ(PTL_TryLockMutex(mutex), PTL_NATIVE_FAILED) << "unavailable, initialised or not";

    // Nothing was used up or unlocked by the refused calls.
    ASSERT_EQ(PTL_Init(nullptr), PTL_OK);
    EXPECT_EQ(PTL_TryLockSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_DestroyThread(thread), PTL_OK);
    EXPECT_EQ(PTL_DestroyMutex(mutex), PTL_OK);
    EXPECT_EQ(PTL_DestroySemaphore(semaphore), PTL_OK);
}

TEST_F(PTLTest, BadArgumentsAfterInit)
{
    ASSERT_EQ(PTL_Init(nullptr), PTL_OK);
    PTL_Thread* thread = nullptr;
    PTL_Mutex* mutex = nullptr;
    PTL_Semaphore* semaphore = nullptr;
    int dummy = 0;
    const std::vector<std::pair<std::string, std::function<int()>>> calls = {
        {"CreateThread out", [&] { return PTL_CreateThread(nullptr, returnAtOnce, &dummy, 0); }},
        {"CreateThread function", [&] { return PTL_CreateThread(&thread, nullptr, &dummy, 0); }},
        {"CreateThread argument", [&] { return PTL_CreateThread(&thread, returnAtOnce, nullptr, 0); }},
        {"DestroyThread", [] { return PTL_DestroyThread(nullptr); }},
        {"GetNativeThread thread", [] {
             SDL_Thread* t = nullptr;
             return PTL_GetNativeThread(nullptr, &t);
         }},
        {"CreateMutex", [] { return PTL_CreateMutex(nullptr); }},
        {"DestroyMutex", [] { return PTL_DestroyMutex(nullptr); }},
        {"LockMutex", [] { return PTL_LockMutex(nullptr); }},
        {"ReleaseMutex", [] { return PTL_ReleaseMutex(nullptr); }},
        {"GetNativeMutex", [] {
             SDL_mutex* m = nullptr;
             return PTL_GetNativeMutex(nullptr, &m);
         }},
        {"CreateSemaphore out", [] { return PTL_CreateSemaphore(nullptr, 1); }},
        {"CreateSemaphore count 0", [&] { return PTL_CreateSemaphore(&semaphore, 0); }},
        {"CreateSemaphore count -1", [&] { return PTL_CreateSemaphore(&semaphore, -1); }},
        {"DestroySemaphore", [] { return PTL_DestroySemaphore(nullptr); }},
        {"LockSemaphore", [] { return PTL_LockSemaphore(nullptr); }},
        {"TryLockSemaphore", [] { return PTL_TryLockSemaphore(nullptr); }},
        {"ReleaseSemaphore", [] { return PTL_ReleaseSemaphore(nullptr); }},
        {"GetNativeSemaphore", [] {
             SDL_semaphore* s = nullptr;
             return PTL_GetNativeSemaphore(nullptr, &s);
         }},
    };
    for (const auto& call : calls)
        EXPECT_EQ(call.second(), PTL_BAD_ARGUMENT) << call.first;
    EXPECT_EQ(mutex, nullptr);
    EXPECT_EQ(semaphore, nullptr);

    ASSERT_EQ(PTL_CreateMutex(&mutex), PTL_OK);
    EXPECT_EQ(PTL_GetNativeMutex(mutex, nullptr), PTL_BAD_ARGUMENT);
    EXPECT_EQ(PTL_DestroyMutex(mutex), PTL_OK);
}

TEST_F(PTLTest, EveryObjectIsAllocatedAndReleasedThroughTheHooks)
{
    ASSERT_EQ(PTL_Init(&kCountingHooks), PTL_OK);
    PTL_Mutex* mutex = nullptr;
    ASSERT_EQ(PTL_CreateMutex(&mutex), PTL_OK);
    SDL_mutex* native = nullptr;
    EXPECT_EQ(PTL_GetNativeMutex(mutex, &native), PTL_OK);
    EXPECT_NE(native, nullptr);
    EXPECT_EQ(PTL_LockMutex(mutex), PTL_OK);
    EXPECT_EQ(PTL_TryLockMutex(mutex), PTL_NATIVE_FAILED);
    EXPECT_EQ(PTL_ReleaseMutex(mutex), PTL_OK);
    PTL_Semaphore* semaphore = nullptr;
    ASSERT_EQ(PTL_CreateSemaphore(&semaphore, 3), PTL_OK);
    EXPECT_EQ(g_allocations, 2);
    EXPECT_EQ(PTL_DestroyMutex(mutex), PTL_OK);
    EXPECT_EQ(PTL_DestroySemaphore(semaphore), PTL_OK);
    EXPECT_EQ(g_releases, 2);
}

TEST_F(PTLTest, FailedCreationsLeaveNothingAllocated)
{
    ASSERT_EQ(PTL_Init(&kCountingHooks), PTL_OK);
    int dummy = 0;
    auto tryAll = [&](int expected) {
        PTL_Thread* thread = reinterpret_cast<PTL_Thread*>(&dummy);
        PTL_Mutex* mutex = reinterpret_cast<PTL_Mutex*>(&dummy);
        PTL_Semaphore* semaphore = reinterpret_cast<PTL_Semaphore*>(&dummy);
        EXPECT_EQ(PTL_CreateThread(&thread, returnAtOnce, &dummy, 0), expected);
        EXPECT_EQ(PTL_CreateMutex(&mutex), expected);
        EXPECT_EQ(PTL_CreateSemaphore(&semaphore, 1), expected);
        EXPECT_EQ(thread, nullptr);
        EXPECT_EQ(mutex, nullptr);
        EXPECT_EQ(semaphore, nullptr);
    };

    // The media library refuses: reported, and the box is given back.
    _PTL_SetNativeCreateFailure(true);
    tryAll(PTL_NATIVE_FAILED);
    EXPECT_EQ(g_allocations, 3);
    EXPECT_EQ(g_releases, 3);
    _PTL_SetNativeCreateFailure(false);

    // The allocation hook has no memory.
    g_allocationFails = true;
    tryAll(PTL_OUT_OF_MEMORY);
    EXPECT_EQ(g_allocations, 3);
    EXPECT_EQ(g_releases, 3);
}

TEST_F(PTLTest, SemaphoreCountsTakesAndReleases)
{
    ASSERT_EQ(PTL_Init(nullptr), PTL_OK);
    PTL_Semaphore* semaphore = nullptr;
    ASSERT_EQ(PTL_CreateSemaphore(&semaphore, 1), PTL_OK);
    SDL_semaphore* native = nullptr;
    EXPECT_EQ(PTL_GetNativeSemaphore(semaphore, &native), PTL_OK);
    EXPECT_NE(native, nullptr);
    EXPECT_EQ(PTL_TryLockSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_TryLockSemaphore(semaphore), PTL_BUSY);
    EXPECT_EQ(PTL_ReleaseSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_TryLockSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_ReleaseSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_ReleaseSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_LockSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_LockSemaphore(semaphore), PTL_OK);
    EXPECT_EQ(PTL_TryLockSemaphore(semaphore), PTL_BUSY);
    EXPECT_EQ(PTL_DestroySemaphore(semaphore), PTL_OK);
}

TEST_F(PTLTest, ThreadRunsItsFunctionAndIsKilledOnDestroy)
{
    ASSERT_EQ(PTL_Init(&kCountingHooks), PTL_OK);
    BlockingThread blocker;
    PTL_Thread* thread = nullptr;
    ASSERT_EQ(PTL_CreateThread(&thread, blockForever, &blocker, 42), PTL_OK);
    ASSERT_NE(thread, nullptr);
    SDL_Thread* native = nullptr;
    EXPECT_EQ(PTL_GetNativeThread(thread, &native), PTL_OK);
    EXPECT_NE(native, nullptr);

    // The thread ran on its argument and now waits on the gate for ever.
    ASSERT_EQ(SDL_SemWait(blocker.started), 0);
    EXPECT_EQ(blocker.ran, 1);
    EXPECT_EQ(PTL_DestroyThread(thread), PTL_OK);
    EXPECT_EQ(g_allocations, 1);
    EXPECT_EQ(g_releases, 1) << "the record went back through the hook";
}

} // namespace
