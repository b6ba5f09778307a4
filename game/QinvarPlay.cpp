// The game's behaviour between the framework's event loop and the board:
// the game states, the event handler, keys and mouse buttons, selecting and
// matching, hint, undo, shuffle, the free-tile highlight, pause and focus,
// quitting and restarting, starting a board; and the per-tick update with
// the automatic hint, the timed redraws, the clock and the penalties.
#include "game/Qinvar.h"

// --- Not built yet ---

bool Qinvar::m_handleEvent(const HEvent& event)
{
    if (event.type == ET_QUIT)
        quit();
    return (event.type == ET_QUIT || event.type == ET_TIMESTAMP) && !m_updateBoard();
}

void Qinvar::m_setActive(bool active)
{
    HPuzzleGame::m_setActive(active);
}

void Qinvar::m_handleKeyDown(const HEvent&)
{
}

void Qinvar::m_handleClick(const HScreenPoint&)
{
}

void Qinvar::m_handleRightClick(const HScreenPoint&)
{
}

void Qinvar::m_handleMouseMove(const HScreenPoint&)
{
}

void Qinvar::selectTile(QVTile*)
{
}

void Qinvar::deselect()
{
}

void Qinvar::m_removeTiles(QVTile*, QVTile*)
{
}

void Qinvar::m_doGameOver(bool, int32_t, int32_t)
{
}

void Qinvar::doHint(bool)
{
}

void Qinvar::doUndo()
{
}

void Qinvar::doShuffleBoard()
{
}

bool Qinvar::canShuffle() const
{
    return false;
}

void Qinvar::doShowMoves()
{
}

void Qinvar::m_suspendGame(bool)
{
}

void Qinvar::startBoard()
{
}

void Qinvar::m_newBoard()
{
}

void Qinvar::restartGame(bool)
{
    m_setGameState(GS_START);
    invalidateWholeScreen();
}

void Qinvar::quit()
{
    m_requestQuit();
}

void Qinvar::m_setGameState(int32_t state)
{
    if (m_iGameState != GS_QUITTING)
        m_iGameState = state;
}

void Qinvar::m_requestQuit()
{
    m_setGameState(GS_QUITTING);
    m_playSoundtrack(false);
}

void Qinvar::m_debugMatchTiles()
{
}

bool Qinvar::m_updateBoard()
{
    return m_iGameState != GS_QUITTING;
}

void Qinvar::m_adjustPenalty(int32_t seconds)
{
    m_iPenaltySeconds += seconds;
}

void Qinvar::m_invalidateHintRects()
{
}

void Qinvar::m_invalidateFadingTiles()
{
}

void Qinvar::m_invalidateNoMatch()
{
}

int32_t Qinvar::m_getClockSeconds() const
{
    return 0;
}
