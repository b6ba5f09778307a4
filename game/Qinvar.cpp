// The game object's construction, start-up and shutdown, its sprite table
// with the art of every slot, and the assets it loads behind the loading
// screen.
#include "game/Qinvar.h"

#include "engine/core/HCvarManager.h"
#include "engine/core/HErrorManager.h"
#include "engine/core/HEventManager.h"
#include "engine/core/HGlobal.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/HUtil.h"
#include "engine/media/H2DDisplayDevice.h"
#include "game/ScreenGeometry.h"

#include <cstring>

#ifndef QV_VERSION
#define QV_VERSION "0"
#endif

namespace {

// The audio format of the devices: every sound of the archive's.
constexpr int kAudioChannels = 2;
constexpr int kAudioBits = 16;
constexpr int kAudioRate = 22050;
// The splash sound plays at a fixed level, before the options could scale it.
constexpr unsigned char kSplashVolume = 192;

// The art of every slot of the sprite table; null for a slot that the asset
// loader leaves empty.
const char* const kSpriteArt[QVS_COUNT] = {
    "art/font.tga",
    "art/pause_qz.jpg",
    "art/left_qz.jpg",
    "art/start_qz.jpg",
    "art/arrow_left_qz.tga",
    "art/arrow_right_qz.tga",
    "art/arrow_left_lit_qz.tga",
    "art/arrow_right_lit_qz.tga",
    nullptr, // the chosen table top
    "art/shadow_top.tga",
    "art/shadow_right.tga",
    "art/nomatch_alpha_qz.tga",
    "art/board_complete_qz.jpg",
    "art/gameover_qz.jpg",
    nullptr,
    nullptr,
    // Layout previews, 16 + layout.
    "art/preview_layout_1.jpg",
    "art/preview_layout_2.jpg",
    "art/preview_layout_3.jpg",
    "art/preview_layout_4.jpg",
    "art/preview_layout_5.jpg",
    "art/preview_layout_6.jpg",
    "art/preview_layout_7.jpg",
    "art/preview_layout_8.jpg",
    "art/preview_layout_9.jpg",
    "art/preview_layout_10.jpg",
    "art/preview_layout_11.jpg",
    "art/preview_layout_12.jpg",
    "art/preview_layout_13.jpg",
    "art/preview_layout_14.jpg",
    "art/preview_layout_15.jpg",
    "art/preview_layout_16.jpg",
    "art/preview_layout_17.jpg",
    "art/preview_layout_18.jpg",
    // Layout titles, 34 + layout.
    "art/title_layout_1.tga",
    "art/title_layout_2.tga",
    "art/title_layout_3.tga",
    "art/title_layout_4.tga",
    "art/title_layout_5.tga",
    "art/title_layout_6.tga",
    "art/title_layout_7.tga",
    "art/title_layout_8.tga",
    "art/title_layout_9.tga",
    "art/title_layout_10.tga",
    "art/title_layout_11.tga",
    "art/title_layout_12.tga",
    "art/title_layout_13.tga",
    "art/title_layout_14.tga",
    "art/title_layout_15.tga",
    "art/title_layout_16.tga",
    "art/title_layout_17.tga",
    "art/title_layout_18.tga",
    // Tile-set previews, 52 + tile set, in the order of s_akpTileSets.
    "art/preview_tile_1.tga",
    "art/preview_tile_2.tga",
    "art/preview_tile_tovani.tga",
    "art/preview_tile_3.tga",
    "art/preview_tile_4.tga",
    "art/preview_tile_5.tga",
    "art/preview_tile_6.tga",
    "art/preview_tile_7.tga",
    "art/preview_tile_8.tga",
    // Table-top previews, 61 + table top, in the order of s_akpBackgrounds.
    "art/preview_background_10.jpg",
    "art/preview_background_1.jpg",
    "art/preview_background_2.jpg",
    "art/preview_background_3.jpg",
    "art/preview_background_4.jpg",
    "art/preview_background_5.jpg",
    "art/preview_background_6.jpg",
    "art/preview_background_7.jpg",
    "art/preview_background_8.jpg",
    "art/preview_background_9.jpg",
    // Buttons.
    "art/icon_start_qz.tga",
    "art/icon_start_lit_qz.tga",
    "art/icon_clicktocontinue_lit.tga",
    nullptr,
    nullptr,
    "art/icon_exit_qz.tga",
    "art/icon_exit_lit_qz.tga",
    "art/icon_showmoves_qz.tga",
    "art/icon_showmoves_lit_qz.tga",
    "art/icon_hint_qz.tga",
    "art/icon_hint_lit_qz.tga",
    "art/icon_findmatch_qz.tga",
    "art/icon_findmatch_lit_qz.tga",
    "art/icon_options_qz.tga",
    "art/icon_options_lit_qz.tga",
    "art/icon_pause_qz.tga",
    "art/icon_pause_lit_qz.tga",
    "art/icon_resume_qz.tga",
    "art/icon_resume_lit_qz.tga",
    "art/icon_moravel_qz.tga",
    "art/icon_moravel_lit_qz.tga",
    "art/icon_newgame_qz.tga",
    "art/icon_newgame_lit_qz.tga",
    "art/icon_rules_qz.tga",
    "art/icon_rules_lit_qz.tga",
    "art/icon_shuffle_qz.tga",
    "art/icon_shuffle_lit_qz.tga",
    "art/icon_undo_qz.tga",
    "art/icon_undo_lit_qz.tga",
    // Labels of the information strip.
    "art/icon_score_qz.tga",
    "art/icon_tiles_left_qz.tga",
    "art/icon_available_qz.tga",
    // Digits, colon and comma.
    "art/font_number_0.tga",
    "art/font_number_1.tga",
    "art/font_number_2.tga",
    "art/font_number_3.tga",
    "art/font_number_4.tga",
    "art/font_number_5.tga",
    "art/font_number_6.tga",
    "art/font_number_7.tga",
    "art/font_number_8.tga",
    "art/font_number_9.tga",
    "art/font_colon.tga",
    "art/font_comma.tga",
    // Hover outlines.
    "art/outline_green.tga",
    "art/outline_red.tga",
    nullptr, // the chosen tile set
};

HScreenRect rectOf(const geo::Box& b)
{
    return HScreenRect(b.x, b.y, b.right(), b.bottom());
}

} // namespace

