// The base start-up and the two halves of shutdown in-process: the console
// variables, the trace and journal files in the working directory, the demo
// file, the read file system, what a second shutdown or a shutdown without
// start-up does, and the process ending under a running game.
#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HFileSystem.h"
#include "engine/core/HGlobal.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/RegistryFile.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestGame.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class StartupTest : public testing::Test {
protected:
    void SetUp() override
    {
        char cwd[4096];
        ASSERT_NE(::getcwd(cwd, sizeof(cwd)), nullptr);
        oldDir = cwd;
        ASSERT_EQ(::chdir(dir.path().c_str()), 0);
        ASSERT_TRUE(game.getCvarManager()->initCvarManager());
    }
    void TearDown() override { ASSERT_EQ(::chdir(oldDir.c_str()), 0); }

    std::string oldDir;
    TempDir dir;
    TestGame game;
};

TEST_F(StartupTest, DefaultsAndCommandLineOverrides)
{
    ASSERT_TRUE(game.m_initPuzzleGame("+set c_soundDriver null +set mv_spriteCursor 0 ", "/res/dir/"));
    HCvarManager* cvars = game.getCvarManager();
    EXPECT_STREQ(cvars->getVariableString("c_soundDriver"), "null");
    EXPECT_STREQ(cvars->getVariableString("c_dxversion"), "0");
    EXPECT_STREQ(cvars->getVariableString("mv_trace"), "0");
    EXPECT_STREQ(cvars->getVariableString("mv_journal"), "0");
    EXPECT_STREQ(cvars->getVariableString("mv_demoFile"), "");
    EXPECT_STREQ(cvars->getVariableString("mv_spriteCursor"), "0");
    EXPECT_STREQ(cvars->getVariableString("c_hklm"), "0");
    EXPECT_FALSE(game.m_shouldRenderSpriteCursor());
    EXPECT_STREQ(HGlobal::s_getResourceDir(), "/res/dir/");
    // Neither trace nor journal: no file system for them, no files.
    EXPECT_EQ(game.m_pTraceFileSystem, nullptr);
    EXPECT_FALSE(fileExists(dir.file("trace.txt")));
    EXPECT_FALSE(fileExists(dir.file("journal.bin")));
}

TEST_F(StartupTest, TraceAndJournalShareOneFileSystem)
{
    ASSERT_TRUE(game.m_initPuzzleGame("+set mv_trace 1 +set mv_journal 1", ""));
    ASSERT_NE(game.m_pTraceFileSystem, nullptr);
    ASSERT_NE(game.m_pTraceFile, nullptr);
    ASSERT_NE(game.m_pJournalFile, nullptr);
    EXPECT_EQ(game.m_pTraceFile->getFileSystem(), game.m_pJournalFile->getFileSystem());
    EXPECT_TRUE(fileExists(dir.file("trace.txt")));
    EXPECT_TRUE(fileExists(dir.file("journal.bin")));
    HErrorManager::s_trace("while open\n");
    game.getEventManager()->appendEvent(HEvent::s_make(ET_PAINT));

    game.m_shutdownPuzzleGame();
    EXPECT_EQ(game.m_pJournalFile, nullptr);
    EXPECT_NE(game.m_pTraceFile, nullptr) << "the trace outlives the first half";
    game.m_quitPuzzleGame();
    EXPECT_EQ(game.m_pTraceFile, nullptr);
    EXPECT_EQ(game.m_pTraceFileSystem, nullptr);
    // The platform no longer holds the closed file.
    HErrorManager::s_trace("after closing\n");
    const std::string trace = readFileBytes(dir.file("trace.txt"));
    EXPECT_NE(trace.find("while open\n"), std::string::npos);
    EXPECT_EQ(trace.find("after closing"), std::string::npos);
    EXPECT_EQ(readFileBytes(dir.file("journal.bin")).size(), 44u);
}

TEST_F(StartupTest, AJournalAloneStillGetsItsFileSystem)
{
    ASSERT_TRUE(game.m_initPuzzleGame("+set mv_journal 1", ""));
    EXPECT_NE(game.m_pTraceFileSystem, nullptr);
    EXPECT_EQ(game.m_pTraceFile, nullptr);
    EXPECT_NE(game.m_pJournalFile, nullptr);
    EXPECT_FALSE(fileExists(dir.file("trace.txt")));
}

