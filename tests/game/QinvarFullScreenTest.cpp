// The switch between window and full screen: in place on a real X server,
// and the fallback that builds the devices again when the in-place switch
// fails (SDL's dummy driver cannot switch), with a journal that keeps
// recording, the music as it was, the switch's time counted as pause, and
// the restart's own failures.
#include "engine/core/HEvent.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HSDL2DDisplayDevice.h"
#include "tests/game/QinvarDialogProbe.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DemoWriter.h"
#include "tests/support/InputEvents.h"
#include "tests/support/TempDir.h"
#include "tests/support/XvfbServer.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The trace and the journal go to the working directory: a test that asks
// for them runs in a folder of its own.
class WorkingDirectory {
public:
    explicit WorkingDirectory(const std::string& path)
    {
        char old[4096];
        m_bSaved = ::getcwd(old, sizeof(old)) != nullptr;
        if (m_bSaved)
            m_old = old;
        m_bChanged = ::chdir(path.c_str()) == 0;
    }
    ~WorkingDirectory()
    {
        if (m_bSaved && m_bChanged && ::chdir(m_old.c_str()) != 0)
            std::perror("chdir back");
    }
    bool changed() const { return m_bChanged; }

private:
    std::string m_old;
    bool m_bSaved = false;
    bool m_bChanged = false;
};

// SDL's dummy driver has no window manager: the display device's own
// switch then changes nothing and reports success. With a window manager
// pretended, the switch goes to the video-mode function, which the tests
// replace to make modes fail. The record lives until video closes.
void pretendWindowManager()
{
    if (SDL_VideoInfo* info = const_cast<SDL_VideoInfo*>(SDL_GetVideoInfo()))
        info->wm_available = 1;
}

// Which video modes SDL grants while a VideoModes object lives.
class VideoModes {
public:
    enum Rule { kFailOnce, kWindowOnly, kNone };
    explicit VideoModes(Rule rule)
    {
        sm_rule = rule;
        sm_iFailuresLeft = 0;
        HSDL2DDisplayDevice::s_setVideoModeFunction(setVideoMode);
    }
    ~VideoModes() { HSDL2DDisplayDevice::s_setVideoModeFunction(nullptr); }
    // kFailOnce: the next request fails.
    static void failNext() { sm_iFailuresLeft = 1; }
    static int refused() { return sm_iRefused; }

private:
    static SDL_Surface* setVideoMode(int width, int height, int bits, uint32_t flags)
    {
        bool fail = false;
        if (sm_rule == kFailOnce) {
            fail = sm_iFailuresLeft > 0;
            sm_iFailuresLeft = 0;
        } else if (sm_rule == kWindowOnly) {
            fail = (flags & SDL_FULLSCREEN) != 0;
        } else {
            fail = true;
        }
        if (fail) {
            ++sm_iRefused;
            SDL_SetError("the test refuses this mode");
            return nullptr;
        }
        return SDL_SetVideoMode(width, height, bits, flags);
    }
    static Rule sm_rule;
    static int sm_iFailuresLeft;
    static int sm_iRefused;
};
VideoModes::Rule VideoModes::sm_rule = VideoModes::kFailOnce;
int VideoModes::sm_iFailuresLeft = 0;
int VideoModes::sm_iRefused = 0;

bool screenIsFullscreen()
{
    const SDL_Surface* screen = SDL_GetVideoSurface();
    return screen && (screen->flags & SDL_FULLSCREEN) != 0;
}

// The journal's records of a type.
std::vector<HEvent> journalRecords(const std::string& path, uint32_t type)
{
    std::vector<HEvent> out;
    for (const HEvent& e : DemoWriter::s_decode(readFileBytes(path))) {
        if (e.type == type)
            out.push_back(e);
    }
    return out;
}

uint64_t lastTime(const std::vector<HEvent>& records)
{
    uint64_t t = 0;
    for (const HEvent& e : records)
        t = std::max<uint64_t>(t, e.time.getTime64());
    return t;
}

