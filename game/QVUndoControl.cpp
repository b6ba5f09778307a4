// The undo button.
#include "game/QVUndoControl.h"

#include "game/Qinvar.h"

namespace {
const char* const kUndoSound = "sound/qv_hint.ogg";
} // namespace

QVUndoControl::QVUndoControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game) {}

void QVUndoControl::clickAction()
{
    if (!m_pGame)
        return;
    m_pGame->m_playEffect(kUndoSound, true);
    m_pGame->doUndo();
}

bool QVUndoControl::isActive() const
{
    return m_pGame && m_pGame->getState() == GS_PLAYING && !m_pGame->isSuspended() &&
           m_pGame->getBoard()->undoTop >= 0;
}
