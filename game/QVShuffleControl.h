// The shuffle button of the left panel: shown while the board can be
// shuffled (a game in play with more than two tiles left), suspended or
// not; the shuffle itself refuses to run while the game is suspended.
#pragma once

#include "ui/UIControl.h"

class Qinvar;

class QVShuffleControl : public UIControl {
public:
    // The game is not owned; it outlives the controls of its UI manager.
    QVShuffleControl(UIControlDelegate* delegate, Qinvar* game);

    // Shuffles the board (the shuffle plays its own sound).
    void clickAction() override;
    // The game's canShuffle().
    bool isActive() const override;

private:
    Qinvar* m_pGame;
};
