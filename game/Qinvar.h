// The game's application class: the mah-jong game on top of the framework.
// The program has exactly one object of it, the static game object of the
// program entry. It holds the board, the game state and its timers, the
// player's options, the best times and the 118-slot sprite table, and
// overrides the framework's hooks for start-up, shutdown, events, drawing,
// activation, game name and volumes.
//
// The implementation is split by area:
//   Qinvar.cpp          construction, start-up, shutdown, sprite table, assets
//   QinvarPlay.cpp      game states, input, play flow, timers, clock, penalties
//   QinvarDrawing.cpp   drawing the board, the screens and the information strip
//   QinvarOptions.cpp   options, their persistence, full screen, partner link
//   QinvarBestTimes.cpp best times, name entry, the best-times dialog
//   QinvarDialogs.cpp   no-more-moves, confirmation and rules dialogs
//   QinvarControls.cpp  the buttons of the game screen
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/core/HSystemRegistry.h"
#include "engine/core/MvTime.h"
#include "framework/HPuzzleGame.h"
#include "framework/MVSpriteInfo.h"
#include "game/QVBoard.h"
#include "game/QVDialog.h"
#include "game/QVGameStats.h"
#include "game/QVHighScore.h"
#include "game/QVOptions.h"
#include "game/QVSprite.h"
#include "game/QVTilePainter.h"
#include "ui/MVSprite.h"

#include <cstdint>

class QVEnterNameDialog;
class UIControl;

// The game states; only the play flow writes them.
enum QVGameState : int32_t {
    GS_START = 0,          // start screen: layout, tile set and table top are picked
    GS_PLAYING = 1,        // a board is in play
    GS_WON = 2,            // the board was cleared
    GS_NO_MORE_MOVES = 3,  // the player ended a game that had no move left
    GS_QUITTING = 4,       // the main loop stops at the next update
};

class Qinvar : public HPuzzleGame, public QVTilePainter {
public:
    // How a finished game is ranked (checkForHighScore).
    enum HighScoreEntry { HE_ASK_AND_SHOW, HE_ASK, HE_LAST_NAME };

    static constexpr int kTileSetCount = 9;
    static constexpr int kBackgroundCount = 10;
    static constexpr int kLayoutCount = QVBoard::kLayoutCount;
    static constexpr int kHighScorePlaces = 8;
    static constexpr int kHintTiles = 4;

    // The resource archive's file name.
    static const char* const kpResourceFile;
    // The window title: product name, "Mah Jong", version and build date.
    static const char* const s_kpAppName;
    // Art of the current tile set (slot 117) by the tile-set option, and of
    // the current table top (slot 8) by the table-top option.
    static const char* const s_akpTileSets[kTileSetCount];
    static const char* const s_akpBackgrounds[kBackgroundCount];
    // The sounds preloaded behind the loading screen; null-ended.
    static const char* const s_akpSounds[];
    // The per-user registry that holds the options and the best times is
    // the company's and the product's.
    static const char* const s_kpCompany;
    static const char* const s_kpProduct;
    // Where the messages about saved data and the screen send the player.
    static const char* const s_kpSupportAddress;

    // Every member in its initial state; starts no service.
    Qinvar();
    // Destroys the sprites (their images were released at shutdown).
    ~Qinvar() override;

    Qinvar(const Qinvar&) = delete;
    Qinvar& operator=(const Qinvar&) = delete;

    // --- Framework hooks --------------------------------------------------
    float getMusicVolume() const override;
    float getSoundVolume() const override;
    const char* getGameName() const override;
    bool m_isBusy() const override;
    bool m_initPuzzleGame(const char* commandLine, const char* resourceDir) override;
    void m_shutdownPuzzleGame() override;
    bool m_handleEvent(const HEvent& event) override;
    void m_drawPuzzleBoard(const HScreenRect& clip, bool underDialog) override;
    MVSprite* m_getCursorSprite() override;
    void m_setActive(bool active) override;
    // Every dialog asks with the board behind it as it is: the fades still
    // running end (m_endFadingTiles), so a pair taken just before is gone.
    void m_prepareForDialog() override;

