// The continue button of the end screens (board cleared, no more moves): it
// has no picture of its own and shows only while the pointer is over it.
// A click enters a new best time, when the game made one, and returns to
// the start screen.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVClickToContinueControl : public QVStateLimitedControl {
public:
    QVClickToContinueControl(UIControlDelegate* delegate, Qinvar* game);

    // Clicks, runs the best-time check, then returns to the start screen.
    void clickAction() override;
};
