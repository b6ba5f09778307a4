// An arrow of the start screen's table-top picker: steps to the previous table top,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVTableTopDecrementControl : public QVStateLimitedControl {
public:
    QVTableTopDecrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the table-top picker.
    void clickAction() override;
};
