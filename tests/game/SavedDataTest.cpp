// The per-user registry treated as a hostile machine treats it, through the
// real program (build/bin/qvgame) under SDL's dummy drivers: a registry that
// cannot be read, or its folder written, when the game starts; one damaged
// byte; two windows of the game at once; a demo whose clock jumps; a save
// that was killed midway; and a home directory too long for the registry's
// path. Each test compares the registry file's bytes before and after.
//
// A program that must wait at a chosen point is left there at the end of its
// demo (it then waits for live input, which the dummy video driver never
// sends) and ended with SIGTERM, which ends it at once: a name entry left
// open then keeps the entry under the name typed so far, an end screen
// stores its result under the last name entered.
#include "tests/game/PlayerSession.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/OrdinaryUser.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RunningProgram.h"
#include "tests/support/TestPaths.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <unistd.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <ctime>
#include <map>
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

// The file of `records` with one flipped bit in the length of the second
// record: only the first one can be read.
std::string damagedRegistryBytes(const std::vector<RegistryRecord>& records)
{
    std::string bytes = registryBytes(records);
    const size_t secondLength = registryBytes({records[0]}).size() + records[1].key.size() + 1;
    bytes[secondLength + 3] = static_cast<char>(bytes[secondLength + 3] ^ 0x80);
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

#define EXPECT_CLEAN_EXIT(r)                                                                                          \
    do {                                                                                                              \
        EXPECT_FALSE((r).timedOut);                                                                                   \
        EXPECT_TRUE((r).exited) << "signal " << (r).signal << "\n" << (r).err;                                        \
        EXPECT_EQ((r).exitCode, 0) << (r).out << (r).err;                                                             \
    } while (0)

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
    // The name entered, the best times closed, a quit from the start screen.
    static void enterAndQuit(PlayerSession& s)
    {
        s.key('\r');
        s.click(screen::bestTimesOkButton(), 1000);
        s.idle(500);
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
    // A demo that starts a board, which saves the options, and quits.
    static PlayerSession startABoardAndQuit()
    {
        PlayerSession s(1000);
        s.click(screen::startButton(), 1000);
        s.click(screen::exitButton(), 1000);
        s.click(screen::confirmationButton(true), 1000);
        return s;
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
    // Starts the game over a demo, and waits until every record of it was
    // delivered (the journal holds them all): the game then waits where the
    // demo left it.
    static bool startWaitingAtTheDemosEnd(const ProgramSandbox& box, RunningProgram* program,
                                           const PlayerSession& s, const std::vector<std::string>& extra = {},
                                           const ProgramSandbox::Environment& env = {})
    {
        if (!s.demo.writeTo(box.work().file("demo.bin")))
            return false;
        std::vector<std::string> args = {"-s", "-journal", "-demo", "demo.bin"};
        args.insert(args.end(), extra.begin(), extra.end());
        if (!box.start(program, buildProgram("qvgame"), args, env))
            return false;
        const std::string demo = s.demo.bytes();
        return waitFor(60, [&] {
            const std::string journal = box.workFile("journal.bin");
            return journal.compare(0, demo.size(), demo) == 0 || !program->running();
        }) && program->running();
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
    } cases[] = {
        {"the file may not be read", kGameRegistryFile, 0000, 0600, {}},
        // The full-screen switch of the command line saves at once, and
        // that save fails, as on a full disk.
        {"the folder may not be written", ".moravel", 0500, 0700, {"-f"}},
    };
    const ChildResult user = runInChild([] { _exit(becomeOrdinaryUser() ? 0 : 1); });
    if (user.exitCode != 0)
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
        EXPECT_CLEAN_EXIT(r);
        // The start-up did fail (the run was an ordinary user's).
        EXPECT_NE(r.out.find("failed to open registry: Permission denied"), std::string::npos) << r.out;

        const std::string after = registryOf(box);
        EXPECT_EQ(storedNames(after, 0),
                  (std::vector<std::string>{"amy", "L0P0", "L0P1", "L0P2", "L0P3", "L0P4", "L0P5", "L0P6"}));
        const std::vector<std::string> changed = changedKeys(before, after);
        const std::vector<std::string> allowed = layoutZeroAndTheName();
        for (const std::string& key : changed)
            EXPECT_TRUE(std::binary_search(allowed.begin(), allowed.end(), key)) << key << " changed";
        std::string name;
        ASSERT_TRUE(registryValue(after, "LastHighScoreName", &name));
        EXPECT_EQ(std::string(name.c_str()), "amy");
    }
}

// One flipped bit in the length of the second record: a start and a quit
// leave the file byte for byte; a run that changes an option keeps the
// original bytes in "<registry>.damaged", says so on standard error and in
// the trace, and then saves what it could read.
TEST_F(SavedDataTest, ADamagedFileIsKeptWhole)
{
    ProgramSandbox box;
    const std::vector<RegistryRecord> records = playersRegistry();
    const std::string bytes = damagedRegistryBytes(records);
    box.home().write(kGameRegistryFile, bytes);
    const std::string path = box.home().file(kGameRegistryFile);

    ChildResult r = play(box, quitAtOnce(), {"-trace"});
    EXPECT_CLEAN_EXIT(r);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(readFileBytes(path) == bytes) << "the damaged file was written";
    EXPECT_EQ(namesIn(box.home().file(".moravel")), std::vector<std::string>{"registry_Moravel_Qinvar"});

    // Starting a board saves the options: those after the damage are new.
    r = play(box, startABoardAndQuit(), {"-trace"});
    EXPECT_CLEAN_EXIT(r);
    EXPECT_TRUE(readFileBytes(path + ".damaged") == bytes) << "the copy is not the original";
    EXPECT_NE(r.err.find("The registry file " + path + " was damaged"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("kept in " + path + ".damaged"), std::string::npos) << r.err;
    const Lines trace = splitLines(box.workFile("trace.txt"));
    EXPECT_NE(std::find(trace.begin(), trace.end(),
                        "...registry file damaged: the file as it was is kept in " + path + ".damaged"),
              trace.end());
    // The record before the damage, and the options saved, newest first.
    EXPECT_EQ(readFileBytes(path), registryBytes({{"Fullscreen", u32Bytes(0)},
                                                  {"Layout", u32Bytes(0)},
                                                  {"Background", u32Bytes(0)},
                                                  {"Tileset", u32Bytes(0)},
                                                  {"Music Volume", floatBytes(0.25f)},
                                                  {"Sound Volume", floatBytes(1.0f)},
                                                  {"Autohint", u32Bytes(1)},
                                                  records[0]}));
}

// A file-size limit of 1 KiB (`ulimit -f 1`), below the registry's size:
// the won game's best time cannot be written. The save fails and says why,
// the registry stays byte for byte with no temporary file beside it, and the
// game goes on to its quit.
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
    EXPECT_CLEAN_EXIT(r);
    EXPECT_NE(r.out.find(std::strerror(EFBIG)), std::string::npos) << r.out;
    EXPECT_TRUE(registryOf(box) == before) << "changed: " << testing::PrintToString(changedKeys(before, registryOf(box)));
    EXPECT_EQ(namesIn(box.home().file(".moravel")), std::vector<std::string>{"registry_Moravel_Qinvar"});
}

// Standard error a pipe whose reader has gone, and a damaged registry: the
// first save (starting the board stores the options) keeps the damaged copy
// and says so on standard error, into the pipe. The message is lost; the
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
    EXPECT_CLEAN_EXIT(r);
    EXPECT_TRUE(readFileBytes(path + ".damaged") == bytes) << "the copy is not the original";
    const std::vector<std::string> names = storedNames(registryOf(box), 0);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names[0], "amy");
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
    EXPECT_CLEAN_EXIT(rb);
    EXPECT_EQ(storedNames(registryOf(a), 0)[0], "bea");

    const ChildResult ra = endBySigterm(&windowA);
    EXPECT_CLEAN_EXIT(ra);
    EXPECT_EQ(storedNames(registryOf(a), 0),
              (std::vector<std::string>{"bea", "amy", "Vot", "Ressa", "Ondi", "Brum", "Tamsi", "Kelp"}));
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
            EXPECT_CLEAN_EXIT(r);
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
            const std::vector<std::string> allowed = layoutZeroAndTheName();
            for (const std::string& key : changedKeys(before, after)) {
                EXPECT_TRUE(std::binary_search(allowed.begin(), allowed.end(), key)) << key << " changed";
                EXPECT_TRUE(leaving != TERMINATED || key != "LastHighScoreName") << "no name was entered";
            }
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
    EXPECT_CLEAN_EXIT(r);
    EXPECT_EQ(r.out, "");
    const std::string after = registryOf(box);
    EXPECT_TRUE(after == before) << "changed: " << testing::PrintToString(changedKeys(before, after));
    for (const RegistryRecord& rec : registryRecords(after)) {
        if (rec.key.rfind("HSgt:", 0) == 0 || rec.key.rfind("HSrt:", 0) == 0) {
            EXPECT_LE(u32Of(rec.value), 0x7FFFFFFFu) << rec.key;
        }
    }
}

