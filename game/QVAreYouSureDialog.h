// A two-button confirmation built from the caller's art: a background, a
// confirm button and a cancel button, each with a normal and a lit image.
// Cancel is the default item, so Enter cancels.
#pragma once

#include "game/QVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;

class QVAreYouSureDialog : public QVDialog {
public:
    QVAreYouSureDialog();
    ~QVAreYouSureDialog() override;

    // Either button plays the GUI click and closes the dialog. Always true.
    bool handleItemClick(MVDialogItem* item) override;

    // Loads the five sprites and lays the dialog out over the board: the
    // confirm button at a quarter, the cancel button at three quarters of
    // the free width. True.
    bool initDialog(H2DDisplayDevice* display, HFileSystem* files, const char* background, const char* confirm,
                    const char* confirmLit, const char* cancel, const char* cancelLit);

    MVDialogItemButton* getConfirmButton() { return &m_confirmButton; }
    MVDialogItemButton* getCancelButton() { return &m_cancelButton; }

protected:
    MVDialogItemButton m_confirmButton;
    MVDialogItemButton m_cancelButton;
    MVSprite m_backgroundSprite;
    MVSprite m_confirmSprite;
    MVSprite m_confirmLitSprite;
    MVSprite m_cancelSprite;
    MVSprite m_cancelLitSprite;
};
