// Test support for the game's options, best times and dialogs: a game that
// runs a test's action when an ET_COMMAND event reaches it (so a dialog runs
// inside the main loop, as a button would run it, and fetches the script's
// next batches), opens up the members the tests set or read, and can stand
// in for the device switch and the partner link; plus the registry file's
// records, written and read byte by byte, and the events a script needs.
#pragma once

#include <unistd.h>

#include "engine/core/HEvent.h"
#include "game/Qinvar.h"
#include "tests/support/InputEvents.h"
#include "tests/support/OpenQinvar.h"
#include "tests/support/QinvarSession.h"
#include "tests/support/RegistryFile.h"
#include "tests/support/TestPaths.h"
#include "ui/MVDialog.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

class QinvarDialogProbe : public OpenQinvar {
public:
    // What an ET_COMMAND runs; its state field picks one when there are several.
    std::function<void(QinvarDialogProbe&, uint32_t)> onCommand;
    // Every ET_TOGGLE_FULLSCREEN that reached the game.
    int toggleEvents = 0;
    // On ET_TOGGLE_FULLSCREEN: toggleFullscreen, as the play flow does.
    bool switchOnToggle = true;

    // Device set-up: a hook that runs before each m_initSubsystems and may
    // make it fail (false). Counted.
    std::function<bool(bool fullscreen)> beforeInitSubsystems;
    int initSubsystemsCalls = 0;
    // -1: the display device's own switch; 0: it fails; 1: it succeeds.
    int quickToggle = -1;
    // Runs at the start of every in-place switch (counted).
    std::function<void()> duringQuickToggle;
    int quickToggleCalls = 0;
    // The partner link: recorded instead of opening a browser and ending
    // the process; the registry file as it was at that moment.
    int partnerCalls = 0;
    std::string partnerDefault;
    std::string partnerCompany;
    std::string partnerProduct;
    std::string partnerAddress;
    std::string registryAtPartner;
    std::string registryPath;

    using Qinvar::goToPartnerSite;

    bool m_handleEvent(const HEvent& e) override
    {
        if (e.type == ET_COMMAND) {
            if (onCommand)
                onCommand(*this, e.state);
            return false;
        }
        if (e.type == ET_TOGGLE_FULLSCREEN) {
            ++toggleEvents;
            if (switchOnToggle)
                toggleFullscreen();
            return false;
        }
        return Qinvar::m_handleEvent(e);
    }

    bool m_initSubsystems(const char* title, bool sound, bool fullscreen, bool flag, int width, int height,
                          int channels, int bits, int rate) override
    {
        ++initSubsystemsCalls;
        if (beforeInitSubsystems && !beforeInitSubsystems(fullscreen))
            return false;
        return Qinvar::m_initSubsystems(title, sound, fullscreen, flag, width, height, channels, bits, rate);
    }

    bool m_quickToggleFullScreen() override
    {
        ++quickToggleCalls;
        if (duringQuickToggle)
            duringQuickToggle();
        if (quickToggle == 0)
            return false;
        if (quickToggle == 1)
            return true;
        return Qinvar::m_quickToggleFullScreen();
    }

    void goToPartnerSite(const char* defaultAddress, const char* company, const char* product) override
    {
        ++partnerCalls;
        partnerDefault = defaultAddress ? defaultAddress : "";
        partnerCompany = company ? company : "";
        partnerProduct = product ? product : "";
        char address[1024];
        m_findPartnerURL(defaultAddress, company, product, address, static_cast<int>(sizeof(address)));
        partnerAddress = address;
        registryAtPartner = readFileBytes(registryPath);
    }
};

// The finished game the ranking looks at.
inline void finishGame(QinvarDialogProbe& g, int32_t tiles, int32_t gameSeconds, int32_t realSeconds)
{
    g.m_board.tilesLeft = tiles;
    g.m_gameStats.gameSeconds = gameSeconds;
    g.m_gameStats.realSeconds = realSeconds;
}

// The session with a probe game, its registry path known to the probe.
class ProbeSession : public GameSession<QinvarDialogProbe> {
public:
    explicit ProbeSession(uint64_t startMs = 1000) : GameSession(startMs) { probe().registryPath = registryPath(); }
    QinvarSession& session() { return *this; }
    QinvarDialogProbe& probe() { return game(); }
};

// The innermost open dialog, as the test knows its kind; null when none is open.
template <class T>
T* openDialog()
{
    if (MVDialog::sm_modalStack.getNumItems() < 1)
        return nullptr;
    return static_cast<T*>(MVDialog::sm_modalStack.getObjectAt(0));
}

inline int openDialogCount()
{
    return MVDialog::sm_modalStack.getNumItems();
}

// Where the tests put the pictures of the dialogs: <build>/review/dialog_<name>.
inline std::string screenshotPath(const std::string& name)
{
    return pictureFile("dialog_" + name);
}

