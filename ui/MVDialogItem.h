// The base of everything a modal dialog holds: buttons, text lines, progress
// bars and sliders. An item knows its rectangle, draws itself into one dirty
// rectangle at a time and answers the events its dialog offers it, returning
// true when it takes one. The dialog links its items into a chain through
// their next pointers; items never own the sprites or fonts they draw.
//
// Coordinates: a button's or slider's origin is relative to the dialog's
// top-left corner and its rectangle is a screen rectangle computed from it; a
// text line's origin and rectangle are both dialog-relative; a progress bar's
// origin and rectangle are screen coordinates. An item outside a dialog
// draws nothing and takes no event.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HObject.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/media/HBlendFunction.h"

#include <cstdint>

class H2DDisplayDevice;
class MVDialog;
class MVSprite;

class MVDialogItem : public HObject {
    H_DECLARE_CLASS(MVDialogItem)
public:
    // Bytes of the name, the terminator included.
    static constexpr int kNameBytes = 256;

    // Enabled, no dialog, no next item, empty name, identifier 0, origin and
    // rectangle (0, 0, 0, 0).
    MVDialogItem();
    // Frees nothing.
    ~MVDialogItem() override;

    MVDialogItem(const MVDialogItem&) = delete;
    MVDialogItem& operator=(const MVDialogItem&) = delete;

    virtual bool isEnabled() const;
    // Stores the flag; nothing is invalidated.
    virtual void setEnabled(bool enabled);
    // Whether tab may move the focus here. False in the base.
    virtual bool acceptsFocus() const;
    virtual const HScreenRect& getDialogItemRect() const;
    // Stores the origin, then m_updateSpriteRect().
    virtual void setDialogItemOrigin(const HScreenPoint& origin);
    // An identifier for a dialog's own use; the dialogs here tell their items
    // apart by address and set none.
    virtual int32_t getDialogItemID() const;
    virtual void setDialogItemID(int32_t id);
    // Bounded copy: at most 255 characters are kept.
    virtual void setDialogItemName(const char* name);
    virtual const char* getDialogItemName() const;
    // Draws the part of the item inside `clip`. Nothing in the base.
    virtual void drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip);
    // True when the item takes the event. False in the base.
    virtual bool handleEvent(const HEvent& e);
    // Recomputes the rectangle from the origin (and sprites). Nothing in the base.
    virtual void m_updateSpriteRect();
    // The dialog's invalidateArea of r; nothing outside a dialog.
    virtual void m_invalidateArea(const HScreenRect& r);
    // Joins a dialog: stores it, recomputes the rectangle, then invalidates
    // the item's area on the screen.
    virtual void m_setParent(MVDialog* dialog);
    virtual void m_setNext(MVDialogItem* next);
    virtual MVDialogItem* m_getNext();
    // The screen area the item covers: its rectangle in the base (a text
    // line translates its dialog-relative one).
    virtual HScreenRect getScreenArea() const;

    const HScreenPoint& getDialogItemOrigin() const { return m_dialogItemOrigin; }

    // (0, 0, width, height) of a loaded sprite; all zero for null or an
    // unloaded one (without the sprite's missing-surface alert).
    static HScreenRect s_spriteSizeRect(const MVSprite* sprite);
    // The blend every item draws its sprites with: plain alpha blending.
    static void s_blendSprite(const MVSprite* sprite, const HScreenRect& dst, const HScreenRect& src);
    // Draws the part of `sprite`, placed with its top-left corner at the
    // rectangle's, that lies inside both `rect` and `clip`; the source never
    // reaches beyond the sprite's own surface, whatever the rectangle's size.
    static void s_drawSpriteInRect(const MVSprite* sprite, const HScreenRect& rect, const HScreenRect& clip);

    // Open to subclasses and to the dialog that owns the item.
    HScreenRect m_dialogItemRect;

protected:
    MVDialog* m_pParentDialog; // not owned
    MVDialogItem* m_pNextItem; // not owned
    bool m_bEnabled;
    char m_szDialogItemName[kNameBytes];
    int32_t m_iDialogItemID;
    HScreenPoint m_dialogItemOrigin;
};
