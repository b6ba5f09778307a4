// The two game programs run whole, as a player starts them, under SDL's dummy
// drivers: from the build tree to the start screen and out again through a
// demo, the usage text, a missing archive and an archive missing one
// picture, the silent sound switch, and the per-user registry file that a
// run reads and must leave as it found it.
#include "engine/core/HSystemRegistry.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/ProgramSandbox.h"
#include "tests/support/TestPaths.h"
#include "tests/support/TempDir.h"
#include "tests/support/ZipBuilder.h"

#include <gtest/gtest.h>

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

#define EXPECT_EXITED(r, code)                                                                                        \
    do {                                                                                                              \
        EXPECT_FALSE((r).timedOut);                                                                                   \
        EXPECT_TRUE((r).exited) << "signal " << (r).signal;                                                           \
        EXPECT_EQ((r).exitCode, code) << (r).out << (r).err;                                                          \
    } while (0)

class GameProgramTest : public testing::TestWithParam<const char*> {
protected:
    // A demo that quits from the start screen: no confirmation there.
    void writeQuitDemo()
    {
        ASSERT_TRUE(DemoWriter().timestamp(1000).mouseMove(1100, 320, 240).quit(1500).writeTo(
            sandbox.work().file("quit.bin")));
    }
    std::string registryPath() const { return sandbox.home().file(".moravel/registry_Moravel_Qinvar"); }

    ProgramSandbox sandbox;
};

TEST_P(GameProgramTest, StartsFromTheBuildTreeAndQuitsFromTheStartScreen)
{
    writeQuitDemo();
    const ChildResult r = sandbox.run(buildProgram(GetParam()), {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED(r, 0);
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
    EXPECT_EXITED(r, 42);
    EXPECT_EQ(r.out.rfind("Qinvar MahJong\n Made by Moravel.\n", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("   --help         -h    Print this information and exit.\n"), std::string::npos);
    // Nothing of the game ran: no trace file, no registry folder.
    EXPECT_FALSE(fileExists(sandbox.work().file("trace.txt")));
    EXPECT_FALSE(fileExists(sandbox.home().file(".moravel")));
}

TEST_P(GameProgramTest, AMissingArchiveShowsItsMessageAndExitsNormally)
{
    TempDir tree;
    const std::string copy = copyProgram(tree, GetParam());
    const ChildResult r = sandbox.run(copy, {"-s", "-trace"});
    EXPECT_EXITED(r, 0);
    // The resource directory is the real one of the copy, with its links resolved.
    char real[PATH_MAX];
    ASSERT_NE(::realpath(tree.path().c_str(), real), nullptr);
    EXPECT_EQ(r.out, messageBox("Missing Resource File", "Could not load the resource file '" + std::string(real) +
                                                              "/Resources/qinvar.mvz'"));
    // It never got as far as the devices.
    EXPECT_FALSE(contains(splitLines(sandbox.workFile("trace.txt")), "...Creating display device"));
}

TEST_P(GameProgramTest, AnArchiveMissingOnePictureShowsTheLoadFailureAndExitsNormally)
{
    const auto entries = readArchive(buildArchivePath());
    ASSERT_GT(entries.size(), 100u);
    TempDir tree;
    const std::string copy = copyProgram(tree, GetParam());
    ZipBuilder zip;
    bool dropped = false;
    for (const auto& entry : entries) {
        if (entry.first == "art/icon_rules_qz.tga") {
            dropped = true;
            continue;
        }
        zip.add(entry.first, entry.second, true);
    }
    ASSERT_TRUE(dropped);
    const std::string bytes = zip.bytes();
    ASSERT_FALSE(bytes.empty());
    tree.write("Resources/qinvar.mvz", bytes);
    writeQuitDemo();
    const ChildResult r = sandbox.run(copy, {"-s", "-trace", "-demo", "quit.bin"});
    EXPECT_EXITED(r, 0);
    EXPECT_EQ(r.out, messageBox("Error", "Failed to load bitmaps"));
    const Lines trace = splitLines(sandbox.workFile("trace.txt"));
    std::string missing;
    EXPECT_TRUE(inOrder(trace, {"...done initializing subsystems", "...loading assets"}, &missing)) << missing;
}

TEST_P(GameProgramTest, TheSoundSwitchRunsSilent)
{
    writeQuitDemo();
    // SDL cannot open this driver: only a game that asks SDL for sound fails.
    const ProgramSandbox::Environment env = {{"SDL_AUDIODRIVER", "no-such-driver"}};
    ChildResult r = sandbox.run(buildProgram(GetParam()), {"-s", "-trace", "-demo", "quit.bin"}, env);
    EXPECT_EXITED(r, 0);
    Lines trace = splitLines(sandbox.workFile("trace.txt"));
    EXPECT_TRUE(contains(trace, "...Creating audio device"));
    EXPECT_FALSE(contains(trace, "...***failed to create audio device***"));

    r = sandbox.run(buildProgram(GetParam()), {"-trace", "-demo", "quit.bin"}, env);
    EXPECT_EXITED(r, 0);
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
    EXPECT_EXITED(r, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(readFileBytes(registryPath()), before);
}

INSTANTIATE_TEST_SUITE_P(Programs, GameProgramTest, testing::Values("qvgame", "qvgame-shared"),
                         [](const testing::TestParamInfo<const char*>& info) {
                             return std::string(info.param) == "qvgame" ? "StaticSDL" : "SharedSDL";
                         });

} // namespace
