// The test-game program run whole under SDL's dummy drivers: start-up,
// the main loop driven by demo files, shutdown and exit code, as trace.txt,
// standard output and the files left behind show them.
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Environment = ProgramSandbox::Environment;

const char* const kProgram = QV_TEST_GAME_PATH;

std::string joined(const Lines& lines)
{
    std::string out;
    for (const std::string& l : lines)
        out += "  " + l + "\n";
    return out;
}

#define EXPECT_IN_ORDER(lines, ...)                                                                                   \
    do {                                                                                                              \
        std::string missing_;                                                                                         \
        EXPECT_TRUE(inOrder(lines, Lines __VA_ARGS__, &missing_))                                                     \
            << "missing or out of order: " << missing_ << "\nin:\n"                                                   \
            << joined(lines);                                                                                         \
    } while (0)

bool contains(const Lines& lines, const std::string& line)
{
    for (const std::string& l : lines) {
        if (l == line)
            return true;
    }
    return false;
}

bool containsPrefix(const Lines& lines, const std::string& prefix)
{
    for (const std::string& l : lines) {
        if (l.rfind(prefix, 0) == 0)
            return true;
    }
    return false;
}

class WholeProgramTest : public testing::Test {
protected:
    ChildResult run(const Lines& args, const Environment& env = {})
    {
        ChildResult r = sandbox.run(kProgram, args, env);
        trace = splitLines(sandbox.workFile("trace.txt"));
        game.clear();
        for (const std::string& line : trace) {
            if (line.rfind("TestGame: ", 0) == 0)
                game.push_back(line.substr(10));
        }
        return r;
    }
    void demo(const std::string& name, const DemoWriter& events)
    {
        ASSERT_TRUE(events.writeTo(sandbox.work().file(name)));
    }
    // The drawing lines of each pass that reached "begin draw".
    std::vector<Lines> passes() const
    {
        std::vector<Lines> out;
        for (const std::string& line : game) {
            if (line.rfind("begin draw", 0) == 0)
                out.emplace_back();
            else if (line.rfind("event ", 0) == 0 || line.rfind("stage ", 0) == 0 ||
                     line.rfind("control click", 0) == 0 || line.rfind("control unclick", 0) == 0)
                continue;
            if (!out.empty())
                out.back().push_back(line);
        }
        return out;
    }

    ProgramSandbox sandbox;
    Lines trace;
    Lines game;
};

