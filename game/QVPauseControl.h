// The pause button of the left panel, shown while a game is in play, also
// while it is suspended: it reads "Pause" while the game runs and "Resume"
// while it is suspended, and a click switches between the two.
#pragma once

#include "ui/UIControl.h"

class MVControlDelegate;
class MVSprite;
class Qinvar;

class QVPauseControl : public UIControl {
public:
    // The delegate is the sprite delegate whose pictures the button swaps.
    // The game is not owned; it outlives the controls of its UI manager.
    QVPauseControl(MVControlDelegate* delegate, Qinvar* game);

    // The two pairs of pictures (borrowed from the game's sprite table).
    void setSprites(MVSprite* pause, MVSprite* pauseLit, MVSprite* resume, MVSprite* resumeLit);

    // Clicks, then suspends a running game or resumes a suspended one.
    void clickAction() override;
    // In GS_PLAYING, suspended or not.
    bool isActive() const override;
    // Takes the resume pictures while the game is suspended, the pause
    // pictures otherwise, then draws as every control does.
    void drawControl(const HScreenRect& clip) override;

private:
    MVSprite* m_pPauseSprite;
    MVSprite* m_pPauseLitSprite;
    MVSprite* m_pResumeSprite;
    MVSprite* m_pResumeLitSprite;
    Qinvar* m_pGame;
};