// The peak of one second of the soundtrack from its start, as the mixer
// mixes it now. The silent device never pulls the mixer, so the test can;
// the sound effects' voices (the splash sound of the start) are silenced
// first, the music stream and its volume stay.
inline int soundtrackPeak(Qinvar& game)
{
    game.getMixer()->shutdownStreamingAudioSource();
    game.m_rewindSoundtrack();
    std::vector<int16_t> chunk(22050 * 2);
    game.getMixer()->readNextChunk(chunk.data(), static_cast<int>(chunk.size() * sizeof(int16_t)));
    int peak = 0;
    for (int16_t v : chunk)
        peak = std::max(peak, std::abs(static_cast<int>(v)));
    return peak;
}

// A rectangle as text, so tests compare rectangles and show them.
inline std::string rectText(const HScreenRect& r)
{
    return "(" + std::to_string(r.left) + ", " + std::to_string(r.top) + ", " + std::to_string(r.right) + ", " +
           std::to_string(r.bottom) + ")";
}

// --- Events (InputEvents) -----------------------------------------------------

// Nothing in the program makes an ET_COMMAND: it is the probe's own way to
// run a test's action inside the main loop.
inline HEvent commandAt(uint64_t time, uint32_t which = 0)
{
    HEvent e = InputEvents::s_unmade(ET_COMMAND, time);
    e.state = which;
    return e;
}

inline HEvent pressAt(uint64_t time, int32_t x, int32_t y)
{
    return InputEvents::s_buttonDown(time, HScreenPoint{x, y});
}

inline HEvent releaseAt(uint64_t time, int32_t x, int32_t y)
{
    return InputEvents::s_buttonUp(time, HScreenPoint{x, y});
}

inline HEvent moveTo(uint64_t time, int32_t x, int32_t y)
{
    return InputEvents::s_mouseMove(time, HScreenPoint{x, y});
}

// The press of the key that types c.
inline HEvent typedAt(uint64_t time, char c)
{
    return InputEvents::s_typed(time, c);
}

// A click in the middle of a screen rectangle: press and release.
inline std::vector<HEvent> clickIn(uint64_t time, const HScreenRect& r)
{
    const int32_t x = (r.left + r.right) / 2;
    const int32_t y = (r.top + r.bottom) / 2;
    return {moveTo(time, x, y), pressAt(time, x, y), releaseAt(time, x, y)};
}

// --- The registry file -------------------------------------------------------

// The name a layout's place holds in the registry file ("<none>" when the
// file holds no name there), and the names of all eight places, best first.
inline std::string storedName(const std::string& registry, int layout, int place)
{
    std::string value;
    if (!registryValue(registry, "HSn:" + std::to_string(layout) + "x" + std::to_string(place), &value))
        return "<none>";
    return std::string(value.c_str());
}

inline std::vector<std::string> storedNames(const std::string& registry, int layout)
{
    std::vector<std::string> names;
    for (int place = 0; place < 8; ++place)
        names.push_back(storedName(registry, layout, place));
    return names;
}

// Every option stored as a player would leave them, in the order the game
// reads them: the last name "Ada", the layout given, table top 4, tile set
// 3, automatic hints off, the sound at a half, the music at an eighth, a
// window.
inline std::vector<RegistryRecord> chosenOptionRecords(uint32_t layout)
{
    return {
        {"LastHighScoreName", std::string("Ada") + std::string(22, '\0')},
        {"Layout", u32Bytes(layout)},
        {"Background", u32Bytes(4)},
        {"Tileset", u32Bytes(3)},
        {"Autohint", u32Bytes(0)},
        {"Sound Volume", floatBytes(0.5f)},
        {"Music Volume", floatBytes(0.125f)},
        {"Fullscreen", u32Bytes(0)},
    };
}

// The five records of one best-time entry, as the game stores them.
inline std::vector<RegistryRecord> highScoreRecords(int layout, int place, const QVHighScore& e)
{
    const std::string at = std::to_string(layout) + "x" + std::to_string(place);
    return {{"HSn:" + at, std::string(e.name, sizeof(e.name))},
            {"HSv:" + at, u32Bytes(e.tag)},
            {"HSgt:" + at, u32Bytes(e.gameTime)},
            {"HSrt:" + at, u32Bytes(e.realTime)},
            {"HStl:" + at, u32Bytes(e.remainingTiles)}};
}

// Writes the records as the registry file of the session's HOME.
inline void writeRegistry(QinvarSession& session, const std::vector<RegistryRecord>& records)
{
    session.home().write(kGameRegistryFile, registryBytes(records));
}

// A folder in the registry file's place: opening it succeeds and reading it
// fails, as an I/O error would, for root as well.
inline void makeRegistryUnreadable(QinvarSession& session)
{
    session.home().write(std::string(kGameRegistryFile) + "/inside", "x");
}

// The readable file again, with these records, in place of that folder.
inline void replaceUnreadableRegistry(QinvarSession& session, const std::vector<RegistryRecord>& records)
{
    const std::string path = session.registryPath();
    std::remove((path + "/inside").c_str());
    ::rmdir(path.c_str());
    writeRegistry(session, records);
}
