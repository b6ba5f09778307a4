// The rules button of the left panel, shown in every state: it pages
// through the rules of the game.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVRulesControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVRulesControl(UIControlDelegate* delegate, Qinvar* game);

    // Clicks, then runs the rules slide show.
    void clickAction() override;

private:
    Qinvar* m_pGame;
};