std::vector<bool> validSprites(QinvarDialogProbe& g)
{
    std::vector<bool> valid;
    for (const MVSprite& sprite : g.m_aSprites)
        valid.push_back(sprite.isSpriteValid());
    return valid;
}

} // namespace

// When the display device's own switch fails (and has lost its screen), the
// devices are built again: the sprites and the font come back, the journal
// records on, and the registry holds the mode.
TEST(QinvarFullScreen, AFailedQuickSwitchBuildsTheDevicesAgainWhileTheJournalRecords)
{
    TempDir work;
    WorkingDirectory cd(work.path());
    ASSERT_TRUE(cd.changed());
    ProbeSession s;
    ASSERT_TRUE(s.session().start("+set mv_journal 1"));
    QinvarDialogProbe& g = s.probe();
    ASSERT_EQ(g.initSubsystemsCalls, 1);
    VideoModes modes(VideoModes::kFailOnce);
    g.duringQuickToggle = [] {
        pretendWindowManager();
        VideoModes::failNext();
    };
    const std::vector<bool> spritesAtStart = validSprites(g);
    ASSERT_TRUE(spritesAtStart[QVS_FONT]);
    const int refusedBefore = VideoModes::refused();

    auto checkMode = [&](int32_t fullscreen, int restarts) {
        EXPECT_EQ(g.quickToggleCalls, restarts);
        EXPECT_EQ(VideoModes::refused(), refusedBefore + restarts);
        EXPECT_EQ(g.initSubsystemsCalls, 1 + restarts);
        EXPECT_EQ(g.m_options.fullscreen, fullscreen);
        EXPECT_EQ(screenIsFullscreen(), fullscreen != 0);
        ASSERT_NE(g.getDisplayDevice(), nullptr);
        EXPECT_NE(g.getInputDevice(), nullptr);
        EXPECT_NE(g.getAudioDevice(), nullptr);
        EXPECT_NE(g.getGameFont(), nullptr);
        // Every sprite of the table is back, and the chosen tile set and
        // table top are loaded again as well.
        std::vector<bool> expected = spritesAtStart;
        expected[QVS_TABLE_TOP] = true;
        expected[QVS_TILE_SET] = true;
        EXPECT_EQ(validSprites(g), expected);
        EXPECT_EQ(g.m_iLoadedTileSet, g.m_options.tileSet);
        EXPECT_EQ(g.m_iLoadedBackground, g.m_options.background);
        EXPECT_NE(g.m_pJournalFile, nullptr);
        EXPECT_EQ(g.m_getPauseCount(), 0);
        std::string value;
        ASSERT_TRUE(registryValue(readFileBytes(s.session().registryPath()), "Fullscreen", &value));
        EXPECT_EQ(value, u32Bytes(static_cast<uint32_t>(fullscreen)));
    };
    s.script().batch({InputEvents::s_toggleFullscreen(2000)});
    s.script().batch({InputEvents::s_timestamp(3000)}, [&] { checkMode(1, 1); });
    s.script().batch({InputEvents::s_toggleFullscreen(4000)});
    s.script().batch({InputEvents::s_timestamp(5000)}, [&] { checkMode(0, 2); });
    s.script().batch({InputEvents::s_timestamp(6000)});
    s.session().run();
    EXPECT_EQ(g.toggleEvents, 2);

    // Both switches and what came after them are in the journal.
    const std::string journal = work.file("journal.bin");
    EXPECT_EQ(journalRecords(journal, ET_TOGGLE_FULLSCREEN).size(), 2u);
    EXPECT_EQ(lastTime(journalRecords(journal, ET_TIMESTAMP)), 6000u);
}

