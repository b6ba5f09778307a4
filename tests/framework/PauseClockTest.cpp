// The pause clock: nested pauses count once, on the game clock; a running
// pause counts in the paused time; a clock at 0 or going backwards adds no
// time.
#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TestGame.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

class PauseClockTest : public testing::Test {
protected:
    void at(uint64_t ms) { game.setGameClock(MvTime::s_fromTime64(ms)); }
    uint64_t pauseTime() const { return game.m_getPauseTime().getTime64(); }

    TestGame game;
};

TEST_F(PauseClockTest, StartsIdle)
{
    EXPECT_FALSE(game.isPaused());
    EXPECT_EQ(game.m_getPauseCount(), 0);
    EXPECT_EQ(pauseTime(), 0u);
}

TEST_F(PauseClockTest, NestedPausesCountOnce)
{
    at(1000);
    game.m_beginPause();
    at(2000);
    game.m_beginPause();
    EXPECT_EQ(game.m_getPauseCount(), 2);
    at(3000);
    game.m_endPause();
    // The inner end stamps nothing: the outer pause still runs.
    EXPECT_TRUE(game.isPaused());
    EXPECT_EQ(game.m_pauseStart.getTime64(), 1000u);
    at(5000);
    game.m_endPause();
    EXPECT_FALSE(game.isPaused());
    EXPECT_EQ(pauseTime(), 4000u);
    EXPECT_EQ(game.m_pauseEnd.getTime64(), 5000u);
    EXPECT_EQ(game.m_pauseStart.getTime64(), 0u);
}

TEST_F(PauseClockTest, RunningPauseCountsInThePauseTime)
{
    game.m_pauseTime = MvTime::s_fromTime64(500);
    at(1000);
    game.m_beginPause();
    at(1600);
    EXPECT_EQ(pauseTime(), 1100u);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 1100u);
}

TEST_F(PauseClockTest, EndWithoutBeginAddsNothing)
{
    at(4000);
    game.m_endPause();
    game.m_endPause();
    EXPECT_EQ(game.m_getPauseCount(), 0);
    EXPECT_EQ(pauseTime(), 0u);
    // A later pause counts normally.
    game.m_beginPause();
    at(4250);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 250u);
}

TEST_F(PauseClockTest, PauseBegunAtClockZeroAddsNothing)
{
    game.m_beginPause();
    at(3000);
    // While it runs it counts as much as it will when it ends: nothing.
    EXPECT_EQ(pauseTime(), 0u);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 0u);
}

TEST_F(PauseClockTest, ClockGoingBackwardsAddsNothing)
{
    // A demo's recorded times followed by live input's smaller ones.
    at(90000);
    game.m_beginPause();
    at(150);
    EXPECT_EQ(pauseTime(), 0u);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 0u);
}

TEST_F(PauseClockTest, TimesBeyond32BitsAdd)
{
    const uint64_t start = (uint64_t{1} << 32) + 100;
    at(start);
    game.m_beginPause();
    at(start + 70000);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 70000u);
}

TEST_F(PauseClockTest, ResetForgetsTheTotalButNotTheRunningPause)
{
    at(1000);
    game.m_beginPause();
    at(2000);
    game.m_endPause();
    at(3000);
    game.m_beginPause();
    game.m_resetPauseTime();
    EXPECT_EQ(game.m_getPauseCount(), 1);
    EXPECT_EQ(game.m_pauseStart.getTime64(), 3000u);
    at(3500);
    EXPECT_EQ(pauseTime(), 500u);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 500u);
}

TEST_F(PauseClockTest, TraceLinesPrintWholeTimes)
{
    DiagnosticRecorder diagnostics;
    const uint64_t start = (uint64_t{1} << 32) + 100;
    at(start);
    game.m_beginPause();
    at(start + 50);
    game.m_endPause();
    EXPECT_EQ(diagnostics.count("m_beginPause - pause = 1, beginPause = 4294967396, pauseTime = 0"), 1);
    EXPECT_EQ(diagnostics.count("m_endPause - pauseCount = 0, endPause = 4294967446, pauseTime = 50"), 1);
}

} // namespace