TEST_F(StartupTest, DemoFileIsPlayedAndAMissingOneIsNot)
{
    dir.write("demo.bin", std::string(44, '\0'));
    ASSERT_TRUE(game.m_initPuzzleGame("+set mv_demoFile demo.bin", ""));
    EXPECT_NE(game.m_pDemoFile, nullptr);
    EXPECT_TRUE(game.getEventManager()->isPlayingDemo());
    game.m_shutdownPuzzleGame();
    EXPECT_FALSE(game.getEventManager()->isPlayingDemo());
    EXPECT_EQ(game.m_pDemoFile, nullptr);
    EXPECT_EQ(game.m_pDemoFileSystem, nullptr);

    TestGame other;
    ASSERT_TRUE(other.getCvarManager()->initCvarManager());
    ASSERT_TRUE(other.m_initPuzzleGame("+set mv_demoFile missing.bin", ""));
    EXPECT_EQ(other.m_pDemoFile, nullptr);
    EXPECT_FALSE(other.getEventManager()->isPlayingDemo());
}

TEST_F(StartupTest, ReadFileSystemKinds)
{
    testing::internal::CaptureStdout();
    EXPECT_FALSE(game.m_createReadFileSystem(nullptr, true));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << "a null path is refused silently";
    EXPECT_EQ(game.getReadFileSystem(), nullptr);

    dir.write("res/a.txt", "a");
    ASSERT_TRUE(game.m_createReadFileSystem(dir.file("res").c_str(), true));
    ASSERT_NE(game.getReadFileSystem(), nullptr);
    EXPECT_TRUE(game.getReadFileSystem()->fileExists(dir.file("res/a.txt").c_str()));

    // A second one replaces the first; a failed one stays until shutdown.
    testing::internal::CaptureStdout();
    EXPECT_FALSE(game.m_createReadFileSystem(dir.file("gone.mvz").c_str(), false));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("Could not load the resource file '" + dir.file("gone.mvz") + "'"), std::string::npos);
    EXPECT_NE(game.getReadFileSystem(), nullptr);

    // A FIFO that nobody writes in the archive's place is refused at once,
    // read into memory or not: nothing waits for a writer.
    ASSERT_EQ(::mkfifo(dir.file("fifo.mvz").c_str(), 0600), 0);
    for (bool intoMemory : {true, false}) {
        testing::internal::CaptureStdout();
        EXPECT_FALSE(game.m_createReadFileSystem(dir.file("fifo.mvz").c_str(), intoMemory));
        EXPECT_NE(testing::internal::GetCapturedStdout().find("Missing Resource File"), std::string::npos);
    }
    game.m_quitPuzzleGame();
    EXPECT_EQ(game.getReadFileSystem(), nullptr);
}

TEST_F(StartupTest, ShutdownWithoutStartUpAndTwice)
{
    game.m_shutdownPuzzleGame();
    game.m_quitPuzzleGame();
    game.m_shutdownPuzzleGame();
    game.m_quitPuzzleGame();
    EXPECT_TRUE(game.callsStartingWith("shutdown").empty());
    EXPECT_EQ(game.getUIManager()->getControlList(), nullptr);
    // Controls can no longer be inserted, and nothing fails for it.
    game.m_insertControl(nullptr);
    game.m_removeControl(nullptr);
    game.m_findLitControl();
}

TEST_F(StartupTest, TheRunningGameIsReachableFromBelow)
{
    EXPECT_EQ(HPuzzleGame::sm_pPuzzleGame, &game);
    EXPECT_STREQ(HUnix::s_getGameName(), "Test Game");
    {
        TestGame second;
        EXPECT_EQ(HPuzzleGame::sm_pPuzzleGame, &second);
    }
    // The last game built is gone: nobody is reached any more.
    EXPECT_EQ(HPuzzleGame::sm_pPuzzleGame, nullptr);
    EXPECT_EQ(HUnix::s_getGameName(), nullptr);
}

