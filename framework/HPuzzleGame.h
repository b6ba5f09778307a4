// The application base class of a one-window puzzle game. It holds every
// engine service as a member, starts and stops the services and devices in
// a fixed order, runs the event-driven main loop with its three drawing
// passes per dirty rectangle, keeps the pause clock and a small game-state
// stack, and loads a game's art and sounds behind a loading screen. A game
// derives one class from it and overrides the hooks; the program has exactly
// one such object, reachable as HPuzzleGame::sm_pPuzzleGame, through which
// controls and dialogs reach the running game.
//
// Life of the object: constructed (no services) -> go(): the command line
// registered, the console variables started, m_initPuzzleGame (a game adds
// its own variables first; then the framework's variables and the "+set"
// tokens, the resource directory, the demo, then the trace and the journal,
// the registry's link flags; a game then opens its archive, reads its
// options and makes the devices with m_initSubsystems), m_runGame when
// start-up succeeded, m_shutdownPuzzleGame (journal and demo closed, then
// the devices), m_quitPuzzleGame (controls, archive, trace, console
// variables). Every shutdown step tolerates what was never started and does
// nothing when run a second time.
#pragma once

#include "engine/core/HCvarManager.h"
#include "engine/core/HEvent.h"
#include "engine/core/HEventManager.h"
#include "engine/core/HMersenneTwisterRNG.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/core/MvTime.h"
#include "engine/media/HAudioMixerStreamingAudioSource.h"
#include "engine/media/HDirtyRectangleManager.h"
#include "engine/media/HSoundManager.h"
#include "framework/HGameStateRecord.h"
#include "framework/HPauseClock.h"
#include "framework/MVCollisionMap.h"
#include "framework/MVSpriteInfo.h"
#include "ui/MVSprite.h"
#include "ui/UIManager.h"

#include <cstdint>

class H2DDisplayDevice;
class HAudioDevice;
class HFile;
class HFileSystem;
class HInputDevice;
class HOggVorbisAudioStream;
class HStandardFileSystem;
class UIControl;
struct H2DFont;

class HPuzzleGame {
public:
    // Entries of the game-state stack.
    static constexpr int kGameStateCount = HGameStateRecord::kStateCount;
    // Bytes of the serialised game-state stack.
    static constexpr int kGameStateRecordBytes = static_cast<int>(sizeof(HGameStateRecord));

    // Every member in its initial state, no service started. Makes this the
    // running game (sm_pPuzzleGame) and installs the hooks through which the
    // lower layers reach it: the control delegates' invalidation and the
    // usage text's game name.
    HPuzzleGame();
    // Frees nothing: the shutdown functions release what the object made.
    // Stops being the running game when it was.
    virtual ~HPuzzleGame();

    HPuzzleGame(const HPuzzleGame&) = delete;
    HPuzzleGame& operator=(const HPuzzleGame&) = delete;

    // The whole life of the game, called once by the program entry: the
    // command line registered, the console variables started, start-up, the
    // main loop when start-up succeeded, then both halves of shutdown
    // whatever happened. False when start-up failed (the entry then exits
    // with the start-up failure's code), true after a run.
    bool go(const char* commandLine, const char* resourceDir);

    // --- Hooks and services (virtual) ------------------------------------

    // Shows or hides the mouse cursor (the sprite cursor, or the system
    // cursor when no sprite cursor is in use).
    virtual void showCursor(bool show);
    // The game's music and sound volumes, 0 to 1.
    virtual float getMusicVolume() const = 0;
    virtual float getSoundVolume() const = 0;
    // m_drawCursor for every rectangle of the game's dirty list; nothing
    // while minimised or without a display device.
    virtual void drawCursor();
    // The name the usage text shows.
    virtual const char* getGameName() const = 0;

    // Pause clock: nested pauses count once, measured on the game clock.
    virtual bool isPaused() const;
    // Set at start-up when the per-user registry holds "disableLinks" /
    // "disableMoravelLink"; the framework itself does not consult them.
    virtual bool linksDisabled() const;
    virtual bool moravelLinkDisabled() const;

