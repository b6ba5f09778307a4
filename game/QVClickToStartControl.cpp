// The start button.
#include "game/QVClickToStartControl.h"

#include "game/Qinvar.h"

QVClickToStartControl::QVClickToStartControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVClickToStartControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpButtonSound, true);
    game->startBoard();
}
