// The player's settings before anything is read.
#include "game/QVOptions.h"

QVOptions::QVOptions()
    : soundVolume(1.0f),
      musicVolume(1.0f),
      autoHint(1),
      tileSet(0),
      background(0),
      layout(0),
      fullscreen(0),
      lastHighScoreName{},
      setInThisRun(0)
{
}
