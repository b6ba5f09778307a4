// The left arrow of the table-top picker on the start screen.
#include "game/QVTableTopDecrementControl.h"

#include "game/Qinvar.h"

QVTableTopDecrementControl::QVTableTopDecrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVTableTopDecrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustBackgroundPreview(-1);
}