// The music plays on after the restart only when it played before, at the
// player's volume.
TEST(QinvarFullScreen, TheMusicReturnsToTheStateItHad)
{
    for (bool playing : {true, false}) {
        SCOPED_TRACE(playing ? "playing" : "stopped");
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.quickToggle = 0;
        g.m_options.musicVolume = 0.6f;
        g.setSoundtrackVolume(0.6f);
        g.m_playSoundtrack(playing);
        ASSERT_EQ(g.isSoundtrackPlaying(), playing);
        s.script().batch({InputEvents::s_toggleFullscreen(2000)});
        s.script().batch({InputEvents::s_timestamp(3000)}, [&] {
            EXPECT_EQ(g.initSubsystemsCalls, 2);
            EXPECT_EQ(g.isSoundtrackPlaying(), playing);
            EXPECT_EQ(g.getSoundtrackVolume(), 0.6f);
            // The new stream is the mixer's music, or there is none.
            EXPECT_EQ(soundtrackPeak(g) > 0, playing);
        });
        s.session().run();
    }
}

// The time the switch takes is pause: the clock does not count it. The
// first event after the switch carries the time it ended.
TEST(QinvarFullScreen, TheTimeTheSwitchTookCountsAsPause)
{
    struct Case {
        const char* what;
        int quickToggle;
        uint64_t switchMs;
    };
    for (const Case& c : {Case{"in place", 1, 300}, Case{"devices built again", 0, 2500}}) {
        SCOPED_TRACE(c.what);
        ProbeSession s;
        ASSERT_TRUE(s.session().start());
        QinvarDialogProbe& g = s.probe();
        g.quickToggle = c.quickToggle;
        int pausedDuringSwitch = -1;
        g.duringQuickToggle = [&] {
            pausedDuringSwitch = g.m_getPauseCount();
            ScriptedEventSource::s_setNow(ScriptedEventSource::s_now() + c.switchMs);
        };
        s.script().batch({InputEvents::s_toggleFullscreen(2000)});
        s.script().batch({InputEvents::s_timestamp(9000)}, [&] {
            EXPECT_EQ(pausedDuringSwitch, 1);
            EXPECT_EQ(g.m_getPauseCount(), 0);
            EXPECT_EQ(g.m_getPauseTime().getTime64(), c.switchMs);
        });
        s.session().run();
    }
}

// When the devices do not come up in the new mode, the old mode is built
// again, and stored: the mode that worked, also when the options could not
// be read at start-up (the switch stored the new mode first).
TEST(QinvarFullScreen, ARestartThatFailsInTheNewModeReturnsToTheOldOne)
{
    for (bool readAtStart : {true, false}) {
        SCOPED_TRACE(readAtStart ? "options read at start-up" : "options unreadable at start-up");
        ProbeSession s;
        if (!readAtStart)
            makeRegistryUnreadable(s.session());
        testing::internal::CaptureStdout();
        ASSERT_TRUE(s.session().start());
        testing::internal::GetCapturedStdout();
        if (!readAtStart)
            replaceUnreadableRegistry(s.session(), {{"Fullscreen", u32Bytes(0)}});
        QinvarDialogProbe& g = s.probe();
        VideoModes modes(VideoModes::kWindowOnly);
        g.duringQuickToggle = pretendWindowManager;
        std::vector<bool> modesTried;
        g.beforeInitSubsystems = [&](bool fullscreen) {
            modesTried.push_back(fullscreen);
            return true;
        };
        testing::internal::CaptureStdout();
        s.script().batch({InputEvents::s_toggleFullscreen(2000)});
        s.script().batch({InputEvents::s_timestamp(3000)}, [&] {
            EXPECT_EQ(g.quickToggleCalls, 1);
            EXPECT_EQ(modesTried, (std::vector<bool>{true, false}));
            EXPECT_EQ(g.m_options.fullscreen, 0);
            EXPECT_FALSE(screenIsFullscreen());
            EXPECT_NE(g.getDisplayDevice(), nullptr);
            EXPECT_NE(g.getGameFont(), nullptr);
            EXPECT_TRUE(g.m_aSprites[QVS_FONT].isSpriteValid());
            EXPECT_EQ(g.getState(), GS_START);
            EXPECT_EQ(g.m_getPauseCount(), 0);
        });
        s.session().run();
        const std::string out = testing::internal::GetCapturedStdout();
        EXPECT_NE(out.find("toggleFullscreen - could not restart subsystems!"), std::string::npos) << out;
        std::string value;
        ASSERT_TRUE(registryValue(readFileBytes(s.session().registryPath()), "Fullscreen", &value));
        EXPECT_EQ(value, u32Bytes(0));
    }
}

