// The name entry for a new best time: the finished game's time, an edit line
// for the player's name (at most 12 printable characters) and an OK button.
// Enter presses OK wherever the pointer is.
#pragma once

#include "game/QVNameTextLine.h"
#include "game/QVDialog.h"
#include "ui/MVDialogItemButton.h"
#include "ui/MVDialogItemTextLine.h"
#include "ui/MVSprite.h"

class H2DDisplayDevice;
class HFileSystem;
struct H2DFont;
struct QVGameStats;

class QVEnterNameDialog : public QVDialog {
public:
    // Characters of the score line.
    static constexpr int32_t kScoreLength = 16;

    QVEnterNameDialog();
    ~QVEnterNameDialog() override;

    // The OK button plays the GUI click and closes the dialog; nothing else
    // closes it.
    bool handleItemClick(MVDialogItem* item) override;

    // Loads the three sprites and lays the dialog out centred over the board
    // area, writing with `font`. The name offered is lastName when it is not
    // empty, else the login name, else nothing; only its printable
    // characters, cut to 12. True.
    bool initDialog(H2DDisplayDevice* display, HFileSystem* files, const QVGameStats& stats, H2DFont* font,
                    const char* lastName);
    // The name the entry offers, into out (size bytes): lastName when it is
    // not empty, else the login name, else nothing; its printable
    // characters only, at most 12 of them.
    static void s_offeredName(const char* lastName, char* out, int32_t size);

    MVDialogItemButton* getOkButton() { return &m_okButton; }
    QVNameTextLine* getEditLine() { return &m_editLine; }
    MVDialogItemTextLine* getScoreLine() { return &m_scoreLine; }

protected:
    MVDialogItemButton m_okButton;
    MVDialogItemTextLine m_scoreLine;
    QVNameTextLine m_editLine;
    MVSprite m_backgroundSprite;
    MVSprite m_okSprite;
    MVSprite m_okLitSprite;
};