    // Game-state stack of 32 small state numbers, -1 meaning empty.
    virtual bool stateStackContains(signed char state) const;
    // Ignored when the stack is full.
    virtual void pushGameState(signed char state);
    // Ignored when the stack is empty.
    virtual void popGameState();
    // All entries empty, then `state` alone on the stack.
    virtual void resetGameState(signed char state);
    // depth 0 is the top, -1 the entry below it; -1 outside the stack's 32
    // entries.
    virtual int getGameState(int depth) const;
    // Writes the 36-byte record; 0, writing nothing, when len is below 36.
    virtual int serializeGameState(void* buf, int len) const;
    // Reads a 36-byte record; false, changing nothing, unless len is exactly
    // 36 and the stored top lies in -1 to 31.
    virtual bool deserializeGameState(const void* buf, int len);

    // True makes the main loop poll without yielding. False in the base.
    virtual bool m_isBusy() const;
    // While the sprite cursor is in use, invalidates its rectangle at the
    // mouse position.
    virtual void m_invalidateCursor();
    // Adds the framework's console variables with their defaults.
    virtual void m_initCvars();
    // The base start-up: console variables and "+set" overrides, the
    // resource directory, the demo (first, so that neither output is ever
    // made over it), the trace file, the journal and the registry's link
    // flags. Always true; a game's override adds its own variables, calls
    // it, then opens its archive and makes the devices.
    virtual bool m_initPuzzleGame(const char* commandLine, const char* resourceDir);
    // First half of shutdown: journal and demo closed, then the devices
    // (m_shutdownSubsystems).
    virtual void m_shutdownPuzzleGame();
    // Second half of shutdown: controls, read file system, trace file,
    // console variables.
    virtual void m_quitPuzzleGame();
    // The integer console variable "mv_spriteCursor" is not 0.
    virtual bool m_shouldRenderSpriteCursor();
    // The UI manager's insertControl / removeControl; null is ignored.
    virtual void m_insertControl(UIControl* control);
    virtual void m_removeControl(UIControl* control);
    // The game's share of an event that no control took; true ends the main
    // loop.
    virtual bool m_handleEvent(const HEvent& event) = 0;
    // The three drawing passes of one dirty rectangle: the board, (the
    // controls,) the overlays. inDialog is true when a modal dialog redraws
    // the game beneath it.
    virtual void m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog) = 0;
    // Nothing in the base.
    virtual void m_drawOverlays(const HScreenRect& dirty, bool inDialog);
    // The sprite of the sprite cursor; null in the base (the system cursor).
    virtual MVSprite* m_getCursorSprite();
    // Draws the part of the sprite cursor inside `dirty`.
    virtual void m_drawCursor(const HScreenRect& dirty);
    // False stops the drawing passes: minimised, or no display device.
    virtual bool m_beginDrawGame();
    // Nothing in the base.
    virtual void m_endDrawGame();
    // Stores the active (focus) flag.
    virtual void m_setActive(bool active);
    // The main loop ends because the program was asked to end at once (a
    // termination signal): what the game must keep, it keeps now, with no
    // dialog (none would get an event). Nothing in the base.
    virtual void m_endByTermination();
    // The process ends under the game, from inside a library, while go
    // runs: the X library ends it (exit with status 1) when the connection
    // to the display is lost (the X server ended: a logout, a crash, a
    // dropped ssh -X link) or an X error comes (the window destroyed by
    // another program), through SDL's handlers, which pass on to the X
    // library's default ones. Called once, from the exit functions, in the
    // middle of whatever the game was doing (a dialog's loop, a drawing
    // pass), after the framework has stopped the sound: what a termination
    // signal keeps, the game keeps now, without a call to the display, the
    // input device or the sound, and without a dialog. Nothing in the base.
    virtual void m_endByLostDisplay();
    // A modal dialog opens over the game (MVDialog::doModal, for every
    // dialog, before its first drawing pass). No tick of the main loop runs
    // while a dialog is up, so what the game carries on by its ticks (a
    // fade) would stay as it was last drawn: the game ends such effects
    // here and invalidates their areas, and the game beneath the dialog
    // shows as it stands. Nothing in the base.
    virtual void m_prepareForDialog();
    // Whether the game holds something it could not store (its saves
    // failed): a run that ends now ends with HUnix::kExitNotStored. False
    // in the base.
    virtual bool m_holdsUnsavedData() const;
    // The exit code of a run that ends now: HUnix::kExitNormal, or
    // HUnix::kExitNotStored while m_holdsUnsavedData.
    int m_getExitCode() const;

    // Devices. Each create first tears down a device of the same kind that
    // is still there; each shutdown does nothing without its device.
    virtual bool m_createAudioDevice(HFileSystem* files, int channels, int bits, int rate);
    virtual bool m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height);
    virtual bool m_createInputDevice();
    // Display, input, then audio; false when the display or the input device
    // cannot be made. An audio failure is traced and the game runs silent.
    // `sound` is not used: the console variable "c_soundDriver" decides.
    virtual bool m_initSubsystems(const char* title, bool sound, bool fullscreen, bool flag, int width, int height,
                                  int channels, int bits, int rate);
    // Audio, then input, then display. Journal, demo and trace stay open, so
    // a game may tear the devices down and set them up again (to switch
    // between window and full screen) while recording or playing back.
    virtual void m_shutdownSubsystems();

    // Soundtrack: an Ogg Vorbis file read whole into memory and streamed
    // through the mixer, looping back to `loopPosition` (PCM frames).
    virtual bool m_loadSoundtrack(const char* name, HFileSystem* files, int loopPosition);
    virtual void m_unloadSoundtrack();
    virtual void m_rewindSoundtrack();
    // Starts or stops the music; false without an audio device. Returns play.
    virtual bool m_playSoundtrack(bool play);

    virtual void m_shutdownAudioDevice();
    virtual void m_shutdownDisplayDevice();
    virtual void m_shutdownInputDevice();
    // The display device's in-place switch; false when a new device is needed.
    virtual bool m_quickToggleFullScreen();
    // Only while the sprite cursor is in use: the display device's showCursor.
    virtual void m_showSystemCursor(bool show);

    // The file system every asset is read from: a ZIP archive when the path
    // contains ".mvz" (read whole into memory when asked), else a directory.
    // False, with the "Missing Resource File" message, when it cannot be
    // opened; false without a message for a null path.
    virtual bool m_createReadFileSystem(const char* path, bool readIntoMemory);
    virtual void m_destroyReadFileSystem();

    virtual void m_beginPause();
    virtual void m_endPause();
    virtual int m_getPauseCount() const;
    // The paused time so far, a running pause included.
    virtual MvTime m_getPauseTime() const;
    // Forgets the accumulated time; a running pause goes on.
    virtual void m_resetPauseTime();

    // --- Framework dialogs and the partner link ---------------------------

    // An image message box (Enter and clicks on its buttons close it). With
    // delayMs above 0 the first button stays hidden until that many
    // milliseconds of game clock have passed. No second button when button2
    // is null. 1 when the first button closed it, 2 on a quit request (the
    // quit is not passed on), else 0. x or y -1 centres on that axis.
    virtual int m_doMessageDialog(int x, int y, int delayMs, const char* background, const char* button1,
                                  const char* button1Lit, const char* button2, const char* button2Lit);
    // Pages through `count` slides with done, next and previous buttons
    // (image1 to image6: done, done lit, next, next lit, previous, previous
    // lit); 1. With no slide to show it returns at once.
    virtual int m_doSlideShowDialog(int x, int y, const char* image1, const char* image2, const char* image3,
                                    const char* image4, const char* image5, const char* image6, const char** slides,
                                    int count);
    // Opens the partner address (m_findPartnerURL) in a browser and ends the
    // process, with m_getExitCode.
    virtual void goToPartnerSite(const char* defaultAddress, const char* company, const char* product);
    // The partner address without a default: "config.txt", then the
    // registry (company and product from the console variables
    // "companyName" and "productName"); "" when neither names one. One
    // process-wide buffer, overwritten by each call.
    virtual const char* getPartnerURL();
    // Opens the address in a browser and ends the process, with
    // m_getExitCode; nothing for null.
    virtual void m_gotoHomePage(const char* address);
    // The partner address into out (len bytes): the default, replaced by the
    // address on the second line of the read file system's "config.txt"
    // ("partnerURL=<address>"), replaced by the registry key "partnerURL"
    // when the registry opens for company and product. A missing, malformed
    // or empty line or value keeps what was there. Returns out.
    char* m_findPartnerURL(const char* defaultAddress, const char* company, const char* product, char* out, int len);

    // --- Main loop and drawing (non-virtual) -----------------------------

    // Runs until m_handleEvent returns true; then true.
    bool m_runGame();
    // The framework's share of an event, then the controls'; true when a
    // control took the event (the game does not see it then).
    bool m_processEvent(const HEvent& event);
    // The drawing passes over the game's dirty rectangles as they are when
    // it is called.
    void drawGame(bool inDialog);
    // Adds r, clamped to the screen, to the game's dirty list. Nothing
    // without a display device.
    void invalidateArea(const HScreenRect& r);
    void invalidateWholeScreen();
    // Presents what was drawn (the display device's own dirty list), then
    // empties the game's dirty list.
    void updateScreen();
    // Re-evaluates which control is lit under the mouse.
    void m_findLitControl();

    // --- Assets, loading screen, sounds (non-virtual) --------------------

    // The loading screen, the sprites (first 3/4 of `end`), the soundtrack
    // and sounds (the rest), then the loading screen unloaded. False, with
    // the "Failed to load bitmaps" message, when a sprite does not load.
    bool m_loadAssets(const MVSpriteInfo* sprites, int spriteCount, const char* soundtrack, int loopPosition,
                      const char* const* sounds, const char* background, const char* bottomLeftLogo,
                      const char* bottomRightLogo, const char* progressBar, int barX, int barY, float end,
                      const char* text, H2DFont* font);
    bool m_loadLoadingScreen(const char* background, const char* bottomLeftLogo, const char* bottomRightLogo,
                             const char* progressBar, int barX, int barY);
    // Draws the loading screen at `fraction` of the bar (clamped to [0, 1])
    // and presents it. The first call after loading, and every call at 0,
    // draws the whole screen; later calls draw only the newly revealed part
    // of the bar.
    void m_showLoadingScreen(float fraction, const char* text, H2DFont* font);
    void m_unloadLoadingScreen();
    bool m_loadBitmaps(const MVSpriteInfo* sprites, int count, float end, const char* text, H2DFont* font);
    // False when the sound list is null or empty (the soundtrack is loaded
    // all the same).
    bool m_loadSoundAssets(const char* soundtrack, int loopPosition, const char* const* sounds, float start, float end);
    bool m_loadCollisionMaps(const MVCollisionMapInfo* maps, int count);

    // Music volume 0 to 1 (clamped); the mixer's takes (int)(v x 255).
    void setSoundtrackVolume(float volume);
    // Plays a sound effect at getSoundVolume() x volume (volume 0 to 255).
    void playSound(const char* name, int volume, int pan, bool overlapAllowed);
    void mute(bool muted);

    // --- Access for the game's controls, the dialogs and tests -----------

    // The game clock: the time of the last fetched event (0 before the first).
    MvTime getGameClock() const { return m_gameClock; }
    // The modal dialog loop advances the clock with the events it fetches.
    void setGameClock(const MvTime& time) { m_gameClock = time; }
    HDirtyRectangleManager* getDirtyList() { return &m_dirtyList; }
    H2DDisplayDevice* getDisplayDevice() const { return m_pDisplayDevice; }
    HInputDevice* getInputDevice() const { return m_pInputDevice; }
    HAudioDevice* getAudioDevice() const { return m_pAudioDevice; }
    HEventManager* getEventManager() { return &m_eventManager; }
    HFileSystem* getReadFileSystem() const { return m_pReadFileSystem; }
    HCvarManager* getCvarManager() { return &m_cvarManager; }
    HSoundManager* getSoundManager() { return &m_soundManager; }
    HAudioMixerStreamingAudioSource* getMixer() { return &m_mixer; }
    UIManager* getUIManager() { return &m_uiManager; }
    HMersenneTwisterRNG* getRNG() { return &m_rng; }
    bool isRNGSeeded() const { return m_bRNGSeeded; }
    // The font the game's dialogs write with; the game creates it.
    H2DFont* getGameFont() const { return m_pGameFont; }
    bool isMinimized() const { return m_bMinimized; }
    bool isActive() const { return m_bActive; }
    bool isSuspended() const { return m_bSuspended; }
    float getSoundtrackVolume() const { return m_fMusicVolume; }
    bool isSoundtrackPlaying() const { return m_bSoundtrackPlaying; }

    // The running game: the object built last (null once it is destroyed).
    static HPuzzleGame* sm_pPuzzleGame;

