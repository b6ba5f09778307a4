// The application framework: start-up and shutdown, the main loop and its
// drawing passes, device set-up and teardown, the pause clock, the
// game-state stack, asset loading behind the loading screen, the soundtrack
// and sound effects.
#include "framework/HPuzzleGame.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HGlobal.h"
#include "engine/core/HPlatform.h"
#include "engine/core/HStandardFileSystem.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUnix.h"
#include "engine/core/HUtil.h"
#include "engine/core/HZIPFileSystem.h"
#include "engine/core/POSH.h"
#include "engine/media/H2DDisplayDevice.h"
#include "engine/media/HAudioDevice.h"
#include "engine/media/HColor4f.h"
#include "engine/media/HInputDevice.h"
#include "engine/media/HInputDeviceEventSource.h"
#include "engine/media/HOggVorbisAudioStream.h"
#include "ui/MVControlDelegate.h"
#include "ui/MVDialogLayout.h"
#include "ui/UIControl.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

HPuzzleGame* HPuzzleGame::sm_pPuzzleGame = nullptr;
bool HPuzzleGame::sm_bEndAtExitInstalled = false;

namespace {

// Written in the current directory when asked for.
const char* const kTraceFileName = "trace.txt";
const char* const kJournalFileName = "journal.bin";

// The longest demo name whose path ("./" and the name) the demo's file
// system holds whole.
constexpr size_t kMaxDemoNameLength = 1021;

// Plain alpha blending: source alpha over inverse source alpha, added.
void blendOver(const MVSprite& sprite, const HScreenRect& dst, const HScreenRect& src)
{
    sprite.blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA, BPS_ONE,
                                        CO_PRODUCT, 255, BO_ADD);
}

// The whole file in a malloc'd buffer (the archive takes it over), or null
// when any step fails: the size, the allocation, or a read that comes back
// short. A partial archive is never handed on. Only a regular file is read,
// and the open does not wait: a FIFO in the archive's place fails the
// start-up at once instead of blocking it for good. Its size is the one the
// open saw.
void* readWholeFile(const char* path, int* size)
{
    int64_t length = -1;
    FILE* f = HPlatform::s_openRegularFile(path, &length);
    if (!f)
        return nullptr;
    void* buffer = nullptr;
    if (length > 0 && length <= INT_MAX) {
        buffer = std::malloc(static_cast<size_t>(length));
        if (buffer && std::fread(buffer, 1, static_cast<size_t>(length), f) != static_cast<size_t>(length)) {
            std::free(buffer);
            buffer = nullptr;
        }
    }
    std::fclose(f);
    if (buffer)
        *size = static_cast<int>(length);
    return buffer;
}

} // namespace

// --- Construction ----------------------------------------------------------

HPuzzleGame::HPuzzleGame()
    : m_pGameFont(nullptr),
      m_loadingBarSprite(),
      m_loadingBackgroundSprite(),
      m_loadingLeftLogoSprite(),
      m_loadingRightLogoSprite(),
      m_iLoadingBarX(0),
      m_iLoadingBarY(0),
      m_loadingBarRevealed(),
      m_bLoadingScreenFresh(false),
      m_aGameStates(),
      m_iGameStateTop(-1),
      m_bLinksDisabled(false),
      m_bMoravelLinkDisabled(false),
      m_pDisplayDevice(nullptr),
      m_pAudioDevice(nullptr),
      m_pInputDevice(nullptr),
      m_pReadFileSystem(nullptr),
      m_dirtyList(),
      m_bMinimized(false),
      m_bSuspended(false),
      m_bActive(false),
      m_fMusicVolume(0.25f),
      m_iSoundtrackHandle(0),
      m_pauseClock(),
      m_cvarManager(),
      m_eventManager(),
      m_soundManager(),
      m_rng(),
      m_bRNGSeeded(false),
      m_uiManager(),
      m_pTraceFileSystem(nullptr),
      m_pTraceFile(nullptr),
      m_pDemoFileSystem(nullptr),
      m_pJournalFile(nullptr),
      m_pDemoFile(nullptr),
      m_gameClock{0, 0},
      m_pSoundtrackStream(nullptr),
      m_mixer(),
      m_pSoundtrackData(nullptr),
      m_iSoundtrackBytes(0),
      m_bSoundtrackPlaying(false),
      m_bCursorShown(true),
      m_iLastCursorX(0),
      m_iLastCursorY(0),
      m_bInGo(false)
{
    for (int8_t& state : m_aGameStates)
        state = -1;
    sm_pPuzzleGame = this;
    MVControlDelegate::s_setInvalidateFunction(&HPuzzleGame::s_invalidateRunningGame);
    HUnix::s_setGameNameFunction(&HPuzzleGame::s_runningGameName);
}

HPuzzleGame::~HPuzzleGame()
{
    // Nothing process-wide may keep pointing into a destroyed object.
    if (HGlobal::s_getEventManager() == &m_eventManager)
        HGlobal::s_registerEventManager(nullptr);
    if (sm_pPuzzleGame == this)
        sm_pPuzzleGame = nullptr;
}

void HPuzzleGame::s_invalidateRunningGame(const HScreenRect& area)
{
    if (sm_pPuzzleGame)
        sm_pPuzzleGame->invalidateArea(area);
}

const char* HPuzzleGame::s_runningGameName()
{
    return sm_pPuzzleGame ? sm_pPuzzleGame->getGameName() : nullptr;
}

