// An arrow of the start screen's table-top picker: steps to the next table top,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVTableTopIncrementControl : public QVStateLimitedControl {
public:
    QVTableTopIncrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the table-top picker.
    void clickAction() override;
};
