// The game program (build/bin/qvgame) at the edges of its process, under
// SDL's dummy drivers: started with its standard streams closed while it
// records a journal, and following the link to the maker's web site, where
// a graphical launcher must not keep the game alive and a text browser in
// the terminal must not keep it deaf to the termination signals.
#include "tests/game/GameScreen.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

size_t recordsIn(const std::string& path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) != 0)
        return 0;
    return static_cast<size_t>(st.st_size) / DemoWriter::kRecordBytes;
}

// Started with standard output (and error) closed, the game opens them on
// /dev/null before its first file: the journal (and the trace) would
// otherwise take their descriptors and receive the message box that a home
// that is no folder gives at start-up. The journal of the live run holds
// whole records only and replays: a run on it takes every record.
TEST(ClosedStandardStreams, TheJournalHoldsWholeRecordsAndReplays)
{
    const struct {
        const char* what;
        std::vector<int> closed;
        std::vector<std::string> args;
    } cases[] = {
        {"standard output closed", {STDOUT_FILENO}, {"-s", "-journal"}},
        {"standard output and error closed", {STDOUT_FILENO, STDERR_FILENO}, {"-s", "-journal", "-trace"}},
        {"every standard stream closed", {STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO}, {"-s", "-trace", "-journal"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramSandbox box;
        const std::string notAFolder = box.home().write("home", "a file");
        const std::vector<int> closed = c.closed;
        box.inEveryChild([closed] {
            for (int fd : closed)
                closeInChild(fd);
        });
        RunningProgram program;
        ASSERT_TRUE(box.start(&program, buildProgram("qvgame"), c.args, {{"HOME", notAFolder}}));
        const std::string journalPath = box.work().file("journal.bin");
        EXPECT_TRUE(waitFor(60, [&] { return recordsIn(journalPath) >= 3 || !program.running(); }, 5));
        ::kill(program.pid(), SIGTERM);
        const ChildResult r = program.wait(30);
        EXPECT_EXITED_CLEANLY(r);

        const std::string journal = box.workFile("journal.bin");
        ASSERT_FALSE(journal.empty());
        EXPECT_EQ(journal.size() % DemoWriter::kRecordBytes, 0u) << "bytes over whole records";
        const std::vector<HEvent> events = DemoWriter::s_decode(journal);
        for (const HEvent& e : events)
            ASSERT_LE(static_cast<int>(e.type), static_cast<int>(ET_TIMESTAMP)) << "not an event record";
        for (const std::string& line : splitLines(box.workFile("trace.txt")))
            EXPECT_EQ(line.rfind("...", 0), 0u) << "not a trace line: " << line;

        // The journal played back, then a quit: the replay's own journal
        // takes every record as it is delivered.
        DemoWriter replay;
        for (const HEvent& e : events)
            replay.event(e);
        replay.quit(events.back().time.getTime64() + 1);
        ProgramSandbox again;
        ASSERT_TRUE(replay.writeTo(again.work().file("demo.bin")));
        const ChildResult played = again.run(buildProgram("qvgame"), {"-s", "-journal", "-demo", "demo.bin"});
        EXPECT_EXITED_CLEANLY(played);
        EXPECT_EQ(again.workFile("journal.bin"), replay.bytes());
    }
}

// --- The link to the maker's web site ---------------------------------------

// A browser stub that stays open: it writes its process id to "started",
// then waits (for at most 30 seconds), as a browser window does.
class PartnerLinkTest : public testing::Test {
protected:
    void SetUp() override
    {
        for (const char* candidate : {"/bin/sleep", "/usr/bin/sleep"}) {
            if (::access(candidate, X_OK) == 0) {
                sleepProgram = candidate;
                break;
            }
        }
        ASSERT_FALSE(sleepProgram.empty()) << "no sleep program";
    }
    void TearDown() override
    {
        // The stub outlives the game by design; it goes with the test.
        if (stubPid > 0)
            ::kill(stubPid, SIGKILL);
    }

    void addStub(const std::string& name)
    {
        const std::string script = "#!/bin/sh\nprintf '%s\\n' \"$$\" > '" + box.work().file("started") +
                                   "'\nexec " + sleepProgram + " 30\n";
        const std::string path = box.work().write("bin/" + name, script);
        ::chmod(path.c_str(), 0755);
    }
    // Starts the game on a demo that opens the options and clicks the link;
    // the search path holds only the stubs, and a display is named or not.
    bool startToTheLink(RunningProgram* program, bool display)
    {
        const HScreenPoint options = screen::middle(screen::optionsButton());
        const HScreenPoint visit = screen::middle(screen::optionsVisitButton());
        DemoWriter demo;
        demo.timestamp(1000).mouseMove(1100, options.x, options.y).click(1200, options.x, options.y, false, 50);
        demo.timestamp(1500).mouseMove(1600, visit.x, visit.y).click(1700, visit.x, visit.y, false, 50);
        if (!demo.writeTo(box.work().file("demo.bin")))
            return false;
        // SIGHUP as a terminal's session gives it, whatever the test runs under.
        box.inEveryChild([] { ::signal(SIGHUP, SIG_DFL); });
        return box.start(program, buildProgram("qvgame"), {"-s", "-demo", "demo.bin"},
                         {{"PATH", box.work().file("bin")}, {"DISPLAY", display ? ":77" : ""}});
    }
    // Waits until the stub runs; its process id. A detached stub may start
    // after the game has gone: it is waited for a few seconds more.
    pid_t waitForTheStub(RunningProgram* program)
    {
        std::string text;
        double gone = 0;
        waitFor(30, [&] {
            text = box.workFile("started");
            if (!text.empty() && text.back() == '\n')
                return true;
            if (gone == 0 && !program->running())
                gone = monotonicSeconds();
            return gone != 0 && monotonicSeconds() > gone + 5;
        }, 5);
        stubPid = text.empty() ? -1 : static_cast<pid_t>(std::atoi(text.c_str()));
        return stubPid;
    }
    // The stub has ended (a process that init has not reaped yet counts).
    bool stubEnded() const
    {
        const std::string stat = readFileBytes("/proc/" + std::to_string(stubPid) + "/stat");
        const size_t close = stat.rfind(')');
        return stat.empty() || (close != std::string::npos && stat.compare(close + 1, 3, " Z ") == 0);
    }

    ProgramSandbox box;
    std::string sleepProgram;
    pid_t stubPid = -1;
};

// The desktop's launcher, started detached, stays open: the game is gone
// within a second, with exit code 0, and the launcher lives on.
TEST_F(PartnerLinkTest, ALauncherThatStaysOpenDoesNotKeepTheGame)
{
    addStub("xdg-open");
    RunningProgram program;
    ASSERT_TRUE(startToTheLink(&program, true));
    ASSERT_GT(waitForTheStub(&program), 0) << program.wait(1).out;
    EXPECT_TRUE(waitFor(1.0, [&] { return !program.running(); }, 5)) << "the game waited for the launcher";
    const ChildResult r = program.wait(30);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.err, "");
    EXPECT_FALSE(stubEnded());
}

// Without a display the text browser runs in the terminal and the game
// waits for it; SIGTERM or SIGHUP during that wait ends the game within a
// second, with exit code 0, and the browser with it.
TEST_F(PartnerLinkTest, ATextBrowserIsWaitedForUntilATerminationSignal)
{
    for (int sig : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(sig == SIGTERM ? "SIGTERM" : "SIGHUP");
        ::unlink(box.work().file("started").c_str());
        addStub("lynx");
        RunningProgram program;
        ASSERT_TRUE(startToTheLink(&program, false));
        ASSERT_GT(waitForTheStub(&program), 0) << program.wait(1).out;
        EXPECT_FALSE(waitFor(0.3, [&] { return !program.running(); }, 5)) << "the game did not wait";
        ::kill(program.pid(), sig);
        EXPECT_TRUE(waitFor(1.0, [&] { return !program.running(); }, 5)) << "the signal did not end the wait";
        const ChildResult r = program.wait(30);
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_TRUE(waitFor(1.0, [&] { return stubEnded(); }, 5)) << "the browser lives on";
        ::kill(stubPid, SIGKILL);
        stubPid = -1;
    }
}

} // namespace
