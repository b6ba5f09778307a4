// The free-tile highlight button.
#include "game/QVShowMovesControl.h"

#include "game/Qinvar.h"

QVShowMovesControl::QVShowMovesControl(UIControlDelegate* delegate, Qinvar* game)
    : UIControl(delegate), m_pGame(game)
{
}

void QVShowMovesControl::clickAction()
{
    if (m_pGame)
        m_pGame->doShowMoves();
}