void HPuzzleGame::s_endAtExit()
{
    // What this may touch: the game object and its members (a static
    // object, built before main and destroyed by an exit function that
    // runs after this one), the registry (made at the start of go, before
    // this function was installed, so destroyed after it) and the audio
    // device with its mixer and sound manager (members, stopped here).
    // Not the display, which is gone, nor the input device (a function's
    // static object, made after this function was installed and so
    // destroyed before it runs), nor anything made meanwhile by a library
    // that cleans up in an exit function of its own.
    HPuzzleGame* game = sm_pPuzzleGame;
    if (!game || !game->m_bInGo)
        return;
    // Once: nothing that runs from here may end the game a second time.
    game->m_bInGo = false;
    // The sound first: the window has gone, and the music must not play
    // on while the last saves wait for another window's lock.
    game->m_shutdownAudioDevice();
    game->m_endByLostDisplay();
    // The X library's exit status says the display went away; what the
    // game could not store says more. The exit functions after this one
    // (the registry's, the game object's) have nothing left to do.
    if (game->m_holdsUnsavedData()) {
        std::fflush(nullptr);
        ::_exit(game->m_getExitCode());
    }
}

// --- Start-up and shutdown -------------------------------------------------

bool HPuzzleGame::go(const char* commandLine, const char* resourceDir)
{
    // The X library ends the process inside its own code when the display
    // goes away; what the game keeps is stored from the exit functions then.
    // The registry is made first: exit functions run last installed first,
    // so it is still there (it closes itself from an exit function of its
    // own).
    HSystemRegistry::s_getSystemRegistry();
    if (!sm_bEndAtExitInstalled)
        sm_bEndAtExitInstalled = std::atexit(&HPuzzleGame::s_endAtExit) == 0;
    m_bInGo = true;
    HGlobal::s_registerCommandLine(commandLine);
    // Without a script engine every variable reads as missing; the game
    // still runs on its defaults.
    m_cvarManager.initCvarManager();
    const bool started = m_initPuzzleGame(commandLine, resourceDir);
    if (started)
        m_runGame();
    m_shutdownPuzzleGame();
    m_quitPuzzleGame();
    m_bInGo = false;
    return started;
}

void HPuzzleGame::m_initCvars()
{
    m_cvarManager.addVariable("c_soundDriver", "default", 0);
    m_cvarManager.addVariable("c_dxversion", "0", 0);
    m_cvarManager.addVariable("mv_trace", "0", 0);
    m_cvarManager.addVariable("mv_journal", "0", 0);
    m_cvarManager.addVariable("mv_demoFile", "", 0);
    m_cvarManager.addVariable("mv_spriteCursor", "1", 0);
    m_cvarManager.addVariable("c_hklm", "0", 0);
}

bool HPuzzleGame::m_initPuzzleGame(const char* commandLine, const char* resourceDir)
{
    m_initCvars();
    if (commandLine)
        m_cvarManager.parseCommandLine(commandLine);
    HGlobal::s_registerResourceDir(resourceDir);

    // The demo is opened first: the trace and the journal must never be
    // created over the file they were asked to replay.
    const char* demo = m_cvarManager.getVariableString("mv_demoFile");
    if (demo && demo[0] != '\0' && !m_pDemoFile)
        m_openDemo(demo);

    // The trace and the journal share one file system on the current
    // directory; none is made when neither is asked for.
    const bool trace = m_cvarManager.getVariableInt("mv_trace") != 0;
    const bool journal = m_cvarManager.getVariableInt("mv_journal") != 0;
    if ((trace || journal) && !m_pTraceFileSystem) {
        m_pTraceFileSystem = new HStandardFileSystem;
        m_pTraceFileSystem->initFileSystem(".");
    }
    if (trace && !m_pTraceFile) {
        m_pTraceFile = m_createOutputFile(kTraceFileName, "the trace file", "writing no trace");
        if (m_pTraceFile)
            HPlatform::s_setTraceFile(m_pTraceFile);
    }
    if (journal && !m_pJournalFile) {
        m_pJournalFile = m_createOutputFile(kJournalFileName, "the journal", "recording nothing");
        if (m_pJournalFile)
            m_eventManager.beginJournal(m_pJournalFile);
    }

    // The registry file is named after the game's company and product;
    // without them there is no registry of this game to read.
    const char* company = m_cvarManager.getVariableString("companyName");
    const char* product = m_cvarManager.getVariableString("productName");
    if (!company || !product || company[0] == '\0' || product[0] == '\0')
        return true;
    // Only read, without a lock: the start waits for no other window.
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry || !registry->openRegistryFor(HSystemRegistry::USE_READ, &m_cvarManager, company, product))
        return true;
    char value[8];
    if (registry->getStringValue("disableLinks", value, sizeof(value)))
        m_bLinksDisabled = true;
    if (registry->getStringValue("disableMoravelLink", value, sizeof(value)))
        m_bMoravelLinkDisabled = true;
    registry->closeRegistry();
    return true;
}

void HPuzzleGame::m_openDemo(const char* name)
{
    // Every demo that cannot be played is said so on standard error, with
    // the reason; the game then runs on live input.
    const char* const goesOn = "the game goes on with live input";
    // The file system forms "./name" (or "/name") in 1023 characters: a
    // longer name would be cut and open another file.
    if (std::strlen(name) > kMaxDemoNameLength) {
        std::fprintf(stderr, "Cannot play the demo file '%s': %s; %s.\n", name, std::strerror(ENAMETOOLONG), goesOn);
        return;
    }
    // Looked at before it is opened: only a regular file is a demo (a
    // device never ends, a pipe would wait for a writer).
    struct stat st;
    if (::stat(name, &st) != 0) {
        std::fprintf(stderr, "Cannot play the demo file '%s': %s; %s.\n", name, std::strerror(errno), goesOn);
        return;
    }
    if (!S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "Cannot play the demo file '%s': it is not a regular file; %s.\n", name, goesOn);
        return;
    }
    if (!m_pDemoFileSystem)
        m_pDemoFileSystem = new HStandardFileSystem;
    // The file system puts its directory and a slash before the name: on ""
    // an absolute name stays absolute.
    m_pDemoFileSystem->initFileSystem(name[0] == '/' ? "" : ".");
    m_pDemoFile = m_pDemoFileSystem->openFileForRead(name);
    if (!m_pDemoFile) {
        std::fprintf(stderr, "Cannot play the demo file '%s': %s; %s.\n", name, std::strerror(errno), goesOn);
        return;
    }
    m_eventManager.beginDemo(m_pDemoFile);
}

