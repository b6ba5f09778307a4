// An arrow of the start screen's tile-set picker: steps to the previous tile set,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVTileSetDecrementControl : public QVStateLimitedControl {
public:
    QVTileSetDecrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the tile-set picker.
    void clickAction() override;
};