    // --- Application class: sprites, sounds, assets (Qinvar.cpp) ----------
    // The sprite of slot t; null, with an alert, when t is out of range or
    // the slot holds no image.
    MVSprite* getSprite(QVSprite_t t);
    void m_initSpriteInfo();
    bool m_loadQinvarAssets();
    void m_unloadGraphics();
    // The soundtrack and the sound manager let go; nothing calls it: the
    // framework's shutdown does the same.
    void m_releaseSounds();
    // Sound is wanted unless the console variable c_soundDriver is "null"
    // (any case).
    bool m_soundWanted();
    // The devices as start-up makes them (m_initSubsystems): the game's
    // screen in a window or full screen, sound when wanted, two channels of
    // 16 bits at 22050 Hz (every sound of the archive's format).
    bool m_initDevices(bool sound, bool fullscreen);
    // Every use of the registry by the game opens it here and ends with
    // m_closeRegistry (but the start-up's reading of the options and best
    // times, when nothing can be pending yet, which only reads). Null when
    // it does not open (reported by the registry): whatever could not be
    // saved stays pending. A use that may change the store while the game
    // ends (m_isEnding) is one of its last saves: it waits for another
    // window's lock until the one deadline that all the last saves share.
    HSystemRegistry* m_openRegistry(HSystemRegistry::Use use = HSystemRegistry::USE_CHANGE);
    // Whether the game was told to end: a quit, a termination signal, the
    // display gone, the partner link, the end of the main loop.
    bool m_isEnding() const;
    // Ends a use of the registry: whatever this run could not save before
    // (the options, best times) goes into the open store as well, then the
    // store is closed, which saves it. False when the save failed: all of
    // it stays pending, for the next use that succeeds.
    bool m_closeRegistry(HSystemRegistry* registry);
    // Saves whatever is pending, if anything is, at the end of the game (a
    // quit, the window closed, a termination signal, the display gone, the
    // partner link before it ends the process): from here on the game is
    // ending, and this is one of its last saves.
    void m_savePending();
    // Whether something is not in the registry yet: options set (or a name
    // entered) since their last save, best times, a Clear.
    bool hasPendingSaves() const;
    // What is pending when the game ends is lost: the run's exit code says
    // so (HUnix::kExitNotStored).
    bool m_holdsUnsavedData() const override;
    // Says, once, on standard error and in the trace, what the last saves
    // could not store: each best time (its name, layout and time), each
    // Clear, and the options chosen in this window.
    void m_tellNotStored();
    // The 4 bytes of a key, only when the stored value is exactly 4 bytes
    // long: a shorter or longer value is not one of ours.
    static bool s_readFourBytes(HSystemRegistry* registry, const char* key, uint8_t (&bytes)[4]);

