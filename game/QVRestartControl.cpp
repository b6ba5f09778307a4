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
    game->m_playButtonSound(Qinvar::s_kpButtonSound);
    game->restartGame(true);
}
