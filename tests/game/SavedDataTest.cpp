// The per-user registry treated as a hostile machine treats it, through the
// real program (build/bin/qvgame) under SDL's dummy drivers: a registry that
// cannot be read, or its folder written, when the game starts or when a best
// time is stored; damaged files, one run after another and twice in one run;
// several windows of the game at once, saving at the same moment or one
// after another (an earlier choice of one never puts back another's newer
// one); a Clear whose save failed; a demo whose clock jumps; a save that
// was killed midway; a FIFO, a device and a symbolic link in the registry
// file's place; a file-size limit, a full disk, a standard error nobody
// reads and one that cannot take more; a result left on its end screen; a
// home directory too long for the registry's path; a window stopped with
// the lock held, a lock that is always interrupted and a folder that cannot
// be locked, against the bound on an ending; a run as root over a player's
// file and a folder of another user; a processor-time limit; the partner
// link after another window's choice; and the display going away under the
// game (the X server ended, the window destroyed by another program). Each
// test compares the registry file's bytes before and after; an ending that
// could not store what it held is told by the exit code.
//
// A program that must wait at a chosen point is either left there at the
// end of its demo (it then waits for live input, which the dummy video
// driver never sends) and ended with SIGTERM, which ends it at once: a name
// entry left open then keeps the entry under the name typed so far, an end
// screen stores its result under the last name entered; or it is held at an
// event of its demo by its journal read at the test's pace (JournalGate).
#include "engine/core/HUnix.h"
#include "tests/game/PlayerSession.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/JournalGate.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TestPaths.h"
#include "tests/support/XvfbServer.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>

#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

using Move = BoardSolver::Move;

// A long-time player's registry: every option, and all 144 best times, the
// layout's places from 1000 s on, so that a won game of a minute or two
// takes place 0 of layout 0.
std::vector<RegistryRecord> playersRegistry()
{
    std::vector<RegistryRecord> records = chosenOptionRecords(0);
    for (int layout = 0; layout < 18; ++layout) {
        for (int place = 0; place < 8; ++place) {
            QVHighScore e{};
            e.tag = QVHighScore::kTag;
            const std::string name = "L" + std::to_string(layout) + "P" + std::to_string(place);
            std::copy(name.begin(), name.end(), e.name);
            e.gameTime = 1000u * static_cast<uint32_t>(place + 1);
            e.realTime = e.gameTime - 30;
            e.remainingTiles = 0;
            const std::vector<RegistryRecord> more = highScoreRecords(layout, place, e);
            records.insert(records.end(), more.begin(), more.end());
        }
    }
    return records;
}

// The file of `records` with one flipped bit in the length of record k (the
// second unless told): only the records before it can be read.
std::string damagedRegistryBytes(const std::vector<RegistryRecord>& records, size_t k = 1)
{
    std::string bytes = registryBytes(records);
    const std::vector<RegistryRecord> before(records.begin(), records.begin() + static_cast<long>(k));
    const size_t length = registryBytes(before).size() + records[k].key.size() + 1;
    bytes[length + 3] = static_cast<char>(bytes[length + 3] ^ 0x80);
    return bytes;
}

// The records of `after` that differ from `before`, or are new or gone, by key.
std::vector<std::string> changedKeys(const std::string& before, const std::string& after)
{
    const std::map<std::string, std::string> was = registryByKey(before);
    const std::map<std::string, std::string> is = registryByKey(after);
    std::vector<std::string> changed;
    for (const auto& [key, value] : is) {
        const auto old = was.find(key);
        if (old == was.end() || old->second != value)
            changed.push_back(key);
    }
    for (const auto& [key, value] : was) {
        if (is.count(key) == 0)
            changed.push_back(key);
    }
    std::sort(changed.begin(), changed.end());
    return changed;
}

// The keys of layout 0's best times, and the last name: what storing a best
// time on layout 0 may change, and nothing else.
std::vector<std::string> layoutZeroAndTheName()
{
    std::vector<std::string> keys = {"LastHighScoreName"};
    for (const char* field : {"HSn", "HSv", "HSgt", "HSrt", "HStl"}) {
        for (int place = 0; place < 8; ++place)
            keys.push_back(std::string(field) + ":0x" + std::to_string(place));
    }
    std::sort(keys.begin(), keys.end());
    return keys;
}

// Every key of `changed` is one of `allowed` (both sorted).
void expectOnlyAllowedChanged(const std::vector<std::string>& changed, const std::vector<std::string>& allowed)
{
    for (const std::string& key : changed)
        EXPECT_TRUE(std::binary_search(allowed.begin(), allowed.end(), key)) << key << " changed";
}

// What the registry's folder holds after runs that leave nothing behind:
// the file alone (its lock makes no file).
std::vector<std::string> theRegistryAlone()
{
    return {"registry_Moravel_Qinvar"};
}

std::vector<std::string> sorted(std::vector<std::string> v)
{
    std::sort(v.begin(), v.end());
    return v;
}

// The most memory the process has held, in KiB (VmHWM); -1 when unknown.
long peakKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return -1;
}

// The environment that preloads `library`, one of tests/game/preload, into
// the game, with its variables `vars`.
ProgramSandbox::Environment preloading(const std::string& library, const ProgramSandbox::Environment& vars)
{
    const char* asan = std::getenv("ASAN_OPTIONS");
    // The sanitizers' runtime would insist on coming first.
    ProgramSandbox::Environment env = {
        {"LD_PRELOAD", buildProgram(library)},
        {"ASAN_OPTIONS", (asan && *asan ? std::string(asan) + ":" : std::string()) + "verify_asan_link_order=0"}};
    env.insert(env.end(), vars.begin(), vars.end());
    return env;
}

// Two such environments together: both libraries preloaded, both sets of
// variables.
ProgramSandbox::Environment together(ProgramSandbox::Environment a, const ProgramSandbox::Environment& b)
{
    for (const auto& [name, value] : b) {
        const auto same = std::find_if(a.begin(), a.end(), [&](const auto& v) { return v.first == name; });
        if (same == a.end())
            a.push_back({name, value});
        else if (name == "LD_PRELOAD")
            same->second += ":" + value;
    }
    return a;
}

// The environment of a window on slow or stalled storage: the library of
// tests/game/preload, preloaded, makes every fsync wait `delayMs` first, and
// with `stop` stops the window (SIGSTOP) at its first one, inside its first
// save and so with the registry's lock held, until the test lets it go on.
ProgramSandbox::Environment slowStorage(int delayMs, bool stop = false)
{
    ProgramSandbox::Environment vars;
    if (delayMs > 0)
        vars.push_back({"QV_SYNC_DELAY_MS", std::to_string(delayMs)});
    if (stop)
        vars.push_back({"QV_SYNC_STOP", "1"});
    return preloading("libqv_stretched_sync.so", vars);
}

// A disk that is full when a save flushes its file: every fsync fails.
ProgramSandbox::Environment fullDisk()
{
    return preloading("libqv_stretched_sync.so", {{"QV_SYNC_FULL", "1"}});
}

// The monotonic clock of a window runs this many times as fast as the
// system's: a wait of a minute on it takes three seconds.
constexpr int kClockSpeed = 20;
ProgramSandbox::Environment fastClock()
{
    return preloading("libqv_fast_clock.so", {{"QV_CLOCK_SPEED", std::to_string(kClockSpeed)}});
}
// The longest an ending may take on a window's fast clock, in the test's
// seconds: the 60 seconds of the bound, and some for the work around it.
constexpr double kEndingBoundSeconds = 75.0 / kClockSpeed;

// Locks that do not behave (tests/game/preload/OddLocks.cpp): `mode` is
// "interrupted" or "files only"; with `countFile` the number of flock calls
// is written there at the exit.
ProgramSandbox::Environment oddLocks(const std::string& mode, const std::string& countFile = "")
{
    ProgramSandbox::Environment vars = {{"QV_FLOCK", mode}};
    if (!countFile.empty())
        vars.push_back({"QV_FLOCK_COUNT", countFile});
    return preloading("libqv_odd_locks.so", vars);
}

// Whether a program started by a test can take the ordinary user, so that
// permissions bind it.
bool programsCanRunAsTheOrdinaryUser()
{
    return runInChild([] { _exit(becomeOrdinaryUser() ? 0 : 1); }).exitCode == 0;
}

// What the game tells on standard error of what its last saves could not
// store: the options chosen in its window, a best time (the start of the
// line, up to its time).
const char* const kOptionsNotStored = "Qinvar MahJong could not store the options chosen in this window.\n";
std::string bestTimeNotStored(const std::string& name, int layout = 0)
{
    return "Qinvar MahJong could not store the best time of " + name + " on layout " + std::to_string(layout + 1) +
           ": ";
}

// A run that ended without storing what it held: its exit code says so,
// and each of `told` is on its standard error.
void expectEndedWithoutStoring(const ChildResult& r, const std::vector<std::string>& told)
{
    EXPECT_EXITED_WITH(r, HUnix::kExitNotStored);
    for (const std::string& line : told)
        EXPECT_NE(r.err.find(line), std::string::npos) << line << " is not in:\n" << r.err;
}

// Whether the process is stopped (by a signal), as /proc tells.
bool isStopped(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    std::getline(stat, line);
    const size_t end = line.rfind(')');
    return end != std::string::npos && end + 2 < line.size() && (line[end + 2] == 'T' || line[end + 2] == 't');
}

class SavedDataTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(mirror.ok()) << ArchiveBoard::s_archivePath() << " (build the archive)";
        seedTime = mirror.findSeedTime(10026, 40, [&](ArchiveBoard& m) {
            return BoardSolver(m.board).findClearingMoves(400, &moves);
        });
        ASSERT_NE(seedTime, 0u) << "no deal cleared within the search's budget";
    }

    // A won game up to its end screen: the board started and cleared pair
    // by pair. A jump of the clock, when given, comes after the tenth pair.
    PlayerSession wonGameUpToTheEndScreen(uint64_t jumpMs = 0) const
    {
        PlayerSession s(seedTime);
        s.click(screen::startButton(), 1000);
        const std::vector<Move> before(moves.begin(), moves.begin() + 10);
        const std::vector<Move> after(moves.begin() + 10, moves.end());
        s.playPairs(mirror, before);
        s.t += jumpMs;
        s.playPairs(mirror, after);
        return s;
    }
    // The same, and the end screen's continue button clicked.
    PlayerSession wonGameUpToContinue(uint64_t jumpMs = 0) const
    {
        PlayerSession s = wonGameUpToTheEndScreen(jumpMs);
        s.click(screen::continueButton(), 1500);
        return s;
    }
    // The same, then `name` typed in the name entry.
    PlayerSession wonGameUpToTheName(const std::string& name) const
    {
        PlayerSession s = wonGameUpToContinue();
        s.typeName(name);
        return s;
    }
    // The name entered and the best times closed: back on the start screen.
    static void enterTheName(PlayerSession& s)
    {
        s.key('\r');
        s.click(screen::bestTimesOkButton(), 1000);
        s.idle(500);
    }
    // The same, then a quit from the start screen.
    static void enterAndQuit(PlayerSession& s)
    {
        enterTheName(s);
        s.quit();
    }
    // A demo that quits from the start screen.
    static PlayerSession quitAtOnce()
    {
        PlayerSession s(1000);
        s.idle(100);
        s.quit();
        return s;
    }
    // A choice of the start screen (the tile-set picker's arrow), then a
    // board started, which saves the options, and left for the start screen
    // (a new game, confirmed).
    static void pickAndStartABoard(PlayerSession& s, screen::PickerArrow arrow = screen::kTileSetUp)
    {
        s.click(screen::pickerArrow(arrow), 500);
        s.click(screen::startButton(), 1000);
        s.click(screen::newGameButton(), 1000);
        s.click(screen::confirmationButton(true), 1000);
        s.idle(200);
    }
    // The options, their best times, Clear of the shown layout (layout 0),
    // confirmed, and both dialogs closed.
    static void clearLayoutZeroInTheOptions(PlayerSession& s)
    {
        s.click(screen::optionsButton(), 500);
        s.click(screen::optionsBestTimesButton(), 500);
        s.click(screen::bestTimesClearButton(), 500);
        s.click(screen::clearConfirmationButton(true), 500);
        s.click(screen::bestTimesOkButton(), 500);
        s.click(screen::optionsOkButton(), 500);
    }
    static PlayerSession pickStartABoardAndQuit()
    {
        PlayerSession s(1000);
        pickAndStartABoard(s);
        s.quit();
        return s;
    }
    // More idle time than a gate lets the program run ahead: what follows
    // comes only after the test has read past the gate's point.
    static void padForTheGate(PlayerSession& s)
    {
        for (int i = 0; i < JournalGate::kSlackRecords + 8; ++i)
            s.idle(10);
    }

    // Runs the game over the demo to its end (-s, -demo and `extra`).
    static ChildResult play(const ProgramSandbox& box, const PlayerSession& s, const std::vector<std::string>& extra = {},
                            const ProgramSandbox::Environment& env = {})
    {
        EXPECT_TRUE(s.demo.writeTo(box.work().file("demo.bin")));
        std::vector<std::string> args = {"-s", "-demo", "demo.bin"};
        args.insert(args.end(), extra.begin(), extra.end());
        return box.run(buildProgram("qvgame"), args, env, 60);
    }
    // Starts the game over a demo, recording its journal (-s, -journal,
    // -demo and `extra`).
    static bool startOver(const ProgramSandbox& box, RunningProgram* program, const PlayerSession& s,
                          const std::vector<std::string>& extra = {}, const ProgramSandbox::Environment& env = {})
    {
        if (!s.demo.writeTo(box.work().file("demo.bin")))
            return false;
        std::vector<std::string> args = {"-s", "-journal", "-demo", "demo.bin"};
        args.insert(args.end(), extra.begin(), extra.end());
        return box.start(program, buildProgram("qvgame"), args, env);
    }
    // Waits until every record of the demo was delivered (the journal holds
    // them all): the game then waits for live input where the demo left it.
    static bool waitForTheDemo(const ProgramSandbox& box, RunningProgram* program, const PlayerSession& s,
                               double timeoutSeconds = 60)
    {
        const std::string demo = s.demo.bytes();
        return waitFor(timeoutSeconds, [&] {
            const std::string journal = box.workFile("journal.bin");
            return journal.compare(0, demo.size(), demo) == 0 || !program->running();
        }) && program->running();
    }
    // Starts the game over a demo, and waits until the game waits where the
    // demo left it.
    static bool startWaitingAtTheDemosEnd(const ProgramSandbox& box, RunningProgram* program,
                                          const PlayerSession& s, const std::vector<std::string>& extra = {},
                                          const ProgramSandbox::Environment& env = {})
    {
        return startOver(box, program, s, extra, env) && waitForTheDemo(box, program, s);
    }
    // The same start with the journal read through `gate`.
    static bool startGated(const ProgramSandbox& box, RunningProgram* program, JournalGate* gate,
                           const PlayerSession& s, const std::vector<std::string>& extra = {})
    {
        return gate->open(box.work().path()) && startOver(box, program, s, extra);
    }
    // Ends a waiting game with SIGTERM.
    static ChildResult endBySigterm(RunningProgram* program)
    {
        ::kill(program->pid(), SIGTERM);
        return program->wait(60);
    }

    static std::string registryOf(const ProgramSandbox& box)
    {
        return readFileBytes(gameRegistryPath(box.home().path()));
    }
    // The long-time player's registry in a folder that the game, run as the
    // ordinary user from now on, may not write (0500): every save fails
    // until the folder is given back (0700). The file's bytes.
    static std::string playersRegistryInAFolderNotWritable(ProgramSandbox& box)
    {
        box.asOrdinaryUser();
        box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
        EXPECT_EQ(::chmod(box.home().file(".moravel").c_str(), 0500), 0);
        return registryOf(box);
    }

    // A window of the game over a home it shares with others: its own
    // working folder, its demo, and the name it plays under.
    struct Window {
        std::string name;
        PlayerSession session;
        std::unique_ptr<ProgramSandbox> box;
        std::unique_ptr<RunningProgram> program;
    };
    // Starts a window over the home `home` that wins layout 0 and types
    // `name` in the name entry, then, when `enter`, enters it and quits.
    // `env` is more of its environment; with `ordinaryUser` it runs as the
    // ordinary user, who must own the home.
    Window startWindow(const std::string& home, const std::string& name, bool enter,
                       const ProgramSandbox::Environment& env = {}, bool ordinaryUser = false) const
    {
        Window w{name, wonGameUpToTheName(name), std::make_unique<ProgramSandbox>(),
                 std::make_unique<RunningProgram>()};
        if (enter)
            enterAndQuit(w.session);
        if (ordinaryUser)
            w.box->asOrdinaryUser();
        ProgramSandbox::Environment all = {{"HOME", home}};
        all.insert(all.end(), env.begin(), env.end());
        EXPECT_TRUE(startOver(*w.box, w.program.get(), w.session, {}, all)) << name;
        return w;
    }
    // `count` windows over `home`, named `prefix` and their number, each
    // waited for until it sits in its name entry.
    std::vector<Window> windowsInTheNameEntry(const std::string& home, const std::string& prefix, int count,
                                              const ProgramSandbox::Environment& env = {},
                                              bool ordinaryUser = false) const
    {
        std::vector<Window> windows;
        for (int i = 0; i < count; ++i)
            windows.push_back(startWindow(home, prefix + std::to_string(i), false, env, ordinaryUser));
        for (Window& w : windows)
            EXPECT_TRUE(waitForTheDemo(*w.box, w.program.get(), w.session)) << w.name << w.program->wait(1).out;
        return windows;
    }
    // A termination signal to each window, at once (a logout).
    static void signalAll(const std::vector<Window>& windows)
    {
        for (const Window& w : windows)
            ::kill(w.program->pid(), SIGTERM);
    }
    // Waits until every window has ended, each cleanly; what they all wrote.
    static ChildResult waitForAll(const std::vector<Window>& windows)
    {
        ChildResult all;
        for (const Window& w : windows) {
            SCOPED_TRACE(w.name);
            const ChildResult r = w.program->wait(120);
            EXPECT_EXITED_CLEANLY(r);
            all.out += r.out;
            all.err += r.err;
        }
        return all;
    }
    static std::vector<std::string> namesOf(const std::vector<Window>& windows)
    {
        std::vector<std::string> names;
        for (const Window& w : windows)
            names.push_back(w.name);
        return names;
    }
    // Ends the windows, which sit in their name entries, with a termination
    // signal each, at once (a logout): each ends cleanly without a word on
    // standard output, and layout 0's table in the registry file `file` is
    // their entries. What they wrote.
    static ChildResult endAndExpectEveryEntry(const std::vector<Window>& windows, const std::string& file)
    {
        signalAll(windows);
        const ChildResult all = waitForAll(windows);
        EXPECT_EQ(all.out, "");
        EXPECT_EQ(sorted(storedNames(readFileBytes(file), 0)), sorted(namesOf(windows)));
        return all;
    }
    // "amy" won layout 0 over the long-time player's registry: her entry
    // heads the layout, the last name is hers, and nothing but that layout
    // and the name changed.
    static void expectAmysEntryStored(const std::string& before, const std::string& after)
    {
        EXPECT_EQ(storedNames(after, 0),
                  (std::vector<std::string>{"amy", "L0P0", "L0P1", "L0P2", "L0P3", "L0P4", "L0P5", "L0P6"}));
        expectOnlyAllowedChanged(changedKeys(before, after), layoutZeroAndTheName());
        std::string name;
        ASSERT_TRUE(registryValue(after, "LastHighScoreName", &name));
        EXPECT_EQ(std::string(name.c_str()), "amy");
    }

    ArchiveBoard mirror;
    std::vector<Move> moves;
    uint64_t seedTime = 0;
};

// A registry that cannot be read, or whose folder cannot be written, when
// the game starts, and that is fine again before a won game is stored:
// every other best time survives, and so does every stored option the run
// did not change. The game runs as an ordinary user, whom file permissions
// bind.
TEST_F(SavedDataTest, AStartUpFailureThatClearsLaterLosesNothing)
{
    const struct {
        const char* what;
        const char* path; // under HOME
        mode_t during, after;
        std::vector<std::string> extra;
        const char* message; // before the registry file's path
    } cases[] = {
        {"the file may not be read", kGameRegistryFile, 0000, 0600, {}, "failed to open registry: cannot read "},
        // The full-screen switch of the command line saves at once, and
        // that save fails, as on a full disk.
        {"the folder may not be written", ".moravel", 0500, 0700, {"-f"},
         "failed to write registry: cannot create a temporary file beside "},
    };
    if (!programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "cannot leave root here, so file permissions do not apply";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramSandbox box;
        box.asOrdinaryUser();
        box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
        const std::string before = registryOf(box);
        ASSERT_EQ(::chmod(box.home().file(c.path).c_str(), c.during), 0);

        PlayerSession s = wonGameUpToTheName("amy");
        RunningProgram program;
        ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, s, c.extra)) << program.wait(1).out;
        ASSERT_EQ(::chmod(box.home().file(c.path).c_str(), c.after), 0);
        const ChildResult r = endBySigterm(&program);
        EXPECT_EXITED_CLEANLY(r);
        // The start-up did fail (the run was an ordinary user's), and said
        // which step and why.
        EXPECT_NE(r.out.find(c.message + gameRegistryPath(box.home().path()) + ": Permission denied"),
                  std::string::npos)
            << r.out;

        expectAmysEntryStored(before, registryOf(box));
    }
}

