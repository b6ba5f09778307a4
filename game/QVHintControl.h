// The hint button of the left panel. With nothing selected it shows an open
// pair; with a tile selected it reads "find match" and shows that tile's
// partners. Its picture follows the selection at every drawing pass.
#pragma once

#include "game/QVStateLimitedControl.h"

class MVControlDelegate;

class QVHintControl : public QVStateLimitedControl {
public:
    // The delegate is the sprite delegate whose pictures the button swaps.
    QVHintControl(MVControlDelegate* delegate, Qinvar* game);

    // An asked hint (the hint plays its own sound).
    void clickAction() override;
    // Takes the find-match pictures while a tile is selected, the hint
    // pictures otherwise, then draws as every control does. A change of
    // pictures invalidates the button, so the next pass shows it whole.
    void drawControl(const HScreenRect& clip) override;
};
