// The two game programs run whole, as a player starts them, under SDL's dummy
// drivers: from the build tree to the start screen and out again through a
// demo, the usage text, a missing archive and an archive missing one
// picture, the silent sound switch, the per-user registry file that a run
// reads and must leave as it found it, the termination signals that end a
// run wherever it is, a demo file name the game refuses, and the archive
// repacked by Info-ZIP's zip with Zip64 extra fields.
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"
#include "tests/game/GameScreen.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/RegistryFile.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

bool contains(const Lines& lines, const std::string& line)
{
    for (const std::string& l : lines) {
        if (l == line)
            return true;
    }
    return false;
}

// The console's message box as the program prints it.
std::string messageBox(const std::string& title, const std::string& text)
{
    const std::string dashes(title.size(), '-');
    return "\n\n+-" + dashes + "-+\n| " + title + " |\n+-" + dashes + "-+\n" + text + "\n\n";
}

// The start-up's trace up to the start screen.
const Lines kStartTrace = {"...Creating display device", "...Creating input device",   "...Creating audio device",
                           "...done initializing subsystems", "...loading assets", "...loading sounds"};

// Every entry of a ZIP archive: name and bytes.
std::vector<std::pair<std::string, std::string>> readArchive(const std::string& path)
{
    std::vector<std::pair<std::string, std::string>> out;
    unzFile zip = unzOpen(path.c_str());
    if (!zip)
        return out;
    for (int r = unzGoToFirstFile(zip); r == UNZ_OK; r = unzGoToNextFile(zip)) {
        unz_file_info info;
        char name[512];
        if (unzGetCurrentFileInfo(zip, &info, name, sizeof(name), nullptr, 0, nullptr, 0) != UNZ_OK)
            break;
        std::string bytes(info.uncompressed_size, '\0');
        if (unzOpenCurrentFile(zip) != UNZ_OK)
            break;
        const int got = bytes.empty() ? 0 : unzReadCurrentFile(zip, &bytes[0], static_cast<unsigned>(bytes.size()));
        unzCloseCurrentFile(zip);
        if (got != static_cast<int>(bytes.size()))
            break;
        out.emplace_back(name, bytes);
    }
    unzClose(zip);
    return out;
}

// A copy of the program in tree/bin/, so that its resource directory is
// tree/Resources/ (the program finds it from its own real path).
std::string copyProgram(const TempDir& tree, const std::string& name)
{
    const std::string to = tree.write("bin/" + name, readFileBytes(buildProgram(name)));
    ::chmod(to.c_str(), 0755);
    return to;
}

// The per-user registry of a sandbox's HOME, written through the engine's
// registry as an earlier run of the game would have written it.
bool writeRegistry(const std::string& home)
{
    const char* old = std::getenv("HOME");
    const std::string saved = old ? old : "";
    setenv("HOME", home.c_str(), 1);
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    bool ok = registry->openRegistry(nullptr, "Moravel", "Qinvar");
    if (ok) {
        registry->setStringValue("LastHighScoreName", "Ada", 4);
        registry->setU32Value("Layout", 7);
        registry->setU32Value("Background", 4);
        registry->setU32Value("Tileset", 3);
        registry->setU32Value("Autohint", 0);
        registry->setFloatValue("Sound Volume", 0.5f);
        registry->setFloatValue("Music Volume", 0.1f);
        const int32_t fullscreen = 0;
        registry->setBinaryValue("Fullscreen", &fullscreen, 4);
        for (int place = 0; place < 2; ++place) {
            const std::string at = "0x" + std::to_string(place);
            registry->setStringValue(("HSn:" + at).c_str(), "Grace", 6);
            registry->setU32Value(("HSv:" + at).c_str(), 768);
            registry->setU32Value(("HSgt:" + at).c_str(), 300 + place);
            registry->setU32Value(("HSrt:" + at).c_str(), 290 + place);
            registry->setU32Value(("HStl:" + at).c_str(), 0);
        }
        ok = registry->closeRegistry();
    }
    if (old)
        setenv("HOME", saved.c_str(), 1);
    else
        unsetenv("HOME");
    return ok;
}