// A best time whose store failed (the folder may not be written) is shown
// all the same and stays pending; the folder recovers, and the player quits
// from the start screen, or a termination signal ends the game: the entry,
// ranked into what the file holds then, and the name are in the file.
TEST_F(SavedDataTest, AStoreThatFailedIsWrittenWhenTheGameEnds)
{
    if (!programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "cannot leave root here, so directory permissions do not apply";
    for (bool quit : {true, false}) {
        SCOPED_TRACE(quit ? "the player quits" : "a termination signal");
        ProgramSandbox box;
        const std::string before = playersRegistryInAFolderNotWritable(box);
        const std::string folder = box.home().file(".moravel");

        PlayerSession s = wonGameUpToTheName("amy");
        enterTheName(s);
        RunningProgram program;
        ChildResult r;
        if (quit) {
            // Held on the start screen after the store, then the quit.
            const size_t point = static_cast<size_t>(s.demo.count());
            padForTheGate(s);
            s.quit();
            JournalGate gate;
            ASSERT_TRUE(startGated(box, &program, &gate, s));
            ASSERT_TRUE(gate.readUntil(&program, point + 1, 60)) << program.wait(1).out;
            EXPECT_TRUE(registryOf(box) == before) << "the store did not fail";
            ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
            gate.release();
            r = program.wait(60);
        } else {
            ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, s)) << program.wait(1).out;
            EXPECT_TRUE(registryOf(box) == before) << "the store did not fail";
            ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
            r = endBySigterm(&program);
        }
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_NE(r.out.find("failed to write registry: cannot create a temporary file beside " +
                             gameRegistryPath(box.home().path()) + ": Permission denied"),
                  std::string::npos)
            << r.out;

        expectAmysEntryStored(before, registryOf(box));
    }
}

// The options cannot be read at start-up (a folder in the file's place);
// then the file is back, with the player's choices. A choice changed and
// changed back (tile set 1, a board, tile set 0 again, a board) leaves the
// last choice in the file, and only that key changed.
TEST_F(SavedDataTest, AChoiceChangedAndChangedBackIsSavedWhenTheOptionsDidNotLoad)
{
    ProgramSandbox box;
    box.home().write(std::string(kGameRegistryFile) + "/inside", "x");
    PlayerSession s(1000);
    const size_t point = static_cast<size_t>(s.demo.count());
    padForTheGate(s);
    pickAndStartABoard(s, screen::kTileSetUp);
    pickAndStartABoard(s, screen::kTileSetDown);
    s.quit();

    JournalGate gate;
    RunningProgram program;
    ASSERT_TRUE(startGated(box, &program, &gate, s));
    // The first event came: the start-up, and its reading, is over.
    ASSERT_TRUE(gate.readUntil(&program, point + 1, 60)) << program.wait(1).out;
    const std::string path = gameRegistryPath(box.home().path());
    ASSERT_EQ(::unlink((path + "/inside").c_str()), 0);
    ASSERT_EQ(::rmdir(path.c_str()), 0);
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    gate.release();
    const ChildResult r = program.wait(60);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_NE(r.out.find("failed to open registry: cannot read " + path + ": Is a directory"), std::string::npos)
        << r.out;

    const std::string after = registryOf(box);
    EXPECT_EQ(changedKeys(before, after), std::vector<std::string>{"Tileset"});
    std::string value;
    ASSERT_TRUE(registryValue(after, "Tileset", &value));
    EXPECT_EQ(value, u32Bytes(0));
}

// Every damaged original is kept: a start and a quit leave a damaged file
// byte for byte; a run that saves keeps the original bytes in
// "<registry>.damaged", the next run's other damage in ".damaged.2", and two
// damaged files in one run in the next two names; each time the player is
// told on standard error and in the trace, and the save writes what it
// could read and what the run chose.
TEST_F(SavedDataTest, EveryDamagedOriginalIsKept)
{
    ProgramSandbox box;
    const std::vector<RegistryRecord> records = playersRegistry();
    const std::string path = box.home().file(kGameRegistryFile);
    auto copy = [&](int n) { return path + ".damaged" + (n == 1 ? std::string() : "." + std::to_string(n)); };
    const std::vector<std::string> originals = {damagedRegistryBytes(records, 1), damagedRegistryBytes(records, 2),
                                                damagedRegistryBytes(records, 3), damagedRegistryBytes(records, 4)};

    box.home().write(kGameRegistryFile, originals[0]);
    ChildResult r = play(box, quitAtOnce(), {"-trace"});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(readFileBytes(path) == originals[0]) << "the damaged file was written";
    EXPECT_EQ(namesIn(box.home().file(".moravel")), theRegistryAlone());

    // One damaged file in each of two runs.
    std::string err;
    Lines trace;
    auto noteOutput = [&](const ChildResult& run) {
        err += run.err;
        const Lines more = splitLines(box.workFile("trace.txt"));
        trace.insert(trace.end(), more.begin(), more.end());
    };
    for (int run = 0; run < 2; ++run) {
        box.home().write(kGameRegistryFile, originals[static_cast<size_t>(run)]);
        r = play(box, pickStartABoardAndQuit(), {"-trace"});
        EXPECT_EXITED_CLEANLY(r);
        noteOutput(r);
        EXPECT_TRUE(readFileBytes(copy(run + 1)) == originals[static_cast<size_t>(run)]) << run;
    }
    // The records before the damage, and the one choice of the run.
    EXPECT_EQ(readFileBytes(path), registryBytes({{"Tileset", u32Bytes(1)}, records[0], records[1]}));

    // Two in one run: the file is damaged again while the game runs.
    box.home().write(kGameRegistryFile, originals[2]);
    PlayerSession s(1000);
    pickAndStartABoard(s);
    const size_t point = static_cast<size_t>(s.demo.count());
    padForTheGate(s);
    pickAndStartABoard(s);
    s.quit();
    JournalGate gate;
    RunningProgram program;
    ASSERT_TRUE(startGated(box, &program, &gate, s, {"-trace"}));
    ASSERT_TRUE(gate.readUntil(&program, point + 1, 60)) << program.wait(1).out;
    box.home().write(kGameRegistryFile, originals[3]);
    gate.release();
    r = program.wait(60);
    EXPECT_EXITED_CLEANLY(r);
    noteOutput(r);

    for (int n = 1; n <= 4; ++n) {
        EXPECT_TRUE(readFileBytes(copy(n)) == originals[static_cast<size_t>(n - 1)]) << "copy " << n;
        EXPECT_NE(err.find("The registry file " + path + " was damaged: only the records before the damage could "
                           "be read. The file as it was is kept in " + copy(n) + ".\n"),
                  std::string::npos)
            << err;
        EXPECT_NE(std::find(trace.begin(), trace.end(),
                            "...registry file damaged: the file as it was is kept in " + copy(n)),
                  trace.end())
            << n;
    }
}

// A file-size limit of 1 KiB (`ulimit -f 1`), below the registry's size:
// the won game's best time cannot be written. The save fails and says why,
// the registry stays byte for byte with no temporary file beside it, and the
// game goes on to its quit, which cannot store the entry either: the exit
// code and standard error say what was lost.
TEST_F(SavedDataTest, AFileSizeLimitFailsTheSaveAndTheGameGoesOn)
{
    ProgramSandbox box;
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    ASSERT_GT(before.size(), 1024u);
    box.inEveryChild([] { fileSizeLimitInChild(1024); });
    PlayerSession s = wonGameUpToTheName("amy");
    enterAndQuit(s);
    const ChildResult r = play(box, s);
    expectEndedWithoutStoring(r, {bestTimeNotStored("amy"), kOptionsNotStored});
    EXPECT_NE(r.out.find(std::strerror(EFBIG)), std::string::npos) << r.out;
    EXPECT_TRUE(registryOf(box) == before) << "changed: " << testing::PrintToString(changedKeys(before, registryOf(box)));
    EXPECT_EQ(namesIn(box.home().file(".moravel")), theRegistryAlone());
}

// Standard error a pipe whose reader has gone, and a damaged registry: the
// first save (the won game's best time) keeps the damaged copy and says so
// on standard error, into the pipe. The message is lost; the
// board is dealt and played, and its best time stored.
TEST_F(SavedDataTest, AStandardErrorNobodyReadsLosesTheMessageAndTheGameIsPlayed)
{
    ProgramSandbox box;
    const std::string bytes = damagedRegistryBytes(playersRegistry());
    box.home().write(kGameRegistryFile, bytes);
    const std::string path = box.home().file(kGameRegistryFile);
    box.inEveryChild([] { brokenPipeInChild(STDERR_FILENO); });

    PlayerSession s = wonGameUpToTheName("amy");
    enterAndQuit(s);
    const ChildResult r = play(box, s);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_TRUE(readFileBytes(path + ".damaged") == bytes) << "the copy is not the original";
    const std::vector<std::string> names = storedNames(registryOf(box), 0);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], "amy");
}

// Standard error a full pipe that nobody reads (a terminal stopped with
// Ctrl-S, a log reader that hangs), and a damaged registry: window A's
// first save (a board started) keeps the damaged copy and tells so on
// standard error, which cannot take it. The save lets the lock go before it
// tells: window B, ended by a termination signal in its name entry, stores
// its entry within seconds. And a termination signal ends A, whose message
// is given up, with everything it saved kept.
TEST_F(SavedDataTest, AStalledStandardErrorHoldsNoLockAndASignalStillEndsTheGame)
{
    ProgramSandbox a;
    ProgramSandbox b;
    const std::string bytes = damagedRegistryBytes(playersRegistry());
    a.home().write(kGameRegistryFile, bytes);
    const std::string path = a.home().file(kGameRegistryFile);
    const ProgramSandbox::Environment sameHome = {{"HOME", a.home().path()}};

    RunningProgram windowB;
    const PlayerSession sb = wonGameUpToTheName("bea");
    ASSERT_TRUE(startWaitingAtTheDemosEnd(b, &windowB, sb, {}, sameHome)) << windowB.wait(1).out;

    a.inEveryChild([] { stalledPipeInChild(STDERR_FILENO); });
    PlayerSession sa(1000);
    pickAndStartABoard(sa);
    RunningProgram windowA;
    ASSERT_TRUE(startOver(a, &windowA, sa));
    ASSERT_TRUE(waitFor(30, [&] { return fileExists(path + ".damaged") || !windowA.running(); }));
    ASSERT_TRUE(windowA.running()) << windowA.wait(1).out;
    EXPECT_TRUE(readFileBytes(path + ".damaged") == bytes) << "the copy is not the original";

    ::kill(windowB.pid(), SIGTERM);
    const double signalled = monotonicSeconds();
    const ChildResult rb = windowB.wait(60);
    EXPECT_LE(monotonicSeconds() - signalled, 15.0) << "B waited for the lock";
    EXPECT_EXITED_CLEANLY(rb);
    EXPECT_EQ(storedName(registryOf(a), 0, 0), "bea");

    EXPECT_TRUE(windowA.running()) << "A's message did not wait";
    ::kill(windowA.pid(), SIGTERM);
    const ChildResult ra = windowA.wait(15);
    EXPECT_EXITED_CLEANLY(ra);
    std::string value;
    ASSERT_TRUE(registryValue(registryOf(a), "Tileset", &value));
    EXPECT_EQ(value, u32Bytes(1)) << "A's choice was lost";
}

