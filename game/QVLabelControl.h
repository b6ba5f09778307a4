// A label of the information strip along the bottom edge (time, open
// pairs, tiles left): a picture shown while a game is in play or has just
// ended, not suspended. A press on it is taken and does nothing.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVLabelControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVLabelControl(UIControlDelegate* delegate, Qinvar* game);

    // Neither in GS_START nor in GS_QUITTING, and not suspended.
    bool isActive() const override;

private:
    Qinvar* m_pGame;
};
