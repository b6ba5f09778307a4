// The two-button confirmation: layout and its buttons.
#include "game/QVAreYouSureDialog.h"

#include "game/ScreenGeometry.h"
#include "ui/MVDialogLayout.h"

QVAreYouSureDialog::QVAreYouSureDialog() : QVDialog() {}

QVAreYouSureDialog::~QVAreYouSureDialog() = default;

bool QVAreYouSureDialog::initDialog(H2DDisplayDevice* display, HFileSystem* files, const char* background,
                                    const char* confirm, const char* confirmLit, const char* cancel,
                                    const char* cancelLit)
{
    m_loadArt(&m_backgroundSprite, display, files, background);
    m_loadArt(&m_confirmSprite, display, files, confirm);
    m_loadArt(&m_confirmLitSprite, display, files, confirmLit);
    m_loadArt(&m_cancelSprite, display, files, cancel);
    m_loadArt(&m_cancelLitSprite, display, files, cancelLit);

    const HScreenRect size = m_placeBackground(&m_backgroundSprite, geo::clearConfirmAt);
    const int32_t width = size.right;
    const int32_t height = size.bottom;

    // The buttons as the framework's message box puts its two.
    const HScreenRect confirmSize = MVDialogItem::s_spriteSizeRect(&m_confirmSprite);
    const HScreenRect cancelSize = MVDialogItem::s_spriteSizeRect(&m_cancelSprite);
    const MVDialogLayout::Place confirmAt =
        MVDialogLayout::messageOkAt(width, height, confirmSize.right, confirmSize.bottom, true);
    const MVDialogLayout::Place cancelAt =
        MVDialogLayout::messageCancelAt(width, height, cancelSize.right, confirmSize.bottom);
    s_setUpButton(&m_confirmButton, "Are you sure, ok", &m_confirmSprite, &m_confirmLitSprite,
                  geo::Point{confirmAt.x, confirmAt.y});
    s_setUpButton(&m_cancelButton, "Are you sure, cancel", &m_cancelSprite, &m_cancelLitSprite,
                  geo::Point{cancelAt.x, cancelAt.y});

    addDialogItem(&m_confirmButton);
    addDialogItem(&m_cancelButton);
    setDefaultItem(&m_cancelButton);
    return true;
}

bool QVAreYouSureDialog::handleItemClick(MVDialogItem* /*item*/)
{
    m_playGuiClick();
    return true;
}
