// The undo button of the left panel. The game disables it as soon as it is
// created (and again after every shuffle), so it is never drawn and takes no
// event: a click at its place reaches the game, and undo is reached through
// the "u" key and the no-more-moves dialog.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVUndoControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVUndoControl(UIControlDelegate* delegate, Qinvar* game);

    // The hint's sound, then takes the last pair back.
    void clickAction() override;
    // Should the button ever be enabled: only while a game runs, not
    // suspended, with a pair on the undo stack.
    bool isActive() const override;

private:
    Qinvar* m_pGame;
};
