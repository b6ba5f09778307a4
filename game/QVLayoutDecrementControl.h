// An arrow of the start screen's layout picker: steps to the previous layout,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVLayoutDecrementControl : public QVStateLimitedControl {
public:
    QVLayoutDecrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the layout picker.
    void clickAction() override;
};