// A processor-time limit reached (`ulimit -t`: the kernel sends SIGXCPU)
// while the game sits in its name entry: it ends as on SIGTERM, the entry
// and the name typed so far stored, without a stack dump.
TEST_F(SavedDataTest, AProcessorTimeLimitInTheNameEntryStoresTheName)
{
    ProgramSandbox box;
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    RunningProgram program;
    ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, wonGameUpToTheName("amy"))) << program.wait(1).out;
    ::kill(program.pid(), SIGXCPU);
    const ChildResult r = program.wait(60);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    expectAmysEntryStored(before, registryOf(box));
}

// The game started as root on the player's home (`sudo qvgame`, which
// keeps HOME): its save replaces the player's registry file, which stays
// the player's, owner, group and mode; the player's next run reads it and
// saves over it as before.
TEST_F(SavedDataTest, ARootSaveOverAPlayersFileKeepsItThePlayers)
{
    if (!runsAsRoot() || !programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "needs root, and an ordinary user to give the files to";
    ProgramSandbox players;
    players.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string home = players.home().path();
    const std::string path = gameRegistryPath(home);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(giveToOrdinaryUser(home));
    auto tileSet = [&] {
        std::string value;
        return registryValue(readFileBytes(path), "Tileset", &value) ? u32Of(value) : 99u;
    };
    const uint32_t first = tileSet();

    ProgramSandbox asRoot;
    PlayerSession up(1000);
    pickAndStartABoard(up, screen::kTileSetUp);
    up.quit();
    const ChildResult r = play(asRoot, up, {}, {{"HOME", home}});
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(tileSet(), first + 1) << "root's save did not happen";
    struct stat st;
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOrdinaryUserId) << "the file was taken from the player";
    EXPECT_EQ(st.st_gid, kOrdinaryUserId);
    EXPECT_EQ(st.st_mode & 07777, 0640u);

    ProgramSandbox asPlayer;
    asPlayer.asOrdinaryUser();
    PlayerSession down(1000);
    pickAndStartABoard(down, screen::kTileSetDown);
    down.quit();
    const ChildResult again = play(asPlayer, down, {}, {{"HOME", home}});
    EXPECT_EXITED_CLEANLY(again);
    EXPECT_EQ(again.out, "") << "the player's save failed";
    EXPECT_EQ(tileSet(), first) << "the player's save did not happen";
}

