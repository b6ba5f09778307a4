// The game's behaviour between the framework's event loop and the board:
// the game states, the event handler, keys and mouse buttons, selecting and
// matching, hint, undo, shuffle, the free-tile highlight, pause and focus,
// quitting and restarting, starting a board; and the per-tick update with
// the automatic hint, the timed redraws, the clock and the penalties.
//
// Nothing here runs on a timer of its own: every time is the game clock (the
// time of the last event the framework fetched), and each time stamp event
// advances all the effects at once.
#include "game/Qinvar.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HEventManager.h"
#include "engine/core/HKeyCodes.h"
#include "game/QVEnterNameDialog.h"
#include "game/ScreenGeometry.h"
#include "ui/UIControl.h"

namespace {

// Typed in this order, these keys switch debug mode on and off. The player
// is never told of them.
constexpr char kDebugSequence[] = {'q', 'v', 'd'};
constexpr int32_t kDebugSequenceLength = static_cast<int32_t>(sizeof(kDebugSequence));

// Timers, in milliseconds of the game clock.
constexpr uint32_t kAutoHintIdleMs = 45000; // more than this without a move
constexpr uint32_t kShowMovesRiseMs = 500;
constexpr uint32_t kShowMovesHoldEndMs = 4000; // the fall starts here unless space is held
constexpr uint32_t kShowMovesFallMs = 500;
constexpr int64_t kHintDisplayMs = 3450;
constexpr uint64_t kNoMatchMs = 3000;

// Penalties, in seconds of the clock.
constexpr int32_t kHintPenalty = 30;
constexpr int32_t kUndoPenalty = 60;
constexpr int32_t kShufflePenalty = 120;

// The free-tile highlight's strength by tile set: the light sets saturate
// at half of it.
constexpr float s_akfShowMovesScale[Qinvar::kTileSetCount] = {0.5f, 0.5f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 1.0f, 0.5f};

const char* const kSoundClick = "sound/qv_click.wav";
const char* const kSoundUnclick = "sound/qv_unclick.wav";
const char* const kSoundBlocked = "sound/qv_blocked.ogg";
const char* const kSoundMatch = "sound/qv_match.ogg";
const char* const kSoundWin = "sound/qv_youwin.ogg";
const char* const kSoundGameOver = "sound/qv_gameover.ogg";
const char* const kSoundHint = "sound/qv_hint.ogg";

// Milliseconds of a game played between `start` and `now` without its
// pauses; 0 when the pauses would make it negative (a pause that was already
// running when the board started).
uint64_t playedMilliseconds(const MvTime& now, const MvTime& start, const MvTime& paused)
{
    const uint64_t elapsed = now.sub64(start);
    if (now.getTime64() < start.getTime64() || paused.getTime64() > elapsed)
        return 0;
    return elapsed - paused.getTime64();
}

// Seconds of the game between `start` and `now` without its pauses, plus
// `penalty`, in 64 bits: a demo or a clock can jump by years.
int64_t playedSeconds(const MvTime& now, const MvTime& start, const MvTime& paused, int64_t penalty)
{
    return static_cast<int64_t>(playedMilliseconds(now, start, paused) / 1000) + penalty;
}

// Seconds held to what a best time can hold.
int32_t heldSeconds(int64_t seconds)
{
    const int64_t most = QVHighScore::kMaxSeconds;
    return static_cast<int32_t>(seconds < 0 ? 0 : (seconds > most ? most : seconds));
}

// A tile's rectangle on screen, with or without the shadows around it.
HScreenRect tileRect(const QVTile* tile)
{
    HScreenRect r;
    tile->getTileRect(&r);
    return r;
}

HScreenRect tileRectWithShadows(const QVTile* tile)
{
    HScreenRect r;
    tile->getTileRectWithShadows(&r);
    return r;
}

} // namespace

// --- Events ---------------------------------------------------------------

