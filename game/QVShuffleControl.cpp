// The shuffle button.
#include "game/QVShuffleControl.h"

#include "game/Qinvar.h"

QVShuffleControl::QVShuffleControl(UIControlDelegate* delegate, Qinvar* game) : UIControl(delegate), m_pGame(game)
{
}

void QVShuffleControl::clickAction()
{
    if (m_pGame)
        m_pGame->doShuffleBoard();
}

bool QVShuffleControl::isActive() const
{
    return m_pGame && m_pGame->canShuffle();
}