protected:
    // Whether the sprite cursor is drawn instead of the system cursor.
    bool m_spriteCursorInUse();
    // The sprite cursor's rectangle with its top-left corner at p.
    HScreenRect m_cursorRectAt(const HScreenPoint& p);
    // Closes and forgets the journal and the demo and their file system.
    void m_closeJournalAndDemo();
    // Opens the demo and plays it; a demo that cannot be played (missing,
    // unreadable, not a regular file) is reported on standard error.
    void m_openDemo(const char* name);
    // Whether the path names the file the demo is played from.
    bool m_isDemoFile(const char* path) const;
    // Creates the trace or the journal in the current directory; null, with
    // a line on standard error, when it cannot be created or would be the
    // demo's own file. `what` names it, `otherwise` says what follows.
    HFile* m_createOutputFile(const char* name, const char* what, const char* otherwise);
    // The seams the constructor installs.
    static void s_invalidateRunningGame(const HScreenRect& area);
    static const char* s_runningGameName();
    // The exit function that go installs once per process: a running game
    // still inside go first loses its audio device (the music must not
    // play on after the window has gone, nor the audio thread mix on from
    // members that the exit functions destroy next), then ends by
    // m_endByLostDisplay.
    static void s_endAtExit();
    static bool sm_bEndAtExitInstalled;

    H2DFont* m_pGameFont; // the game's; the framework never touches it

    // Loading screen.
    MVSprite m_loadingBarSprite;
    MVSprite m_loadingBackgroundSprite;
    MVSprite m_loadingLeftLogoSprite;
    MVSprite m_loadingRightLogoSprite;
    int32_t m_iLoadingBarX;
    int32_t m_iLoadingBarY;
    // The part of the bar drawn so far (right grows from the bar's left).
    HScreenRect m_loadingBarRevealed;
    // Set by m_loadLoadingScreen; the first show then draws the whole screen.
    bool m_bLoadingScreenFresh;

    // Game-state stack.
    int8_t m_aGameStates[kGameStateCount];
    int32_t m_iGameStateTop; // -1: empty

    bool m_bLinksDisabled;
    bool m_bMoravelLinkDisabled;

    H2DDisplayDevice* m_pDisplayDevice;
    HAudioDevice* m_pAudioDevice;
    HInputDevice* m_pInputDevice;
    HFileSystem* m_pReadFileSystem; // owned

    HDirtyRectangleManager m_dirtyList; // what the game must redraw
    bool m_bMinimized;
    bool m_bSuspended; // written by the game; the main loop then waits for events
    bool m_bActive;
    float m_fMusicVolume;       // 0 to 1
    int32_t m_iSoundtrackHandle; // written by the mixer

    // Pause clock, in game-clock milliseconds.
    HPauseClock m_pauseClock;

    HCvarManager m_cvarManager;
    HEventManager m_eventManager;
    HSoundManager m_soundManager;
    HMersenneTwisterRNG m_rng;
    bool m_bRNGSeeded;
    UIManager m_uiManager;

    // Start-up opens the demo first (on a file system of its own: the current
    // directory, or none for an absolute name), then the trace and the
    // journal, which share one
    // file system on the current directory and are never made over the
    // demo's file. The first half of shutdown closes the journal and the
    // demo; the trace stays until the second half.
    HStandardFileSystem* m_pTraceFileSystem; // owned; holds the trace and the journal
    HFile* m_pTraceFile;
    HStandardFileSystem* m_pDemoFileSystem; // owned; holds the demo
    HFile* m_pJournalFile;
    HFile* m_pDemoFile;

    MvTime m_gameClock;

    HOggVorbisAudioStream* m_pSoundtrackStream; // owned
    HAudioMixerStreamingAudioSource m_mixer;
    uint8_t* m_pSoundtrackData; // owned; the stream reads it while it is set
    int32_t m_iSoundtrackBytes;
    bool m_bSoundtrackPlaying;

    bool m_bCursorShown;
    int32_t m_iLastCursorX; // where the sprite cursor was last drawn
    int32_t m_iLastCursorY;

    // From the start of go to its end: an exit meanwhile ends the game
    // under it (s_endAtExit), once.
    bool m_bInGo;
};