// The player's registry folder belongs to another user and all may write
// to it (sticky, as a shared folder is), and a link planted there as the
// registry file leads to the player's own notes: the game refuses the
// folder, says so, reads and writes nothing through it, and ends saying
// its choice was not stored; the notes stay as they were.
TEST_F(SavedDataTest, ALinkPlantedInAnotherUsersFolderIsNotFollowed)
{
    if (!runsAsRoot() || !programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "needs root, to make a folder of another user";
    ProgramSandbox box;
    box.asOrdinaryUser();
    const std::string notes = box.home().write("notes.txt", "the player's notes\n");
    const std::string folder = box.home().file(".moravel");
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    ASSERT_EQ(::symlink(notes.c_str(), gameRegistryPath(box.home().path()).c_str()), 0);
    // The sandbox gives the home to the player before the run; the folder
    // is then given to another user.
    box.inEveryChild([folder] {
        if (::lchown(folder.c_str(), 12345, 12345) != 0 || ::chmod(folder.c_str(), 01777) != 0)
            _exit(126);
    });
    const ChildResult r = play(box, pickStartABoardAndQuit());
    expectEndedWithoutStoring(r, {kOptionsNotStored});
    EXPECT_NE(r.out.find("failed to open registry: refusing the folder " + folder + ": it belongs to another user"),
              std::string::npos)
        << r.out;
    EXPECT_EQ(readFileBytes(notes), "the player's notes\n");
    struct stat st;
    ASSERT_EQ(::stat(notes.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, kOrdinaryUserId);
}

// Window A starts windowed, as stored; window B then switches to full
// screen (its command line's -f stores the choice at once); A, which never
// touched the switch, opens the options and follows the maker's link
// (there is no browser to start): B's choice is still in the file.
TEST_F(SavedDataTest, ThePartnerLinkPutsBackNoFullScreenChoiceOfAnotherWindow)
{
    ProgramSandbox a;
    ProgramSandbox b;
    a.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(a);
    std::string value;
    ASSERT_TRUE(registryValue(before, "Fullscreen", &value));
    ASSERT_EQ(value, u32Bytes(0));

    PlayerSession sa(1000);
    const size_t point = static_cast<size_t>(sa.demo.count());
    padForTheGate(sa);
    sa.click(screen::optionsButton(), 500);
    sa.click(screen::optionsVisitButton(), 500);
    JournalGate gate;
    RunningProgram windowA;
    ASSERT_TRUE(gate.open(a.work().path()));
    ASSERT_TRUE(sa.demo.writeTo(a.work().file("demo.bin")));
    // An empty search path: no browser, so the link only says so and ends.
    ASSERT_TRUE(a.start(&windowA, buildProgram("qvgame"), {"-s", "-journal", "-demo", "demo.bin"},
                        {{"PATH", a.work().path()}}));
    ASSERT_TRUE(gate.readUntil(&windowA, point + 1, 60)) << windowA.wait(1).out;

    const ChildResult rb = play(b, quitAtOnce(), {"-f"}, {{"HOME", a.home().path()}});
    EXPECT_EXITED_CLEANLY(rb);
    ASSERT_TRUE(registryValue(registryOf(a), "Fullscreen", &value));
    ASSERT_EQ(value, u32Bytes(1)) << "B's choice was not stored";

    gate.release();
    const ChildResult ra = windowA.wait(60);
    EXPECT_EXITED_CLEANLY(ra);
    EXPECT_NE(ra.err.find("we can't launch a browser"), std::string::npos) << ra.err;
    ASSERT_TRUE(registryValue(registryOf(a), "Fullscreen", &value));
    EXPECT_EQ(value, u32Bytes(1)) << "A put its window back";
    EXPECT_EQ(changedKeys(before, registryOf(a)), std::vector<std::string>{"Fullscreen"});
}

// Two windows of the game at once, both winning on layout 0: window A is in
// its name entry when window B starts, wins and stores "bea"; then A stores
// "amy". Both are in the table, ranked together (the same game: B's, stored
// first, stays ahead).
TEST_F(SavedDataTest, TwoWindowsWinningOnOneLayoutKeepBothEntries)
{
    ProgramSandbox a;
    ProgramSandbox b;
    const ProgramSandbox::Environment sameHome = {{"HOME", a.home().path()}};

    RunningProgram windowA;
    ASSERT_TRUE(startWaitingAtTheDemosEnd(a, &windowA, wonGameUpToTheName("amy"))) << windowA.wait(1).out;
    PlayerSession sb = wonGameUpToTheName("bea");
    enterAndQuit(sb);
    const ChildResult rb = play(b, sb, {}, sameHome);
    EXPECT_EXITED_CLEANLY(rb);
    EXPECT_EQ(storedNames(registryOf(a), 0)[0], "bea");

    const ChildResult ra = endBySigterm(&windowA);
    EXPECT_EXITED_CLEANLY(ra);
    EXPECT_EQ(storedNames(registryOf(a), 0),
              (std::vector<std::string>{"bea", "amy", "Vot", "Ressa", "Ondi", "Brum", "Tamsi", "Kelp"}));
}

// Eight windows of the game on one home, saving at the same moment, round
// after round: every window's entry is in the file.
class SeveralWindowsTest : public SavedDataTest {
protected:
    static constexpr int kWindows = 8;
    static constexpr int kRounds = 3;

    // `signalled`: all sit in the name entry and one termination signal
    // ends them (a logout); otherwise all win, enter the name and quit.
    void playRounds(bool signalled)
    {
        for (int round = 0; round < kRounds; ++round) {
            SCOPED_TRACE("round " + std::to_string(round));
            ProgramSandbox home;
            const std::string prefix = "r" + std::to_string(round) + "w";
            if (signalled) {
                endAndExpectEveryEntry(windowsInTheNameEntry(home.home().path(), prefix, kWindows),
                                       gameRegistryPath(home.home().path()));
                continue;
            }
            std::vector<Window> windows;
            for (int w = 0; w < kWindows; ++w)
                windows.push_back(startWindow(home.home().path(), prefix + std::to_string(w), true));
            EXPECT_EQ(waitForAll(windows).out, "");
            EXPECT_EQ(sorted(storedNames(registryOf(home), 0)), sorted(namesOf(windows)));
        }
    }
};

TEST_F(SeveralWindowsTest, EndedByOneSignalInTheNameEntryKeepEveryEntry)
{
    playRounds(true);
}

TEST_F(SeveralWindowsTest, WinningAtOnceKeepEveryEntry)
{
    playRounds(false);
}

// What an older version of the game left in place of its lock file beside
// the registry (root's and 0600 after a start under sudo, mode 000, a socket,
// a dangling link), and a registry folder that may not be written whose
// registry file is a link into a dotfiles folder that may: eight windows,
// run as an ordinary user, ended by one termination signal in their name
// entries, keep every entry; nothing is said, and what was left stays.
TEST_F(SeveralWindowsTest, AnOldLockFileOrAReadOnlyRegistryFolderKeepsEveryEntry)
{
    if (!programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "cannot leave root here, so file permissions do not apply";
    const struct {
        const char* what;
        bool rootsOwn;    // the lock file stays root's
        mode_t lockType;  // of what is left at "<registry>.lock"; 0: nothing
        bool linkedFile;  // the registry file a link into a dotfiles folder
    } cases[] = {
        {"a lock file of root's, 0600", true, S_IFREG, false},
        {"a lock file of mode 000", false, S_IFREG, false},
        {"a socket for the lock file", false, S_IFSOCK, false},
        {"a dangling link for the lock file", false, S_IFLNK, false},
        {"a read-only registry folder, the registry a link", false, 0, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.rootsOwn && !runsAsRoot())
            continue; // no file of root's can be made
        ProgramSandbox home;
        TempDir dotfiles;
        const std::string folder = home.home().file(".moravel");
        const std::string path = gameRegistryPath(home.home().path());
        const std::string lockFile = path + ".lock";
        ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
        std::string target = path;
        if (c.linkedFile) {
            target = dotfiles.file("qinvar");
            ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);
        }
        if (c.lockType == S_IFREG) {
            home.home().write(".moravel/registry_Moravel_Qinvar.lock", "");
        } else if (c.lockType == S_IFSOCK) {
            ASSERT_TRUE(leaveSocketAt(lockFile));
        } else if (c.lockType == S_IFLNK) {
            ASSERT_EQ(::symlink("/nonexistent/folder/lock", lockFile.c_str()), 0);
        }
        ASSERT_TRUE(giveToOrdinaryUser(home.home().path()));
        ASSERT_TRUE(giveToOrdinaryUser(dotfiles.path()));
        if (c.rootsOwn) {
            ASSERT_EQ(::lchown(lockFile.c_str(), 0, 0), 0);
            ASSERT_EQ(::chmod(lockFile.c_str(), 0600), 0);
        } else if (c.lockType == S_IFREG) {
            ASSERT_EQ(::chmod(lockFile.c_str(), 0000), 0);
        }
        if (c.linkedFile) {
            ASSERT_EQ(::chmod(folder.c_str(), 0500), 0);
        }

        const ChildResult all =
            endAndExpectEveryEntry(windowsInTheNameEntry(home.home().path(), "w", kWindows, {}, true), target);
        EXPECT_EQ(all.err, "");
        struct stat st;
        if (c.lockType != 0) {
            ASSERT_EQ(::lstat(lockFile.c_str(), &st), 0);
            EXPECT_EQ(st.st_mode & S_IFMT, c.lockType);
            EXPECT_EQ(st.st_uid, c.rootsOwn ? 0u : (runsAsRoot() ? kOrdinaryUserId : ::getuid()));
        }
        ::chmod(folder.c_str(), 0700);
    }
}

// A registry folder that cannot be locked (it may be written but not read),
// and a folder where its lock file would be: the player is told once, on
// standard error and in the trace, and every save still happens.
TEST_F(SavedDataTest, ALockThatCannotBeHadIsToldOnceAndTheSavesHappen)
{
    if (!programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "cannot leave root here, so folder permissions do not apply";
    ProgramSandbox box;
    box.asOrdinaryUser();
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    const std::string folder = box.home().file(".moravel");
    ASSERT_EQ(::mkdir((gameRegistryPath(box.home().path()) + ".lock").c_str(), 0700), 0);
    ASSERT_EQ(::chmod(folder.c_str(), 0300), 0);
    // A board started saves the options; the won game, its best time and
    // the name.
    PlayerSession s = wonGameUpToTheName("amy");
    enterAndQuit(s);
    const ChildResult r = play(box, s, {"-trace"});
    ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "The registry folder " + folder + " cannot be locked: Permission denied. The registry is saved "
                     "without the lock: windows of the game that save at the same moment may lose each other's "
                     "changes.\n");
    const Lines trace = splitLines(box.workFile("trace.txt"));
    const std::string told =
        "...registry folder " + folder + " cannot be locked: Permission denied; saving without the lock";
    EXPECT_EQ(std::count(trace.begin(), trace.end(), told), 1)
        << box.workFile("trace.txt");
    expectAmysEntryStored(before, registryOf(box));
}

// A file system that locks files but not folders (a network home): the
// registry folder cannot be locked, and its lock file, beside the registry
// file, serialises the windows instead. Eight windows on a slow disk, ended
// by one termination signal in their name entries, keep every entry;
// nothing is said, and the lock file is a plain file of the player's.
TEST_F(SeveralWindowsTest, AFolderThatCannotBeLockedIsLockedThroughALockFile)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_odd_locks.so")));
    ProgramSandbox home;
    const ChildResult all = endAndExpectEveryEntry(
        windowsInTheNameEntry(home.home().path(), "w", kWindows, together(oddLocks("files only"), slowStorage(200))),
        gameRegistryPath(home.home().path()));
    EXPECT_EQ(all.err, "");
    struct stat st;
    ASSERT_EQ(::lstat((gameRegistryPath(home.home().path()) + ".lock").c_str(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(st.st_size, 0);
}

// Two homes whose registry files are links to one shared file: four windows
// on each, their saves slowed by a slow disk, ended by one termination
// signal in their name entries, round after round: every entry is in the
// shared file.
TEST_F(SeveralWindowsTest, TwoHomesLinkedToOneFileKeepEveryEntry)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    for (int round = 0; round < kRounds; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempDir shared;
        const std::string target = shared.file("qinvar");
        std::vector<std::unique_ptr<ProgramSandbox>> homes;
        std::vector<Window> windows;
        for (const char* prefix : {"a", "b"}) {
            homes.push_back(std::make_unique<ProgramSandbox>());
            const std::string home = homes.back()->home().path();
            ASSERT_EQ(::mkdir(homes.back()->home().file(".moravel").c_str(), 0700), 0);
            ASSERT_EQ(::symlink(target.c_str(), gameRegistryPath(home).c_str()), 0);
            const std::string names = std::string(prefix) + std::to_string(round);
            std::vector<Window> more = windowsInTheNameEntry(home, names, kWindows / 2, slowStorage(200));
            for (Window& w : more)
                windows.push_back(std::move(w));
        }
        endAndExpectEveryEntry(windows, target);
    }
}

// A slow disk (every fsync a second longer) and eight windows ended by one
// termination signal in their name entries: each window's last save waits
// for the others' as long as they take, and every entry is in the file.
TEST_F(SeveralWindowsTest, ASlowDiskWithWindowsEndingAtOnceKeepsEveryEntry)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    ProgramSandbox home;
    endAndExpectEveryEntry(windowsInTheNameEntry(home.home().path(), "w", kWindows, slowStorage(1000)),
                           gameRegistryPath(home.home().path()));
}

// One window stops inside its save, holding the registry's lock, for
// several seconds (a stalled disk, a stopped process), while five others
// are ended by a termination signal in their name entries: they wait for it
// and keep their entries. A window started meanwhile starts at once with
// the options as stored (its entry, left under the name it offers, is
// under the stored last name "Ada"), and keeps its entry too.
TEST_F(SavedDataTest, AWindowHoldingTheLockForSecondsKeepsEveryEntryAndAnotherStartsAtOnce)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    ProgramSandbox home;
    home.home().write(kGameRegistryFile, registryBytes(chosenOptionRecords(0)));
    const std::string at = home.home().path();
    std::vector<Window> holder = windowsInTheNameEntry(at, "holder", 1, slowStorage(0, true));
    std::vector<Window> others = windowsInTheNameEntry(at, "w", 5);
    signalAll(holder);
    ASSERT_TRUE(waitFor(30, [&] { return isStopped(holder[0].program->pid()); })) << "the holder did not stop";
    signalAll(others);
    const double signalled = monotonicSeconds();

    // The start reads the options without the lock; starting a board saves
    // them, which must wait for the lock, and keeps them pending.
    PlayerSession s = wonGameUpToContinue();
    s.idle(500);
    Window started{"Ada", s, std::make_unique<ProgramSandbox>(), std::make_unique<RunningProgram>()};
    ASSERT_TRUE(startOver(*started.box, started.program.get(), started.session, {}, {{"HOME", at}}));
    ASSERT_TRUE(waitForTheDemo(*started.box, started.program.get(), started.session, 30))
        << started.program->wait(1).out;
    EXPECT_TRUE(isStopped(holder[0].program->pid()));
    ::kill(started.program->pid(), SIGTERM);

    // The lock stays held for seven seconds after the signal: longer than
    // any wait during play, and every window still waits for it.
    sleepMilliseconds(static_cast<int>(std::max(0.0, 7.0 - (monotonicSeconds() - signalled)) * 1000));
    for (const Window& w : others)
        EXPECT_TRUE(w.program->running()) << w.name << " did not wait for the lock";
    EXPECT_TRUE(started.program->running()) << "the started window did not wait for the lock";
    ::kill(holder[0].program->pid(), SIGCONT);

    const ChildResult held = waitForAll(holder);
    EXPECT_EQ(held.out, "");
    EXPECT_EQ(waitForAll(others).out, "");
    const ChildResult r = started.program->wait(60);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out.find("could not load"), std::string::npos) << r.out;
    std::vector<std::string> names = namesOf(others);
    names.push_back(holder[0].name);
    names.push_back("Ada");
    const std::vector<std::string> stored = storedNames(registryOf(home), 0);
    for (const std::string& name : names)
        EXPECT_NE(std::find(stored.begin(), stored.end(), name), stored.end()) << name << " is not in the file";
}

// A window stops inside its save with the registry's lock held and stays
// stopped (a hung window), while four others in their name entries are
// ended by a termination signal: each of them ends within the bound, a
// minute on its clock, however many saves its ending makes, and its entry
// is in the file or said to be lost, by the exit code and on standard
// error. Their clocks run fast, so that the minute passes in seconds.
TEST_F(SavedDataTest, AWindowStoppedWithTheLockLetsEveryOtherEndWithinTheBound)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    ASSERT_TRUE(fileExists(buildProgram("libqv_fast_clock.so")));
    ProgramSandbox home;
    const std::string at = home.home().path();
    std::vector<Window> holder = windowsInTheNameEntry(at, "holder", 1, slowStorage(0, true));
    std::vector<Window> others = windowsInTheNameEntry(at, "w", 4, fastClock());
    signalAll(holder);
    ASSERT_TRUE(waitFor(30, [&] { return isStopped(holder[0].program->pid()); })) << "the holder did not stop";
    signalAll(others);
    const double signalled = monotonicSeconds();
    std::vector<ChildResult> ended;
    for (const Window& w : others) {
        ended.push_back(w.program->wait(120));
        EXPECT_LE(monotonicSeconds() - signalled, kEndingBoundSeconds) << w.name << " took longer than the bound";
    }
    EXPECT_TRUE(isStopped(holder[0].program->pid())) << "the holder went on before the others ended";
    ::kill(holder[0].program->pid(), SIGCONT);
    EXPECT_EQ(waitForAll(holder).out, "");

    const std::vector<std::string> stored = storedNames(registryOf(home), 0);
    EXPECT_NE(std::find(stored.begin(), stored.end(), "holder0"), stored.end());
    for (size_t i = 0; i < others.size(); ++i) {
        SCOPED_TRACE(others[i].name);
        if (std::find(stored.begin(), stored.end(), others[i].name) == stored.end())
            expectEndedWithoutStoring(ended[i], {bestTimeNotStored(others[i].name)});
        else
            EXPECT_EXITED_CLEANLY(ended[i]);
    }
}

