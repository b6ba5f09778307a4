// An image message box: a background with an OK button and an optional
// cancel button, built only from art. Every accepted click closes it. The OK
// button can be held back: it stays disabled, and so invisible and deaf to
// clicks and Enter, until the dialog's time-out has passed.
//
// It reports MVDialog's class record; it has none of its own.
#pragma once

#include "ui/MVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;

class MVMessageDialog : public MVDialog {
public:
    MVMessageDialog();
    ~MVMessageDialog() override;

    // Every accepted click closes the dialog.
    bool handleItemClick(MVDialogItem* item) override;
    // Shows a held-back OK button (enabled and invalidated, once); the
    // dialog stays open.
    bool handleTimeOut() override;

    // Loads the art and lays the dialog out; always 1. An x or y of -1
    // centres the dialog on that axis of the screen. A non-zero okHeldBack
    // keeps OK disabled until the time-out. The lit and cancel names may be
    // null (no cancel button without cancel art); an art that fails to load
    // leaves its sprite empty and the layout goes on with size 0.
    int initDialog(H2DDisplayDevice* device, HFileSystem* files, int32_t x, int32_t y, int32_t okHeldBack,
                   const char* background, const char* ok, const char* okLit, const char* cancel,
                   const char* cancelLit);
    // Unloads the art that initDialog loaded.
    void unloadDialogSprites();

    MVDialogItemButton* getOkButton() { return &m_okButton; }
    MVDialogItemButton* getCancelButton() { return &m_cancelButton; }

protected:
    MVDialogItemButton m_okButton;
    MVDialogItemButton m_cancelButton; // used only with cancel art
    MVSprite m_backgroundSprite;
    MVSprite m_okSprite;
    MVSprite m_cancelSprite;
    MVSprite m_okLitSprite;
    MVSprite m_cancelLitSprite;
};
