// The left arrow of the layout picker on the start screen.
#include "game/QVLayoutDecrementControl.h"

#include "game/Qinvar.h"

QVLayoutDecrementControl::QVLayoutDecrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVLayoutDecrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustLayoutPreview(-1);
}
