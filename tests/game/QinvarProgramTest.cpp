// The game program run whole (build/bin/qvgame) under SDL's dummy drivers,
// driven by demo files: start-up in its traced order, the start screen's
// keys and pause, and a quit from the start screen, which needs no
// confirmation and exits 0.
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <string>
#include <vector>

namespace {

class QinvarProgramTest : public testing::Test {
protected:
    ChildResult run(const DemoWriter& demo)
    {
        EXPECT_TRUE(demo.writeTo(sandbox.work().file("demo.bin")));
        ChildResult r = sandbox.run(buildProgram("qvgame"), {"-s", "-trace", "-demo", "demo.bin"});
        trace = splitLines(sandbox.workFile("trace.txt"));
        return r;
    }
    void expectCleanExit(const ChildResult& r)
    {
        EXPECT_FALSE(r.timedOut);
        EXPECT_TRUE(r.exited) << "signal " << r.signal;
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    }
    void expectStartUpTraced()
    {
        std::string missing;
        EXPECT_TRUE(inOrder(trace,
                            {"...Creating display device", "...Creating input device", "...Creating audio device",
                             "...done initializing subsystems", "...loading assets", "...loading sounds"},
                            &missing))
            << "missing or out of order: " << missing;
    }

    ProgramSandbox sandbox;
    Lines trace;
};

TEST_F(QinvarProgramTest, AQuitFromTheStartScreenEndsTheProgramAtOnce)
{
    const ChildResult r = run(DemoWriter().mouseMove(1000, 300, 200).timestamp(1001).quit(1100));
    expectCleanExit(r);
    expectStartUpTraced();
    // No question was asked and nothing went wrong on the way out.
    EXPECT_EQ(r.out.find("Error"), std::string::npos) << r.out;
}

TEST_F(QinvarProgramTest, StartScreenKeysPauseAndFocusChangeNothingThatKeepsItFromQuitting)
{
    // The play keys, the debug sequence and its keys, a pause by focus loss
    // and a click that ends it, a right click: none of them starts a game
    // or asks anything, so the quit still ends the program.
    DemoWriter demo;
    demo.timestamp(1000)
        .typed(1100, 'h')
        .typed(1110, 'f')
        .typed(1120, 's')
        .typed(1130, 'u')
        .key(1140, ' ', ' ', 50)
        .typed(1200, 'q')
        .typed(1210, 'v')
        .typed(1220, 'd')
        .typed(1230, 'm')
        .typed(1240, 'n')
        .timestamp(1300)
        .activate(1400, false)
        .timestamp(1500)
        .activate(1600, true)
        .click(1700, 124, 100)
        .click(1800, 300, 200)
        .click(1900, 400, 300, true)
        .timestamp(50000)
        .quit(50100);
    const ChildResult r = run(demo);
    expectCleanExit(r);
    expectStartUpTraced();
}

} // namespace
