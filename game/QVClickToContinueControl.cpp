// The continue button of the end screens.
#include "game/QVClickToContinueControl.h"

#include "game/Qinvar.h"

QVClickToContinueControl::QVClickToContinueControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVClickToContinueControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpButtonSound, true);
    game->m_rankFinishedGame(Qinvar::HE_ASK_AND_SHOW);
    game->restartGame(false);
}
