// An arrow of the start screen's tile-set picker: steps to the next tile set,
// wrapping round at the ends.
#pragma once

#include "game/QVStateLimitedControl.h"

class QVTileSetIncrementControl : public QVStateLimitedControl {
public:
    QVTileSetIncrementControl(UIControlDelegate* delegate, Qinvar* game);

    // Ticks, then steps the tile-set picker.
    void clickAction() override;
};