class GameProgramTest : public testing::TestWithParam<const char*> {
protected:
    // A demo that quits from the start screen: no confirmation there.
    void writeQuitDemo()
    {
        ASSERT_TRUE(DemoWriter().timestamp(1000).mouseMove(1100, 320, 240).quit(1500).writeTo(
            sandbox.work().file("quit.bin")));
    }
    std::string registryPath() const { return gameRegistryPath(sandbox.home().path()); }

    ProgramSandbox sandbox;
};

TEST_P(GameProgramTest, StartsFromTheBuildTreeAndQuitsFromTheStartScreen)
{
    writeQuitDemo();
    const ChildResult r = sandbox.run(buildProgram(GetParam()), {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED_WITH(r, 0);
    // No message box: the archive, every picture and the font were there.
    EXPECT_EQ(r.out, "");
    const Lines trace = splitLines(sandbox.workFile("trace.txt"));
    std::string missing;
    EXPECT_TRUE(inOrder(trace, kStartTrace, &missing)) << "missing or out of order: " << missing;
    EXPECT_FALSE(contains(trace, "...***failed to create audio device***"));
    // A run that changed nothing stores nothing.
    EXPECT_FALSE(fileExists(registryPath()));
}

TEST_P(GameProgramTest, HelpPrintsTheUsageAndExitsBeforeAnythingStarts)
{
    const ChildResult r = sandbox.run(buildProgram(GetParam()), {"-trace", "--help"});
    EXPECT_EXITED_WITH(r, 42);
    EXPECT_EQ(r.out.rfind("Qinvar MahJong\n Made by Moravel.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("   --help         -h    Print this information and exit.\n"), std::string::npos);
    // Nothing of the game ran: no trace file, no registry folder.
    EXPECT_FALSE(fileExists(sandbox.work().file("trace.txt")));
    EXPECT_FALSE(fileExists(sandbox.home().file(".moravel")));
}

// A start-up that fails shows why and exits with the start-up failure's
// code: no archive, a folder in the archive's place (the game reads only the
// archive, whatever the folder holds), a FIFO that nobody writes and a link
// to a device that never ends there (both refused at once: the open does
// not wait), no video device; and the same when the message goes into a
// pipe that nobody reads.
TEST_P(GameProgramTest, AStartUpThatFailsSaysWhyAndExitsWithItsCode)
{
    TempDir bare;
    const std::string inBare = copyProgram(bare, GetParam());
    TempDir folder;
    const std::string inFolder = copyProgram(folder, GetParam());
    for (const auto& entry : readArchive(buildArchivePath()))
        folder.write("Resources/qinvar.mvz/" + entry.first, entry.second);
    ASSERT_TRUE(fileExists(folder.file("Resources/qinvar.mvz/config.txt")));
    TempDir fifo;
    const std::string inFifo = copyProgram(fifo, GetParam());
    ASSERT_EQ(::mkdir(fifo.file("Resources").c_str(), 0755), 0);
    ASSERT_EQ(::mkfifo(fifo.file("Resources/qinvar.mvz").c_str(), 0644), 0);
    TempDir device;
    const std::string inDevice = copyProgram(device, GetParam());
    ASSERT_EQ(::mkdir(device.file("Resources").c_str(), 0755), 0);
    ASSERT_EQ(::symlink("/dev/zero", device.file("Resources/qinvar.mvz").c_str()), 0);
    // The resource directory is the real one of the copy, with its links resolved.
    const auto missing = [](const TempDir& tree) {
        char real[PATH_MAX];
        const std::string path = ::realpath(tree.path().c_str(), real) ? real : "";
        return messageBox("Missing Resource File",
                          "Could not load the resource file '" + path + "/Resources/qinvar.mvz'");
    };
    const struct {
        const char* what;
        std::string program;
        ProgramSandbox::Environment env;
        std::string out;
        bool brokenStdout;
    } cases[] = {
        {"no archive", inBare, {}, missing(bare), false},
        {"a folder at the archive's path", inFolder, {}, missing(folder), false},
        {"a FIFO at the archive's path", inFifo, {}, missing(fifo), false},
        {"a link to /dev/zero at the archive's path", inDevice, {}, missing(device), false},
        {"no video device", buildProgram(GetParam()), {{"SDL_VIDEODRIVER", "no-such-driver"}},
         "initScreen: SDL_Init() failed: ", false},
        {"no archive, the message into a pipe nobody reads", inBare, {}, "", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ProgramSandbox box;
        if (c.brokenStdout)
            box.inEveryChild([] { brokenPipeInChild(STDOUT_FILENO); });
        // Every one of them fails at once: a start-up that waits (on a FIFO
        // nobody writes) runs out of this time and is killed.
        const ChildResult r = box.run(c.program, {"-s", "-trace"}, c.env, 5);
        EXPECT_EXITED_WITH(r, HUnix::kExitStartupFailed);
        if (c.out.rfind("\n", 0) == 0)
            EXPECT_EQ(r.out, c.out);
        else
            EXPECT_NE(r.out.find(c.out), std::string::npos) << r.out;
        // It never got as far as the start screen.
        EXPECT_FALSE(contains(splitLines(box.workFile("trace.txt")), "...loading assets"));
    }
}

// The archive of the build with one entry replaced by `bytes`, or left out
// when `bytes` is null, as tree/Resources/qinvar.mvz.
bool writeArchiveWith(const TempDir& tree, const std::string& name, const char* bytes)
{
    ZipBuilder zip;
    bool found = false;
    for (const auto& entry : readArchive(buildArchivePath())) {
        if (entry.first == name) {
            found = true;
            if (!bytes)
                continue;
            zip.add(entry.first, bytes, true);
        } else {
            zip.add(entry.first, entry.second, true);
        }
    }
    const std::string archive = zip.bytes();
    if (!found || archive.empty())
        return false;
    tree.write("Resources/qinvar.mvz", archive);
    return true;
}

TEST_P(GameProgramTest, AnArchiveMissingOnePictureShowsTheLoadFailureAndExitsWithTheStartUpFailure)
{
    TempDir tree;
    const std::string copy = copyProgram(tree, GetParam());
    ASSERT_TRUE(writeArchiveWith(tree, "art/icon_rules_qz.tga", nullptr));
    writeQuitDemo();
    const ChildResult r = sandbox.run(copy, {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED_WITH(r, HUnix::kExitStartupFailed);
    EXPECT_EQ(r.out, messageBox("Error", "Failed to load bitmaps"));
    const Lines trace = splitLines(sandbox.workFile("trace.txt"));
    std::string missing;
    EXPECT_TRUE(inOrder(trace, {"...done initializing subsystems", "...loading assets"}, &missing)) << missing;
}

// Info-ZIP's zip program, as a modder repacks the archive.
const char kZipProgram[] = "zip";

// The build's archive unpacked and packed again by `zip -fz`, which gives
// every entry a Zip64 extra field, as tree/Resources/qinvar.mvz. The number
// of entries whose directory record gives its uncompressed size to the
// extra field goes to *zip64Entries.
bool repackWithZip64(const TempDir& tree, int* zip64Entries)
{
    TempDir files;
    const auto entries = readArchive(buildArchivePath());
    for (const auto& entry : entries)
        files.write(entry.first, entry.second);
    const std::string archive = tree.file("Resources/qinvar.mvz");
    tree.write("Resources/.keep", ""); // zip makes the archive, not its folder
    const std::string from = files.path();
    const ChildResult zipped = runInChild(
        [&]() {
            if (::chdir(from.c_str()) != 0)
                _exit(126);
            ::execlp(kZipProgram, kZipProgram, "-q", "-X", "-r", "-fz", archive.c_str(), ".",
                     static_cast<char*>(nullptr));
            _exit(127);
        },
        60);
    EXPECT_EXITED_WITH(zipped, 0);
    const std::string bytes = readFileBytes(archive);
    *zip64Entries = 0;
    const std::string signature("PK\x01\x02", 4);
    for (size_t at = bytes.find(signature); at != std::string::npos && at + 46 <= bytes.size();
         at = bytes.find(signature, at + 1)) {
        if (bytes.compare(at + 24, 4, std::string(4, '\xff')) == 0)
            ++*zip64Entries;
    }
    return !entries.empty() && zipped.exited && zipped.exitCode == 0;
}

TEST_P(GameProgramTest, StartsFromItsArchiveRepackedWithZip64ExtraFields)
{
    TempDir tree;
    const std::string copy = copyProgram(tree, GetParam());
    int zip64Entries = 0;
    ASSERT_TRUE(repackWithZip64(tree, &zip64Entries));
    EXPECT_GT(zip64Entries, 100) << "the sizes stand in the extra field";
    writeQuitDemo();
    const ChildResult r = sandbox.run(copy, {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED_WITH(r, 0);
    EXPECT_EQ(r.out, "") << "every picture, sound and the font read";
    const Lines trace = splitLines(sandbox.workFile("trace.txt"));
    std::string missing;
    EXPECT_TRUE(inOrder(trace, kStartTrace, &missing)) << "missing or out of order: " << missing;
    for (const std::string& line : trace)
        EXPECT_EQ(line.find("***"), std::string::npos) << line;
}

// A layout that cannot be read is reported when Start is clicked and not
// dealt: the game stays on the start screen, whose layout picker then
// takes the next layout, which deals; only that board's quit asks first.
// The registry keeps the layout of the board that was dealt.
TEST(DamagedLayout, IsReportedAndNotDealtAndTheStartScreenStays)
{
    TempDir tree;
    const std::string copy = copyProgram(tree, "qvgame");
    ASSERT_TRUE(writeArchiveWith(tree, "layouts/classic.qvl", "this is no layout\n"));
    ProgramSandbox sandbox;
    const HScreenPoint start = screen::middle(screen::startButton());
    const HScreenPoint next = screen::middle(screen::pickerArrow(screen::kLayoutUp));
    const HScreenPoint exit = screen::middle(screen::exitButton());
    const HScreenPoint yes = screen::middle(screen::confirmationButton(true));
    DemoWriter demo;
    demo.timestamp(1000).mouseMove(1100, start.x, start.y).click(1200, start.x, start.y, false, 50);
    demo.timestamp(1500).mouseMove(1600, next.x, next.y).click(1700, next.x, next.y, false, 50);
    demo.timestamp(2000).mouseMove(2100, start.x, start.y).click(2200, start.x, start.y, false, 50);
    demo.timestamp(2500).mouseMove(2600, exit.x, exit.y).click(2700, exit.x, exit.y, false, 50);
    demo.timestamp(3000).mouseMove(3100, yes.x, yes.y).click(3200, yes.x, yes.y, false, 50);
    demo.timestamp(3500).quit(3600);
    ASSERT_TRUE(demo.writeTo(sandbox.work().file("demo.bin")));
    const ChildResult r = sandbox.run(copy, {"-s", "-journal", "-demo", "demo.bin"});
    EXPECT_EXITED_WITH(r, 0);
    EXPECT_EQ(r.out, messageBox("Error", "Could not load the layout 'layouts/classic.qvl'; pick another one"));
    std::string layout;
    ASSERT_TRUE(registryValue(readFileBytes(gameRegistryPath(sandbox.home().path())), "Layout", &layout));
    EXPECT_EQ(u32Of(layout), 1u);
    // The game ended on the confirmation of the board in play: the demo's
    // own quit was never delivered.
    const std::vector<HEvent> journal = DemoWriter::s_decode(sandbox.workFile("journal.bin"));
    ASSERT_FALSE(journal.empty());
    EXPECT_GE(journal.back().time.getTime64(), 3200u);
    for (const HEvent& e : journal)
        EXPECT_NE(e.type, ET_QUIT);
}

TEST_P(GameProgramTest, TheSoundSwitchRunsSilent)
{
    writeQuitDemo();
    // SDL cannot open this driver: only a game that asks SDL for sound fails.
    const ProgramSandbox::Environment env = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    ChildResult r = sandbox.run(buildProgram(GetParam()), {"-s", "-trace", "-demo", "quit.bin"}, env);
    EXPECT_EXITED_WITH(r, 0);
    Lines trace = splitLines(sandbox.workFile("trace.txt"));
    EXPECT_TRUE(contains(trace, "...Creating audio device"));
    EXPECT_FALSE(contains(trace, "...***failed to create audio device***"));

    r = sandbox.run(buildProgram(GetParam()), {"-trace", "-demo", "quit.bin"}, env);
    EXPECT_EXITED_WITH(r, 0);
    trace = splitLines(sandbox.workFile("trace.txt"));
    EXPECT_TRUE(contains(trace, "...***failed to create audio device***"));
    // The game runs on without sound.
    EXPECT_TRUE(contains(trace, "...loading assets"));
}

TEST_P(GameProgramTest, AStoredRegistryIsReadAndLeftByteForByte)
{
    ASSERT_TRUE(writeRegistry(sandbox.home().path()));
    const std::string before = readFileBytes(registryPath());
    ASSERT_FALSE(before.empty());
    writeQuitDemo();
    const ChildResult r = sandbox.run(buildProgram(GetParam()), {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED_WITH(r, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFileBytes(registryPath()), before);
}

// --- Termination signals ----------------------------------------------------

// SIGTERM ends the game at once, as a confirmed quit does, wherever it is:
// in play, inside a dialog that no quit request closes (the rules), during
// a demo. The program exits 0 and leaves the registry as it was. The game
// records a journal beside the demo; once the journal holds more records
// than the demo, the game runs on live input where the demo left it.
class TerminationTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(writeRegistry(sandbox.home().path()));
        registryBefore = readFileBytes(registryPath());
        ASSERT_FALSE(registryBefore.empty());
    }
    std::string registryPath() const { return gameRegistryPath(sandbox.home().path()); }
    size_t journalRecords() const
    {
        struct stat st;
        if (::stat(sandbox.work().file("journal.bin").c_str(), &st) != 0)
            return 0;
        return static_cast<size_t>(st.st_size) / DemoWriter::kRecordBytes;
    }
    // Starts the game on demo.bin, waits until the journal holds more than
    // `records` records, sends SIGTERM and waits for the end; `seconds` is
    // how long the end took.
    ChildResult terminateAfter(size_t records, double* seconds)
    {
        RunningProgram program;
        if (!sandbox.start(&program, buildProgram("qvgame"), {"-s", "-journal", "-demo", "demo.bin"}))
            return ChildResult();
        const bool reached = waitFor(60, [&] { return journalRecords() > records || !program.running(); }, 1);
        EXPECT_TRUE(reached && program.running()) << "the game did not get there";
        ::kill(program.pid(), SIGTERM);
        const double sent = monotonicSeconds();
        ChildResult r = program.wait(30);
        *seconds = monotonicSeconds() - sent;
        return r;
    }
    // The registry is left as `registry` (by default as it was).
    void expectEndedAtOnce(const ChildResult& r, double seconds, const std::string* registry = nullptr)
    {
        EXPECT_FALSE(r.timedOut);
        EXPECT_TRUE(r.exited) << "signal " << r.signal;
        EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
        EXPECT_LT(seconds, 1.0);
        EXPECT_EQ(r.out, "");
        EXPECT_EQ(readFileBytes(registryPath()), registry ? *registry : registryBefore);
    }

    ProgramSandbox sandbox;
    std::string registryBefore;
};

TEST_F(TerminationTest, InPlay)
{
    // A board dealt and a tile clicked; the game would ask before a quit.
    const HScreenPoint start = screen::middle(screen::startButton());
    DemoWriter demo;
    demo.timestamp(1000).mouseMove(1500, start.x, start.y).click(1600, start.x, start.y, false, 50);
    demo.timestamp(2000).mouseMove(2100, 400, 240).click(2200, 400, 240, false, 50).timestamp(2500);
    ASSERT_TRUE(demo.writeTo(sandbox.work().file("demo.bin")));
    double seconds = 0;
    const ChildResult r = terminateAfter(static_cast<size_t>(demo.count()), &seconds);

    // The live input after the demo goes on from the demo's clock (2500 ms),
    // not from the live clock, which reads some 55 years of milliseconds:
    // the board's clock, timers and fades see no jump, and nothing goes back.
    const std::vector<HEvent> journal = DemoWriter::s_decode(sandbox.workFile("journal.bin"));
    ASSERT_GT(journal.size(), static_cast<size_t>(demo.count()));
    for (size_t i = 1; i < journal.size(); ++i)
        EXPECT_GE(journal[i].time.getTime64(), journal[i - 1].time.getTime64()) << "record " << i;
    const uint64_t firstLive = journal[static_cast<size_t>(demo.count())].time.getTime64();
    EXPECT_GT(firstLive, 2500u);
    EXPECT_LT(firstLive, 2500u + 60000u);

    // The same game ended by a quit and its confirmation: starting the
    // board stored the options, and the registry is left as after that.
    ProgramSandbox confirmed;
    ASSERT_TRUE(writeRegistry(confirmed.home().path()));
    const HScreenPoint yes = screen::middle(screen::confirmationButton(true));
    demo.quit(2600).mouseMove(2700, yes.x, yes.y).click(2800, yes.x, yes.y, false, 50);
    ASSERT_TRUE(demo.writeTo(confirmed.work().file("demo.bin")));
    const ChildResult quit = confirmed.run(buildProgram("qvgame"), {"-s", "-demo", "demo.bin"});
    EXPECT_EXITED_WITH(quit, 0);
    const std::string afterQuit = readFileBytes(gameRegistryPath(confirmed.home().path()));
    expectEndedAtOnce(r, seconds, &afterQuit);
}

TEST_F(TerminationTest, InADialogThatNoQuitRequestCloses)
{
    // The rules: a window-close request waits until they are closed.
    const HScreenPoint rules = screen::middle(screen::placed(27, 210, "art/icon_rules_lit_qz.tga"));
    DemoWriter demo;
    demo.timestamp(1000).mouseMove(1500, rules.x, rules.y).click(1600, rules.x, rules.y, false, 50);
    demo.timestamp(2000).quit(2100).timestamp(2200);
    ASSERT_TRUE(demo.writeTo(sandbox.work().file("demo.bin")));
    double seconds = 0;
    const ChildResult r = terminateAfter(static_cast<size_t>(demo.count()), &seconds);
    expectEndedAtOnce(r, seconds);
}

TEST_F(TerminationTest, DuringADemo)
{
    // A demo far longer than the test: its start, then 256 MiB of zero
    // records (a hole in the file, read as zeros).
    DemoWriter head;
    head.timestamp(1000).mouseMove(1100, 320, 240);
    ASSERT_TRUE(head.writeTo(sandbox.work().file("demo.bin")));
    const off_t size = off_t(256) << 20;
    ASSERT_EQ(::truncate(sandbox.work().file("demo.bin").c_str(), size), 0);
    double seconds = 0;
    const ChildResult r = terminateAfter(static_cast<size_t>(head.count()), &seconds);
    expectEndedAtOnce(r, seconds);
    // It ended inside the demo.
    EXPECT_LT(journalRecords(), static_cast<size_t>(size) / DemoWriter::kRecordBytes);
}

TEST_F(TerminationTest, WithADeviceForADemoTheGameRunsLiveUntilTheSignal)
{
    double seconds = 0;
    RunningProgram program;
    ASSERT_TRUE(sandbox.start(&program, buildProgram("qvgame"), {"-s", "-journal", "-demo", "/dev/zero"}));
    // Live time stamps reach the journal: the game runs on live input.
    EXPECT_TRUE(waitFor(60, [&] { return journalRecords() > 0 || !program.running(); }, 1));
    ::kill(program.pid(), SIGTERM);
    const double sent = monotonicSeconds();
    const ChildResult r = program.wait(30);
    seconds = monotonicSeconds() - sent;
    EXPECT_EQ(r.err, "Cannot play the demo file '/dev/zero': it is not a regular file; the game goes on with live "
                     "input.\n");
    expectEndedAtOnce(r, seconds);
    for (const HEvent& e : DemoWriter::s_decode(sandbox.workFile("journal.bin")))
        EXPECT_NE(e.time.getTime64(), 0u) << "a record of the device";
}

TEST(DemoFileName, ANameTheTokensWouldSplitEndsTheProgramWith42BeforeAnythingStarts)
{
    for (const char* name : {"my demo.dem", "x;+set;mv_journal;1"}) {
        SCOPED_TRACE(name);
        ProgramSandbox sandbox;
        const ChildResult r = sandbox.run(buildProgram("qvgame"), {"-s", "-trace", "-demo", name});
        EXPECT_EXITED_WITH(r, 42);
        EXPECT_EQ(r.err, std::string("The demo file name '") + name +
                             "' holds a blank or a ';', which the game cannot take; rename the file.\n");
        EXPECT_FALSE(fileExists(sandbox.work().file("trace.txt")));
        EXPECT_FALSE(fileExists(sandbox.work().file("journal.bin")));
        EXPECT_FALSE(fileExists(sandbox.home().file(".moravel")));
    }
}

INSTANTIATE_TEST_SUITE_P(Programs, GameProgramTest, testing::Values("qvgame", "qvgame-shared"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "qvgame" ? "StaticSDL" : "SharedSDL";
                         });

} // namespace
