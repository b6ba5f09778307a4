// The art and the click shared by the game's dialogs.
#include "game/QVDialog.h"

#include "game/Qinvar.h"
#include "game/ScreenGeometry.h"
#include "ui/MVDialogItemButton.h"
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

HScreenRect QVDialog::m_placeBackground(MVSprite* background, geo::Point (*at)(int32_t w, int32_t h))
{
    setBackgroundSprite(background);
    const HScreenRect size = MVDialogItem::s_spriteSizeRect(background);
    const geo::Point origin = at(size.right, size.bottom);
    setDialogOrigin(HScreenPoint{origin.x, origin.y});
    return size;
}

void QVDialog::s_setUpButton(MVDialogItemButton* button, const char* name, MVSprite* normal, MVSprite* lit,
                             geo::Point at)
{
    button->setDialogItemName(name);
    button->setButtonSprites(normal, lit, nullptr);
    button->setDialogItemOrigin(HScreenPoint{at.x, at.y});
}
