// The exit button of the left panel ("Quit"), shown in every state. It
// resumes a suspended game first, so that quitting a game in play asks for
// confirmation over the running board as the window's close button does.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVExitControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVExitControl(UIControlDelegate* delegate, Qinvar* game);

    // Resumes, clicks, then quits (with a confirmation while a game runs).
    void clickAction() override;

private:
    Qinvar* m_pGame;
};