bool Qinvar::m_handleEvent(const HEvent& event)
{
    m_endSwitchPause();
    // Once the game is quitting, input changes nothing more: the rest of the
    // pass must not select, match or open a dialog.
    const bool quitting = m_iGameState == GS_QUITTING;
    switch (event.type) {
    case ET_QUIT:
        quit();
        break;
    case ET_TOGGLE_FULLSCREEN:
        toggleFullscreen();
        break;
    case ET_KEYUP:
        // A release carries its key code and never a character.
        if (event.keyCode == KC_SPACE)
            m_bShowMovesKeyHeld = false;
        break;
    case ET_KEYDOWN:
        if (quitting)
            break;
        if (event.keyCode == KC_LBUTTON)
            m_handleClick(event.point);
        else if (event.keyCode == KC_RBUTTON)
            m_handleRightClick(event.point);
        else
            m_handleKeyDown(event);
        break;
    case ET_MOUSEMOVE:
        if (event.point.x != m_lastMouseMovePoint.x || event.point.y != m_lastMouseMovePoint.y) {
            m_lastMouseMovePoint = event.point;
            if (!quitting)
                m_handleMouseMove(event.point);
        }
        break;
    case ET_PASTE:
    case ET_PAINT:
    case ET_ACTIVATE:
    case ET_WINDOW_MINIMIZED:
    case ET_MOUSEWHEEL:
    case ET_TIMESTAMP:
        break;
    default:
        HErrorManager::s_db_alert("Unknown event type");
        break;
    }
    if (event.type == ET_TIMESTAMP || event.type == ET_QUIT)
        return !m_updateBoard();
    return false;
}

void Qinvar::m_handleKeyDown(const HEvent& event)
{
    const char c = event.character;

    // The debug sequence: the key expected next advances it, any other key
    // leaves it where it is.
    if (c == kDebugSequence[m_iDebugSequence]) {
        if (++m_iDebugSequence == kDebugSequenceLength) {
            m_iDebugSequence = 0;
            m_bDebugMode = !m_bDebugMode;
        }
        return;
    }

    if (m_bDebugMode) {
        if (c == 'm') {
            m_debugMatchTiles();
            return;
        }
        if (c == 'n') {
            m_noMatchTime = getGameClock();
            return;
        }
    }

    switch (c) {
    case ' ':
        // Key repeat sends more presses while the key is held: one highlight
        // per press and release.
        if (!m_bShowMovesKeyHeld) {
            doShowMoves();
            m_bShowMovesKeyHeld = true;
        }
        break;
    case 's':
        doShuffleBoard();
        break;
    case 'f':
    case 'h':
        doHint(true);
        break;
    case 'u':
        doUndo();
        break;
    default:
        break;
    }
}

bool Qinvar::m_clickWhileSuspended(const HScreenPoint& point)
{
    if (!m_bSuspended)
        return false;
    // The pause screen covers the board area: a click there resumes.
    if (m_boardArea.containsPoint(point))
        m_suspendGame(false);
    m_playEffect(s_kpButtonSound, false);
    return true;
}

void Qinvar::m_handleClick(const HScreenPoint& point)
{
    if (m_clickWhileSuspended(point))
        return;
    if (m_iGameState == GS_START || m_iGameState == GS_NO_MORE_MOVES)
        return;

    const QVTile* const selectedBefore = m_board.selectedTile;
    QVTile* tile = m_board.m_findTileAtPoint(point, true);
    if (tile) {
        HErrorManager::s_db_trace("tile = %d,%d,%d\n", tile->x, tile->y, tile->z);
        if (!m_board.tileIsFree(tile)) {
            // The selection stays.
            m_playEffect(kSoundBlocked, true);
        } else {
            m_invalidateHintRects();
            for (QVTile*& hint : m_apHintTiles)
                hint = nullptr;
            QVTile* selected = m_board.selectedTile;
            if (!selected) {
                deselect();
                selectTile(tile);
                m_playEffect(kSoundClick, false);
            } else if (tile == selected) {
                tile->selected = false;
                deselect();
                invalidateArea(tileRect(tile));
                m_playEffect(kSoundUnclick, false);
            } else if (tile->matchGroup == selected->matchGroup) {
                m_removeTiles(tile, selected);
                m_lastActionTime = getGameClock();
            } else {
                // A free tile of another group drops the selection and is
                // not selected itself.
                invalidateArea(tileRect(selected));
                deselect();
                m_playEffect(kSoundBlocked, true);
            }
        }
    }
    if (m_board.selectedTile != selectedBefore)
        invalidateWholeScreen();
}

void Qinvar::m_handleRightClick(const HScreenPoint& point)
{
    if (m_clickWhileSuspended(point))
        return;
    if (m_iGameState == GS_START || m_iGameState == GS_NO_MORE_MOVES || !m_board.selectedTile)
        return;
    invalidateArea(tileRect(m_board.selectedTile));
    deselect();
    invalidateWholeScreen();
    m_invalidateHintRects();
    for (QVTile*& hint : m_apHintTiles)
        hint = nullptr;
}