    // --- Play flow (QinvarPlay.cpp) ---------------------------------------
    void m_handleKeyDown(const HEvent& event);
    void m_handleClick(const HScreenPoint& point);
    void m_handleRightClick(const HScreenPoint& point);
    // Either button's click while the game is suspended: the board area
    // resumes, anywhere the GUI click sounds; true when it was such a click.
    bool m_clickWhileSuspended(const HScreenPoint& point);
    void m_handleMouseMove(const HScreenPoint& point);
    void selectTile(QVTile* tile);
    void deselect();
    void m_removeTiles(QVTile* clicked, QVTile* selected);
    // Times in seconds, as measured: held to what a best time can store, and
    // the game marked as not to be ranked when one falls outside.
    void m_doGameOver(bool won, int64_t gameSeconds, int64_t realSeconds);
    void doHint(bool asked);
    void doUndo();
    void doShuffleBoard();
    bool canShuffle() const;
    void doShowMoves();
    void m_suspendGame(bool suspend);
    // A layout that cannot be read is reported and not dealt: the game stays
    // on the start screen, where another layout can be picked.
    void startBoard();
    // False, with nothing changed, when the layout cannot be read.
    bool m_newBoard();
    // New game (confirmed when `confirm`), Continue and the start-up: back
    // to the start screen through m_startFreshGame.
    void restartGame(bool confirm);
    // The start screen of a fresh game, as New game leaves it: not paused,
    // no music, and nothing of the board before left to show on the next
    // deal (no hint, free-tile highlight or no-match message).
    // The board itself stays as it was until the next deal.
    void m_startFreshGame();
    // From the end screens without a confirmation; during a game after it.
    // Either way the result of a game that ended is ranked first.
    void quit();
    void m_debugMatchTiles();
    // Every change of the game state goes through here. Once the game is
    // quitting nothing changes it back: a dialog that saw a quit request
    // may return into code that would otherwise restart or go on.
    void m_setGameState(int32_t state);
    // A quit request that must not be lost (a window closed while a dialog
    // was up): the state becomes GS_QUITTING and the soundtrack stops, so the
    // main loop ends at its next update. Callers first store whatever the
    // dialog had already decided. A game that ended and is not ranked yet
    // is ranked first (m_rankFinishedGame): with the name entry while there
    // is a screen and no termination signal came, else under the last name.
    void m_requestQuit();
    // The result of the game that ended (GS_WON, GS_NO_MORE_MOVES) is ranked
    // once, by whatever leaves its end screen first: Continue, the exit
    // button, the window's close, a termination signal. Nothing when no
    // result waits.
    void m_rankFinishedGame(HighScoreEntry how);
    // The end by a termination signal: a result that waits is stored under
    // the last name entered, without a dialog.
    void m_endByTermination() override;
    // The end by a lost display, from the exit functions, in the middle of
    // whatever was running: what the termination signal's end keeps, kept
    // without a dialog or a call to the display. A name entry that is up
    // gives its result the text typed so far (the name entered, as its
    // closing by a quit request would); an options dialog that is up has
    // its changes saved (as its closing would); a result on its end screen
    // goes under the last name entered; then the end-of-game save of
    // everything pending. The game is quitting from the start, so every use
    // of the registry here is one of its last saves, whose waits end
    // together at one deadline. The sound is stopped already.
    void m_endByLostDisplay() override;
    // Timers, clock and penalties.
    bool m_updateBoard();
    void m_adjustPenalty(int32_t seconds);
    void m_invalidateHintRects();
    void m_invalidateFadingTiles();
    // Every removed tile still fading is gone from the screen at the next
    // drawing pass: for a modal dialog, under which no tick runs the fades.
    void m_endFadingTiles();
    void m_invalidateNoMatch();
    // The clock's seconds now: the final time once a game has ended.
    int32_t m_getClockSeconds() const;
    // The quit and new-game confirmation, its time kept off the clock: 1 yes,
    // 2 a quit request arrived while it showed, 0 no.
    int32_t m_confirmLeavingGame();
    // A sound of the play flow at kEffectVolume (scaled by the sound
    // option), centred. Virtual so that a test's game can hear what the
    // flow plays.
    virtual void m_playEffect(const char* name, bool overlap);
    // The level of every sound the game plays, before the sound option
    // scales it.
    static constexpr int kEffectVolume = 128;

