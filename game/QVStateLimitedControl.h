// A button of the game screen that belongs to one game state: it is drawn
// and offered events only while the game is in that state and, unless told
// to stay active then, while the game is not suspended. The start screen's
// buttons, the play buttons and the continue buttons are of this kind.
#pragma once

#include "ui/UIControl.h"

#include <cstdint>

class Qinvar;

class QVStateLimitedControl : public UIControl {
public:
    // Active in GS_START, not while suspended, until told otherwise. The game
    // is not owned: it outlives the controls of its UI manager.
    QVStateLimitedControl(UIControlDelegate* delegate, Qinvar* game);

    // The game's state is the control's, and the game is not suspended or
    // the control stays active while it is.
    bool isActive() const override;

    void setActiveState(int32_t state) { m_iActiveState = state; }
    void setActiveWhileSuspended(bool active) { m_bActiveWhileSuspended = active; }

protected:
    Qinvar* getGame() const { return m_pGame; }

private:
    bool m_bActiveWhileSuspended;
    int32_t m_iActiveState; // QVGameState
    Qinvar* m_pGame;
};