bool HPuzzleGame::m_isDemoFile(const char* path) const
{
    if (!m_pDemoFile)
        return false;
    struct stat demo;
    struct stat other;
    return ::stat(m_pDemoFile->getName(), &demo) == 0 && ::stat(path, &other) == 0 && demo.st_dev == other.st_dev &&
           demo.st_ino == other.st_ino;
}

HFile* HPuzzleGame::m_createOutputFile(const char* name, const char* what, const char* otherwise)
{
    // Written in the current directory, where the demo may be too.
    char path[64];
    HUtil::s_sprintf(path, sizeof(path), "./%s", name);
    if (m_isDemoFile(path)) {
        std::fprintf(stderr, "Not writing %s '%s': it is the demo file being played; %s.\n", what, name, otherwise);
        return nullptr;
    }
    HFile* file = m_pTraceFileSystem->openFileForWrite(name);
    if (!file)
        std::fprintf(stderr, "Cannot create %s '%s': %s; %s.\n", what, name, std::strerror(errno), otherwise);
    return file;
}

void HPuzzleGame::m_closeJournalAndDemo()
{
    if (m_pJournalFile) {
        m_eventManager.endJournal();
        m_pJournalFile->close();
        m_pJournalFile = nullptr;
    }
    if (m_pDemoFile) {
        m_eventManager.endDemo();
        m_pDemoFile->close();
        m_pDemoFile = nullptr;
    }
    if (m_pDemoFileSystem) {
        m_pDemoFileSystem->shutdownFileSystem();
        delete m_pDemoFileSystem;
        m_pDemoFileSystem = nullptr;
    }
}

void HPuzzleGame::m_shutdownPuzzleGame()
{
    // Nothing is recorded or played back once shutdown begins.
    m_closeJournalAndDemo();
    m_shutdownSubsystems();
}

void HPuzzleGame::m_quitPuzzleGame()
{
    if (m_uiManager.getControlList())
        m_uiManager.shutdownUIManager();
    m_destroyReadFileSystem();
    // Only after a first half that did not run: the journal lives on the
    // trace file system.
    m_closeJournalAndDemo();
    if (m_pTraceFile) {
        // The platform forgets the file before it is closed, so no trace
        // line can reach a file object that is no longer open.
        HPlatform::s_setTraceFile(nullptr);
        m_pTraceFile->close();
        m_pTraceFile = nullptr;
    }
    if (m_pTraceFileSystem) {
        m_pTraceFileSystem->shutdownFileSystem();
        delete m_pTraceFileSystem;
        m_pTraceFileSystem = nullptr;
    }
    HErrorManager::s_db_trace("...shutting down cvm\n");
    m_cvarManager.shutdownCvarManager();
}

bool HPuzzleGame::m_createReadFileSystem(const char* path, bool readIntoMemory)
{
    if (!path)
        return false;
    // A second call replaces the first file system instead of leaking it.
    m_destroyReadFileSystem();

    bool ok = false;
    if (std::strstr(path, ".mvz")) {
        HZIPFileSystem* archive = new HZIPFileSystem;
        m_pReadFileSystem = archive;
        if (readIntoMemory) {
            int size = 0;
            void* bytes = readWholeFile(path, &size);
            if (bytes) {
                ok = archive->initFileSystemFromMemory(bytes, size);
                if (!ok)
                    std::free(bytes);
            }
        } else {
            ok = archive->initFileSystem(path);
        }
    } else {
        HStandardFileSystem* directory = new HStandardFileSystem;
        m_pReadFileSystem = directory;
        ok = directory->initFileSystem(path);
    }
    if (!ok)
        HErrorManager::s_messageBox(49, "Missing Resource File", "Could not load the resource file '%s'", path);
    return ok;
}

void HPuzzleGame::m_destroyReadFileSystem()
{
    if (!m_pReadFileSystem)
        return;
    m_pReadFileSystem->shutdownFileSystem();
    delete m_pReadFileSystem;
    m_pReadFileSystem = nullptr;
}

// --- Devices ---------------------------------------------------------------

bool HPuzzleGame::m_initSubsystems(const char* title, bool /*sound*/, bool fullscreen, bool flag, int width,
                                   int height, int channels, int bits, int rate)
{
    HGlobal::s_registerEventManager(&m_eventManager);
    HErrorManager::s_trace("...Creating display device\n");
    if (!m_createDisplayDevice(title, fullscreen, flag, width, height))
        return false;
    HErrorManager::s_trace("...Creating input device\n");
    if (!m_createInputDevice())
        return false;
    HErrorManager::s_trace("...Creating audio device\n");
    if (!m_createAudioDevice(m_pReadFileSystem, channels, bits, rate))
        HErrorManager::s_trace("...***failed to create audio device***\n");
    return true;
}

void HPuzzleGame::m_shutdownSubsystems()
{
    // The audio thread ends before the stream and samples it reads are
    // freed; the display goes last.
    m_shutdownAudioDevice();
    m_shutdownInputDevice();
    if (m_pDisplayDevice) {
        HErrorManager::s_db_trace("...destroying graphics device\n");
        m_shutdownDisplayDevice();
    }
}