const char* const Qinvar::kpResourceFile = "qinvar.mvz";

const char* const Qinvar::s_kpAppName = "Qinvar Mah Jong (" QV_VERSION ") " __DATE__ " " __TIME__;
const char* const Qinvar::s_kpCompany = "Moravel";
const char* const Qinvar::s_kpProduct = "Qinvar";
const char* const Qinvar::s_kpSupportAddress = "support@moravel.example.org";

const char* const Qinvar::s_akpTileSets[kTileSetCount] = {
    "art/tileset_1.tga", "art/tileset_2.tga", "art/tileset_tovani.tga",
    "art/tileset_3.tga", "art/tileset_4.tga", "art/tileset_5.tga",
    "art/tileset_6.tga", "art/tileset_7.tga", "art/tileset_8.tga",
};

const char* const Qinvar::s_akpBackgrounds[kBackgroundCount] = {
    "art/arena10_qz.jpg", "art/arena1_qz.jpg", "art/arena2_qz.jpg", "art/arena3_qz.jpg", "art/arena4_qz.jpg",
    "art/arena5_qz.jpg",  "art/arena6_qz.jpg", "art/arena7_qz.jpg", "art/arena8_qz.jpg", "art/arena9_qz.jpg",
};

const char* const Qinvar::s_akpSounds[] = {
    "sound/qv_guiclick.wav", "sound/qv_click.wav", "sound/qv_unclick.wav", "sound/qv_match.ogg",
    "sound/qv_blocked.ogg",  "sound/qv_youwin.ogg", "sound/qv_hint.ogg",    nullptr,
};