    // --- Drawing (QinvarDrawing.cpp) --------------------------------------
    void m_drawInfo(const HScreenRect& clip);
    void m_drawNumberAtXY(const char* text, int32_t x, int32_t y, bool commas, const HScreenRect& clip);
    MVSprite* m_getSpriteForNumber(char c);
    void m_drawTile(const QVTile& tile, const HScreenRect& clip, float shadow, float alpha, float tint) override;
    void m_drawTileShadowUp(const QVTile& tile, const HScreenRect& clip, float alpha);
    void m_drawTileShadowRight(const QVTile& tile, const HScreenRect& clip, float alpha);
    void m_drawTileOutline(const QVTile& tile, const HScreenRect& clip, bool free) override;
    void m_drawMessage(const HScreenRect& clip, const HScreenRect& where, MVSprite* sprite, float alpha);
    void m_drawNoMatch(const HScreenRect& clip);
    void adjustBackgroundPreview(int32_t delta);
    void adjustTileSetPreview(int32_t delta);
    void adjustLayoutPreview(int32_t delta);
    void m_loadTileSet();
    void m_loadBackground();

    // --- Options (QinvarOptions.cpp) --------------------------------------
    bool m_loadOptions();
    // Writes the options the player set since this window's last
    // successful save of them (QVOptions::unsavedFields), and the last name
    // once one was entered; every other option keeps what the registry
    // holds. When they cannot be saved they stay pending.
    void m_saveOptions();
    // Those options into an open store.
    void m_writeOptions(HSystemRegistry* registry);
    void toggleFullscreen();
    using HPuzzleGame::goToPartnerSite;
    // Ranks a result on the end screen, as a quit does; saves what is
    // pending (the full-screen choice only when the player made one), then
    // opens the partner link, which shuts the display down first; does not
    // return.
    void goToPartnerSite();
    void m_doOptionsDialog();
    // The automatic hint's idle time starts again (the options dialog's switch).
    void m_restartAutoHintTimer();
    // The fallback of a failed in-place switch: the devices and everything
    // made on them built again, in the new mode, else in the old one; false,
    // after telling the player and asking to quit, when neither comes up.
    bool m_restartDevices(int32_t oldMode, bool sound, bool musicWasPlaying);
    // The pause begun for a switch ends at the time of the first event the
    // game handles after it: the switch took time that no event measured yet.
    void m_endSwitchPause();

    // --- Best times (QinvarBestTimes.cpp) ---------------------------------
    // The table only: the layout's eight entries become "nobody", and the
    // newest entry's marker, when it was on this layout, is forgotten.
    void m_clearHighScores(int32_t layout);
    void m_loadHighScores(bool useDefaults);
    // Stores the entries of one layout made in this run and not stored yet,
    // with those of any other layout still pending: re-reads each such
    // layout's eight entries from the registry (another window may have
    // stored since), ranks the entries into them and writes that layout
    // back. No other layout is written. False when the registry could not
    // be opened or saved: the entries then stay in the table, unsaved, and
    // go with the next use of the registry that succeeds, at the latest
    // when the game ends.
    bool m_storeHighScores(int32_t layout);
    // Every layout with unsaved entries, merged (m_mergeHighScores) and
    // written into the open store; `written` marks those layouts.
    void m_writePendingHighScores(HSystemRegistry* registry, bool (&written)[kLayoutCount]);
    // Whether an entry of the layout's table is not in the registry yet.
    bool m_hasUnsavedHighScores(int32_t layout) const;
    // Whether options set in this window wait for a save that failed.
    bool m_hasUnsavedOptions() const;
    // Clear: the layout's eight entries become "nobody", in the table and in
    // the registry. A clear whose save fails stays pending like an entry:
    // the table keeps showing it cleared, and it is written at the next use
    // of the registry that succeeds, at the latest when the game ends; it
    // removes the entries the table showed when the player cleared it, and
    // keeps those that other windows stored since.
    void m_clearStoredHighScores(int32_t layout);
    // The layout's entries in the table become those of the open registry
    // (without the entries a pending clear of it removes, "nobody" in the
    // places left), with this run's unsaved entries ranked into them (the
    // latest entry's marker follows it).
    void m_mergeHighScores(HSystemRegistry* registry, int32_t layout);
    // A finished game's entry, given `name`, takes place `place` of the
    // layout's table (the entries below move down one) and waits to be
    // stored; a name `entered` becomes the last name as well.
    void m_enterHighScore(QVHighScore entry, int32_t layout, int32_t place, const char* name, bool entered);
    // How a finished game's result is ranked: Continue asks the name when
    // the result makes the table, then shows the table (HE_ASK_AND_SHOW); a
    // quit from the end screens asks the name and shows no table (HE_ASK);
    // the end by a termination signal stores it under the last name entered
    // (else the login name), with no dialog and the options left as they
    // are (HE_LAST_NAME).
    void checkForHighScore(HighScoreEntry how = HE_ASK_AND_SHOW);
    void m_doEnterNameDialog(char* name, int32_t size);
    void doBestTimesDialog(int32_t layout);

