// The left arrow of the tile-set picker on the start screen.
#include "game/QVTileSetDecrementControl.h"

#include "game/Qinvar.h"

QVTileSetDecrementControl::QVTileSetDecrementControl(UIControlDelegate* delegate, Qinvar* game)
    : QVStateLimitedControl(delegate, game)
{
}

void QVTileSetDecrementControl::clickAction()
{
    Qinvar* game = getGame();
    if (!game)
        return;
    game->m_playEffect(Qinvar::s_kpArrowSound, true);
    game->adjustTileSetPreview(-1);
}