void Qinvar::m_handleMouseMove(const HScreenPoint& point)
{
    QVTile* tile = m_board.m_findTileAtPoint(point, true);
    if (tile == m_board.hoverTile)
        return;
    if (tile)
        invalidateArea(tileRectWithShadows(tile));
    if (m_board.hoverTile)
        invalidateArea(tileRectWithShadows(m_board.hoverTile));
    m_board.hoverTile = tile;
}

// --- Selecting and matching -----------------------------------------------

void Qinvar::selectTile(QVTile* tile)
{
    m_board.selectedTile = tile;
    if (tile)
        tile->selected = true;
    invalidateWholeScreen();
}

void Qinvar::deselect()
{
    m_board.deselect();
    invalidateWholeScreen();
}

void Qinvar::m_removeTiles(QVTile* clicked, QVTile* selected)
{
    m_board.removeTiles(clicked, selected, getGameClock());
    invalidateArea(m_tilesLeftArea);
    invalidateArea(m_availableMovesArea);
    invalidateArea(tileRectWithShadows(clicked));
    invalidateArea(tileRectWithShadows(selected));

    const int64_t realSeconds = playedSeconds(getGameClock(), m_gameStartTime, m_getPauseTime(), 0);
    const int64_t gameSeconds = realSeconds + m_iPenaltySeconds;

    if (m_board.tilesLeft == 0) {
        m_doGameOver(true, gameSeconds, realSeconds);
        m_board.clearUndoBuffer();
    } else if (!m_board.matchExists(nullptr, nullptr, 0)) {
        m_doGameOver(false, gameSeconds, realSeconds);
    } else {
        m_playEffect(kSoundMatch, true);
    }
    invalidateWholeScreen();
}

void Qinvar::m_doGameOver(bool won, int64_t gameSeconds, int64_t realSeconds)
{
    // The no-more-moves dialog has already shuffled or undone when the player
    // chose to go on. A quit request while it showed has already made the
    // game quitting, which no state change below undoes.
    if (!won && !m_doGameOverDialog())
        return;

    m_playSoundtrack(false);
    if (won) {
        m_playEffect(kSoundWin, false);
        m_setGameState(GS_WON);
    } else {
        m_playEffect(kSoundGameOver, false);
        m_setGameState(GS_NO_MORE_MOVES);
    }
    m_noMatchTime = MvTime{0, 0};
    m_gameStats.gameSeconds = heldSeconds(gameSeconds);
    m_gameStats.realSeconds = heldSeconds(realSeconds);
    m_gameStats.timeOutOfRange = gameSeconds != m_gameStats.gameSeconds || realSeconds != m_gameStats.realSeconds;
    m_board.clearUndoBuffer();
    invalidateWholeScreen();
}

void Qinvar::m_debugMatchTiles()
{
    // Only on a board in play: on the start or end screens the board left
    // behind is not played, and a match there must not end a game.
    if (m_iGameState != GS_PLAYING)
        return;
    QVTile* first = nullptr;
    QVTile* second = nullptr;
    if (m_board.matchExists(&first, &second, 0) && first && second)
        m_removeTiles(first, second);
}

// --- Actions ----------------------------------------------------------------

void Qinvar::doHint(bool asked)
{
    if (m_iGameState != GS_PLAYING || m_bSuspended)
        return;
    if (asked)
        m_playEffect(kSoundHint, true);
    m_invalidateHintRects();
    if (asked)
        ++m_gameStats.hints;

    QVTile* selected = m_board.selectedTile;
    if (!selected) {
        // The hint count is the rotation index: each asked hint shows
        // another pair; automatic hints repeat the last one.
        if (m_board.matchExists(&m_apHintTiles[0], &m_apHintTiles[1], m_gameStats.hints)) {
            m_hintTime = getGameClock();
            invalidateArea(tileRect(m_apHintTiles[0]));
            invalidateArea(tileRect(m_apHintTiles[1]));
            m_apHintTiles[2] = nullptr;
            m_apHintTiles[3] = nullptr;
        }
    } else {
        for (QVTile*& hint : m_apHintTiles)
            hint = nullptr;
        QVTile* partners[kHintTiles - 1] = {nullptr, nullptr, nullptr};
        const int count = m_board.findAllMatchingTiles(selected, partners);
        int added = 0;
        for (int i = 0; i < count && i < kHintTiles - 1; ++i) {
            if (!m_board.tileIsVisible(partners[i]))
                continue;
            m_apHintTiles[0] = selected;
            m_apHintTiles[1 + added] = partners[i];
            ++added;
        }
        if (added > 0) {
            m_hintTime = getGameClock();
            for (QVTile* hint : m_apHintTiles) {
                if (hint)
                    invalidateArea(tileRect(hint));
            }
        } else if (asked) {
            m_noMatchTime = getGameClock();
        }
    }
    if (asked)
        m_adjustPenalty(kHintPenalty);
}

