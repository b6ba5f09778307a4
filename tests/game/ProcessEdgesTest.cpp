// The game program (build/bin/qvgame) at the edges of its process, under
// SDL's dummy drivers: started with its standard streams closed while it
// records a journal.
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

#define EXPECT_ENDED_NORMALLY(r)                                                                                      \
    do {                                                                                                              \
        EXPECT_FALSE((r).timedOut);                                                                                   \
        EXPECT_TRUE((r).exited) << "signal " << (r).signal;                                                           \
        EXPECT_EQ((r).exitCode, 0) << (r).out << (r).err;                                                             \
    } while (0)

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
        EXPECT_ENDED_NORMALLY(r);

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
        EXPECT_ENDED_NORMALLY(played);
        EXPECT_EQ(again.workFile("journal.bin"), replay.bytes());
    }
}

} // namespace
