// An arrow of the start screen's layout picker: steps to the next layout,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVLayoutIncrementControl : public QVStateLimitedControl {
public:
    QVLayoutIncrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the layout picker.
    void clickAction() override;
};
