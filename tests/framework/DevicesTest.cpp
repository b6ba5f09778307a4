// Device set-up and teardown in-process under SDL's dummy drivers: the
// order, a set-up after a teardown, teardown twice or before any set-up,
// and what stays when the audio device cannot be opened.
#include "engine/core/HGlobal.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HInputDevice.h"
#include "engine/media/HInputDeviceEventSource.h"
#include "engine/media/HSDL2DDisplayDevice.h"
#include "tests/support/ScriptedEventSource.h"
#include "tests/support/TestGame.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

class DevicesTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(game.getCvarManager()->initCvarManager());
        game.m_initCvars();
    }
    bool setUp()
    {
        return game.m_initSubsystems("devices", true, false, true, 640, 480, 2, 16, 22050);
    }
    int sourceRegistrations() const
    {
        HInputDevice* input = HInputDevice::s_createInputDevice(nullptr, false, false);
        HInputDevice::s_destroyInputDevice(input);
        return const_cast<TestGame&>(game).getEventManager()->countEventSource(input->getEventSource());
    }
    Lines shutdownLines() const { return game.callsStartingWith("shutdown"); }

    TestGame game;
};

TEST_F(DevicesTest, SetUpCreatesDisplayInputAudioInThatOrder)
{
    ASSERT_TRUE(setUp());
    EXPECT_EQ(game.callsStartingWith("create"), (Lines{"create display", "create input", "create audio"}));
    ASSERT_NE(game.getDisplayDevice(), nullptr);
    EXPECT_EQ(game.getDisplayDevice()->m_iScreenWidth, 640);
    EXPECT_EQ(game.getDisplayDevice()->m_iScreenHeight, 480);
    EXPECT_NE(game.getInputDevice(), nullptr);
    EXPECT_NE(game.getAudioDevice(), nullptr);
    EXPECT_NE(game.m_pSoundtrackStream, nullptr);
    EXPECT_EQ(HGlobal::s_get2DDisplayDevice(), game.getDisplayDevice());
    EXPECT_EQ(HGlobal::s_getEventManager(), game.getEventManager());
    EXPECT_EQ(sourceRegistrations(), 1);
}

TEST_F(DevicesTest, TeardownGoesAudioInputDisplayAndForgetsEverything)
{
    ASSERT_TRUE(setUp());
    game.clearCalls();
    game.m_shutdownSubsystems();
    EXPECT_EQ(shutdownLines(), (Lines{"shutdown audio", "shutdown input", "shutdown display"}));
    EXPECT_EQ(game.getDisplayDevice(), nullptr);
    EXPECT_EQ(game.getInputDevice(), nullptr);
    EXPECT_EQ(game.getAudioDevice(), nullptr);
    EXPECT_EQ(game.m_pSoundtrackStream, nullptr);
    EXPECT_EQ(HGlobal::s_get2DDisplayDevice(), nullptr);
    EXPECT_EQ(sourceRegistrations(), 0);
}

TEST_F(DevicesTest, SetUpAfterTeardownPollsTheInputOncePerEmptyQueue)
{
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(setUp()) << round;
        EXPECT_EQ(sourceRegistrations(), 1) << round;
        // The devices work: a frame can be drawn and presented.
        game.invalidateWholeScreen();
        game.drawGame(false);
        game.updateScreen();
        HEvent e;
        while (game.getEventManager()->getEvent(&e, false)) {
        }
        game.m_shutdownSubsystems();
        EXPECT_EQ(sourceRegistrations(), 0) << round;
    }
    EXPECT_EQ(shutdownLines().size(), 9u);
}

TEST_F(DevicesTest, SecondSetUpWithoutTeardownReplacesTheDevices)
{
    ASSERT_TRUE(setUp());
    game.clearCalls();
    ASSERT_TRUE(setUp());
    // Each create took its predecessor down first.
    EXPECT_EQ(game.calls(), (Lines{"create display", "shutdown display", "create input", "shutdown input",
                                   "create audio", "shutdown audio"}));
    EXPECT_EQ(sourceRegistrations(), 1);
    EXPECT_NE(game.getAudioDevice(), nullptr);
    EXPECT_NE(game.m_pSoundtrackStream, nullptr);
}

TEST_F(DevicesTest, ShutdownTwiceOrBeforeSetUpDoesNothing)
{
    game.m_shutdownSubsystems();
    game.m_shutdownAudioDevice();
    game.m_shutdownInputDevice();
    game.m_shutdownDisplayDevice();
    EXPECT_TRUE(shutdownLines().empty());

    ASSERT_TRUE(setUp());
    game.m_shutdownPuzzleGame();
    game.m_shutdownPuzzleGame();
    game.m_shutdownSubsystems();
    EXPECT_EQ(shutdownLines(), (Lines{"shutdown audio", "shutdown input", "shutdown display"}));
    game.m_quitPuzzleGame();
    game.m_quitPuzzleGame();
}

TEST_F(DevicesTest, SilentSoundDriverGivesADevice)
{
    game.getCvarManager()->setVariableString("c_soundDriver", "NuLl");
    ASSERT_TRUE(setUp());
    EXPECT_NE(game.getAudioDevice(), nullptr);
}

TEST_F(DevicesTest, AnAudioDeviceThatCannotOpenLeavesTheGameRunningSilent)
{
    const char* old = std::getenv("SDL_AUDIODRIVER");
    const std::string saved = old ? old : "";
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    testing::internal::CaptureStdout();
    const bool ok = setUp();
    testing::internal::GetCapturedStdout();
    if (saved.empty())
        unsetenv("SDL_AUDIODRIVER");
    else
        setenv("SDL_AUDIODRIVER", saved.c_str(), 1);
    ASSERT_TRUE(ok);
    EXPECT_EQ(game.getAudioDevice(), nullptr);
    EXPECT_NE(game.getDisplayDevice(), nullptr);
    EXPECT_NE(game.getInputDevice(), nullptr);
    // The stream exists; nothing can play.
    EXPECT_NE(game.m_pSoundtrackStream, nullptr);
    EXPECT_FALSE(game.m_playSoundtrack(true));
    EXPECT_FALSE(game.isSoundtrackPlaying());
    game.m_shutdownSubsystems();
    EXPECT_EQ(game.m_pSoundtrackStream, nullptr);
}

SDL_Surface* noVideoMode(int, int, int, uint32_t)
{
    return nullptr;
}

TEST_F(DevicesTest, ADisplayThatCannotOpenStopsTheSetUp)
{
    HSDL2DDisplayDevice::s_setVideoModeFunction(noVideoMode);
    testing::internal::CaptureStdout();
    const bool ok = setUp();
    testing::internal::GetCapturedStdout();
    HSDL2DDisplayDevice::s_setVideoModeFunction(nullptr);
    EXPECT_FALSE(ok);
    EXPECT_EQ(game.callsStartingWith("create"), (Lines{"create display"}));
    EXPECT_EQ(game.getDisplayDevice(), nullptr);
    EXPECT_EQ(game.getInputDevice(), nullptr);
    game.m_shutdownPuzzleGame();
    EXPECT_TRUE(shutdownLines().empty());
}

TEST_F(DevicesTest, FullScreenInPlaceNeedsADisplay)
{
    EXPECT_FALSE(game.m_quickToggleFullScreen());
}

} // namespace