// A full disk when the game ends: the entry of the name entry, stored when
// a termination signal ends the game there, cannot be flushed to disk. The
// file stays as it was with nothing left beside it, and the exit code and
// standard error say which entry, and that the name, were not stored.
TEST_F(SavedDataTest, AFullDiskAtTheEndingIsToldByTheExitCode)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    ProgramSandbox box;
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    RunningProgram program;
    ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, wonGameUpToTheName("amy"), {}, fullDisk()))
        << program.wait(1).out;
    const ChildResult r = endBySigterm(&program);
    expectEndedWithoutStoring(r, {bestTimeNotStored("amy"), kOptionsNotStored});
    EXPECT_NE(r.out.find("failed to write registry: cannot flush to disk "), std::string::npos) << r.out;
    EXPECT_NE(r.out.find(": No space left on device"), std::string::npos) << r.out;
    EXPECT_TRUE(registryOf(box) == before) << "changed: " << testing::PrintToString(changedKeys(before, registryOf(box)));
    EXPECT_EQ(namesIn(box.home().file(".moravel")), theRegistryAlone());
}

// A lock whose every try is interrupted (flock answers EINTR, as under a
// storm of signals): a use during play gives up after its wait, and the
// ending after a termination signal in the name entry comes within the
// bound; neither spins (each try is one pause of a wait, not a loop at full
// speed), and the entry is said to be lost. The window's clock runs fast.
TEST_F(SavedDataTest, ALockThatKeepsBeingInterruptedEndsWithinTheBoundWithoutSpinning)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_odd_locks.so")));
    ASSERT_TRUE(fileExists(buildProgram("libqv_fast_clock.so")));
    ProgramSandbox box;
    const std::string count = box.work().file("flock-calls");
    const PlayerSession s = wonGameUpToTheName("amy");
    RunningProgram program;
    ASSERT_TRUE(startOver(box, &program, s, {}, together(oddLocks("interrupted", count), fastClock())));
    ASSERT_TRUE(waitForTheDemo(box, &program, s, 20)) << "a wait during play did not end";
    ::kill(program.pid(), SIGTERM);
    const double signalled = monotonicSeconds();
    const ChildResult r = program.wait(20);
    EXPECT_LE(monotonicSeconds() - signalled, kEndingBoundSeconds) << "the ending took longer than the bound";
    expectEndedWithoutStoring(r, {bestTimeNotStored("amy")});
    // Some hundreds of tries, a pause of 10 ms each: a loop without pauses
    // would make millions.
    const long calls = std::atol(readFileBytes(count).c_str());
    EXPECT_GT(calls, 0);
    EXPECT_LT(calls, 5000);
}

// Window A loaded its options at start and sits in the name entry; window
// B turns automatic hints on in the options dialog, picks the next tile set
// and starts a board; then A stores its best time and the name: B's choices
// are still in the file, since A set neither.
TEST_F(SavedDataTest, AnotherWindowsChoiceSurvivesThisOnesLaterSave)
{
    ProgramSandbox a;
    ProgramSandbox b;
    a.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(a);
    RunningProgram windowA;
    ASSERT_TRUE(startWaitingAtTheDemosEnd(a, &windowA, wonGameUpToTheName("amy"))) << windowA.wait(1).out;

    PlayerSession sb(1000);
    sb.click(screen::optionsButton(), 500);
    sb.click(screen::autoHintButton(), 500);
    sb.click(screen::optionsOkButton(), 500);
    pickAndStartABoard(sb);
    sb.quit();
    const ChildResult rb = play(b, sb, {}, {{"HOME", a.home().path()}});
    EXPECT_EXITED_CLEANLY(rb);
    const std::string betweenRuns = registryOf(a);
    EXPECT_EQ(changedKeys(before, betweenRuns), (std::vector<std::string>{"Autohint", "Tileset"}));

    const ChildResult ra = endBySigterm(&windowA);
    EXPECT_EXITED_CLEANLY(ra);
    const std::string after = registryOf(a);
    std::string value;
    ASSERT_TRUE(registryValue(after, "Autohint", &value));
    EXPECT_EQ(value, u32Bytes(1)) << "B's automatic hints were put back";
    ASSERT_TRUE(registryValue(after, "Tileset", &value));
    EXPECT_EQ(value, u32Bytes(4)) << "B's tile set was put back";
    EXPECT_EQ(storedName(after, 0, 0), "amy");
    expectOnlyAllowedChanged(changedKeys(betweenRuns, after), layoutZeroAndTheName());
}

// A result the end screen showed is stored however the game ends from
// there without Continue. The exit button and the window's close bring up
// the name entry; the name typed and Return, the game quits without showing
// the best times (they would wait for input the demo never gives, and the
// run would not end). SIGTERM stores the result at once under the last name
// entered, with no dialog. Both end screens: a cleared board, and a game
// ended from the no-more-moves dialog. Only layout 0's best times, and the
// last name when one was typed, change in the file.
TEST_F(SavedDataTest, AResultLeftOnItsEndScreenIsStoredHoweverTheGameEnds)
{
    struct Ending {
        const char* name;
        PlayerSession upToTheEndScreen;
        uint32_t tilesLeft;
    };
    std::vector<Ending> endings = {{"a cleared board", wonGameUpToTheEndScreen(), 0}};
    std::vector<Move> deadEnd;
    const uint64_t deadEndSeed = findEarlyDeadEnd(mirror, &deadEnd);
    ASSERT_NE(deadEndSeed, 0u) << "no deal ran out of moves early";
    PlayerSession ended(deadEndSeed);
    ended.click(screen::startButton(), 1000);
    ended.playPairs(mirror, deadEnd);
    ended.click(screen::endGameButton(), 2000);
    endings.push_back({"a game without moves, ended", ended, 144u - 2u * static_cast<uint32_t>(deadEnd.size())});

    enum Leaving { EXIT_BUTTON, WINDOW_CLOSED, TERMINATED };
    const char* const leavingNames[] = {"the exit button", "the window closed", "SIGTERM"};
    // The stored options: layout 0, the last name "Ada", no best times yet.
    const std::vector<RegistryRecord> records = chosenOptionRecords(0);
    for (const Ending& ending : endings) {
        for (Leaving leaving : {EXIT_BUTTON, WINDOW_CLOSED, TERMINATED}) {
            SCOPED_TRACE(std::string(ending.name) + ", left by " + leavingNames[leaving]);
            ProgramSandbox box;
            box.home().write(kGameRegistryFile, registryBytes(records));
            const std::string before = registryOf(box);
            PlayerSession s = ending.upToTheEndScreen;
            ChildResult r;
            std::string name = "Ada";
            if (leaving == TERMINATED) {
                s.idle(1000);
                RunningProgram program;
                ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, s)) << program.wait(1).out;
                r = endBySigterm(&program);
            } else {
                if (leaving == EXIT_BUTTON)
                    s.click(screen::exitButton(), 1000);
                else
                    s.quit();
                name = "bea";
                s.typeName(name);
                s.key('\r');
                r = play(box, s);
            }
            EXPECT_EXITED_CLEANLY(r);
            EXPECT_EQ(r.out, "");

            const std::string after = registryOf(box);
            const std::vector<std::string> names = storedNames(after, 0);
            ASSERT_FALSE(names.empty()) << "no best time stored";
            EXPECT_EQ(names[0], name);
            std::string tiles;
            ASSERT_TRUE(registryValue(after, "HStl:0x0", &tiles));
            EXPECT_EQ(u32Of(tiles), ending.tilesLeft);
            std::string last;
            ASSERT_TRUE(registryValue(after, "LastHighScoreName", &last));
            EXPECT_EQ(std::string(last.c_str()), name);
            const std::vector<std::string> changed = changedKeys(before, after);
            expectOnlyAllowedChanged(changed, layoutZeroAndTheName());
            EXPECT_TRUE(leaving != TERMINATED ||
                        std::find(changed.begin(), changed.end(), "LastHighScoreName") == changed.end())
                << "no name was entered";
        }
    }
}

// A demo whose clock jumps by 3e12 ms in the middle of a won game: the time
// would not fit what a best time holds, so the game is not ranked, and no
// real entry is pushed out; the file stays byte for byte.
TEST_F(SavedDataTest, AClockJumpStoresNoImpossibleTime)
{
    ProgramSandbox box;
    box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
    const std::string before = registryOf(box);
    // Had a name entry come up, the quit would still store the entry.
    PlayerSession s = wonGameUpToContinue(3000000000000ull);
    s.idle(1000);
    s.quit();
    const ChildResult r = play(box, s);
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    const std::string after = registryOf(box);
    EXPECT_TRUE(after == before) << "changed: " << testing::PrintToString(changedKeys(before, after));
    for (const RegistryRecord& rec : registryRecords(after)) {
        if (rec.key.rfind("HSgt:", 0) == 0 || rec.key.rfind("HSrt:", 0) == 0) {
            EXPECT_LE(u32Of(rec.value), 0x7FFFFFFFu) << rec.key;
        }
    }
}

