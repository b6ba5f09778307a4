// A game for the framework's tests: every hook it overrides records one line
// ("board 0,0,640,480 0", "event ET_PAINT(2000) clock=2000 seed=1500", ...)
// so that a test can check what the framework called and in what order. It
// runs in-process (with a recording display or SDL's dummy drivers) and as
// the whole test-game program, where the lines also go to trace.txt.
//
// By default it quits on ET_QUIT, invalidates a 10 x 10 area around each
// right-button press and does nothing else of its own; Setup adds what a
// test needs: a resource path, the devices, a control that takes clicks,
// further demo files played after the first, a quit once live input has run
// for a while.
#pragma once

#include "framework/HPuzzleGame.h"
#include "tests/support/FixedExtentsDelegate.h"
#include "ui/UIControl.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class HStandardFileSystem;
class ImageDisplayDevice;
class TestGame;

// A delegate of a fixed size that draws nothing and invalidates its
// control's rectangle through the running game.
class TestControlDelegate : public FixedExtentsDelegate {
public:
    using FixedExtentsDelegate::FixedExtentsDelegate;
    void invalidateControl(UIControl* control) override;
};

// A control that takes left-button presses inside its rectangle (the base
// control's rules) and records its clicks and its drawing in its game.
class TestControl : public UIControl {
public:
    TestControl(TestGame* game, const HScreenRect& rect);
    void clickAction() override;
    void unclickAction() override;
    void drawControl(const HScreenRect& clip) override;

private:
    TestGame* m_pGame;
};

class TestGame : public HPuzzleGame {
public:
    struct Setup {
        // Opened with m_createReadFileSystem after the base start-up; empty:
        // no read file system.
        std::string resources;
        bool readIntoMemory = true;
        // m_initSubsystems after the read file system.
        bool devices = false;
        // The display is an ImageDisplayDevice (memory only, recording what
        // reaches the screen) instead of SDL's.
        bool recordingDisplay = false;
        int32_t width = 640;
        int32_t height = 480;
        // The registry is read for "Moravel" / productName.
        std::string productName;
        // A TestControl over this rectangle, made at start-up.
        bool control = false;
        HScreenRect controlRect = HScreenRect(100, 100, 150, 150);
        // Demo files (relative to the working directory, or absolute) begun
        // one by one on the live time stamps that follow the end of a demo:
        // each one's records are handled in one pass of the main loop,
        // followed by one drawing pass.
        std::vector<std::string> stages;
        // Once no demo is left: quit on this live time stamp (1 = the first);
        // below 1: never.
        int32_t liveQuitAfter = 0;
    };

    TestGame();
    ~TestGame() override;

    Setup& setup() { return m_setup; }

    // The recorded lines, oldest first.
    const std::vector<std::string>& calls() const { return m_calls; }
    void clearCalls() { m_calls.clear(); }
    // The lines that start with `prefix`, in order.
    std::vector<std::string> callsStartingWith(const std::string& prefix) const;
    // Index of the first line equal to `line` at or after `from`; -1 when none.
    int indexOf(const std::string& line, int from = 0) const;
    void record(const std::string& line);
    // Also write each line to the trace file as "TestGame: <line>".
    void setTraceHooks(bool on) { m_bTraceHooks = on; }

    // When set, decides m_handleEvent's answer (after the line is recorded);
    // otherwise the answer is true for ET_QUIT only.
    std::function<bool(const HEvent&)> eventHandler;
    float musicVolume = 0.25f;
    float soundVolume = 1.0f;
    bool busy = false;
    MVSprite* cursorSprite = nullptr;

    // The display device when it is the recording one; null otherwise.
    ImageDisplayDevice* recordingDisplay() const;
    TestControl* control() const { return m_pControl; }

    // Hooks.
    float getMusicVolume() const override { return musicVolume; }
    float getSoundVolume() const override { return soundVolume; }
    const char* getGameName() const override { return "Test Game"; }
    bool m_isBusy() const override { return busy; }
    bool m_initPuzzleGame(const char* commandLine, const char* resourceDir) override;
    void m_shutdownPuzzleGame() override;
    void m_quitPuzzleGame() override;
    bool m_handleEvent(const HEvent& event) override;
    void m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog) override;
    void m_drawOverlays(const HScreenRect& dirty, bool inDialog) override;
    MVSprite* m_getCursorSprite() override { return cursorSprite; }
    void m_drawCursor(const HScreenRect& dirty) override;
    bool m_beginDrawGame() override;
    void m_endDrawGame() override;
    void m_setActive(bool active) override;
    bool m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height) override;
    bool m_createInputDevice() override;
    bool m_createAudioDevice(HFileSystem* files, int channels, int bits, int rate) override;
    void m_shutdownAudioDevice() override;
    void m_shutdownDisplayDevice() override;
    void m_shutdownInputDevice() override;

    // The framework's state, for checks.
    using HPuzzleGame::m_bLinksDisabled;
    using HPuzzleGame::m_bLoadingScreenFresh;
    using HPuzzleGame::m_bMinimized;
    using HPuzzleGame::m_bMoravelLinkDisabled;
    using HPuzzleGame::m_bSuspended;
    using HPuzzleGame::m_iLoadingBarX;
    using HPuzzleGame::m_iLoadingBarY;
    using HPuzzleGame::m_iSoundtrackBytes;
    using HPuzzleGame::m_loadingBackgroundSprite;
    using HPuzzleGame::m_loadingBarRevealed;
    using HPuzzleGame::m_loadingBarSprite;
    using HPuzzleGame::m_loadingLeftLogoSprite;
    using HPuzzleGame::m_loadingRightLogoSprite;
    using HPuzzleGame::m_pDemoFile;
    using HPuzzleGame::m_pDemoFileSystem;
    using HPuzzleGame::m_pJournalFile;
    using HPuzzleGame::m_pSoundtrackData;
    using HPuzzleGame::m_pSoundtrackStream;
    using HPuzzleGame::m_pTraceFile;
    using HPuzzleGame::m_pTraceFileSystem;

    static std::string s_rect(const HScreenRect& r);

private:
    void m_closeStages();

    Setup m_setup;
    std::vector<std::string> m_calls;
    bool m_bTraceHooks;
    TestControl* m_pControl; // owned by the UI manager once inserted
    HStandardFileSystem* m_pStageFileSystem;
    std::vector<HFile*> m_stageFiles;
    size_t m_uNextStage;
    int32_t m_iLiveTimestamps;
};