void Qinvar::doUndo()
{
    QVTile* first = nullptr;
    QVTile* second = nullptr;
    m_board.undoLastMatch(&first, &second);
    if (first)
        invalidateArea(tileRectWithShadows(first));
    if (second)
        invalidateArea(tileRectWithShadows(second));

    ++m_gameStats.undos;
    invalidateArea(m_availableMovesArea);
    invalidateArea(m_tilesLeftArea);

    if (QVTile* selected = m_board.selectedTile) {
        selected->selected = false;
        invalidateArea(tileRect(selected));
        deselect();
        invalidateWholeScreen();
        m_invalidateHintRects();
        for (QVTile*& hint : m_apHintTiles)
            hint = nullptr;
    }
    // Charged whether or not a pair came back.
    m_adjustPenalty(kUndoPenalty);
}

void Qinvar::doShuffleBoard()
{
    if (m_iGameState != GS_PLAYING || m_bSuspended)
        return;
    m_playEffect(kSoundHint, true);
    m_lastActionTime = getGameClock();
    m_board.shuffleTiles();
    ++m_gameStats.shuffles;
    // The shuffle emptied the undo stack.
    if (m_pUndoButton)
        m_pUndoButton->enableControl(false);
    deselect();
    m_invalidateHintRects();
    for (QVTile*& hint : m_apHintTiles)
        hint = nullptr;
    invalidateWholeScreen();
    m_adjustPenalty(kShufflePenalty);
}

bool Qinvar::canShuffle() const
{
    return m_board.tilesLeft > 2 && m_iGameState == GS_PLAYING;
}

void Qinvar::doShowMoves()
{
    if (m_showMovesStart.getTime64() != 0 || m_bSuspended || m_iGameState != GS_PLAYING)
        return;
    m_showMovesStart = getGameClock();
    invalidateWholeScreen();
}

// --- Pause, focus, quitting and starting ------------------------------------

void Qinvar::m_suspendGame(bool suspend)
{
    // Debug mode keeps the game running without the focus; but a pause that
    // began before it can still be left, or the game would stay under the
    // pause screen.
    if (m_bDebugMode && suspend)
        return;
    if (m_bSuspended == suspend)
        return;
    if (suspend) {
        m_playSoundtrack(false);
        m_beginPause();
        m_bSuspended = true;
    } else {
        // The music belongs to a board in play, not to the start or end
        // screens.
        if (m_iGameState == GS_PLAYING)
            m_playSoundtrack(true);
        m_endPause();
        m_bSuspended = false;
    }
    invalidateWholeScreen();
}

void Qinvar::m_setActive(bool active)
{
    // Regaining the focus does not resume: the player does, on the board or
    // the pause button.
    if (!active)
        m_suspendGame(true);
    HPuzzleGame::m_setActive(active);
}

int32_t Qinvar::m_confirmLeavingGame()
{
    int32_t answer = 0;
    m_runPaused([&] {
        answer = m_doMessageDialog(geo::kLeaveConfirmX, -1, 0, "art/restart_areyousure.jpg",
                                   "art/besttimes_areyousure_yes.tga", "art/besttimes_areyousure_yes_lit.tga",
                                   "art/besttimes_areyousure_no.tga", "art/besttimes_areyousure_no_lit.tga");
    });
    return answer;
}

void Qinvar::quit()
{
    if (m_iGameState == GS_PLAYING && m_confirmLeavingGame() == 0)
        return;
    // Yes, or a quit request while the confirmation showed.
    m_requestQuit();
}

void Qinvar::restartGame(bool confirm)
{
    if (confirm) {
        const int32_t answer = m_confirmLeavingGame();
        if (answer == 0)
            return;
        if (answer == 2) {
            // The window was closed while the question showed: that is a
            // request to quit, not a yes to a new game.
            m_requestQuit();
            return;
        }
    }
    m_startFreshGame();
}

