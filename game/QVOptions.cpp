// The player's settings before anything is read, and the player's choices.
#include "game/QVOptions.h"

#include "engine/core/HUtil.h"

QVOptions::QVOptions()
    : soundVolume(1.0f),
      musicVolume(1.0f),
      autoHint(1),
      tileSet(0),
      background(0),
      layout(0),
      fullscreen(0),
      lastHighScoreName{},
      unsavedFields(0)
{
}

void QVOptions::setLastHighScoreName(const char* name)
{
    HUtil::s_strcpy(lastHighScoreName, name ? name : "", sizeof(lastHighScoreName));
    unsavedFields |= kLastNameSet;
}
