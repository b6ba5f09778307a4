// A dialog button drawn with one of three sprites: normal, lit while the
// pointer is over it, disabled. It takes a left-button press inside it and
// the Enter key wherever the pointer is; the dialog decides what the click
// does. The sprites are borrowed from the dialog that owns the button.
#pragma once

#include "ui/MVDialogItem.h"

class MVDialogItemButton : public MVDialogItem {
    H_DECLARE_CLASS(MVDialogItemButton)
public:
    // Not lit, no sprites.
    MVDialogItemButton();
    ~MVDialogItemButton() override;

    // The disabled sprite when disabled, else the lit one while lit, else the
    // normal one; a null sprite draws nothing.
    void drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip) override;
    // Mouse moves light and unlight the button (never taken); a left-button
    // press inside, or character 13 anywhere, is taken. A disabled button
    // takes nothing.
    bool handleEvent(const HEvent& e) override;
    // The origin (plus the dialog's corner) with the size of the last sprite
    // set of normal, lit, disabled; empty at the origin without sprites.
    void m_updateSpriteRect() override;

    // Stores the sprites, recomputes the rectangle and invalidates it.
    virtual void setButtonSprites(const MVSprite* normal, const MVSprite* lit, const MVSprite* disabled);

    bool isLit() const { return m_bLit; }

protected:
    bool m_bLit;
    const MVSprite* m_pNormalSprite;   // not owned
    const MVSprite* m_pLitSprite;      // not owned
    const MVSprite* m_pDisabledSprite; // not owned
};