void Qinvar::m_startFreshGame()
{
    m_suspendGame(false);
    m_playSoundtrack(false);
    // The hint and the highlight name slots of the board, which the next
    // deal fills with other tiles: neither may still show there. The
    // no-match message belongs to the board left.
    m_invalidateHintRects();
    for (QVTile*& hint : m_apHintTiles)
        hint = nullptr;
    m_hintTime = MvTime{0, 0};
    m_showMovesStart = MvTime{0, 0};
    m_fShowMovesLevel = 0.0f;
    m_noMatchTime = MvTime{0, 0};
    m_setGameState(GS_START);
    invalidateWholeScreen();
}

void Qinvar::startBoard()
{
    m_saveOptions();
    if (!m_newBoard())
        return;
    m_showMovesStart = MvTime{0, 0};
    m_fShowMovesLevel = 0.0f;
    m_iPenaltySeconds = 0;
    m_setGameState(GS_PLAYING);
    m_loadTileSet();
    m_loadBackground();
    invalidateWholeScreen();
}

bool Qinvar::m_newBoard()
{
    // The option comes from the registry: never index past the table.
    int32_t layout = m_options.layout;
    if (layout < 0 || layout >= kLayoutCount)
        layout = 0;
    if (!m_board.newBoard(QVBoard::s_akpLayouts[layout])) {
        HErrorManager::s_messageBox(49, "Error", "Could not load the layout '%s'; pick another one",
                                    QVBoard::s_akpLayouts[layout]);
        invalidateWholeScreen();
        return false;
    }
    invalidateWholeScreen();

    m_rewindSoundtrack();
    m_gameStats = QVGameStats{0, 0, 0, 0, 0, false};
    m_playSoundtrack(true);
    setSoundtrackVolume(m_options.musicVolume);

    m_gameStartTime = getGameClock();
    m_lastActionTime = getGameClock();
    m_noMatchTime = MvTime{0, 0};
    // Pauses of earlier games no longer count.
    m_resetPauseTime();
    return true;
}

void Qinvar::m_setGameState(int32_t state)
{
    if (m_iGameState == GS_QUITTING)
        return;
    // A game that has just ended waits to be ranked; a new board or the
    // start screen means it was (or that no game ended).
    if (state == GS_WON || state == GS_NO_MORE_MOVES)
        m_bResultUnranked = true;
    else if (state != GS_QUITTING)
        m_bResultUnranked = false;
    m_iGameState = state;
}

void Qinvar::m_requestQuit()
{
    // The end screen showed the result: it is ranked before the game ends,
    // as Continue would rank it. The name is asked on the screen, unless the
    // screen is gone or the program is to end at once.
    const bool ask = m_pDisplayDevice && !HEventManager::s_isTerminationRequested();
    m_rankFinishedGame(ask ? HE_ASK : HE_LAST_NAME);
    m_setGameState(GS_QUITTING);
    m_playSoundtrack(false);
}

void Qinvar::m_rankFinishedGame(HighScoreEntry how)
{
    if (!m_bResultUnranked)
        return;
    // Once: a quit request during the name entry comes back here.
    m_bResultUnranked = false;
    checkForHighScore(how);
}

void Qinvar::m_endByTermination()
{
    m_rankFinishedGame(HE_LAST_NAME);
}

void Qinvar::m_endByLostDisplay()
{
    // Nothing here draws or sounds: the display is gone, the sound was
    // stopped before, and the dialog loops on the stack below never run
    // again. The only waits are the last saves': the game is quitting, so
    // every use of the registry from here is one of its last saves, whose
    // waits for another window's lock end together at one deadline.
    m_setGameState(GS_QUITTING);
    if (m_nameEntry.dialog && m_nameEntry.layout >= 0) {
        const NameEntry asked = m_nameEntry;
        m_nameEntry.dialog = nullptr;
        m_nameEntry.layout = -1;
        m_enterHighScore(asked.entry, asked.layout, asked.place, asked.dialog->getEditLine()->getText(), true);
    }
    if (m_bOptionsDialogUp)
        m_bOptionsPending = true;
    m_endByTermination();
    m_savePending();
}

void Qinvar::m_playEffect(const char* name, bool overlap)
{
    playSound(name, kEffectVolume, 0, overlap);
}

// --- Timers, clock and penalties --------------------------------------------

