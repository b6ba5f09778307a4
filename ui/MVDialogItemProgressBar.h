// A progress bar: reveals the left part of a sprite, as wide as the progress
// (0 to 1) says. Its origin and rectangle are screen coordinates. Without a
// sprite, or outside a dialog, it draws nothing.
#pragma once

#include "ui/MVDialogItem.h"

class MVDialogItemProgressBar : public MVDialogItem {
    H_DECLARE_CLASS(MVDialogItemProgressBar)
public:
    // Progress 0, no sprite.
    MVDialogItemProgressBar();
    ~MVDialogItemProgressBar() override;

    // The base's, then the rectangle from the new origin when a sprite is set.
    void setDialogItemOrigin(const HScreenPoint& origin) override;
    // The first (sprite width x progress) columns of the sprite; the enabled
    // flag is not looked at.
    void drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip) override;

    // Stores the sprite (not owned); the rectangle becomes the sprite's size
    // at the origin. Nothing is invalidated.
    virtual void setProgressSprite(MVSprite* sprite);
    // Held to [0, 1] (NaN counts as 0), stored, and the rectangle invalidated.
    virtual void setProgress(float progress);
    virtual float getProgress() const;

protected:
    void m_placeOnSprite();

    float m_fProgress;
    MVSprite* m_pProgressSprite; // not owned
};
