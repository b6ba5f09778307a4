// The right arrow of the tile-set picker on the start screen.
#include "game/QVTileSetIncrementControl.h"

#include "game/Qinvar.h"

QVTileSetIncrementControl::QVTileSetIncrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVTileSetIncrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustTileSetPreview(1);
}
