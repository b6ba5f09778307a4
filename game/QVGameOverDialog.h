// The "no more moves" dialog: shuffle the board (unless a single open tile
// is left, which no shuffle can help), undo the last pair, or end the game.
// Shuffle and undo are carried out while the dialog is still up; every
// click closes it.
#pragma once

#include "game/QVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;

class QVGameOverDialog : public QVDialog {
public:
    QVGameOverDialog();
    ~QVGameOverDialog() override;

    // End game plays the GUI click; shuffle and undo call the game's own
    // actions. Always true.
    bool handleItemClick(MVDialogItem* item) override;

    // Loads the seven sprites and lays the dialog out; the shuffle button
    // only when shuffleAllowed (undo is then the default item). True.
    bool initDialog(H2DDisplayDevice* display, HFileSystem* files, bool shuffleAllowed);

    MVDialogItemButton* getShuffleButton() { return &m_shuffleButton; }
    MVDialogItemButton* getUndoButton() { return &m_undoButton; }
    MVDialogItemButton* getEndGameButton() { return &m_endGameButton; }

protected:
    MVDialogItemButton m_shuffleButton;
    MVDialogItemButton m_undoButton;
    MVDialogItemButton m_endGameButton;
    MVSprite m_backgroundSprite;
    MVSprite m_shuffleSprite;
    MVSprite m_shuffleLitSprite;
    MVSprite m_undoSprite;
    MVSprite m_undoLitSprite;
    MVSprite m_endGameSprite;
    MVSprite m_endGameLitSprite;
};
