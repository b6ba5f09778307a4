// The new-game button of the left panel: while a game is in play it asks
// whether to give the board up and, on yes, returns to the start screen.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVRestartControl : public QVStateLimitedControl {
public:
    QVRestartControl(UIControlDelegate* delegate, Qinvar* game);

    // Clicks, then restarts with a confirmation.
    void clickAction() override;
};