// A save killed midway leaves its temporary file ("<registry>.XXXXXX"); the
// next save removes it once it is older than a minute, and leaves a younger
// one (another window's save in progress) and every other name alone.
TEST_F(SavedDataTest, AStaleTemporaryFileIsRemovedByTheNextSave)
{
    ProgramSandbox box;
    std::vector<RegistryRecord> records = playersRegistry();
    for (RegistryRecord& r : records) {
        if (r.key == "Fullscreen")
            r.value = u32Bytes(1);
    }
    box.home().write(kGameRegistryFile, registryBytes(records));
    const std::string before = registryOf(box);
    const struct {
        const char* name;
        int ageSeconds;
        bool removed;
    } strays[] = {
        {"registry_Moravel_Qinvar.Ab12Cd", 120, true},
        {"registry_Moravel_Qinvar.Zz99Yy", 10, false},
        {"registry_Moravel_Other.Ab12Cd", 120, false},
    };
    std::vector<std::string> kept = {"registry_Moravel_Qinvar"};
    for (const auto& stray : strays) {
        const std::string file = box.home().write(".moravel/" + std::string(stray.name), before);
        const timeval then = {static_cast<time_t>(std::time(nullptr) - stray.ageSeconds), 0};
        const timeval times[2] = {then, then};
        ASSERT_EQ(::utimes(file.c_str(), times), 0);
        if (!stray.removed)
            kept.push_back(stray.name);
    }
    std::sort(kept.begin(), kept.end());

    // "-w" changes the stored full-screen choice: a save.
    const ChildResult r = play(box, quitAtOnce(), {"-w"});
    EXPECT_CLEAN_EXIT(r);
    EXPECT_EQ(namesIn(box.home().file(".moravel")), kept);
    EXPECT_EQ(changedKeys(before, registryOf(box)), std::vector<std::string>{"Fullscreen"});
}

// A home directory too long for the registry's path: a clear message, and
// nothing read or written under a cut name.
TEST_F(SavedDataTest, AHomeTooLongForTheRegistryPathIsRefused)
{
    for (size_t length : {1016u, 1000u}) {
        SCOPED_TRACE("a home of " + std::to_string(length) + " characters");
        ProgramSandbox box;
        const std::string home = box.home().folderOfLength(length);
        ASSERT_EQ(home.size(), length);
        // "-w" stores the window at once; starting a board saves the options.
        const ChildResult r = play(box, startABoardAndQuit(), {"-w"}, {{"HOME", home}});
        EXPECT_CLEAN_EXIT(r);
        EXPECT_NE(r.out.find("failed to open registry: the path of the registry file under the home directory "
                             "would be longer than 1023 characters"),
                  std::string::npos)
            << r.out;
        EXPECT_EQ(namesIn(home), std::vector<std::string>{}) << "something was made under a cut name";
    }
}

} // namespace
