// The recording game of the framework's tests.
#include "tests/support/TestGame.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HFile.h"
#include "engine/core/HStandardFileSystem.h"
#include "tests/support/ImageDisplayDevice.h"

#include <unistd.h>

#include <cinttypes>
#include <cstdio>

// --- Control ---------------------------------------------------------------

void TestControlDelegate::invalidateControl(UIControl* control)
{
    FixedExtentsDelegate::invalidateControl(control);
    if (HPuzzleGame::sm_pPuzzleGame && control)
        HPuzzleGame::sm_pPuzzleGame->invalidateArea(control->getControlRect());
}

TestControl::TestControl(TestGame* game, const HScreenRect& rect)
    : UIControl(new TestControlDelegate(rect.width(), rect.height())), m_pGame(game)
{
    setLocation(HScreenPoint{rect.left, rect.top});
}

void TestControl::clickAction()
{
    m_pGame->record("control click");
}

void TestControl::unclickAction()
{
    m_pGame->record("control unclick");
}

void TestControl::drawControl(const HScreenRect& clip)
{
    m_pGame->record("control " + TestGame::s_rect(clip));
    UIControl::drawControl(clip);
}

// --- Game ------------------------------------------------------------------

TestGame::TestGame()
    : HPuzzleGame(),
      eventHandler(),
      m_setup(),
      m_calls(),
      m_bTraceHooks(false),
      m_pControl(nullptr),
      m_pStageFileSystem(nullptr),
      m_stageFiles(),
      m_uNextStage(0),
      m_iLiveTimestamps(0)
{
}

TestGame::~TestGame()
{
    // A test that stops early still releases every device and file.
    m_shutdownPuzzleGame();
    m_quitPuzzleGame();
}

std::string TestGame::s_rect(const HScreenRect& r)
{
    char text[64];
    std::snprintf(text, sizeof(text), "%d,%d,%d,%d", r.left, r.top, r.right, r.bottom);
    return text;
}

void TestGame::record(const std::string& line)
{
    m_calls.push_back(line);
    if (m_bTraceHooks)
        HErrorManager::s_trace("TestGame: %s\n", line.c_str());
}

std::vector<std::string> TestGame::callsStartingWith(const std::string& prefix) const
{
    std::vector<std::string> out;
    for (const std::string& c : m_calls) {
        if (c.compare(0, prefix.size(), prefix) == 0)
            out.push_back(c);
    }
    return out;
}

int TestGame::indexOf(const std::string& line, int from) const
{
    for (size_t i = from < 0 ? 0 : static_cast<size_t>(from); i < m_calls.size(); ++i) {
        if (m_calls[i] == line)
            return static_cast<int>(i);
    }
    return -1;
}

ImageDisplayDevice* TestGame::recordingDisplay() const
{
    return m_setup.recordingDisplay ? static_cast<ImageDisplayDevice*>(m_pDisplayDevice) : nullptr;
}

bool TestGame::m_initPuzzleGame(const char* commandLine, const char* resourceDir)
{
    record("init");
    if (!m_setup.productName.empty()) {
        m_cvarManager.addVariable("companyName", "Moravel", 0);
        m_cvarManager.addVariable("productName", m_setup.productName.c_str(), 0);
    }
    HPuzzleGame::m_initPuzzleGame(commandLine, resourceDir);
    record(std::string("links ") + (linksDisabled() ? "1 " : "0 ") + (moravelLinkDisabled() ? "1" : "0"));
    if (!m_setup.resources.empty() && !m_createReadFileSystem(m_setup.resources.c_str(), m_setup.readIntoMemory)) {
        record("init failed: resources");
        return false;
    }
    if (m_setup.devices && !m_initSubsystems("QV Test Game", true, false, true, m_setup.width, m_setup.height, 2,
                                             16, 22050)) {
        record("init failed: devices");
        return false;
    }
    if (m_setup.control) {
        m_pControl = new TestControl(this, m_setup.controlRect);
        m_insertControl(m_pControl);
    }
    record("ready");
    return true;
}

void TestGame::m_closeStages()
{
    for (HFile* f : m_stageFiles)
        f->close();
    m_stageFiles.clear();
    if (m_pStageFileSystem) {
        m_pStageFileSystem->shutdownFileSystem();
        delete m_pStageFileSystem;
        m_pStageFileSystem = nullptr;
    }
}

void TestGame::m_shutdownPuzzleGame()
{
    m_eventManager.endDemo();
    m_closeStages();
    HPuzzleGame::m_shutdownPuzzleGame();
}

void TestGame::m_quitPuzzleGame()
{
    // The UI manager deletes the control.
    m_pControl = nullptr;
    HPuzzleGame::m_quitPuzzleGame();
}

