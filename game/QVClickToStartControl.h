// The start button of the start screen: deals a board on the picked layout,
// tile set and table top and starts the game.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVClickToStartControl : public QVStateLimitedControl {
public:
    QVClickToStartControl(UIControlDelegate* delegate, Qinvar* game);

    // Clicks, then starts a board.
    void clickAction() override;
};