Qinvar::Qinvar()
    : HPuzzleGame(),
      m_pShowMovesButton(nullptr),
      m_pUndoButton(nullptr),
      m_pShuffleButton(nullptr),
      m_pNewGameButton(nullptr),
      m_apHintTiles{nullptr, nullptr, nullptr, nullptr},
      m_hintTime{0, 0},
      m_lastActionTime{0, 0},
      m_bShowMovesKeyHeld(false),
      m_showMovesStart{0, 0},
      m_fShowMovesLevel(0.0f),
      m_gameStartTime{0, 0},
      m_noMatchTime{0, 0},
      m_iLoadedTileSet(-1),
      m_iLoadedBackground(-1),
      m_iPenaltySeconds(0),
      m_bDebugMode(false),
      m_board(),
      m_iGameState(GS_START),
      m_bResultUnranked(false),
      m_gameStats{0, 0, 0, 0, 0, false},
      m_boardArea(rectOf(geo::kBoardArea)),
      m_noMatchArea(0, 0, 0, 0),
      m_availableMovesArea(rectOf(geo::kPairsArea)),
      m_tilesLeftArea(rectOf(geo::kTilesLeftArea)),
      m_clockArea(rectOf(geo::kClockArea)),
      m_options(),
      m_aSprites(),
      m_aSpriteInfo(),
      m_abUnsavedHighScores{},
      m_abClearsPending{},
      m_aClearedHighScores(),
      m_aiClearedCount{},
      m_iLastHighScoreLayout(-1),
      m_iLastHighScorePlace(-1),
      m_bOptionsPending(false),
      m_nameEntry{QVHighScore{}, -1, -1, nullptr},
      m_bOptionsDialogUp(false),
      m_bEnding(false),
      m_bNotStoredTold(false),
      m_lastMouseMovePoint{0, 0},
      m_iDebugSequence(0),
      m_iLastClockSeconds(0),
      m_bSwitchPauseRunning(false)
{
    for (int layout = 0; layout < kLayoutCount; ++layout)
        m_clearHighScores(layout);
    m_initSpriteInfo();
}

Qinvar::~Qinvar()
{
    // The sprites are destroyed by the array's own destruction, last slot
    // first; their images went at shutdown.
}

float Qinvar::getMusicVolume() const
{
    return m_options.musicVolume;
}

float Qinvar::getSoundVolume() const
{
    return m_options.soundVolume;
}

const char* Qinvar::getGameName() const
{
    return "Qinvar MahJong";
}

bool Qinvar::m_isBusy() const
{
    return false;
}

MVSprite* Qinvar::m_getCursorSprite()
{
    return nullptr;
}

void Qinvar::m_initSpriteInfo()
{
    for (int slot = 0; slot < QVS_COUNT; ++slot) {
        m_aSpriteInfo[slot].sprite = &m_aSprites[slot];
        m_aSpriteInfo[slot].fileName = kSpriteArt[slot];
    }
}

MVSprite* Qinvar::getSprite(QVSprite_t t)
{
    if (t < 0 || t >= QVS_COUNT) {
        HErrorManager::s_alert("getSprite - t out of range, value = %d\n", static_cast<int>(t));
        return nullptr;
    }
    if (!m_aSprites[t].isSpriteValid()) {
        HErrorManager::s_alert("getSprite - sprite %d is not valid\n", static_cast<int>(t));
        return nullptr;
    }
    return &m_aSprites[t];
}

bool Qinvar::m_soundWanted()
{
    const char* driver = m_cvarManager.getVariableString("c_soundDriver");
    return !(driver && HUtil::s_stricmp(driver, "null") == 0);
}