bool HPuzzleGame::m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height)
{
    if (m_pDisplayDevice)
        m_shutdownDisplayDevice();
    H2DDisplayDevice* device =
        H2DDisplayDevice::s_create2DDisplayDevice(width, height, title, fullscreen, flag, &m_cvarManager);
    if (!device) {
        HErrorManager::s_db_alert("m_createDisplayDevice failed, probably because another instance is running");
        return false;
    }
    m_pDisplayDevice = device;
    HGlobal::s_register2DDisplayDevice(device);
    return true;
}

void HPuzzleGame::m_shutdownDisplayDevice()
{
    if (!m_pDisplayDevice)
        return;
    if (HGlobal::s_get2DDisplayDevice() == m_pDisplayDevice)
        HGlobal::s_register2DDisplayDevice(nullptr);
    H2DDisplayDevice::s_destroy2DDisplayDevice(m_pDisplayDevice);
    m_pDisplayDevice = nullptr;
}

bool HPuzzleGame::m_createInputDevice()
{
    if (m_pInputDevice)
        m_shutdownInputDevice();
    HInputDevice* device = HInputDevice::s_createInputDevice(&m_cvarManager, false, false);
    if (!device)
        return false;
    m_pInputDevice = device;
    // Registered once per creation and unregistered at teardown, so the
    // source is polled once per empty queue however often the devices are
    // set up again.
    if (device->getEventSource())
        m_eventManager.registerEventSource(device->getEventSource());
    return true;
}

void HPuzzleGame::m_shutdownInputDevice()
{
    if (!m_pInputDevice)
        return;
    if (m_pInputDevice->getEventSource())
        m_eventManager.unregisterEventSource(m_pInputDevice->getEventSource());
    m_pInputDevice->shutdownInputDevice();
    HInputDevice::s_destroyInputDevice(m_pInputDevice);
    m_pInputDevice = nullptr;
}

bool HPuzzleGame::m_createAudioDevice(HFileSystem* files, int channels, int bits, int rate)
{
    // A second set-up without a teardown starts from a clean slate: the old
    // device, stream and samples are released first.
    if (m_pAudioDevice || m_pSoundtrackStream)
        m_shutdownAudioDevice();
    m_mixer.configureStreamingAudioSource(channels, bits, rate);
    m_soundManager.initSoundManager(files, &m_mixer, channels, bits, rate);
    m_pSoundtrackStream = new HOggVorbisAudioStream;
    m_pSoundtrackStream->initStreamingAudioSource();
    // From here on the audio thread pulls chunks from the mixer.
    m_pAudioDevice = HAudioDevice::s_createAudioDevice(&m_cvarManager, &m_mixer, channels, bits, rate);
    return m_pAudioDevice != nullptr;
}

void HPuzzleGame::m_shutdownAudioDevice()
{
    m_playSoundtrack(false);
    if (m_pAudioDevice) {
        // The audio thread ends here.
        HAudioDevice::s_destroyAudioDevice(m_pAudioDevice);
        m_pAudioDevice = nullptr;
    }
    m_unloadSoundtrack();
    m_soundManager.shutdownSoundManager();
    m_mixer.shutdownStreamingAudioSource();
}

bool HPuzzleGame::m_quickToggleFullScreen()
{
    return m_pDisplayDevice ? m_pDisplayDevice->toggleFullscreen() : false;
}

// --- Main loop -------------------------------------------------------------

bool HPuzzleGame::m_runGame()
{
    bool quit = false;
    invalidateWholeScreen();
    for (;;) {
        HEvent event = HEvent::s_make(ET_NONE);
        const bool wait = m_bSuspended || !m_isBusy();
        while (m_eventManager.getEvent(&event, wait)) {
            m_gameClock = event.time;
            // Seeding from the first real time makes a replayed journal deal
            // the same game.
            if (!m_bRNGSeeded && event.time.getTime64() != 0) {
                m_rng.seedRNG(event.time.getTime32Truncate());
                m_bRNGSeeded = true;
            }
            if (m_processEvent(event))
                continue;
            quit = m_handleEvent(event);
            if (quit)
                break;
        }
        // A termination signal ends the game as a confirmed quit does, also
        // when it came while a dialog was open.
        if (HEventManager::s_isTerminationRequested()) {
            m_endByTermination();
            return true;
        }
        if (quit)
            return true;
        drawGame(false);
        drawCursor();
        updateScreen();
    }
}

bool HPuzzleGame::m_processEvent(const HEvent& event)
{
    switch (event.type) {
    case ET_ACTIVATE:
        if (event.state != 0) {
            if (m_pDisplayDevice)
                m_pDisplayDevice->resume2DDisplayDevice();
            if (m_pInputDevice)
                m_pInputDevice->resume();
            m_setActive(true);
        } else {
            if (m_pDisplayDevice)
                m_pDisplayDevice->suspend2DDisplayDevice();
            if (m_pInputDevice)
                m_pInputDevice->suspend();
            m_setActive(false);
            invalidateWholeScreen();
        }
        break;
    case ET_PAINT:
        invalidateWholeScreen();
        break;
    case ET_WINDOW_MINIMIZED:
        m_bMinimized = event.state != 0;
        break;
    case ET_MOUSEMOVE:
        if (m_spriteCursorInUse()) {
            // One rectangle over where the cursor was drawn and where it goes.
            const HScreenRect from = m_cursorRectAt(HScreenPoint{m_iLastCursorX, m_iLastCursorY});
            const HScreenRect to = m_cursorRectAt(event.point);
            invalidateArea(HScreenRect(from.left < to.left ? from.left : to.left,
                                       from.top < to.top ? from.top : to.top,
                                       from.right > to.right ? from.right : to.right,
                                       from.bottom > to.bottom ? from.bottom : to.bottom));
        }
        break;
    default:
        break;
    }
    return m_uiManager.sendEventToControls(event);
}

