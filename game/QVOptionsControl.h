// The options button of the left panel, shown in every state. It opens the
// modal options dialog on the press; it is never pushed, so no captured,
// pushed button waits behind the dialog while it runs.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVOptionsControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVOptionsControl(UIControlDelegate* delegate, Qinvar* game);

    // Clicks, puts the button's light out, then runs the options dialog.
    void clickAction() override;
    // False.
    bool m_isPushable() const override;

private:
    Qinvar* m_pGame;
};