bool Qinvar::m_initDevices(bool sound, bool fullscreen)
{
    return m_initSubsystems(s_kpAppName, sound, fullscreen, true, geo::kScreenW, geo::kScreenH, kAudioChannels,
                            kAudioBits, kAudioRate);
}

bool Qinvar::m_isEnding() const
{
    return m_bEnding || HEventManager::s_isTerminationRequested() || m_iGameState == GS_QUITTING;
}

HSystemRegistry* Qinvar::m_openRegistry(HSystemRegistry::Use use)
{
    // The one place that chooses the long wait: every use that may change
    // the store once the game is ending is one of its last saves.
    if (use == HSystemRegistry::USE_CHANGE && m_isEnding())
        use = HSystemRegistry::USE_LAST_SAVE;
    HSystemRegistry* registry = HSystemRegistry::s_getSystemRegistry();
    if (!registry || !registry->openRegistryFor(use, &m_cvarManager, s_kpCompany, s_kpProduct))
        return nullptr;
    return registry;
}

bool Qinvar::m_closeRegistry(HSystemRegistry* registry)
{
    const bool options = m_bOptionsPending;
    // What this save writes; the player may set more before the next.
    const uint32_t optionFields = options ? m_options.unsavedFields : 0u;
    if (options)
        m_writeOptions(registry);
    bool layouts[kLayoutCount] = {};
    m_writePendingHighScores(registry, layouts);
    // A failed save has told the player; everything stays pending.
    if (!registry->closeRegistry())
        return false;
    if (options) {
        m_bOptionsPending = false;
        m_options.markSaved(optionFields);
    }
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        if (!layouts[layout])
            continue;
        m_abClearsPending[layout] = false;
        for (bool& unsaved : m_abUnsavedHighScores[layout])
            unsaved = false;
    }
    return true;
}

bool Qinvar::hasPendingSaves() const
{
    if (m_hasUnsavedOptions())
        return true;
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        if (m_hasUnsavedHighScores(layout))
            return true;
    }
    return false;
}

void Qinvar::m_savePending()
{
    m_bEnding = true;
    if (!hasPendingSaves())
        return;
    if (HSystemRegistry* registry = m_openRegistry())
        m_closeRegistry(registry);
    if (hasPendingSaves())
        m_tellNotStored();
}

bool Qinvar::m_hasUnsavedOptions() const
{
    // An options save that failed with nothing set has nothing to write.
    return m_bOptionsPending && m_options.unsavedFields != 0;
}

bool Qinvar::m_holdsUnsavedData() const
{
    return hasPendingSaves();
}

void Qinvar::m_tellNotStored()
{
    if (m_bNotStoredTold)
        return;
    m_bNotStoredTold = true;
    const char* const lead = "Qinvar MahJong could not store";
    for (int32_t layout = 0; layout < kLayoutCount; ++layout) {
        if (m_abClearsPending[layout]) {
            HErrorManager::s_tell("%s the clearing of the best times of layout %d.\n", lead, layout + 1);
            HErrorManager::s_trace("...not stored: the clearing of the best times of layout %d\n", layout + 1);
        }
        for (int32_t place = 0; place < kHighScorePlaces; ++place) {
            if (!m_abUnsavedHighScores[layout][place])
                continue;
            const QVHighScore& e = m_aHighScores[layout][place];
            HErrorManager::s_tell("%s the best time of %.*s on layout %d: %u:%02u, %u tiles left.\n", lead,
                                  QVHighScore::kNameBytes, e.name, layout + 1, e.gameTime / 60, e.gameTime % 60,
                                  e.remainingTiles);
            HErrorManager::s_trace("...not stored: the best time of %.*s on layout %d\n", QVHighScore::kNameBytes,
                                   e.name, layout + 1);
        }
    }
    if (m_hasUnsavedOptions()) {
        HErrorManager::s_tell("%s the options chosen in this window.\n", lead);
        HErrorManager::s_trace("...not stored: the options chosen in this window\n");
    }
}