// A save killed midway leaves its temporary file ("<registry>.#saving#" and
// six letters or digits); the next save, which holds the lock, removes every
// one of them, however young, and leaves every other name alone, byte for
// byte: a player's "<registry>.backup" and ".bak001", a temporary file of an
// older version ("<registry>.Ab12Cd"); and beside a link's target in a
// dotfiles folder, "qinvar.backup" and "qinvar.README" as well.
TEST_F(SavedDataTest, OnlyTheGamesOwnTemporaryFilesAreRemoved)
{
    std::vector<RegistryRecord> records = playersRegistry();
    for (RegistryRecord& r : records) {
        if (r.key == "Fullscreen")
            r.value = u32Bytes(1);
    }
    const std::string bytes = registryBytes(records);
    const struct {
        const char* suffix;
        int ageSeconds;
        bool removed;
    } strays[] = {
        {".#saving#Ab12Cd", 120, true}, {".#saving#Zz99Yy", 0, true}, {".Ab12Cd", 120, false},
        {".backup", 120, false},        {".bak001", 0, false},        {".README", 0, false},
    };
    for (bool link : {false, true}) {
        SCOPED_TRACE(link ? "beside a link's target" : "beside the registry file");
        ProgramSandbox box;
        TempDir dotfiles;
        std::string folder;
        std::string name;
        if (link) {
            const std::string target = dotfiles.write("qinvar", bytes);
            ASSERT_EQ(::mkdir(box.home().file(".moravel").c_str(), 0700), 0);
            ASSERT_EQ(::symlink(target.c_str(), gameRegistryPath(box.home().path()).c_str()), 0);
            folder = dotfiles.path();
            name = "qinvar";
        } else {
            box.home().write(kGameRegistryFile, bytes);
            folder = box.home().file(".moravel");
            name = "registry_Moravel_Qinvar";
        }
        std::map<std::string, std::string> kept = {{name, ""}};
        std::vector<std::string> others = {name + ".#saving#", "registry_Moravel_Other.#saving#Ab12Cd"};
        for (const auto& stray : strays)
            others.push_back(name + stray.suffix);
        for (const std::string& other : others) {
            const auto* stray = std::find_if(std::begin(strays), std::end(strays),
                                             [&](const auto& st) { return name + st.suffix == other; });
            const bool removed = stray != std::end(strays) && stray->removed;
            const std::string content = "the player's own " + other;
            const std::string file = folder + "/" + other;
            std::ofstream(file, std::ios::binary) << content;
            const time_t then = std::time(nullptr) - (stray != std::end(strays) ? stray->ageSeconds : 120);
            const timeval times[2] = {{then, 0}, {then, 0}};
            ASSERT_EQ(::utimes(file.c_str(), times), 0);
            if (!removed)
                kept[other] = content;
        }

        // "-w" changes the stored full-screen choice: a save.
        const ChildResult r = play(box, quitAtOnce(), {"-w"});
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_EQ(r.out, "");
        std::vector<std::string> names;
        for (const auto& [other, content] : kept) {
            names.push_back(other);
            if (other != name) {
                EXPECT_EQ(readFileBytes(folder + "/" + other), content) << other;
            }
        }
        EXPECT_EQ(namesIn(folder), names);
        EXPECT_EQ(changedKeys(bytes, readFileBytes(folder + "/" + name)), std::vector<std::string>{"Fullscreen"});
    }
}

