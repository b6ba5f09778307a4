// The balanced load and unload of dialog art.
#include "game/QVDialogArt.h"

#include "ui/MVSprite.h"

bool QVDialogArt::s_load(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name)
{
    if (!sprite || !device || !name)
        return false;
    sprite->loadSprite(device, files, name);
    return sprite->isSpriteValid();
}

void QVDialogArt::s_unload(MVSprite* sprite)
{
    if (sprite && sprite->isSpriteValid())
        sprite->unloadSprite();
}
