// The right arrow of the table-top picker on the start screen.
#include "game/QVTableTopIncrementControl.h"

#include "game/Qinvar.h"

QVTableTopIncrementControl::QVTableTopIncrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVTableTopIncrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustBackgroundPreview(1);
}