// What is not a regular file in the registry file's place: a FIFO that no
// one writes, a link to a device that never ends. The game starts without
// waiting, reads nothing, says what it found, stays small, plays, and ends
// on a termination signal, saying that its choice was not stored; the FIFO
// and the link stay as they were.
TEST_F(SavedDataTest, AFifoOrADeviceAsTheRegistryIsNeitherReadNorReplaced)
{
    PlayerSession s(1000);
    pickAndStartABoard(s);
    // The most memory of the same play on a plain registry file, in KiB.
    auto playAndEnd = [&](const ProgramSandbox& box, long* peak) {
        RunningProgram program;
        EXPECT_TRUE(startOver(box, &program, s));
        EXPECT_TRUE(waitForTheDemo(box, &program, s, 20)) << "the game did not play its demo";
        *peak = peakKilobytes(program.pid());
        ::kill(program.pid(), SIGTERM);
        return program.wait(20);
    };
    long plain = 0;
    {
        ProgramSandbox box;
        box.home().write(kGameRegistryFile, registryBytes(playersRegistry()));
        const ChildResult r = playAndEnd(box, &plain);
        EXPECT_EXITED_CLEANLY(r);
        ASSERT_GT(plain, 0);
    }

    const struct {
        const char* what;
        bool fifo;
        const char* found; // what the message says
    } cases[] = {
        {"a FIFO", true, ": it is a FIFO, not a regular file"},
        {"a link to /dev/zero", false, ": it is a device, not a regular file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramSandbox box;
        const std::string path = gameRegistryPath(box.home().path());
        ASSERT_EQ(::mkdir(box.home().file(".moravel").c_str(), 0700), 0);
        ASSERT_EQ(c.fifo ? ::mkfifo(path.c_str(), 0600) : ::symlink("/dev/zero", path.c_str()), 0);
        long peak = 0;
        const ChildResult r = playAndEnd(box, &peak);
        EXPECT_LT(peak, plain + 32 * 1024) << "KiB, where a plain registry file takes " << plain;
        // The tile set chosen could not be stored.
        expectEndedWithoutStoring(r, {kOptionsNotStored});
        EXPECT_NE(r.out.find("failed to open registry: cannot read " + std::string(c.fifo ? path : "/dev/zero") +
                             c.found),
                  std::string::npos)
            << r.out;
        struct stat st;
        ASSERT_EQ(::lstat(path.c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & S_IFMT, c.fifo ? S_IFIFO : S_IFLNK);
        EXPECT_EQ(namesIn(box.home().file(".moravel")), theRegistryAlone());
    }
}

// A registry file that is a symbolic link into a dotfiles folder: after a
// save it is still the same link, its target holds the save, with the mode
// it had, and nothing else is left beside the target.
TEST_F(SavedDataTest, ASymbolicLinkStaysALinkAfterASave)
{
    ProgramSandbox box;
    TempDir dotfiles;
    const std::string target = dotfiles.write("qinvar-registry", registryBytes(playersRegistry()));
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string before = readFileBytes(target);
    const std::string path = gameRegistryPath(box.home().path());
    ASSERT_EQ(::mkdir(box.home().file(".moravel").c_str(), 0700), 0);
    ASSERT_EQ(::symlink(target.c_str(), path.c_str()), 0);

    const ChildResult r = play(box, pickStartABoardAndQuit());
    EXPECT_EXITED_CLEANLY(r);
    EXPECT_EQ(r.out, "");
    struct stat st;
    ASSERT_EQ(::lstat(path.c_str(), &st), 0);
    ASSERT_TRUE(S_ISLNK(st.st_mode)) << "the link was replaced";
    char link[4096] = {};
    ASSERT_GT(::readlink(path.c_str(), link, sizeof(link) - 1), 0);
    EXPECT_EQ(std::string(link), target);
    const std::string after = readFileBytes(target);
    EXPECT_EQ(changedKeys(before, after), std::vector<std::string>{"Tileset"});
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(namesIn(dotfiles.path()), std::vector<std::string>{"qinvar-registry"});
}

// A home directory too long for the registry's path: a clear message,
// nothing read or written under a cut name, and the exit code says the
// choice was not stored.
TEST_F(SavedDataTest, AHomeTooLongForTheRegistryPathIsRefused)
{
    for (size_t length : {1016u, 1000u}) {
        SCOPED_TRACE("a home of " + std::to_string(length) + " characters");
        ProgramSandbox box;
        const std::string home = box.home().folderOfLength(length);
        ASSERT_EQ(home.size(), length);
        // "-w" stores the window at once; starting a board saves the options.
        const ChildResult r = play(box, pickStartABoardAndQuit(), {"-w"}, {{"HOME", home}});
        expectEndedWithoutStoring(r, {kOptionsNotStored});
        EXPECT_NE(r.out.find("failed to open registry: the path of the registry file under the home directory "
                             "would be longer than 1023 characters"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(namesIn(home), std::vector<std::string>{}) << "something was made under a cut name";
    }
}

// Window A picks the next tile set (3) and starts a board, which saves it;
// window B later picks tile set 1 and starts a board; then A starts
// another board without touching the tile set: B's choice stays in the
// file. A saved choice is saved: only one set again is written again.
TEST_F(SavedDataTest, AnEarlierChoiceSavedOnceDoesNotPutBackAnotherWindowsNewerOne)
{
    ProgramSandbox a;
    ProgramSandbox b;
    std::vector<RegistryRecord> records = playersRegistry();
    for (RegistryRecord& r : records) {
        if (r.key == "Tileset")
            r.value = u32Bytes(2);
    }
    a.home().write(kGameRegistryFile, registryBytes(records));
    auto tileSet = [&] {
        std::string value;
        return registryValue(registryOf(a), "Tileset", &value) ? u32Of(value) : 99u;
    };

    PlayerSession sa(1000);
    pickAndStartABoard(sa, screen::kTileSetUp);
    const size_t point = static_cast<size_t>(sa.demo.count());
    padForTheGate(sa);
    sa.click(screen::startButton(), 1000);
    sa.click(screen::newGameButton(), 1000);
    sa.click(screen::confirmationButton(true), 1000);
    sa.idle(200);
    sa.quit();
    JournalGate gate;
    RunningProgram windowA;
    ASSERT_TRUE(startGated(a, &windowA, &gate, sa));
    ASSERT_TRUE(gate.readUntil(&windowA, point + 1, 60)) << windowA.wait(1).out;
    EXPECT_EQ(tileSet(), 3u) << "A's choice was saved";

    PlayerSession sb(1000);
    pickAndStartABoard(sb, screen::kTileSetDown);
    pickAndStartABoard(sb, screen::kTileSetDown);
    sb.quit();
    const ChildResult rb = play(b, sb, {}, {{"HOME", a.home().path()}});
    EXPECT_EXITED_CLEANLY(rb);
    EXPECT_EQ(tileSet(), 1u) << "B's choice was saved";

    const std::string betweenRuns = registryOf(a);
    gate.release();
    const ChildResult ra = windowA.wait(60);
    EXPECT_EXITED_CLEANLY(ra);
    EXPECT_EQ(ra.out, "");
    EXPECT_EQ(tileSet(), 1u) << "A's earlier choice put back B's newer one";
    EXPECT_EQ(changedKeys(betweenRuns, registryOf(a)), std::vector<std::string>{});
}

// A Clear of layout 0's best times whose save fails (the folder may not be
// written) is told, and the table shows cleared; the folder recovers, and
// the clear is in the file: written at the end of the game, or with the
// next ranking on that layout, which ranks the new entry into the cleared
// table, not into what the file held. Or, while the clear is pending,
// another window (root's, which may write there) wins on layout 0 and
// stores "bea": the clear removes the entries the table showed when the
// player cleared it, and keeps bea's, stored since, at the head of the
// table. The game runs as an ordinary user.
TEST_F(SavedDataTest, AClearThatFailedStaysClearedOnceTheFolderRecovers)
{
    if (!programsCanRunAsTheOrdinaryUser())
        GTEST_SKIP() << "cannot leave root here, so directory permissions do not apply";
    enum Then { ENDS, RANKED, ANOTHER_WINDOW_STORES };
    for (Then then : {ENDS, RANKED, ANOTHER_WINDOW_STORES}) {
        SCOPED_TRACE(then == ENDS ? "then the game ends"
                                  : (then == RANKED ? "then a won game is ranked" : "another window stores meanwhile"));
        if (then == ANOTHER_WINDOW_STORES && !runsAsRoot())
            continue; // no other window may write where this one may not
        ProgramSandbox box;
        const std::string before = playersRegistryInAFolderNotWritable(box);
        const std::string folder = box.home().file(".moravel");

        PlayerSession s(seedTime);
        clearLayoutZeroInTheOptions(s);
        const size_t point = static_cast<size_t>(s.demo.count());
        padForTheGate(s);
        if (then == RANKED) {
            s.click(screen::startButton(), 1000);
            s.playPairs(mirror, moves);
            s.click(screen::continueButton(), 1500);
            s.typeName("amy");
            enterTheName(s);
        }
        s.quit();
        JournalGate gate;
        RunningProgram program;
        ASSERT_TRUE(startGated(box, &program, &gate, s));
        ASSERT_TRUE(gate.readUntil(&program, point + 1, 60)) << program.wait(1).out;
        EXPECT_TRUE(registryOf(box) == before) << "the clear's save did not fail";
        if (then == ANOTHER_WINDOW_STORES) {
            ProgramSandbox other;
            PlayerSession bea = wonGameUpToTheName("bea");
            enterAndQuit(bea);
            const ChildResult stored = play(other, bea, {}, {{"HOME", box.home().path()}});
            EXPECT_EXITED_CLEANLY(stored);
            EXPECT_EQ(storedName(registryOf(box), 0, 0), "bea");
        }
        ASSERT_EQ(::chmod(folder.c_str(), 0700), 0);
        gate.release();
        const ChildResult r = program.wait(60);
        EXPECT_EXITED_CLEANLY(r);
        EXPECT_NE(r.out, "") << "the failed save was not told";

        const std::string after = registryOf(box);
        std::vector<std::string> want(8, "nobody");
        if (then == RANKED)
            want[0] = "amy";
        if (then == ANOTHER_WINDOW_STORES)
            want[0] = "bea";
        EXPECT_EQ(storedNames(after, 0), want);
        EXPECT_EQ(storedNames(after, 1), storedNames(before, 1)) << "another layout changed";
    }
}

// The game's windows on a virtual X server (SDL's X11 driver) that goes
// away under them: the X library ends each game from inside itself (the
// server ended: a logout that ends it first, a crash of it; or an X error:
// the window destroyed by another program). Each window first stores what
// a termination signal would: a name entry's text typed so far, with its
// result; a result on its end screen, under the last name entered; the
// changes of an options dialog that is up; and then ends with the X
// library's status, 1. Skipped without Xvfb.
class LostDisplayTest : public SavedDataTest {
protected:
    void SetUp() override
    {
        if (!XvfbServer::s_isInstalled())
            GTEST_SKIP() << "Xvfb is not installed";
        SavedDataTest::SetUp();
        // Xlib's input-method code keeps a few bytes to the end of the
        // process that the leak checker of a sanitizer build would report
        // as the game's.
        suppressions = scratch.write("lsan.supp", "leak:libX11.so\n");
    }
    // What a game's environment needs to run on the server.
    ProgramSandbox::Environment onTheServer(const XvfbServer& server) const
    {
        return {{"SDL_VIDEODRIVER", "x11"},
                {"DISPLAY", server.display()},
                {"LSAN_OPTIONS", "suppressions=" + suppressions}};
    }
    // A won game left on its end screen.
    PlayerSession wonGameLeftOnTheEndScreen() const
    {
        PlayerSession s = wonGameUpToTheEndScreen();
        s.idle(1000);
        return s;
    }
    // Automatic hints switched on in the options dialog, which stays up.
    static PlayerSession autoHintsSwitchedInTheOptions()
    {
        PlayerSession s(1000);
        s.click(screen::optionsButton(), 500);
        s.click(screen::autoHintButton(), 500);
        s.idle(500);
        return s;
    }
    // A window ended with the X library's status, after its message: an
    // X error's, or a lost connection's (in the words of either version).
    static void expectEndedByTheXLibrary(const ChildResult& r)
    {
        EXPECT_EXITED_WITH(r, 1);
        EXPECT_TRUE(r.err.find("X Error of failed request") != std::string::npos ||
                    r.err.find("XIO:  fatal IO error") != std::string::npos ||
                    r.err.find("X connection to") != std::string::npos)
            << r.err;
    }

    TempDir scratch;
    std::string suppressions;
};

// Round after round, windows on one home sit in the name entry (their
// names typed, no Return), one on its end screen and one in the options
// dialog with automatic hints switched on; the server ends.
TEST_F(LostDisplayTest, TheServerEndingKeepsEveryWindowsEntryAndChoice)
{
    constexpr int kNameEntries = 5;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        XvfbServer server;
        ASSERT_TRUE(server.start("640x480x24", 20)) << "Xvfb did not start";
        ProgramSandbox home;
        // Automatic hints off, the last name "Ada", no best times yet.
        home.home().write(kGameRegistryFile, registryBytes(chosenOptionRecords(0)));
        const ProgramSandbox::Environment env = onTheServer(server);
        std::vector<Window> windows =
            windowsInTheNameEntry(home.home().path(), "r" + std::to_string(round) + "w", kNameEntries, env);
        // A window on its end screen, whose result goes under the last name
        // stored, and one in the options dialog, which makes no entry (the
        // last window, left out of the names).
        for (auto [name, session] : {std::make_pair("Ada", wonGameLeftOnTheEndScreen()),
                                     std::make_pair("", autoHintsSwitchedInTheOptions())}) {
            windows.push_back({name, session, std::make_unique<ProgramSandbox>(), std::make_unique<RunningProgram>()});
            Window& w = windows.back();
            ProgramSandbox::Environment all = {{"HOME", home.home().path()}};
            all.insert(all.end(), env.begin(), env.end());
            ASSERT_TRUE(startOver(*w.box, w.program.get(), w.session, {}, all));
            ASSERT_TRUE(waitForTheDemo(*w.box, w.program.get(), w.session)) << w.program->wait(1).err;
        }
        server.stop();
        for (const Window& w : windows) {
            SCOPED_TRACE(w.name);
            expectEndedByTheXLibrary(w.program->wait(60));
        }
        std::vector<std::string> names = namesOf(windows);
        names.pop_back();

        const std::string after = readFileBytes(gameRegistryPath(home.home().path()));
        std::vector<std::string> stored = storedNames(after, 0);
        stored.resize(names.size());
        EXPECT_EQ(sorted(stored), sorted(names));
        std::string value;
        ASSERT_TRUE(registryValue(after, "LastHighScoreName", &value));
        EXPECT_NE(std::find(names.begin(), names.begin() + kNameEntries, std::string(value.c_str())),
                  names.begin() + kNameEntries)
            << "the last name is none of those typed: " << value.c_str();
        ASSERT_TRUE(registryValue(after, "Autohint", &value));
        EXPECT_EQ(value, u32Bytes(1)) << "the options dialog's change was lost";
    }
}

// The sound stops first when the display goes away: the music does not
// play on while the last saves run. A window in the options dialog (whose
// changes are saved at the end), on a slow disk (every fsync 2 seconds
// longer), plays through SDL's disk audio driver, which writes what it
// plays to a file as it goes: once the server has ended and the save is
// under way (its temporary file is there), the file grows no more.
TEST_F(LostDisplayTest, TheSoundStopsBeforeTheLastSaves)
{
    ASSERT_TRUE(fileExists(buildProgram("libqv_stretched_sync.so")));
    XvfbServer server;
    ASSERT_TRUE(server.start("640x480x24", 20)) << "Xvfb did not start";
    ProgramSandbox box;
    box.home().write(kGameRegistryFile, registryBytes(chosenOptionRecords(0)));
    const std::string sound = box.work().file("sound.raw");
    const PlayerSession s = autoHintsSwitchedInTheOptions();
    ASSERT_TRUE(s.demo.writeTo(box.work().file("demo.bin")));
    ProgramSandbox::Environment env = onTheServer(server);
    env.push_back({"SDL_AUDIODRIVER", "disk"});
    env.push_back({"SDL_DISKAUDIOFILE", sound});
    env = together(env, slowStorage(2000));
    RunningProgram program;
    ASSERT_TRUE(box.start(&program, buildProgram("qvgame"), {"-journal", "-demo", "demo.bin"}, env));
    ASSERT_TRUE(waitForTheDemo(box, &program, s)) << program.wait(1).err;
    auto soundBytes = [&] {
        struct stat st;
        return ::stat(sound.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
    };
    const long long playing = soundBytes();
    ASSERT_TRUE(waitFor(5, [&] { return soundBytes() > playing; })) << "no sound plays";

    server.stop();
    const std::string folder = box.home().file(".moravel");
    const bool saving = waitFor(20, [&] {
        for (const std::string& name : namesIn(folder)) {
            if (name.find(".#saving#") != std::string::npos)
                return true;
        }
        return !program.running();
    });
    ASSERT_TRUE(saving && program.running()) << "the last save was not seen under way";
    const long long atTheSave = soundBytes();
    sleepMilliseconds(800);
    EXPECT_EQ(soundBytes(), atTheSave) << "the sound played on during the last save";
    expectEndedByTheXLibrary(program.wait(30));
    std::string value;
    ASSERT_TRUE(registryValue(registryOf(box), "Autohint", &value));
    EXPECT_EQ(value, u32Bytes(1)) << "the options dialog's change was lost";
}

// Another program destroys the game's window: the game's next drawing on it
// is an X error (BadDrawable), which ends it. In the name entry, and on
// the end screen.
TEST_F(LostDisplayTest, AWindowDestroyedByAnotherProgramKeepsItsEntry)
{
    const struct {
        const char* what;
        bool nameEntry;
        const char* name;
    } cases[] = {
        {"in the name entry", true, "amy"},
        {"on the end screen", false, "Ada"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        XvfbServer server;
        ASSERT_TRUE(server.start("640x480x24", 20)) << "Xvfb did not start";
        ProgramSandbox box;
        box.home().write(kGameRegistryFile, registryBytes(chosenOptionRecords(0)));
        const PlayerSession s = c.nameEntry ? wonGameUpToTheName(c.name) : wonGameLeftOnTheEndScreen();
        RunningProgram program;
        ASSERT_TRUE(startWaitingAtTheDemosEnd(box, &program, s, {}, onTheServer(server)))
            << program.wait(1).err;

        Display* other = XOpenDisplay(server.display().c_str());
        ASSERT_NE(other, nullptr);
        const unsigned long window = XvfbServer::s_findWindow(other, "Qinvar", 640, 480);
        EXPECT_NE(window, 0u);
        if (window != 0) {
            XDestroyWindow(other, window);
            XSync(other, False);
        }
        const ChildResult r = program.wait(20);
        XCloseDisplay(other);
        expectEndedByTheXLibrary(r);

        const std::string after = registryOf(box);
        EXPECT_EQ(storedName(after, 0, 0), c.name);
        std::string last;
        ASSERT_TRUE(registryValue(after, "LastHighScoreName", &last));
        EXPECT_EQ(std::string(last.c_str()), c.name);
    }
}

} // namespace
