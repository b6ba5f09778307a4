// The player's options: read from and written to the per-user registry,
// switching between window and full screen, the options dialog and the
// partner link it offers.
#include "game/Qinvar.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/POSH.h"
#include "engine/media/H2DDisplayDevice.h"
#include "game/QVOptionsDialog.h"
#include "game/ScreenGeometry.h"

#include <cmath>
#include <cstring>

namespace {

// The partner link's address when neither "config.txt" nor the registry
// names one: the maker's home page.
const char* const kHomePage = "http://www.moravel.example.org/";

// Volumes when the registry holds none (or a damaged one).
constexpr float kDefaultSoundVolume = 1.0f;
constexpr float kDefaultMusicVolume = 0.25f;

// A u32 value (stored in machine order) as a signed field; a value that is
// not 4 bytes long leaves the field as it was.
void readInt(HSystemRegistry* registry, const char* key, int32_t* field)
{
    uint8_t bytes[4];
    if (!Qinvar::s_readFourBytes(registry, key, bytes))
        return;
    uint32_t value = 0;
    std::memcpy(&value, bytes, sizeof(value));
    *field = static_cast<int32_t>(value);
}

// A volume: little-endian float bits, clamped to [0, 1]; absent, short, long
// or not a number gives the default.
float readVolume(HSystemRegistry* registry, const char* key, float fallback)
{
    uint8_t bytes[4];
    if (!Qinvar::s_readFourBytes(registry, key, bytes))
        return fallback;
    const uint32_t bits = static_cast<uint32_t>(bytes[0]) | (static_cast<uint32_t>(bytes[1]) << 8) |
                          (static_cast<uint32_t>(bytes[2]) << 16) | (static_cast<uint32_t>(bytes[3]) << 24);
    const float v = POSH_FloatFromLittleBits(bits);
    if (std::isnan(v))
        return fallback;
    return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v);
}

// A switch stored as 0 or 1; anything else counts as the default.
int32_t sanitizeFlag(int32_t value, int32_t fallback)
{
    return (value == 0 || value == 1) ? value : fallback;
}

} // namespace

bool Qinvar::m_loadOptions()
{
    // Without a lock: the window starts at once, whoever saves meanwhile.
    if (HSystemRegistry* registry = m_openRegistry(HSystemRegistry::USE_READ)) {
        registry->getStringValue("LastHighScoreName", m_options.lastHighScoreName,
                                 sizeof(m_options.lastHighScoreName));
        readInt(registry, "Layout", &m_options.layout);
        readInt(registry, "Background", &m_options.background);
        readInt(registry, "Tileset", &m_options.tileSet);
        readInt(registry, "Autohint", &m_options.autoHint);
        m_options.soundVolume = readVolume(registry, "Sound Volume", kDefaultSoundVolume);
        m_options.musicVolume = readVolume(registry, "Music Volume", kDefaultMusicVolume);
        int32_t fullscreen = 0;
        uint8_t bytes[4];
        if (s_readFourBytes(registry, "Fullscreen", bytes))
            std::memcpy(&fullscreen, bytes, sizeof(fullscreen));
        m_options.fullscreen = fullscreen;
        // Only read: nothing of this run is there to save yet.
        registry->closeRegistry();
    }
    // A damaged or hand-edited registry must never leave a switch that cannot
    // be turned off, or an index outside its range.
    m_options.autoHint = sanitizeFlag(m_options.autoHint, 1);
    m_options.fullscreen = sanitizeFlag(m_options.fullscreen, 0);
    adjustBackgroundPreview(0);
    adjustTileSetPreview(0);
    adjustLayoutPreview(0);
    // The run starts here: nothing is set in it yet.
    m_options.unsavedFields = 0;
    return true;
}

void Qinvar::m_saveOptions()
{
    // Written with this use of the registry, or with the next that succeeds.
    m_bOptionsPending = true;
    if (HSystemRegistry* registry = m_openRegistry())
        m_closeRegistry(registry);
}

void Qinvar::m_writeOptions(HSystemRegistry* registry)
{
    // Only what this window set since its last save: another window may
    // have saved its own choices meanwhile, and the options read at
    // start-up (the defaults, when they could not be read) are nobody's
    // new choice. The name is offered at every name entry; only one
    // entered is chosen.
    const QVOptions& o = m_options;
    if (o.isUnsaved(QVOptions::kAutoHintSet))
        registry->setU32Value("Autohint", static_cast<uint32_t>(o.autoHint));
    if (o.isUnsaved(QVOptions::kSoundVolumeSet))
        registry->setFloatValue("Sound Volume", o.soundVolume);
    if (o.isUnsaved(QVOptions::kMusicVolumeSet))
        registry->setFloatValue("Music Volume", o.musicVolume);
    if (o.isUnsaved(QVOptions::kTileSetSet))
        registry->setU32Value("Tileset", static_cast<uint32_t>(o.tileSet));
    if (o.isUnsaved(QVOptions::kBackgroundSet))
        registry->setU32Value("Background", static_cast<uint32_t>(o.background));
    if (o.isUnsaved(QVOptions::kLayoutSet))
        registry->setU32Value("Layout", static_cast<uint32_t>(o.layout));
    if (o.isUnsaved(QVOptions::kFullscreenSet))
        registry->setBinaryValue("Fullscreen", &o.fullscreen, sizeof(o.fullscreen));
    if (o.isUnsaved(QVOptions::kLastNameSet))
        registry->setStringValue("LastHighScoreName", o.lastHighScoreName, sizeof(o.lastHighScoreName));
}

