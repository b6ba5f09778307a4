// The free-tile highlight button of the left panel. The game disables it as
// soon as it is created and never enables it again: having no disabled
// picture it is never drawn, and being disabled it takes no event, so a
// click at its place reaches the game. The space key starts the highlight.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVShowMovesControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVShowMovesControl(UIControlDelegate* delegate, Qinvar* game);

    // Starts the free-tile highlight (no sound of its own).
    void clickAction() override;

private:
    Qinvar* m_pGame;
};