// When neither mode comes up, the player is told and the game quits without
// drawing again.
TEST(QinvarFullScreen, ARestartThatFailsInBothModesTellsThePlayerAndQuits)
{
    ProbeSession s;
    ASSERT_TRUE(s.session().start());
    QinvarDialogProbe& g = s.probe();
    VideoModes modes(VideoModes::kNone);
    g.duringQuickToggle = pretendWindowManager;
    testing::internal::CaptureStdout();
    s.script().batch({InputEvents::s_toggleFullscreen(2000)});
    // The loop ends at its next update: this batch never arrives.
    s.script().batch({InputEvents::s_timestamp(3000)}, [] { ADD_FAILURE() << "the game went on"; });
    s.session().run();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_NE(out.find("could not set up its screen again"), std::string::npos) << out;
    EXPECT_EQ(g.initSubsystemsCalls, 3);
    EXPECT_EQ(g.getState(), GS_QUITTING);
    EXPECT_EQ(g.getDisplayDevice(), nullptr);
    EXPECT_EQ(g.getGameFont(), nullptr);
    EXPECT_EQ(g.m_options.fullscreen, 0);
    EXPECT_EQ(g.m_getPauseCount(), 0);
}

namespace {

void switchOnTheServer(const std::string& display, const std::string& workDir)
{
    setenv("DISPLAY", display.c_str(), 1);
    setenv("SDL_VIDEODRIVER", "x11", 1);
    ChildChecks check;
    if (::chdir(workDir.c_str()) != 0)
        _exit(2);
    {
        ProbeSession s;
        check(s.session().start("+set mv_journal 1"), "the game starts on the X server");
        QinvarDialogProbe& g = s.probe();
        auto checkMode = [&](bool fullscreen, int switches, const char* when) {
            const std::string w(when);
            check(g.quickToggleCalls == switches, w + ": switched in place");
            check(g.initSubsystemsCalls == 1, w + ": no devices built again");
            check(screenIsFullscreen() == fullscreen, w + ": the screen's mode");
            check(g.m_options.fullscreen == (fullscreen ? 1 : 0), w + ": the option");
            check(g.m_getPauseCount() == 0, w + ": the pause ended");
            check(g.m_pJournalFile != nullptr, w + ": the journal records");
        };
        s.script().batch({InputEvents::s_toggleFullscreen(2000)});
        s.script().batch({InputEvents::s_timestamp(3000)}, [&] { checkMode(true, 1, "full screen"); });
        s.script().batch({InputEvents::s_toggleFullscreen(4000)});
        s.script().batch({InputEvents::s_timestamp(5000)}, [&] { checkMode(false, 2, "window again"); });
        s.script().batch({InputEvents::s_timestamp(6000)});
        s.session().run();
        check(g.toggleEvents == 2, "both switches reached the game");
    }
    const std::string journal = workDir + "/journal.bin";
    check(journalRecords(journal, ET_TOGGLE_FULLSCREEN).size() == 2, "both switches are in the journal");
    check(lastTime(journalRecords(journal, ET_TIMESTAMP)) == 6000, "the journal recorded after the switches");
    std::fflush(stdout);
    _exit(check.failures() == 0 ? 0 : 1);
}

} // namespace

TEST(QinvarFullScreen, OnARealXServerToFullScreenAndBackWhileTheJournalRecords)
{
    if (!XvfbServer::s_isInstalled())
        GTEST_SKIP() << "Xvfb is not installed";
    XvfbServer server;
    ASSERT_TRUE(server.start("640x480x24", 20)) << "Xvfb did not start";
    TempDir work;
    const std::string display = server.display();
    const std::string dir = work.path();
    const ChildResult r = runInChild([&] { switchOnTheServer(display, dir); }, 60);
    EXPECT_FALSE(r.timedOut);
    EXPECT_TRUE(r.exited) << "signal " << r.signal << "\n" << r.out << r.err;
    EXPECT_EQ(r.exitCode, 0) << display << r.out << r.err;
}
