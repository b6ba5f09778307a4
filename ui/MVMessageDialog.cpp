// The image message box: layout, the held-back OK button.
#include "ui/MVMessageDialog.h"

#include "engine/media/H2DDisplayDevice.h"
#include "ui/MVDialogLayout.h"

namespace {

// Loads the art when it is named; true when the sprite holds a surface.
bool loadArt(MVSprite* sprite, H2DDisplayDevice* device, HFileSystem* files, const char* name)
{
    if (!name || !device)
        return false;
    sprite->loadSprite(device, files, name);
    return sprite->isSpriteValid();
}

// Gives back the reference initDialog took, if it took one.
void unloadArt(MVSprite* sprite)
{
    if (sprite->isSpriteValid())
        sprite->unloadSprite();
}

} // namespace

MVMessageDialog::MVMessageDialog() = default;

MVMessageDialog::~MVMessageDialog() = default;

bool MVMessageDialog::handleItemClick(MVDialogItem* /*item*/)
{
    return true;
}

bool MVMessageDialog::handleTimeOut()
{
    // Called on every drawing pass once the time-out has passed: only the
    // first call changes anything.
    if (!m_okButton.isEnabled()) {
        m_okButton.setEnabled(true);
        invalidateArea(m_okButton.getDialogItemRect());
    }
    return false;
}

int MVMessageDialog::initDialog(H2DDisplayDevice* device, HFileSystem* files, int32_t x, int32_t y,
                                int32_t okHeldBack, const char* background, const char* ok, const char* okLit,
                                const char* cancel, const char* cancelLit)
{
    loadArt(&m_backgroundSprite, device, files, background);
    loadArt(&m_okSprite, device, files, ok);
    const bool hasOkLit = loadArt(&m_okLitSprite, device, files, okLit);
    loadArt(&m_cancelSprite, device, files, cancel);
    const bool hasCancelLit = loadArt(&m_cancelLitSprite, device, files, cancelLit);

    setBackgroundSprite(&m_backgroundSprite);
    const HScreenRect backgroundSize = MVDialogItem::s_spriteSizeRect(&m_backgroundSprite);
    const int32_t width = backgroundSize.right;
    const int32_t height = backgroundSize.bottom;
    const int32_t screenWidth = device ? device->m_iScreenWidth : 0;
    const int32_t screenHeight = device ? device->m_iScreenHeight : 0;
    if (x == -1)
        x = (screenWidth - width) / 2;
    if (y == -1)
        y = (screenHeight - height) / 2;
    setDialogOrigin(HScreenPoint{x, y});

    m_okButton.setDialogItemName("Are you sure, ok");
    m_okButton.setButtonSprites(&m_okSprite, hasOkLit ? &m_okLitSprite : &m_okSprite, nullptr);
    // Without a disabled sprite a held-back OK is not drawn until it is enabled.
    if (okHeldBack != 0)
        m_okButton.setEnabled(false);
    if (cancel) {
        m_cancelButton.setDialogItemName("Are you sure, cancel");
        m_cancelButton.setButtonSprites(&m_cancelSprite, hasCancelLit ? &m_cancelLitSprite : &m_cancelSprite,
                                        nullptr);
    }

    const HScreenRect okSize = MVDialogItem::s_spriteSizeRect(&m_okSprite);
    const HScreenRect cancelSize = MVDialogItem::s_spriteSizeRect(&m_cancelSprite);
    if (ok) {
        const MVDialogLayout::Place at =
            MVDialogLayout::messageOkAt(width, height, okSize.right, okSize.bottom, cancel != nullptr);
        m_okButton.setDialogItemOrigin(HScreenPoint{at.x, at.y});
        addDialogItem(&m_okButton);
    }
    if (cancel) {
        const MVDialogLayout::Place at = MVDialogLayout::messageCancelAt(width, height, cancelSize.right, okSize.bottom);
        m_cancelButton.setDialogItemOrigin(HScreenPoint{at.x, at.y});
        addDialogItem(&m_cancelButton);
        setDefaultItem(&m_cancelButton);
    }
    return 1;
}

void MVMessageDialog::unloadDialogSprites()
{
    unloadArt(&m_backgroundSprite);
    unloadArt(&m_okSprite);
    unloadArt(&m_okLitSprite);
    unloadArt(&m_cancelSprite);
    unloadArt(&m_cancelLitSprite);
}