// --- Drawing ---------------------------------------------------------------

void HPuzzleGame::drawGame(bool inDialog)
{
    if (!m_beginDrawGame() || !m_pDisplayDevice)
        return;
    // The passes walk the list as it is now: what they invalidate themselves
    // is drawn in the next frame.
    HScreenRect rects[HDirtyRectangleManager::kMaxRectangles];
    const int32_t count = m_dirtyList.getRectangleCount();
    for (int32_t i = 0; i < count; ++i)
        rects[i] = *m_dirtyList.getRectangle(i);
    for (int32_t i = 0; i < count; ++i)
        m_drawPuzzleBoard(rects[i], inDialog);
    for (int32_t i = 0; i < count; ++i)
        m_uiManager.drawControls(rects[i]);
    for (int32_t i = 0; i < count; ++i)
        m_drawOverlays(rects[i], inDialog);
    m_endDrawGame();
}

bool HPuzzleGame::m_beginDrawGame()
{
    return !m_bMinimized && m_pDisplayDevice != nullptr;
}

void HPuzzleGame::m_endDrawGame() {}

void HPuzzleGame::m_drawOverlays(const HScreenRect& /*dirty*/, bool /*inDialog*/) {}

void HPuzzleGame::invalidateArea(const HScreenRect& r)
{
    if (!m_pDisplayDevice)
        return;
    HScreenRect clamped = r;
    HScreenRect::sm_clamp(clamped.left, 0, m_pDisplayDevice->m_iScreenWidth);
    HScreenRect::sm_clamp(clamped.right, 0, m_pDisplayDevice->m_iScreenWidth);
    HScreenRect::sm_clamp(clamped.top, 0, m_pDisplayDevice->m_iScreenHeight);
    HScreenRect::sm_clamp(clamped.bottom, 0, m_pDisplayDevice->m_iScreenHeight);
    m_dirtyList.addScreenRectToDirtyList(clamped);
}

void HPuzzleGame::invalidateWholeScreen()
{
    if (!m_pDisplayDevice)
        return;
    m_dirtyList.addScreenRectToDirtyList(
        HScreenRect(0, 0, m_pDisplayDevice->m_iScreenWidth, m_pDisplayDevice->m_iScreenHeight));
}

void HPuzzleGame::updateScreen()
{
    if (m_pDisplayDevice)
        m_pDisplayDevice->updateScreen();
    // Emptied even while minimised: the paint that follows the restore
    // redraws the whole screen.
    m_dirtyList.clearDirtyList();
}

void HPuzzleGame::m_findLitControl()
{
    if (m_uiManager.getControlList())
        m_uiManager.findLitControl(m_eventManager.getMousePoint());
}

void HPuzzleGame::m_insertControl(UIControl* control)
{
    if (control)
        m_uiManager.insertControl(control);
}

void HPuzzleGame::m_removeControl(UIControl* control)
{
    if (control)
        m_uiManager.removeControl(control);
}

bool HPuzzleGame::m_isBusy() const
{
    return false;
}

void HPuzzleGame::m_setActive(bool active)
{
    m_bActive = active;
}

void HPuzzleGame::m_endByTermination() {}

void HPuzzleGame::m_endByLostDisplay() {}

void HPuzzleGame::m_prepareForDialog() {}

bool HPuzzleGame::m_holdsUnsavedData() const
{
    return false;
}

int HPuzzleGame::m_getExitCode() const
{
    return m_holdsUnsavedData() ? HUnix::kExitNotStored : HUnix::kExitNormal;
}

// --- Cursor ----------------------------------------------------------------

bool HPuzzleGame::m_shouldRenderSpriteCursor()
{
    return m_cvarManager.getVariableInt("mv_spriteCursor") != 0;
}

MVSprite* HPuzzleGame::m_getCursorSprite()
{
    return nullptr;
}

bool HPuzzleGame::m_spriteCursorInUse()
{
    return m_shouldRenderSpriteCursor() && m_getCursorSprite() != nullptr;
}

HScreenRect HPuzzleGame::m_cursorRectAt(const HScreenPoint& p)
{
    const MVSprite* sprite = m_getCursorSprite();
    const int32_t w = sprite && sprite->isSpriteValid() ? sprite->getSpriteWidth() : 0;
    const int32_t h = sprite && sprite->isSpriteValid() ? sprite->getSpriteHeight() : 0;
    return HScreenRect(p.x, p.y, p.x + w, p.y + h);
}

void HPuzzleGame::drawCursor()
{
    // Like the other passes, the cursor is not drawn into a minimised window.
    if (!m_pDisplayDevice || m_bMinimized)
        return;
    const int32_t count = m_dirtyList.getRectangleCount();
    for (int32_t i = 0; i < count; ++i)
        m_drawCursor(*m_dirtyList.getRectangle(i));
}

void HPuzzleGame::m_drawCursor(const HScreenRect& dirty)
{
    if (!m_pDisplayDevice)
        return;
    const HScreenPoint mouse = m_eventManager.getMousePoint();
    const bool onScreen = mouse.x >= 0 && mouse.x <= m_pDisplayDevice->m_iScreenWidth && mouse.y >= 0 &&
                          mouse.y <= m_pDisplayDevice->m_iScreenHeight;
    if (!onScreen) {
        m_showSystemCursor(true);
        return;
    }
    if (!m_spriteCursorInUse() || !m_bCursorShown)
        return;
    m_showSystemCursor(false);
    m_iLastCursorX = mouse.x;
    m_iLastCursorY = mouse.y;
    const MVSprite* sprite = m_getCursorSprite();
    if (!sprite->isSpriteValid())
        return;
    HScreenRect src;
    sprite->getSizeRect(&src);
    HScreenRect dst;
    if (HScreenRect::s_intersectRects(m_cursorRectAt(mouse), dirty, &dst, &src) && !dst.isEmpty() &&
        !src.isEmpty())
        blendOver(*sprite, dst, src);
}

