// The right arrow of the layout picker on the start screen.
#include "game/QVLayoutIncrementControl.h"

#include "game/Qinvar.h"

QVLayoutIncrementControl::QVLayoutIncrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVLayoutIncrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustLayoutPreview(1);
}
