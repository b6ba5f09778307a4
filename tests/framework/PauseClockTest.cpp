// The pause clock: nested pauses count once; a running pause counts in the
// paused time; a clock at 0 or going backwards adds no time. The clock on
// its own, on the times a test gives it; then the framework's operations,
// which measure it on the game clock.
#include "framework/HPauseClock.h"
#include "tests/support/DiagnosticRecorder.h"
#include "tests/support/TestGame.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

MvTime ms(uint64_t t)
{
    return MvTime::s_fromTime64(t);
}

TEST(PauseClockTest, StartsIdle)
{
    const HPauseClock clock;
    EXPECT_FALSE(clock.isPaused());
    EXPECT_EQ(clock.getCount(), 0);
    EXPECT_EQ(clock.getPauseTime(ms(5000)).getTime64(), 0u);
    EXPECT_EQ(clock.getPauseStart().getTime64(), 0u);
    EXPECT_EQ(clock.getPauseEnd().getTime64(), 0u);
}

// Each step begins a pause, ends one or only looks, at a time of the clock;
// after it, the count and the paused time as far as that time.
enum Op { BEGIN, END, LOOK };
struct Step {
    Op op;
    uint64_t at;
    int32_t count;
    uint64_t paused;
};

void expectSteps(const std::vector<Step>& steps)
{
    HPauseClock clock;
    for (size_t i = 0; i < steps.size(); ++i) {
        const Step& s = steps[i];
        if (s.op == BEGIN)
            clock.begin(ms(s.at));
        else if (s.op == END)
            clock.end(ms(s.at));
        EXPECT_EQ(clock.getCount(), s.count) << "step " << i;
        EXPECT_EQ(clock.isPaused(), s.count > 0) << "step " << i;
        EXPECT_EQ(clock.getPauseTime(ms(s.at)).getTime64(), s.paused) << "step " << i;
    }
}

TEST(PauseClockTest, NestedPausesCountOnce)
{
    // The inner pair adds nothing.
    expectSteps({{BEGIN, 1000, 1, 0}, {BEGIN, 2000, 2, 1000}, {END, 3000, 1, 2000}, {END, 5000, 0, 4000}});
}

TEST(PauseClockTest, RunningPauseCountsInThePauseTime)
{
    // As far as now, on top of the pauses before it; and pauses one after
    // another add up.
    expectSteps({{BEGIN, 100, 1, 0}, {END, 600, 0, 500}, {BEGIN, 1000, 1, 500}, {LOOK, 1600, 1, 1100},
                 {END, 1600, 0, 1100}, {BEGIN, 2000, 1, 1100}, {END, 2250, 0, 1350}});
}

TEST(PauseClockTest, EndWithoutBeginAddsNothing)
{
    // A later pause counts normally.
    expectSteps({{END, 4000, 0, 0}, {END, 4000, 0, 0}, {BEGIN, 4000, 1, 0}, {END, 4250, 0, 250}});
}

TEST(PauseClockTest, PauseBegunAtClockZeroAddsNothing)
{
    // While it runs it counts as much as it will when it ends: nothing.
    expectSteps({{BEGIN, 0, 1, 0}, {LOOK, 3000, 1, 0}, {END, 3000, 0, 0}});
}

TEST(PauseClockTest, ClockGoingBackwardsAddsNothing)
{
    // A demo's records whose times go back (a file can hold any times):
    // the pause adds nothing and takes nothing away.
    expectSteps({{BEGIN, 100, 1, 0}, {END, 600, 0, 500}, {BEGIN, 90000, 1, 500}, {LOOK, 150, 1, 500},
                 {END, 150, 0, 500}});
}

TEST(PauseClockTest, TimesBeyond32BitsAdd)
{
    const uint64_t start = (uint64_t{1} << 32) + 100;
    expectSteps({{BEGIN, start, 1, 0}, {LOOK, start + 35000, 1, 35000}, {END, start + 70000, 0, 70000}});
}

TEST(PauseClockTest, OnlyTheOutermostPauseStampsItsStartAndEnd)
{
    HPauseClock clock;
    clock.begin(ms(1000));
    clock.begin(ms(2000));
    clock.end(ms(3000));
    // The inner end stamps nothing: the outer pause still runs.
    EXPECT_EQ(clock.getPauseStart().getTime64(), 1000u);
    EXPECT_EQ(clock.getPauseEnd().getTime64(), 0u);
    EXPECT_EQ(clock.getEndedPauseTime().getTime64(), 0u);
    clock.end(ms(5000));
    EXPECT_EQ(clock.getPauseStart().getTime64(), 0u);
    EXPECT_EQ(clock.getPauseEnd().getTime64(), 5000u);
    EXPECT_EQ(clock.getEndedPauseTime().getTime64(), 4000u);
}

TEST(PauseClockTest, ResetForgetsTheTotalButNotTheRunningPause)
{
    HPauseClock clock;
    clock.begin(ms(1000));
    clock.end(ms(2000));
    clock.begin(ms(3000));
    clock.resetPauseTime();
    EXPECT_EQ(clock.getCount(), 1);
    EXPECT_EQ(clock.getPauseStart().getTime64(), 3000u);
    EXPECT_EQ(clock.getPauseTime(ms(3500)).getTime64(), 500u);
    clock.end(ms(3500));
    EXPECT_EQ(clock.getPauseTime(ms(9000)).getTime64(), 500u);
}

// --- The framework's pause operations, on the game clock ---------------------

class GamePauseTest : public testing::Test {
protected:
    void at(uint64_t t) { game.setGameClock(ms(t)); }
    uint64_t pauseTime() const { return game.m_getPauseTime().getTime64(); }

    TestGame game;
};

TEST_F(GamePauseTest, PausesAreMeasuredOnTheGameClock)
{
    EXPECT_FALSE(game.isPaused());
    EXPECT_EQ(game.m_getPauseCount(), 0);
    EXPECT_EQ(pauseTime(), 0u);
    at(1000);
    game.m_beginPause();
    at(2000);
    game.m_beginPause();
    EXPECT_EQ(game.m_getPauseCount(), 2);
    at(3000);
    game.m_endPause();
    EXPECT_TRUE(game.isPaused());
    // Still measured from the outer begin.
    EXPECT_EQ(pauseTime(), 2000u);
    at(5000);
    game.m_endPause();
    EXPECT_FALSE(game.isPaused());
    EXPECT_EQ(pauseTime(), 4000u);
    at(9000);
    EXPECT_EQ(pauseTime(), 4000u) << "no pause runs";
    game.m_resetPauseTime();
    EXPECT_EQ(pauseTime(), 0u);
}

TEST_F(GamePauseTest, APauseBeforeTheFirstEventAddsNothing)
{
    // The game clock is 0 until an event is fetched.
    game.m_beginPause();
    at(3000);
    EXPECT_EQ(pauseTime(), 0u);
    game.m_endPause();
    EXPECT_EQ(pauseTime(), 0u);
}

TEST_F(GamePauseTest, TraceLinesPrintWholeTimes)
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