void HPuzzleGame::m_invalidateCursor()
{
    if (m_spriteCursorInUse())
        invalidateArea(m_cursorRectAt(m_eventManager.getMousePoint()));
}

void HPuzzleGame::showCursor(bool show)
{
    if (m_bCursorShown == show)
        return;
    m_bCursorShown = show;
    if (m_spriteCursorInUse())
        m_invalidateCursor();
    else
        m_showSystemCursor(show);
}

void HPuzzleGame::m_showSystemCursor(bool show)
{
    if (m_pDisplayDevice && m_spriteCursorInUse())
        m_pDisplayDevice->showCursor(show);
}

// --- Pause clock -----------------------------------------------------------

void HPuzzleGame::m_beginPause()
{
    m_pauseClock.begin(m_gameClock);
    HErrorManager::s_db_trace("m_beginPause - pause = %d, beginPause = %" PRIu64 ", pauseTime = %" PRIu64 "\n",
                              m_pauseClock.getCount(), m_pauseClock.getPauseStart().getTime64(),
                              m_pauseClock.getEndedPauseTime().getTime64());
}

void HPuzzleGame::m_endPause()
{
    m_pauseClock.end(m_gameClock);
    HErrorManager::s_db_trace("m_endPause - pauseCount = %d, endPause = %" PRIu64 ", pauseTime = %" PRIu64 "\n",
                              m_pauseClock.getCount(), m_pauseClock.getPauseEnd().getTime64(),
                              m_pauseClock.getEndedPauseTime().getTime64());
}

bool HPuzzleGame::isPaused() const
{
    return m_pauseClock.isPaused();
}

int HPuzzleGame::m_getPauseCount() const
{
    return m_pauseClock.getCount();
}

MvTime HPuzzleGame::m_getPauseTime() const
{
    return m_pauseClock.getPauseTime(m_gameClock);
}

void HPuzzleGame::m_resetPauseTime()
{
    m_pauseClock.resetPauseTime();
}

// --- Game-state stack ------------------------------------------------------

bool HPuzzleGame::stateStackContains(signed char state) const
{
    for (int32_t i = 0; i <= m_iGameStateTop && i < kGameStateCount; ++i) {
        if (m_aGameStates[i] == state)
            return true;
    }
    return false;
}

void HPuzzleGame::pushGameState(signed char state)
{
    if (m_iGameStateTop >= kGameStateCount - 1) {
        HErrorManager::s_db_alert("HPuzzleGame::pushGameState - the stack is full");
        return;
    }
    ++m_iGameStateTop;
    m_aGameStates[m_iGameStateTop] = state;
}

void HPuzzleGame::popGameState()
{
    if (m_iGameStateTop < 0) {
        HErrorManager::s_db_alert("HPuzzleGame::popGameState - the stack is empty");
        return;
    }
    --m_iGameStateTop;
}

void HPuzzleGame::resetGameState(signed char state)
{
    for (int8_t& s : m_aGameStates)
        s = -1;
    m_iGameStateTop = 0;
    m_aGameStates[0] = state;
}

int HPuzzleGame::getGameState(int depth) const
{
    const int64_t index = static_cast<int64_t>(m_iGameStateTop) + depth;
    if (index < 0 || index >= kGameStateCount)
        return -1;
    return m_aGameStates[index];
}

int HPuzzleGame::serializeGameState(void* buf, int len) const
{
    if (!buf || len < kGameStateRecordBytes)
        return 0;
    uint8_t* out = static_cast<uint8_t*>(buf);
    POSH_WriteS32ToLittle(out + offsetof(HGameStateRecord, top), m_iGameStateTop);
    for (int i = 0; i < kGameStateCount; ++i)
        out[offsetof(HGameStateRecord, states) + i] = static_cast<uint8_t>(m_aGameStates[i]);
    return kGameStateRecordBytes;
}

bool HPuzzleGame::deserializeGameState(const void* buf, int len)
{
    if (!buf || len != kGameStateRecordBytes)
        return false;
    const uint8_t* in = static_cast<const uint8_t*>(buf);
    const int32_t top = POSH_ReadS32FromLittle(in + offsetof(HGameStateRecord, top));
    // A stored top outside the stack would make every later push, pop and
    // read index outside the 32 entries.
    if (top < -1 || top >= kGameStateCount)
        return false;
    m_iGameStateTop = top;
    for (int i = 0; i < kGameStateCount; ++i)
        m_aGameStates[i] = static_cast<int8_t>(in[offsetof(HGameStateRecord, states) + i]);
    return true;
}

bool HPuzzleGame::linksDisabled() const
{
    return m_bLinksDisabled;
}

bool HPuzzleGame::moravelLinkDisabled() const
{
    return m_bMoravelLinkDisabled;
}

// --- Assets and the loading screen ------------------------------------------

bool HPuzzleGame::m_loadAssets(const MVSpriteInfo* sprites, int spriteCount, const char* soundtrack,
                               int loopPosition, const char* const* sounds, const char* background,
                               const char* bottomLeftLogo, const char* bottomRightLogo, const char* progressBar,
                               int barX, int barY, float end, const char* text, H2DFont* font)
{
    // Without it the screen shows what did load.
    m_loadLoadingScreen(background, bottomLeftLogo, bottomRightLogo, progressBar, barX, barY);
    if (!m_loadBitmaps(sprites, spriteCount, 0.75f * end, text, font)) {
        HErrorManager::s_messageBox(49, "Error", "Failed to load bitmaps");
        // Its surfaces belong to this display device, which the failed
        // start-up is about to destroy.
        m_unloadLoadingScreen();
        return false;
    }
    m_loadSoundAssets(soundtrack, loopPosition, sounds, 0.75f * end, end);
    m_unloadLoadingScreen();
    return true;
}