void Qinvar::toggleFullscreen()
{
    const bool sound = m_soundWanted();
    const bool musicWasPlaying = isSoundtrackPlaying();
    const int32_t oldMode = m_options.fullscreen != 0 ? 1 : 0;

    // The switch can take seconds (the fallback reloads every asset): the
    // clock must not count them.
    m_beginPause();
    m_options.setFullscreen(1 - oldMode);
    m_saveOptions();
    invalidateWholeScreen();
    if (!m_quickToggleFullScreen() && !m_restartDevices(oldMode, sound, musicWasPlaying)) {
        // No display is left: the game quits without drawing again.
        m_endPause();
        return;
    }
    invalidateWholeScreen();
    m_findLitControl();
    // The game clock moves only with fetched events: the next one measures
    // how long the switch took (a journal records it, so a replay measures
    // the same pause).
    m_bSwitchPauseRunning = true;
}

bool Qinvar::m_restartDevices(int32_t oldMode, bool sound, bool musicWasPlaying)
{
    // Everything made on the old devices goes with them. Only the devices
    // are torn down: the journal, the demo and the trace stay open, so a
    // recording goes on across the switch.
    if (m_pDisplayDevice && m_pGameFont)
        m_pDisplayDevice->destroyFont(m_pGameFont);
    m_pGameFont = nullptr;
    m_unloadGraphics();
    // The chosen tile set and table top went with the sprites.
    m_iLoadedTileSet = -1;
    m_iLoadedBackground = -1;
    m_shutdownSubsystems();

    bool up = m_initDevices(sound, m_options.fullscreen != 0);
    if (!up) {
        HErrorManager::s_alert("toggleFullscreen - could not restart subsystems!");
        // Back to the mode that worked, which is then also the one stored.
        m_shutdownSubsystems();
        m_options.setFullscreen(oldMode);
        m_saveOptions();
        up = m_initDevices(sound, oldMode != 0);
    }
    if (!up) {
        m_shutdownSubsystems();
        HErrorManager::s_messageBox(49, "Error",
                                    "Qinvar MahJong could not set up its screen again and has to quit.  "
                                    "Please contact %s",
                                    s_kpSupportAddress);
        m_requestQuit();
        return false;
    }

    invalidateWholeScreen();
    m_loadQinvarAssets();
    m_pGameFont = m_pDisplayDevice->createFont(getSprite(QVS_FONT), geo::kFontW, geo::kFontH);
    m_loadTileSet();
    m_loadBackground();
    // The music plays on only when it played before, at the player's volume.
    setSoundtrackVolume(m_options.musicVolume);
    m_playSoundtrack(musicWasPlaying);
    return true;
}

void Qinvar::m_endSwitchPause()
{
    if (!m_bSwitchPauseRunning)
        return;
    m_bSwitchPauseRunning = false;
    m_endPause();
}

void Qinvar::goToPartnerSite()
{
    // The link ends the game as a quit does: a result on the end screen is
    // ranked first, the name asked when it makes the table.
    m_rankFinishedGame(HE_ASK);
    // No full screen stands before the browser: the link shuts the display
    // down before it starts one. The full-screen choice stored stays as it
    // is: the player chose no window here, and another window may have
    // chosen full screen since this one read the options.
    // The link ends the process: whatever the player changed, and whatever
    // is still pending, is saved now, as at every end of the game.
    m_bOptionsPending = true;
    m_savePending();
    goToPartnerSite(kHomePage, s_kpCompany, s_kpProduct);
}

void Qinvar::m_restartAutoHintTimer()
{
    m_lastActionTime = m_gameClock;
}

void Qinvar::m_doOptionsDialog()
{
    QVOptionsDialog dialog;
    // The screen stays in this mode while the dialog is up; the dialog's
    // switch only says what to do once it closes.
    int32_t openedWith = 0;
    bool openedUnsaved = false;
    m_bOptionsDialogUp = true;
    const intptr_t closedBy = m_runDialog(dialog, DC_PAUSED, this, [&] {
        openedWith = m_options.fullscreen;
        openedUnsaved = m_options.isUnsaved(QVOptions::kFullscreenSet);
        dialog.initDialog(m_pDisplayDevice, m_pReadFileSystem, &m_options);
    });
    m_bOptionsDialogUp = false;
    // The full-screen field as the dialog found it, unsaved only when it was
    // then: a save writes no value that the player did not choose.
    auto putBackFullscreen = [&] {
        m_options.fullscreen = openedWith;
        if (!openedUnsaved)
            m_options.markSaved(QVOptions::kFullscreenSet);
    };

    if (m_iGameState == GS_QUITTING) {
        // A quit request, here or in the best-times dialog: the choices
        // stand, the full-screen one for the next start; no switch is made
        // for a game that is ending.
        m_saveOptions();
        m_requestQuit();
        return;
    }
    if (closedBy == reinterpret_cast<intptr_t>(dialog.getVisitPartnerButton())) {
        // A full-screen choice made in the dialog is dropped, field and
        // mark: the switch it asked for would never be made, and nothing is
        // written for it. The volumes and switches are saved before the
        // link ends the process.
        putBackFullscreen();
        goToPartnerSite();
        return;
    }
    if (m_options.fullscreen != openedWith) {
        // The main loop makes the switch: toggleFullscreen flips the field
        // again, marks it chosen, saves and switches.
        putBackFullscreen();
        m_eventManager.appendEvent(HEvent::s_make(ET_TOGGLE_FULLSCREEN));
    }
    m_saveOptions();
}
