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

void QVOptions::setSoundVolume(float v)
{
    soundVolume = v;
    unsavedFields |= kSoundVolumeSet;
}

void QVOptions::setMusicVolume(float v)
{
    musicVolume = v;
    unsavedFields |= kMusicVolumeSet;
}

void QVOptions::setAutoHint(int32_t v)
{
    autoHint = v;
    unsavedFields |= kAutoHintSet;
}

void QVOptions::setTileSet(int32_t v)
{
    tileSet = v;
    unsavedFields |= kTileSetSet;
}

void QVOptions::setBackground(int32_t v)
{
    background = v;
    unsavedFields |= kBackgroundSet;
}

void QVOptions::setLayout(int32_t v)
{
    layout = v;
    unsavedFields |= kLayoutSet;
}

void QVOptions::setFullscreen(int32_t v)
{
    fullscreen = v;
    unsavedFields |= kFullscreenSet;
}

void QVOptions::setLastHighScoreName(const char* name)
{
    HUtil::s_strcpy(lastHighScoreName, name ? name : "", sizeof(lastHighScoreName));
    unsavedFields |= kLastNameSet;
}