bool HPuzzleGame::m_loadLoadingScreen(const char* background, const char* bottomLeftLogo,
                                      const char* bottomRightLogo, const char* progressBar, int barX, int barY)
{
    // The bar's place and its empty revealed part are set whatever loads, so
    // that a screen shown without some of its art is still well defined.
    m_iLoadingBarX = barX;
    m_iLoadingBarY = barY;
    m_loadingBarRevealed = HScreenRect(barX, barY, barX, barY);
    m_bLoadingScreenFresh = true;

    if (bottomLeftLogo && !m_loadingLeftLogoSprite.loadSprite(m_pDisplayDevice, m_pReadFileSystem, bottomLeftLogo))
        return false;
    if (bottomRightLogo)
        m_loadingRightLogoSprite.loadSprite(m_pDisplayDevice, m_pReadFileSystem, bottomRightLogo);
    const bool haveBackground =
        background && m_loadingBackgroundSprite.loadSprite(m_pDisplayDevice, m_pReadFileSystem, background);
    const bool haveBar =
        progressBar && m_loadingBarSprite.loadSprite(m_pDisplayDevice, m_pReadFileSystem, progressBar);
    if (haveBar && m_loadingBarSprite.isSpriteValid())
        m_loadingBarRevealed.bottom = barY + m_loadingBarSprite.getSpriteHeight();
    return haveBackground && haveBar;
}

void HPuzzleGame::m_showLoadingScreen(float fraction, const char* text, H2DFont* font)
{
    if (!m_pDisplayDevice)
        return;
    if (!(fraction > 0.0f))
        fraction = 0.0f;
    else if (fraction > 1.0f)
        fraction = 1.0f;

    const bool haveBar = m_loadingBarSprite.isSpriteValid();
    const int32_t barWidth = haveBar ? m_loadingBarSprite.getSpriteWidth() : 0;
    const int32_t barHeight = haveBar ? m_loadingBarSprite.getSpriteHeight() : 0;

    if (fraction == 0.0f || m_bLoadingScreenFresh) {
        m_bLoadingScreenFresh = false;
        const int32_t width = m_pDisplayDevice->m_iScreenWidth;
        const int32_t height = m_pDisplayDevice->m_iScreenHeight;
        if (m_loadingBackgroundSprite.isSpriteValid())
            m_loadingBackgroundSprite.drawSpriteAtPoint(HScreenPoint{0, 0});
        if (m_loadingLeftLogoSprite.isSpriteValid()) {
            const MVDialogLayout::Place at = MVDialogLayout::loadingLeftLogoAt(
                width, height, m_loadingLeftLogoSprite.getSpriteWidth(), m_loadingLeftLogoSprite.getSpriteHeight());
            m_loadingLeftLogoSprite.drawSpriteAtPoint(HScreenPoint{at.x, at.y});
        }
        if (m_loadingRightLogoSprite.isSpriteValid()) {
            const MVDialogLayout::Place at = MVDialogLayout::loadingRightLogoAt(
                width, height, m_loadingRightLogoSprite.getSpriteWidth(), m_loadingRightLogoSprite.getSpriteHeight());
            m_loadingRightLogoSprite.drawSpriteAtPoint(HScreenPoint{at.x, at.y});
        }
        if (text && font) {
            const HColor4f white{1.0f, 1.0f, 1.0f, 1.0f};
            m_pDisplayDevice->drawText(text, 10, 100, HScreenRect(0, 0, width, height), TJ_LEFT, font, &white);
        }
        m_loadingBarRevealed =
            HScreenRect(m_iLoadingBarX, m_iLoadingBarY, m_iLoadingBarX, m_iLoadingBarY + barHeight);
    }

    // Only the columns revealed since the last call are drawn, so every
    // frame after the first presents a thin strip.
    if (haveBar) {
        const HScreenRect dst(m_loadingBarRevealed.right, m_loadingBarRevealed.top,
                              m_iLoadingBarX + static_cast<int32_t>(fraction * static_cast<float>(barWidth)),
                              m_loadingBarRevealed.bottom);
        const HScreenRect src(m_loadingBarRevealed.right - m_iLoadingBarX, 0,
                              static_cast<int32_t>(static_cast<float>(barWidth) * fraction), barHeight);
        if (!dst.isEmpty() && !src.isEmpty()) {
            blendOver(m_loadingBarSprite, dst, src);
            m_loadingBarRevealed.right = dst.right;
        }
    }
    m_pDisplayDevice->updateScreen();
}

void HPuzzleGame::m_unloadLoadingScreen()
{
    // Every reference the loading screen took is given back, and none it
    // never took: an unload of a sprite that did not load would leave its
    // count below 0.
    MVSprite* sprites[] = {&m_loadingBarSprite, &m_loadingBackgroundSprite, &m_loadingLeftLogoSprite,
                           &m_loadingRightLogoSprite};
    for (MVSprite* sprite : sprites) {
        while (sprite->getRefCount() > 0)
            sprite->unloadSprite();
    }
    m_bLoadingScreenFresh = false;
}