bool Qinvar::m_updateBoard()
{
    if (m_iGameState == GS_QUITTING)
        return false;
    const MvTime now = getGameClock();

    // The automatic hint, after 45 s without a move. All the pause time of
    // this board is taken off, not only the pause since the last move.
    if (m_options.autoHint != 0 && m_iGameState == GS_PLAYING) {
        const uint32_t idle = now.subTime(m_lastActionTime).sub32(m_getPauseTime());
        if (idle > kAutoHintIdleMs) {
            m_lastActionTime = now;
            doHint(false);
        }
    }

    // The free-tile highlight: rise, hold (longer while space is held), fall.
    if (m_showMovesStart.getTime64() != 0) {
        const float previous = m_fShowMovesLevel;
        const uint32_t e = now.sub32(m_showMovesStart);
        float level;
        if (e < kShowMovesRiseMs) {
            level = static_cast<float>(e) / static_cast<float>(kShowMovesRiseMs);
        } else if (e >= kShowMovesHoldEndMs && !m_bShowMovesKeyHeld) {
            const float t = static_cast<float>(e - kShowMovesHoldEndMs) / static_cast<float>(kShowMovesFallMs);
            if (t > 1.0f) {
                m_showMovesStart = MvTime{0, 0};
                level = 0.0f;
            } else {
                level = 1.0f - t;
            }
        } else {
            level = 1.0f;
        }
        const int32_t tileSet = m_options.tileSet;
        if (tileSet >= 0 && tileSet < kTileSetCount)
            level *= s_akfShowMovesScale[tileSet];
        m_fShowMovesLevel = level;
        // Exact comparison: during the hold nothing is redrawn.
        if (m_fShowMovesLevel != previous) {
            for (QVTile& tile : m_board.tiles) {
                if (tile.present && m_board.tileIsFree(&tile))
                    invalidateArea(tileRectWithShadows(&tile));
            }
        }
    }

    m_invalidateHintRects();
    m_invalidateFadingTiles();
    m_invalidateNoMatch();

    // The clock area is redrawn when its seconds change.
    const uint32_t sinceStart = now.subTime(m_gameStartTime).getTime32Truncate();
    const uint32_t paused = m_getPauseTime().getTime32Truncate();
    const int32_t seconds = static_cast<int32_t>(sinceStart - paused) / 1000 + m_iPenaltySeconds;
    const int32_t shown = seconds % 60;
    if (shown != m_iLastClockSeconds) {
        m_iLastClockSeconds = shown;
        invalidateArea(m_clockArea);
    }
    return true;
}

void Qinvar::m_adjustPenalty(int32_t seconds)
{
    m_iPenaltySeconds += seconds;
    invalidateArea(m_clockArea);
}

void Qinvar::m_invalidateHintRects()
{
    const int64_t d = static_cast<int64_t>(getGameClock().sub64(m_hintTime));
    const bool over = d > kHintDisplayMs;
    for (QVTile*& hint : m_apHintTiles) {
        if (!hint)
            continue;
        invalidateArea(tileRect(hint));
        if (over)
            hint = nullptr;
    }
}

void Qinvar::m_invalidateFadingTiles()
{
    const MvTime now = getGameClock();
    for (QVTile& tile : m_board.tiles) {
        if (tile.removedAt.getTime64() == 0)
            continue;
        // One more redraw after the fade, which erases the tile.
        const int64_t d = static_cast<int64_t>(now.sub64(tile.removedAt));
        invalidateArea(tileRectWithShadows(&tile));
        if (d > QVBoard::kFadeMs)
            tile.removedAt = MvTime{0, 0};
    }
}

void Qinvar::m_endFadingTiles()
{
    for (QVTile& tile : m_board.tiles) {
        if (tile.removedAt.getTime64() == 0)
            continue;
        invalidateArea(tileRectWithShadows(&tile));
        tile.removedAt = MvTime{0, 0};
    }
}

void Qinvar::m_invalidateNoMatch()
{
    const MvTime now = getGameClock();
    if (now.getTime64() < m_noMatchTime.getTime64())
        m_noMatchTime = MvTime{0, 0};
    if (m_noMatchTime.getTime64() == 0)
        return;
    // One last redraw after the message's time erases it.
    invalidateArea(m_noMatchArea);
    if (now.sub64(m_noMatchTime) > kNoMatchMs)
        m_noMatchTime = MvTime{0, 0};
}

int32_t Qinvar::m_getClockSeconds() const
{
    if (m_iGameState == GS_WON || m_iGameState == GS_NO_MORE_MOVES)
        return m_gameStats.gameSeconds;
    if (m_iGameState != GS_PLAYING)
        return 0;
    return heldSeconds(playedSeconds(getGameClock(), m_gameStartTime, m_getPauseTime(), m_iPenaltySeconds));
}
