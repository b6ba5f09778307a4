// The hint button and its two pairs of pictures.
#include "game/QVHintControl.h"

#include "game/Qinvar.h"
#include "ui/MVControlDelegate.h"

QVHintControl::QVHintControl(MVControlDelegate* delegate, Qinvar* game) : QVStateLimitedControl(delegate, game) {}

void QVHintControl::clickAction()
{
    if (Qinvar* game = getGame())
        game->doHint(true);
}

void QVHintControl::drawControl(const HScreenRect& clip)
{
    Qinvar* game = getGame();
    // The constructor took a sprite delegate: the cast names what it holds.
    MVControlDelegate* delegate = static_cast<MVControlDelegate*>(getControlDelegate());
    if (game && delegate) {
        const bool selected = game->getBoard()->selectedTile != nullptr;
        MVSprite* normal = game->getSprite(selected ? QVS_FIND_MATCH : QVS_HINT);
        MVSprite* lit = game->getSprite(selected ? QVS_FIND_MATCH_LIT : QVS_HINT_LIT);
        delegate->setSprites2(normal, lit, nullptr, lit);
    }
    QVStateLimitedControl::drawControl(clip);
}