bool Qinvar::s_readFourBytes(HSystemRegistry* registry, const char* key, uint8_t (&bytes)[4])
{
    uint8_t buffer[5] = {};
    int copied = 0;
    if (!registry->getBinaryValue(key, buffer, sizeof(buffer), &copied) || copied != 4)
        return false;
    std::memcpy(bytes, buffer, 4);
    return true;
}

bool Qinvar::m_initPuzzleGame(const char* commandLine, const char* resourceDir)
{
    HGlobal::s_registerResourceDir(resourceDir);
    m_cvarManager.addVariable("companyName", s_kpCompany, 0);
    m_cvarManager.addVariable("productName", s_kpProduct, 0);
    HPuzzleGame::m_initPuzzleGame(commandLine, resourceDir);

    char archiveName[256];
    HUtil::s_strcpy(archiveName, kpResourceFile, sizeof(archiveName));
    char archivePath[1024];
    HUtil::s_sprintf(archivePath, sizeof(archivePath), "%s%s", resourceDir ? resourceDir : "", archiveName);
    if (!m_createReadFileSystem(archivePath, true))
        return false;
    // The board deals from the framework's generator (seeded from the first
    // event's time) and reads its layouts from the archive.
    m_board.setRandomNumberGenerator(&m_rng);
    m_board.setFileSystem(m_pReadFileSystem);

    m_loadOptions();

    if (!m_initDevices(m_soundWanted(), m_options.fullscreen != 0))
        return false;
    HErrorManager::s_trace("...done initializing subsystems\n");

    int splashVoice = -1;
    m_soundManager.playSoundByName(&splashVoice, "sound/qv_splash.ogg", 0, kSplashVolume, 0, false);

    HErrorManager::s_trace("...loading assets\n");
    const bool ok = m_loadQinvarAssets();
    m_pGameFont = m_pDisplayDevice->createFont(getSprite(QVS_FONT), geo::kFontW, geo::kFontH);
    m_loadHighScores(false);
    if (!ok)
        return false;

    m_createControls();
    restartGame(false);
    return true;
}

bool Qinvar::m_loadQinvarAssets()
{
    const bool ok = m_loadAssets(m_aSpriteInfo, QVS_COUNT, "music/theme_qz.ogg", 0, s_akpSounds,
                                 "art/loading_qz.jpg", nullptr, "art/loading_partner_qz.jpg", "art/progress_qz.tga",
                                 geo::kProgressBar.x, geo::kProgressBar.y, 1.0f, nullptr, nullptr);
    // The tiles' rectangles with shadows grow by the shadow sprites' sizes.
    if (m_aSprites[QVS_SHADOW_TOP].isSpriteValid() && m_aSprites[QVS_SHADOW_RIGHT].isSpriteValid())
        QVTile::s_setShadowSizes(m_aSprites[QVS_SHADOW_TOP].getSpriteHeight(),
                                 m_aSprites[QVS_SHADOW_RIGHT].getSpriteWidth());
    return ok;
}

void Qinvar::m_unloadGraphics()
{
    for (MVSprite& sprite : m_aSprites)
        sprite.unloadSprite();
}

void Qinvar::m_releaseSounds()
{
    m_unloadSoundtrack();
    m_soundManager.shutdownSoundManager();
}

void Qinvar::m_shutdownPuzzleGame()
{
    // However the game ends, nothing the player was shown is left unsaved
    // when the registry can take it now.
    m_savePending();
    if (m_pDisplayDevice && m_pGameFont)
        m_pDisplayDevice->destroyFont(m_pGameFont);
    // Cleared whether or not a display was left to destroy it: a failed
    // re-creation must never destroy the old font a second time.
    m_pGameFont = nullptr;
    HErrorManager::s_db_trace("...unloading graphics\n");
    m_unloadGraphics();
    HPuzzleGame::m_shutdownPuzzleGame();
}
