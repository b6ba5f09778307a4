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
    game->m_playButtonSound(Qinvar::s_kpArrowSound);
    game->adjustLayoutPreview(-1);
}