TEST_F(WholeProgramTest, StartUpMainLoopAndShutdown)
{
    // Stage 1: time-0 records first, focus lost and regained, a key, a click
    // that the control takes and one that reaches the game, and a
    // punctuation key (its character without a key code).
    demo("demo.bin", DemoWriter()
                         .paint(0)
                         .mouseMove(0, 10, 10)
                         .activate(1500, false)
                         .activate(1600, true)
                         .key(2000, 'G', 'g', 30)
                         .click(2100, 120, 120, false, 20)
                         .click(2200, 300, 300, false, 20)
                         .typed(2300, ','));
    // Stage 2: two separate areas to redraw: the pressed control's and the
    // one around a right-button press.
    demo("stage2.bin", DemoWriter().click(3000, 110, 110, false, 5).press(3010, 400, 300, true));
    // Stage 3: minimised (a demo record only: the input device never reports
    // it), and a paint that cannot draw.
    demo("stage3.bin", DemoWriter().minimize(4000, true).paint(4001).press(4002, 200, 200, true));
    // Stage 4: restored; the paint that follows redraws everything.
    demo("stage4.bin", DemoWriter().minimize(5000, false).paint(5001));
    demo("stage5.bin", DemoWriter().quit(6000));

    const ChildResult r = run({"-trace", "-demo", "demo.bin"},
                              {{"QVTEST_CONTROL", "100,100,150,150"},
                               {"QVTEST_STAGES", "stage2.bin;stage3.bin;stage4.bin;stage5.bin"}});
    EXPECT_EXITED_CLEANLY(r);
    ASSERT_FALSE(trace.empty()) << r.out << r.err;

    // The trace file opens during the base start-up, after the game's first line.
    EXPECT_IN_ORDER(trace, {"TestGame: links 0 0", "...Creating display device",
                            "TestGame: create display", "...Creating input device", "TestGame: create input",
                            "...Creating audio device", "TestGame: create audio", "TestGame: ready"});
    EXPECT_FALSE(contains(trace, "...***failed to create audio device***"));

    // The clock is each event's time; the first non-zero time seeds, once.
    EXPECT_IN_ORDER(game, {"event ET_PAINT(0) clock=0 seed=none",
                           "event ET_MOUSEMOVE(0) - pt=10,10 clock=0 seed=none",
                           // The framework's share of an event comes before the game's.
                           "active 0", "event ET_ACTIVATE(1500) clock=1500 seed=1500", "active 1",
                           "event ET_ACTIVATE(1600) clock=1600 seed=1500",
                           "event ET_KEYDOWN(2000) - key=KC_G pt=0,0 clock=2000 seed=1500",
                           "event ET_KEYUP(2030) - key=KC_G pt=0,0 clock=2030 seed=1500", "control click",
                           "control unclick",
                           "event ET_KEYDOWN(2200) - key=KC_LBUTTON pt=300,300 clock=2200 seed=1500",
                           "event ET_KEYUP(2220) - key=KC_LBUTTON pt=300,300 clock=2220 seed=1500",
                           "event ET_KEYDOWN(2300) - key=, pt=0,0 clock=2300 seed=1500"});
    // What the control took never reached the game.
    EXPECT_FALSE(containsPrefix(game, "event ET_KEYDOWN(2100)"));
    EXPECT_FALSE(containsPrefix(game, "event ET_KEYUP(2120)"));
    EXPECT_FALSE(containsPrefix(game, "event ET_KEYDOWN(3000)"));

    const std::vector<Lines> drawn = passes();
    ASSERT_GE(drawn.size(), 4u);
    // The first pass, after stage 1, redraws the whole screen.
    EXPECT_EQ(drawn[0], (Lines{"begin draw", "board 0,0,640,480 0", "control 0,0,640,480", "overlays 0,0,640,480 0",
                               "end draw", "cursor 0,0,640,480"}));
    // Each later stage ends in one pass; find them by their content.
    EXPECT_IN_ORDER(game, {"stage stage2.bin", "begin draw", "board 100,100,150,150 0", "board 395,295,405,305 0",
                           "control 100,100,150,150", "control 395,295,405,305", "overlays 100,100,150,150 0",
                           "overlays 395,295,405,305 0", "end draw", "cursor 100,100,150,150",
                           "cursor 395,295,405,305", "stage stage3.bin",
                           "event ET_WINDOW_MINIMIZED(4000): minimized=1 clock=4000 seed=1500",
                           "begin draw refused", "stage stage4.bin",
                           "event ET_WINDOW_MINIMIZED(5000): minimized=0 clock=5000 seed=1500",
                           "event ET_PAINT(5001) clock=5001 seed=1500", "begin draw", "board 0,0,640,480 0",
                           "stage stage5.bin", "event ET_QUIT(6000) clock=6000 seed=1500"});
    // Nothing was drawn between the minimise and the restore.
    const int minimised = static_cast<int>(std::find(game.begin(), game.end(), "stage stage3.bin") - game.begin());
    const int restored = static_cast<int>(std::find(game.begin(), game.end(), "stage stage4.bin") - game.begin());
    for (int i = minimised; i < restored; ++i) {
        EXPECT_NE(game[i].rfind("board", 0), 0u) << game[i];
        EXPECT_NE(game[i], "begin draw") << i;
    }
    EXPECT_FALSE(contains(game, "board 195,195,205,205 0")) << "invalidated while minimised";

    // Shutdown in the reverse order of the set-up, after the last event.
    EXPECT_IN_ORDER(game, {"event ET_QUIT(6000) clock=6000 seed=1500", "shutdown audio", "shutdown input",
                           "shutdown display"});
    EXPECT_EQ(game.back(), "shutdown display");
}

