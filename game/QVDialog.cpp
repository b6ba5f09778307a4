// The art and the click shared by the game's dialogs.
#include "game/QVDialog.h"

#include "game/Qinvar.h"
#include "ui/MVSprite.h"

QVDialog::QVDialog() : MVDialog(), m_apArt(), m_iArtCount(0) {}

QVDialog::~QVDialog() = default;

bool QVDialog::m_loadArt(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name)
{
    if (!sprite || !device || !name || m_iArtCount >= kMaxArt)
        return false;
    m_apArt[m_iArtCount++] = sprite;
    sprite->loadSprite(device, files, name);
    return sprite->isSpriteValid();
}

void QVDialog::unloadDialogSprites()
{
    for (int32_t i = 0; i < m_iArtCount; ++i) {
        if (m_apArt[i]->isSpriteValid())
            m_apArt[i]->unloadSprite();
        m_apArt[i] = nullptr;
    }
    m_iArtCount = 0;
}

void QVDialog::m_playGuiClick()
{
    if (HPuzzleGame* game = getPuzzleGame())
        game->playSound(Qinvar::s_kpButtonSound, Qinvar::kEffectVolume, 0, true);
}