TEST_F(StartupTest, GoRunsTheWholeLifeOnce)
{
    dir.write("demo.bin", std::string());
    TestGame game2;
    game2.setup().liveQuitAfter = 1;
    EXPECT_TRUE(game2.go("+set mv_trace 1 +set mv_demoFile demo.bin", "")) << "a run";
    EXPECT_EQ(game2.indexOf("init"), 0);
    EXPECT_GE(game2.indexOf("live quit"), 0);
    EXPECT_EQ(game2.m_pTraceFile, nullptr);
    EXPECT_EQ(game2.m_pDemoFile, nullptr);
    EXPECT_EQ(game2.getCvarManager()->getVariableString("mv_trace"), nullptr) << "console variables shut down";

    // A start-up that fails is told to the entry, after both halves of
    // shutdown; the loop never ran.
    TestGame failing;
    failing.setup().resources = dir.file("none.mvz");
    testing::internal::CaptureStdout();
    EXPECT_FALSE(failing.go("+set mv_trace 1", ""));
    testing::internal::GetCapturedStdout();
    EXPECT_GE(failing.indexOf("init failed: resources"), 0);
    EXPECT_EQ(failing.indexOf("live quit"), -1);
    EXPECT_EQ(failing.m_pTraceFile, nullptr);
    EXPECT_EQ(failing.getReadFileSystem(), nullptr);
}

// The process ends while go runs, from inside the main loop, as the X
// library ends it when the display goes away: the sound stops first, then
// the game's end by a lost display runs from the exit functions, and can
// still save to the registry, and the process ends with the status it was
// given. An exit after go has returned runs nothing of the game's.
TEST_F(StartupTest, TheProcessEndingWhileGoRunsEndsTheGameFirst)
{
    class EndedGame : public TestGame {
    public:
        void m_endByLostDisplay() override
        {
            std::printf("ended by a lost display\n");
            HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
            const bool saved = registry->openRegistry(nullptr, "Moravel", "Test") &&
                               registry->setStringValue("kept", "yes", 4) && registry->closeRegistry();
            std::printf("saved: %d\n", saved ? 1 : 0);
        }
        void m_shutdownAudioDevice() override
        {
            if (exiting)
                std::printf("sound stopped\n");
            TestGame::m_shutdownAudioDevice();
        }
        bool exiting = false;
    };
    for (bool duringGo : {true, false}) {
        SCOPED_TRACE(duringGo ? "while go runs" : "after go");
        TempDir home;
        const ChildResult r = runInChild([&] {
            ::setenv("HOME", home.path().c_str(), 1);
            EndedGame ended;
            ended.eventHandler = [&](const HEvent&) {
                if (duringGo) {
                    ended.exiting = true;
                    std::exit(1);
                }
                return true;
            };
            ended.go("", "");
            std::exit(3);
        });
        EXPECT_EXITED_WITH(r, duringGo ? 1 : 3);
        if (duringGo) {
            EXPECT_EQ(r.out, "sound stopped\nended by a lost display\nsaved: 1\n");
            std::string kept;
            EXPECT_TRUE(registryValue(readFileBytes(home.file(".moravel/registry_Moravel_Test")), "kept", &kept));
            EXPECT_EQ(kept, std::string("yes", 4));
        } else {
            EXPECT_EQ(r.out, "");
        }
    }
}

// A game that still holds what it could not store: its run's exit code is
// HUnix::kExitNotStored, also when the process ends under it while go
// runs (the X library's status 1 gives way); one that holds nothing ends
// with the status it was given.
TEST_F(StartupTest, WhatCouldNotBeStoredIsTheExitCode)
{
    class HoldingGame : public TestGame {
    public:
        bool m_holdsUnsavedData() const override { return holds; }
        bool holds = false;
    };
    for (bool holds : {false, true}) {
        SCOPED_TRACE(holds ? "holding unsaved data" : "holding nothing");
        HoldingGame game;
        game.holds = holds;
        EXPECT_EQ(game.m_getExitCode(), holds ? HUnix::kExitNotStored : HUnix::kExitNormal);
        const ChildResult r = runInChild([&] {
            HoldingGame ended;
            ended.holds = holds;
            ended.eventHandler = [&](const HEvent&) {
                std::exit(1);
                return true;
            };
            ended.go("", "");
            std::exit(42);
        });
        EXPECT_EXITED_WITH(r, holds ? HUnix::kExitNotStored : 1);
    }
}

} // namespace
