// The base of every modal dialog: a background sprite placed on the screen
// with a chain of items on it. doModal runs the dialog inside the caller's
// stack frame: it takes events from the game's event manager itself,
// redraws the game beneath the dialog and every open dialog above it, and
// returns when an item click is accepted, a quit request arrives or the
// time-out has passed. Subclasses decide what a click does by overriding
// handleItemClick.
//
// All open dialogs sit on one static modal stack, so a dialog can open
// another and both stay drawn; they share one static dirty list of their
// own beside the game's. The dialog links its items and sprites but owns
// none of them: they belong to the subclass (normally as members).
//
// Use: construct; load the sprites; setBackgroundSprite; setDialogOrigin;
// set up and addDialogItem each item; optionally setDefaultItem; doModal;
// compare the result with the items; removeAllItems; unload the sprites.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HObject.h"
#include "engine/core/HObjectStack.h"
#include "engine/core/HScreenPoint.h"
#include "engine/core/HScreenRect.h"
#include "engine/media/HDirtyRectangleManager.h"

#include <cstdint>

class H2DDisplayDevice;
class HEventManager;
class HPuzzleGame;
class MVDialogItem;
class MVSprite;

class MVDialog : public HObject {
    H_DECLARE_CLASS(MVDialog)
public:
    // What doModal returns when its time-out ended it, and on a quit request.
    // Any other result is the address of the item whose click was accepted.
    static constexpr intptr_t kTimedOut = -1;
    static constexpr intptr_t kQuit = -2;

    // No game, no user data, origin (0, 0), no items, no background. Empties
    // the dialogs' shared dirty list.
    MVDialog();
    // Frees nothing.
    ~MVDialog() override;

    MVDialog(const MVDialog&) = delete;
    MVDialog& operator=(const MVDialog&) = delete;

    // Stores the sprite (not owned), then m_updateSpriteRect().
    virtual void setBackgroundSprite(MVSprite* sprite);
    // The modal loop on the game, its display device and event manager;
    // the game first ends what its own ticks would have carried on
    // (HPuzzleGame::m_prepareForDialog). The time-out is in game-clock
    // milliseconds; 0 or less never ends the
    // dialog. The result: the accepted item's address as an integer,
    // kTimedOut or kQuit (also at once when the program is asked to end,
    // HEventManager::s_requestTermination). On closing, two mouse moves are
    // queued (at the last mouse point moved by (1, 1) and held to the
    // screen, then at the point itself) so the game's controls re-evaluate
    // their lit state, and the UI manager's capture is dropped (the press
    // that opened the dialog lost its release to it).
    virtual intptr_t doModal(HPuzzleGame* game, H2DDisplayDevice* device, HEventManager* events, int32_t timeoutMs,
                             void* userData);
    // True ends doModal with that item. False in the base: keep running.
    virtual bool handleItemClick(MVDialogItem* item);
    // True ends doModal with kTimedOut. False in the base: keep running (and
    // be asked again on every later drawing pass).
    virtual bool handleTimeOut();
    // Appends the item to the chain and makes it join the dialog. The first
    // item added becomes the default item; the last one added holds the focus.
    virtual void addDialogItem(MVDialogItem* item);
    // Forgets the items, the background, the default and the focus item. The
    // items are not told; the dialog rectangle keeps its last value.
    virtual void removeAllItems();
    // The item offered the Enter key first.
    virtual void setDefaultItem(MVDialogItem* item);
    // sm_invalidateArea(r).
    virtual void invalidateArea(const HScreenRect& r);
    // The dialog's own share of an event; false (a quit request) ends doModal
    // with kQuit.
    virtual bool m_handleEvent(const HEvent& e);
    // The background and the items over every dirty rectangle of the
    // dialogs' list and of the game's.
    virtual void m_drawDialog(H2DDisplayDevice* device);

    // Stores the origin, then m_updateSpriteRect(). Items already placed do
    // not move with the dialog.
    void setDialogOrigin(const HScreenPoint& origin);
    // The rectangle becomes the origin with the background's size (empty at
    // the origin without a background).
    void m_updateSpriteRect();
    // The old focus item's screen area is invalidated; null means the first
    // item.
    void setFocusItem(MVDialogItem* item);
    // The item that took the event, or null: Enter goes to the default item
    // first, then every item from the focus item on, in chain order, once.
    MVDialogItem* m_filterEventToItems(const HEvent& e);

    const HScreenRect& getDialogRect() const { return m_dialogRect; }
    MVDialogItem* getFirstItem() const { return m_pFirstItem; }
    MVDialogItem* getFocusItem() const { return m_pFocusItem; }
    MVDialogItem* getDefaultItem() const { return m_pDefaultItem; }
    MVSprite* getBackgroundSprite() const { return m_pBackgroundSprite; }
    HPuzzleGame* getPuzzleGame() const { return m_pPuzzleGame; }

    // Every open dialog, bottom first, so the innermost lies on top.
    static void sm_drawDialogStack(H2DDisplayDevice* device);
    // Adds r to the dialogs' dirty list and, while a game runs, to the game's.
    static void sm_invalidateArea(const HScreenRect& r);

    // The open dialogs, the innermost on top; not owned.
    static HObjectStack sm_modalStack;
    // What the dialog layer must redraw on the next pass.
    static HDirtyRectangleManager sm_dirtyRectManager;

protected:
    // Draws the background and the items into one dirty rectangle.
    void m_drawDialogInto(H2DDisplayDevice* device, const HScreenRect& dirty);

    HPuzzleGame* m_pPuzzleGame; // set by doModal; not owned
    void* m_pUserData;
    HScreenPoint m_dialogOrigin;
    HScreenRect m_dialogRect;
    HScreenPoint m_lastCursorPoint; // where the sprite cursor was last invalidated
    MVDialogItem* m_pFirstItem;
    MVDialogItem* m_pFocusItem;
    MVDialogItem* m_pDefaultItem;
    MVSprite* m_pBackgroundSprite; // not owned
};