TEST_F(WholeProgramTest, TraceAndJournalOnlyWhenAsked)
{
    demo("demo.bin", DemoWriter().quit(100));
    ChildResult r = run({"-demo", "demo.bin"});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_FALSE(fileExists(sandbox.work().file("trace.txt")));
    EXPECT_FALSE(fileExists(sandbox.work().file("journal.bin")));

    // Recorded live: the time stamps of two live passes, then the quit.
    r = run({"-trace", "-journal"}, {{"QVTEST_LIVE_QUIT", "2"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "live quit"));
    const std::vector<HEvent> journal = DemoWriter::s_decode(sandbox.workFile("journal.bin"));
    int timestamps = 0;
    for (const HEvent& e : journal)
        timestamps += e.type == ET_TIMESTAMP ? 1 : 0;
    EXPECT_GE(timestamps, 2);
    EXPECT_EQ(sandbox.workFile("journal.bin").size() % 44, 0u);

    // A journal record plays back as a demo record: the same event with the
    // same time.
    const HEvent* tick = nullptr;
    for (const HEvent& e : journal) {
        if (e.type == ET_TIMESTAMP && e.time.getTime64() != 0) {
            tick = &e;
            break;
        }
    }
    ASSERT_NE(tick, nullptr);
    ASSERT_TRUE(DemoWriter().event(*tick).quit(tick->time.getTime64() + 1).writeTo(sandbox.work().file("replay.bin")));
    r = run({"-trace", "-demo", "replay.bin"});
    EXPECT_EXITED_CLEANLY(r);
    char first[96];
    // The record's text shows the time's low 32 bits, the clock all 64; the
    // seed is the low 32.
    std::snprintf(first, sizeof(first), "event ET_TIMESTAMP(%u) clock=%llu seed=%u", tick->time.low,
                  static_cast<unsigned long long>(tick->time.getTime64()), tick->time.low);
    EXPECT_TRUE(contains(game, first)) << first;
}

TEST_F(WholeProgramTest, MissingArchiveShowsTheMessageAndExitsWithTheStartUpFailure)
{
    const std::string path = sandbox.work().file("nothing.mvz");
    const ChildResult r = run({"-trace"}, {{"QVTEST_RESOURCES", path}});
    EXPECT_EXITED_WITH(r, HUnix::kExitStartupFailed);
    const std::string title = "Missing Resource File";
    EXPECT_EQ(r.out, "\n\n+-" + std::string(title.size(), '-') + "-+\n| " + title + " |\n+-" +
                         std::string(title.size(), '-') + "-+\nCould not load the resource file '" + path + "'\n\n");
    EXPECT_TRUE(contains(game, "init failed: resources"));
    EXPECT_FALSE(contains(trace, "...Creating display device"));
    EXPECT_FALSE(containsPrefix(game, "shutdown"));
}

TEST_F(WholeProgramTest, ArchivesThatCannotBeReadFailCleanly)
{
    const std::string whole = ZipBuilder().add("art/a.txt", std::string(5000, 'a')).add("b.txt", "bee").bytes();
    ASSERT_FALSE(whole.empty());
    struct Case {
        const char* name;
        std::string bytes;
    };
    const Case cases[] = {{"truncated.mvz", whole.substr(0, whole.size() / 2)},
                          {"tail_cut.mvz", whole.substr(0, whole.size() - 1)},
                          {"empty.mvz", std::string()},
                          {"not_zip.mvz", std::string(4096, 'z')}};
    for (const Case& c : cases) {
        const std::string path = sandbox.work().write(c.name, c.bytes);
        const ChildResult r = run({"-trace"}, {{"QVTEST_RESOURCES", path}});
        EXPECT_EXITED_WITH(r, HUnix::kExitStartupFailed);
        EXPECT_NE(r.out.find("| Missing Resource File |"), std::string::npos) << c.name;
        EXPECT_NE(r.out.find("Could not load the resource file '" + path + "'"), std::string::npos) << c.name;
        EXPECT_TRUE(contains(game, "init failed: resources")) << c.name;
    }
    // A directory named like an archive is no archive either.
    const std::string dir = sandbox.work().file("folder.mvz");
    ASSERT_EQ(::mkdir(dir.c_str(), 0755), 0);
    const ChildResult r = run({"-trace"}, {{"QVTEST_RESOURCES", dir}});
    EXPECT_EXITED_WITH(r, HUnix::kExitStartupFailed);
    EXPECT_NE(r.out.find("| Missing Resource File |"), std::string::npos);

    // The whole archive opens.
    const std::string good = sandbox.work().write("good.mvz", whole);
    demo("demo.bin", DemoWriter().quit(10));
    const ChildResult ok = run({"-trace", "-demo", "demo.bin"}, {{"QVTEST_RESOURCES", good}});
    EXPECT_EXITED_CLEANLY(ok);
    EXPECT_TRUE(contains(game, "ready")) << ok.out;
    EXPECT_EQ(ok.out.find("Missing Resource File"), std::string::npos);
}

TEST_F(WholeProgramTest, ADirectoryWorksInPlaceOfTheArchive)
{
    sandbox.work().write("res/art/readme.txt", "art");
    demo("demo.bin", DemoWriter().quit(10));
    const ChildResult r = run({"-trace", "-demo", "demo.bin"}, {{"QVTEST_RESOURCES", sandbox.work().file("res")}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "ready"));
    EXPECT_TRUE(r.out.empty()) << r.out;
}

TEST_F(WholeProgramTest, AnAudioDeviceThatCannotOpenIsTracedAndTheGameRuns)
{
    demo("demo.bin", DemoWriter().key(1000, 'A', 'a').quit(2000));
    const ChildResult r = run({"-trace", "-demo", "demo.bin"}, {{"SDL_AUDIODRIVER", "no-such-driver"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_IN_ORDER(trace, {"...Creating audio device", "TestGame: create audio",
                            "...***failed to create audio device***", "TestGame: ready"});
    EXPECT_TRUE(contains(game, "event ET_KEYDOWN(1000) - key=KC_A pt=0,0 clock=1000 seed=1000"));
    EXPECT_TRUE(contains(game, "event ET_QUIT(2000) clock=2000 seed=1000"));
    // No audio device: none to shut down; the stream still goes.
    EXPECT_IN_ORDER(game, {"shutdown audio", "shutdown input", "shutdown display"});
}

TEST_F(WholeProgramTest, SilentSoundDriver)
{
    demo("demo.bin", DemoWriter().quit(10));
    const ChildResult r = run({"-s", "-trace", "-demo", "demo.bin"});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_FALSE(contains(trace, "...***failed to create audio device***"));
    EXPECT_TRUE(contains(game, "ready"));
}

TEST_F(WholeProgramTest, AMissingDemoFileMeansLiveInput)
{
    const ChildResult r = run({"-trace", "-demo", "no_such_demo.bin"}, {{"QVTEST_LIVE_QUIT", "1"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "live quit"));
    EXPECT_TRUE(r.out.empty()) << r.out;
    EXPECT_EQ(r.err, "Cannot play the demo file 'no_such_demo.bin': No such file or directory; the game goes on "
                     "with live input.\n");
}

TEST_F(WholeProgramTest, ADemoThatCannotBePlayedIsNamedWithItsReasonAndTheGameRunsLive)
{
    sandbox.work().write("file.bin", DemoWriter().quit(10).bytes());
    ASSERT_EQ(::mkdir(sandbox.work().file("folder").c_str(), 0755), 0);
    // Nobody ever writes to the pipe: opened as a file it would wait for ever.
    ASSERT_EQ(::mkfifo(sandbox.work().file("pipe").c_str(), 0600), 0);
    const std::string tooLong(1022, 'd');
    const std::string notRegular = "it is not a regular file";
    const struct {
        std::string name;
        std::string reason;
    } cases[] = {
        {"file.bin/inside.bin", "Not a directory"},
        {"missing/demo.bin", "No such file or directory"},
        {tooLong, "File name too long"},
        {"/dev/zero", notRegular},
        {"/dev/null", notRegular},
        {"folder", notRegular},
        {sandbox.work().file("folder"), notRegular},
        {"pipe", notRegular},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name.substr(0, 40));
        const ChildResult r = run({"-trace", "-demo", c.name}, {{"QVTEST_LIVE_QUIT", "1"}});
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_TRUE(contains(game, "live quit"));
        EXPECT_EQ(r.err, "Cannot play the demo file '" + c.name + "': " + c.reason +
                             "; the game goes on with live input.\n");
    }
}

TEST_F(WholeProgramTest, TheTraceAndTheJournalAreNeverWrittenOverTheDemoTheyPlay)
{
    const DemoWriter events = DemoWriter().key(700, 'Z', 'z').quit(800);
    const std::string noJournal =
        "Not writing the journal 'journal.bin': it is the demo file being played; recording nothing.\n";
    const struct {
        const char* file;  // the demo, written as this file of the working directory
        const char* given; // its name on the command line ("" for its absolute path)
        const char* output;
        std::string message;
    } cases[] = {
        {"journal.bin", "journal.bin", "-journal", noJournal},
        {"journal.bin", "", "-journal", noJournal},
        {"journal.bin", "./link.bin", "-journal", noJournal},
        {"trace.txt", "trace.txt", "-trace",
         "Not writing the trace file 'trace.txt': it is the demo file being played; writing no trace.\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " as '" + c.given + "'");
        ProgramSandbox box;
        ASSERT_TRUE(events.writeTo(box.work().file(c.file)));
        ASSERT_EQ(::symlink(c.file, box.work().file("link.bin").c_str()), 0);
        const std::string before = box.workFile(c.file);
        const std::string given = c.given[0] ? c.given : box.work().file(c.file);
        // The other output shows the demo was played.
        const bool journal = std::string(c.output) == "-journal";
        const ChildResult r = box.run(kProgram, {journal ? "-trace" : "-journal", c.output, "-demo", given});
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_EQ(r.err, c.message);
        EXPECT_EQ(box.workFile(c.file), before);
        if (journal) {
            EXPECT_TRUE(contains(splitLines(box.workFile("trace.txt")),
                                 "TestGame: event ET_QUIT(800) clock=800 seed=700"));
        } else {
            EXPECT_EQ(box.workFile("journal.bin"), before);
        }
    }
}

TEST_F(WholeProgramTest, AnOutputThatCannotBeCreatedIsNamedWithItsReasonAndTheGameGoesOn)
{
    demo("demo.bin", DemoWriter().key(700, 'Z', 'z').quit(800));
    // A folder where the file would go.
    ASSERT_EQ(::mkdir(sandbox.work().file("trace.txt").c_str(), 0755), 0);
    ChildResult r = run({"-trace", "-journal", "-demo", "demo.bin"});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.err, "Cannot create the trace file 'trace.txt': Is a directory; writing no trace.\n");
    // The journal took the whole demo.
    EXPECT_EQ(sandbox.workFile("journal.bin"), sandbox.workFile("demo.bin"));
    ASSERT_EQ(::rmdir(sandbox.work().file("trace.txt").c_str()), 0);

    // A link into a folder that is not there.
    ::unlink(sandbox.work().file("journal.bin").c_str());
    ASSERT_EQ(::symlink("gone/journal.bin", sandbox.work().file("journal.bin").c_str()), 0);
    r = run({"-trace", "-journal", "-demo", "demo.bin"});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.err, "Cannot create the journal 'journal.bin': No such file or directory; recording nothing.\n");
    EXPECT_TRUE(contains(game, "event ET_QUIT(800) clock=800 seed=700"));
}

TEST_F(WholeProgramTest, AnAbsoluteDemoPathIsOpenedAsGiven)
{
    TempDir elsewhere;
    ASSERT_TRUE(DemoWriter().key(700, 'Z', 'z').quit(800).writeTo(elsewhere.file("abs.bin")));
    const ChildResult r = run({"-trace", "-demo", elsewhere.file("abs.bin")});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "event ET_QUIT(800) clock=800 seed=700"));
}

TEST_F(WholeProgramTest, RegistryLinkFlagsAreRead)
{
    // Written the way the game writes its registry, under the sandbox's HOME.
    const char* oldHome = std::getenv("HOME");
    const std::string savedHome = oldHome ? oldHome : "";
    setenv("HOME", sandbox.home().path().c_str(), 1);
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    ASSERT_TRUE(registry->openRegistry(nullptr, "Moravel", "QVTestGame"));
    ASSERT_TRUE(registry->setStringValue("disableLinks", "1", 2));
    ASSERT_TRUE(registry->closeRegistry());
    if (savedHome.empty())
        unsetenv("HOME");
    else
        setenv("HOME", savedHome.c_str(), 1);

    demo("demo.bin", DemoWriter().quit(10));
    ChildResult r = run({"-trace", "-demo", "demo.bin"}, {{"QVTEST_PRODUCT", "QVTestGame"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "links 1 0"));

    // Another product's registry holds neither key.
    r = run({"-trace", "-demo", "demo.bin"}, {{"QVTEST_PRODUCT", "OtherGame"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "links 0 0"));
}

TEST_F(WholeProgramTest, NoDevicesNoLoop)
{
    // Without devices the loop still runs on the demo; nothing is drawn.
    demo("demo.bin", DemoWriter().paint(5).quit(10));
    const ChildResult r = run({"-trace", "-demo", "demo.bin"}, {{"QVTEST_NO_DEVICES", "1"}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(contains(game, "event ET_QUIT(10) clock=10 seed=5"));
    EXPECT_FALSE(containsPrefix(game, "board"));
    EXPECT_FALSE(containsPrefix(game, "shutdown"));
}

} // namespace