    // --- Dialogs (QinvarDialogs.cpp) --------------------------------------
    bool m_doGameOverDialog();
    bool m_doAreYouSureDialog(const char* background, const char* confirm, const char* confirmLit,
                              const char* cancel, const char* cancelLit);
    void doHelp();
    // Whether the clock stops while a dialog is up: it does for every dialog
    // shown during play (the pause time of the board then covers exactly
    // the time the dialog was up); the name entry comes once the game has
    // ended.
    enum DialogClock { DC_PAUSED, DC_RUNNING };
    // How the game runs each of its own dialogs, on the stack of the
    // caller, in this order: the clock stops (DC_PAUSED); `setUp` lays the
    // dialog out (its initDialog); doModal runs it on the game's display
    // and event manager without a time-out; its art is given back and its
    // items forgotten; the clock goes on; and a quit request that closed it
    // becomes the game's (m_requestQuit). Returns doModal's result: the
    // address of the item that closed it, or MVDialog::kQuit.
    template <class SetUp>
    intptr_t m_runDialog(QVDialog& dialog, DialogClock clock, void* userData, SetUp setUp);
    // The same pause around a dialog of the framework's (the rules, the
    // leave confirmation): `show` runs on a stopped clock.
    template <class Show>
    void m_runPaused(Show show);

    // --- Buttons (QinvarControls.cpp) -------------------------------------
    void m_createControls();
    // What a button plays (through m_playEffect, overlapping allowed) before
    // its action: the click of the panel's and the screens' buttons (the GUI
    // click, which the dialogs' buttons, the rules and a click on the pause
    // screen play too), the tick of the start screen's arrows.
    static const char* const s_kpButtonSound;
    static const char* const s_kpArrowSound;

    // --- Access for the buttons, the dialogs and tests --------------------
    int32_t getState() const { return m_iGameState; }
    QVBoard* getBoard() { return &m_board; }
    const QVBoard* getBoard() const { return &m_board; }
    QVOptions* getOptions() { return &m_options; }
    const QVGameStats& getGameStats() const { return m_gameStats; }
    QVHighScore (*getHighScores())[kHighScorePlaces] { return m_aHighScores; }
    int32_t getLastHighScoreLayout() const { return m_iLastHighScoreLayout; }
    int32_t getLastHighScorePlace() const { return m_iLastHighScorePlace; }
    int32_t getPenaltySeconds() const { return m_iPenaltySeconds; }
    bool isDebugMode() const { return m_bDebugMode; }
    float getShowMovesLevel() const { return m_fShowMovesLevel; }
    const QVTile* getHintTile(int i) const { return (i >= 0 && i < kHintTiles) ? m_apHintTiles[i] : nullptr; }
    MvTime getNoMatchTime() const { return m_noMatchTime; }
    const HScreenRect& getNoMatchArea() const { return m_noMatchArea; }
    UIControl* getUndoButton() const { return m_pUndoButton; }

protected:
    // Buttons the play flow reaches (owned by the UI manager).
    UIControl* m_pShowMovesButton;
    UIControl* m_pUndoButton;
    UIControl* m_pShuffleButton;
    UIControl* m_pNewGameButton;

