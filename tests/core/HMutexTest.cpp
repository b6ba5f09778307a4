// The engine mutex: creation rules, and two real threads that share a
// counter under it.
#include "engine/core/HMutex.h"
#include "engine/core/PTL.h"

#include <SDL_thread.h>

#include <gtest/gtest.h>

namespace {

TEST(HMutex, CreateOnceLockAndUnlock)
{
    HMutex mutex;
    EXPECT_FALSE(mutex.lockMutex()) << "never created";
    EXPECT_FALSE(mutex.unlockMutex());

    ASSERT_TRUE(mutex.createMutex());
    EXPECT_TRUE(HMutex::sm_bPTLInitialized);
    EXPECT_FALSE(mutex.createMutex()) << "the first mutex is kept";
    EXPECT_TRUE(mutex.lockMutex());
    EXPECT_FALSE(mutex.tryLockMutex()) << "taken";
    EXPECT_TRUE(mutex.unlockMutex());
    EXPECT_FALSE(mutex.tryLockMutex()) << "free, but there is no try-lock";
    EXPECT_TRUE(mutex.lockMutex()) << "the try-lock took nothing";
    EXPECT_TRUE(mutex.unlockMutex());

    mutex.deleteMutex();
    EXPECT_FALSE(mutex.lockMutex());
    EXPECT_TRUE(mutex.createMutex()) << "a deleted mutex can be created again";
}

TEST(HMutex, ANativeFailureIsAFailedCreate)
{
    HMutex mutex;
    _PTL_SetNativeCreateFailure(true);
    const bool created = mutex.createMutex();
    _PTL_SetNativeCreateFailure(false);
    EXPECT_FALSE(created);
    EXPECT_FALSE(mutex.lockMutex()) << "no unguarded mutex is handed out";
    EXPECT_TRUE(mutex.createMutex());
    EXPECT_TRUE(mutex.lockMutex());
    EXPECT_TRUE(mutex.unlockMutex());
}

struct SharedCounter {
    HMutex mutex;
    int value = 0; // guarded by mutex
};

constexpr int kIncrementsPerThread = 200000;

int incrementMany(void* argument)
{
    SharedCounter* counter = static_cast<SharedCounter*>(argument);
    for (int i = 0; i < kIncrementsPerThread; ++i) {
        if (!counter->mutex.lockMutex()) {
            return 1;
        }
        // A separate read and write, so an unguarded overlap loses counts.
        const int seen = counter->value;
        counter->value = seen + 1;
        counter->mutex.unlockMutex();
    }
    return 0;
}

TEST(HMutex, TwoThreadsLoseNoIncrement)
{
    SharedCounter counter;
    ASSERT_TRUE(counter.mutex.createMutex());
    SDL_Thread* a = SDL_CreateThread(incrementMany, &counter);
    SDL_Thread* b = SDL_CreateThread(incrementMany, &counter);
    ASSERT_NE(a, nullptr);
    ASSERT_NE(b, nullptr);
    int statusA = -1;
    int statusB = -1;
    SDL_WaitThread(a, &statusA);
    SDL_WaitThread(b, &statusB);
    EXPECT_EQ(statusA, 0);
    EXPECT_EQ(statusB, 0);
    EXPECT_EQ(counter.value, 2 * kIncrementsPerThread);
}

} // namespace
