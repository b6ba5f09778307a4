// The new-game button.
#include "game/QVRestartControl.h"

#include "game/Qinvar.h"

QVRestartControl::QVRestartControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVRestartControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpButtonSound, true);
    game->restartGame(true);
}