bool HPuzzleGame::m_loadBitmaps(const MVSpriteInfo* sprites, int count, float end, const char* text, H2DFont* font)
{
    if (!sprites || count <= 0)
        return true;
    float fraction = 0.0f;
    for (int i = 0; i < count; ++i) {
        const MVSpriteInfo& info = sprites[i];
        if (info.fileName && info.sprite) {
            m_showLoadingScreen(fraction, text, font);
            // A surface needs the device that makes it.
            if (!m_pDisplayDevice ||
                !info.sprite->loadSprite(m_pDisplayDevice, m_pReadFileSystem, info.fileName)) {
                HErrorManager::s_db_alert("Could not load sprite '%s'", info.fileName);
                return false;
            }
        }
        fraction += end / static_cast<float>(count);
    }
    return true;
}

bool HPuzzleGame::m_loadSoundAssets(const char* soundtrack, int loopPosition, const char* const* sounds, float start,
                                    float end)
{
    HErrorManager::s_trace("...loading sounds\n");
    m_showLoadingScreen(start, nullptr, nullptr);
    if (soundtrack)
        m_loadSoundtrack(soundtrack, m_pReadFileSystem, loopPosition);
    int count = 0;
    while (sounds && sounds[count])
        ++count;
    if (count == 0)
        return false;
    float fraction = start;
    for (int i = 0; i < count; ++i) {
        fraction += (end - start) / static_cast<float>(count);
        m_showLoadingScreen(fraction, nullptr, nullptr);
        m_soundManager.preloadAudioSample(sounds[i]);
    }
    return true;
}

bool HPuzzleGame::m_loadCollisionMaps(const MVCollisionMapInfo* maps, int count)
{
    for (int i = 0; maps && i < count; ++i) {
        if (!maps[i].fileName || !maps[i].map)
            continue;
        if (!maps[i].map->loadCollisionMap(m_pReadFileSystem, maps[i].fileName)) {
            HErrorManager::s_db_alert("Could not load collision map '%s'", maps[i].fileName);
            return false;
        }
    }
    return true;
}

// --- Soundtrack and sounds -------------------------------------------------

bool HPuzzleGame::m_loadSoundtrack(const char* name, HFileSystem* files, int loopPosition)
{
    // Before the audio set-up there is no stream to play it on.
    if (!m_pSoundtrackStream)
        return true;
    HFile* file = name && files ? files->openFileForRead(name) : nullptr;
    if (!file) {
        HErrorManager::s_trace("...***could not open theme music***\n");
        return false;
    }
    const int length = file->length();
    uint8_t* bytes = length > 0 ? new (std::nothrow) uint8_t[length] : nullptr;
    const bool read = bytes && file->read(bytes, length) == length;
    file->close();
    if (!read) {
        // The soundtrack that was loaded, if any, plays on.
        delete[] bytes;
        HErrorManager::s_trace("...***could not read theme music***\n");
        return false;
    }
    // The stream swaps its data under its own lock: once this returns the
    // audio thread no longer reads the old bytes, which can then go.
    const bool opened = m_pSoundtrackStream->setDataSource(bytes, length, 16, 22050, loopPosition);
    delete[] m_pSoundtrackData;
    m_pSoundtrackData = bytes;
    m_iSoundtrackBytes = length;
    return opened;
}

void HPuzzleGame::m_unloadSoundtrack()
{
    m_playSoundtrack(false);
    if (m_bSoundtrackPlaying) {
        // Never left playing without a device, but the mixer must not keep a
        // stream that is about to be deleted.
        m_mixer.stopCompressedAudioStream(m_iSoundtrackHandle);
        m_bSoundtrackPlaying = false;
    }
    // The stream lets go of the bytes before they are freed.
    if (m_pSoundtrackStream) {
        m_pSoundtrackStream->shutdownStreamingAudioSource();
        delete m_pSoundtrackStream;
        m_pSoundtrackStream = nullptr;
    }
    delete[] m_pSoundtrackData;
    m_pSoundtrackData = nullptr;
    m_iSoundtrackBytes = 0;
}

void HPuzzleGame::m_rewindSoundtrack()
{
    if (m_pSoundtrackStream && m_pSoundtrackData)
        m_pSoundtrackStream->rewindAudioStream();
}

bool HPuzzleGame::m_playSoundtrack(bool play)
{
    if (!m_pAudioDevice)
        return false;
    if (play == m_bSoundtrackPlaying)
        return play;
    if (play) {
        if (!m_pSoundtrackStream)
            return false;
        m_mixer.playCompressedAudioStream(&m_iSoundtrackHandle, m_pSoundtrackStream,
                                          static_cast<unsigned char>(m_fMusicVolume * 255.0f));
        m_bSoundtrackPlaying = true;
    } else {
        m_mixer.stopCompressedAudioStream(m_iSoundtrackHandle);
        m_bSoundtrackPlaying = false;
    }
    return play;
}

void HPuzzleGame::setSoundtrackVolume(float volume)
{
    if (!(volume > 0.0f))
        volume = 0.0f;
    else if (volume > 1.0f)
        volume = 1.0f;
    m_fMusicVolume = volume;
    int32_t level = static_cast<int32_t>(volume * 255.0f);
    if (level > 255)
        level = 255;
    m_mixer.setStreamingAudioSourceVolume(static_cast<unsigned char>(level));
}

void HPuzzleGame::playSound(const char* name, int volume, int pan, bool overlapAllowed)
{
    // Held to the byte's range before the conversion: a volume outside 0 to
    // 255 or a sound volume outside 0 to 1 must not overflow the integer.
    float level = getSoundVolume() * static_cast<float>(volume);
    if (!(level > 0.0f))
        level = 0.0f;
    else if (level > 255.0f)
        level = 255.0f;
    m_soundManager.playSoundByName(nullptr, name, 0, static_cast<unsigned char>(static_cast<int>(level)),
                                   static_cast<signed char>(pan), overlapAllowed);
}

void HPuzzleGame::mute(bool muted)
{
    m_mixer.mute(muted);
}