    QVTile* m_apHintTiles[kHintTiles];
    MvTime m_hintTime;
    MvTime m_lastActionTime;
    bool m_bShowMovesKeyHeld;
    MvTime m_showMovesStart; // 0: no free-tile highlight
    float m_fShowMovesLevel;
    MvTime m_gameStartTime;
    MvTime m_noMatchTime;    // 0: no message
    int32_t m_iLoadedTileSet;    // which tile set slot 117 holds; -1 none
    int32_t m_iLoadedBackground; // which table top slot 8 holds; -1 none
    int32_t m_iPenaltySeconds;
    bool m_bDebugMode;

    QVBoard m_board;
    int32_t m_iGameState; // QVGameState
    bool m_bResultUnranked; // a game ended and its result is not ranked yet
    QVGameStats m_gameStats;

    HScreenRect m_boardArea;
    HScreenRect m_noMatchArea;
    HScreenRect m_availableMovesArea;
    HScreenRect m_tilesLeftArea;
    HScreenRect m_clockArea;

    QVOptions m_options;

    MVSprite m_aSprites[QVS_COUNT];
    MVSpriteInfo m_aSpriteInfo[QVS_COUNT];

    QVHighScore m_aHighScores[kLayoutCount][kHighScorePlaces];
    // Entries of this run that the registry does not hold yet.
    bool m_abUnsavedHighScores[kLayoutCount][kHighScorePlaces];
    // Layouts cleared in this run whose clear the registry does not hold
    // yet, and the entries each such clear removes: those the table showed
    // as stored when the player cleared it (of every clear of the layout
    // not saved yet), at most kClearedEntries.
    static constexpr int kClearedEntries = 4 * kHighScorePlaces;
    bool m_abClearsPending[kLayoutCount];
    QVHighScore m_aClearedHighScores[kLayoutCount][kClearedEntries];
    int32_t m_aiClearedCount[kLayoutCount];
    int32_t m_iLastHighScoreLayout; // -1: no entry made in this run
    int32_t m_iLastHighScorePlace;
    // An options save that has not succeeded yet.
    bool m_bOptionsPending;
    // While the name entry is up: the result it asks a name for, and the
    // dialog (m_endByLostDisplay reads the text typed so far).
    struct NameEntry {
        QVHighScore entry;
        int32_t layout; // -1: no result waits for its name
        int32_t place;
        QVEnterNameDialog* dialog; // null: no name entry up
    };
    NameEntry m_nameEntry;
    // While the options dialog is up.
    bool m_bOptionsDialogUp;
    // The game ends for a reason its state does not show (the partner
    // link, the end of the main loop).
    bool m_bEnding;
    // Whether m_tellNotStored has told.
    bool m_bNotStoredTold;

    // State the play flow keeps between events.
    HScreenPoint m_lastMouseMovePoint; // the last mouse move handled
    int32_t m_iDebugSequence;          // keys of the debug sequence typed so far
    int32_t m_iLastClockSeconds;       // seconds mod 60 at the last update
    bool m_bSwitchPauseRunning;        // a full-screen switch's pause ends at the next event
};

template <class SetUp>
intptr_t Qinvar::m_runDialog(QVDialog& dialog, DialogClock clock, void* userData, SetUp setUp)
{
    if (clock == DC_PAUSED)
        m_beginPause();
    setUp();
    const intptr_t closedBy = dialog.doModal(this, m_pDisplayDevice, &m_eventManager, 0, userData);
    dialog.unloadDialogSprites();
    dialog.removeAllItems();
    if (clock == DC_PAUSED)
        m_endPause();
    if (closedBy == MVDialog::kQuit)
        m_requestQuit();
    return closedBy;
}

template <class Show>
void Qinvar::m_runPaused(Show show)
{
    m_beginPause();
    show();
    m_endPause();
}