bool TestGame::m_handleEvent(const HEvent& event)
{
    char text[1024];
    char line[1200];
    const MvTime clock = getGameClock();
    if (isRNGSeeded())
        std::snprintf(line, sizeof(line), "event %s clock=%" PRIu64 " seed=%" PRIu32, event.toString(text, sizeof(text)),
                      clock.getTime64(), m_rng.getSeed());
    else
        std::snprintf(line, sizeof(line), "event %s clock=%" PRIu64 " seed=none", event.toString(text, sizeof(text)),
                      clock.getTime64());
    record(line);

    if (eventHandler)
        return eventHandler(event);
    if (event.type == ET_QUIT)
        return true;
    // A right-button press marks a small area around it for redrawing.
    if (event.type == ET_KEYDOWN && event.keyCode == KC_RBUTTON)
        invalidateArea(HScreenRect(event.point.x - 5, event.point.y - 5, event.point.x + 5, event.point.y + 5));
    // Live input after the end of a demo: the next stage, or the live quit.
    if (event.type == ET_TIMESTAMP && !m_eventManager.isPlayingDemo()) {
        if (m_uNextStage < m_setup.stages.size()) {
            std::string name = m_setup.stages[m_uNextStage++];
            if (!m_pStageFileSystem) {
                // On "" the file system's "<dir>/<name>" keeps an absolute name.
                m_pStageFileSystem = new HStandardFileSystem;
                m_pStageFileSystem->initFileSystem("");
            }
            if (name.empty() || name[0] != '/') {
                char cwd[1024];
                if (::getcwd(cwd, sizeof(cwd)))
                    name = std::string(cwd) + "/" + name;
            }
            HFile* file = m_pStageFileSystem->openFileForRead(name.c_str());
            record(std::string("stage ") + m_setup.stages[m_uNextStage - 1] + (file ? "" : " missing"));
            if (file) {
                m_stageFiles.push_back(file);
                m_eventManager.beginDemo(file);
            }
            return false;
        }
        if (m_setup.liveQuitAfter > 0 && ++m_iLiveTimestamps >= m_setup.liveQuitAfter) {
            record("live quit");
            return true;
        }
    }
    return false;
}

void TestGame::m_drawPuzzleBoard(const HScreenRect& dirty, bool inDialog)
{
    record("board " + s_rect(dirty) + (inDialog ? " 1" : " 0"));
}

void TestGame::m_drawOverlays(const HScreenRect& dirty, bool inDialog)
{
    record("overlays " + s_rect(dirty) + (inDialog ? " 1" : " 0"));
    HPuzzleGame::m_drawOverlays(dirty, inDialog);
}

void TestGame::m_drawCursor(const HScreenRect& dirty)
{
    record("cursor " + s_rect(dirty));
    HPuzzleGame::m_drawCursor(dirty);
}

bool TestGame::m_beginDrawGame()
{
    const bool draw = HPuzzleGame::m_beginDrawGame();
    record(draw ? "begin draw" : "begin draw refused");
    return draw;
}

void TestGame::m_endDrawGame()
{
    record("end draw");
    HPuzzleGame::m_endDrawGame();
}

void TestGame::m_setActive(bool active)
{
    record(active ? "active 1" : "active 0");
    HPuzzleGame::m_setActive(active);
}

bool TestGame::m_createDisplayDevice(const char* title, bool fullscreen, bool flag, int width, int height)
{
    record("create display");
    if (!m_setup.recordingDisplay)
        return HPuzzleGame::m_createDisplayDevice(title, fullscreen, flag, width, height);
    return ImageDisplayDevice::s_install(this, &m_pDisplayDevice, width, height, title, fullscreen, flag);
}

bool TestGame::m_createInputDevice()
{
    record("create input");
    return HPuzzleGame::m_createInputDevice();
}

bool TestGame::m_createAudioDevice(HFileSystem* files, int channels, int bits, int rate)
{
    record("create audio");
    return HPuzzleGame::m_createAudioDevice(files, channels, bits, rate);
}

void TestGame::m_shutdownAudioDevice()
{
    if (m_pAudioDevice || m_pSoundtrackStream)
        record("shutdown audio");
    HPuzzleGame::m_shutdownAudioDevice();
}

void TestGame::m_shutdownDisplayDevice()
{
    if (m_pDisplayDevice)
        record("shutdown display");
    HPuzzleGame::m_shutdownDisplayDevice();
}

void TestGame::m_shutdownInputDevice()
{
    if (m_pInputDevice)
        record("shutdown input");
    HPuzzleGame::m_shutdownInputDevice();
}
