// Modal dialogs: the modal loop, event routing to the items, focus and the
// drawing of the stack of open dialogs over the game.
#include "ui/MVDialog.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HEventManager.h"
#include "engine/media/H2DDisplayDevice.h"
#include "framework/HPuzzleGame.h"
#include "ui/MVDialogItem.h"
#include "ui/MVSprite.h"
#include "ui/UIManager.h"

H_IMPLEMENT_CLASS(MVDialog, "HObject")

HObjectStack MVDialog::sm_modalStack(nullptr);
HDirtyRectangleManager MVDialog::sm_dirtyRectManager;

namespace {

// Items in the chain from `first`.
int32_t countItems(MVDialogItem* first)
{
    int32_t n = 0;
    for (MVDialogItem* item = first; item; item = item->m_getNext())
        ++n;
    return n;
}

// A coordinate one step beside the pointer's v: v + 1 held to 0 .. limit
// (the screen's last pixel, or the largest coordinate without a screen),
// computed wide so that no pointer position overflows. Where holding lands
// on v itself, the step goes the other way.
int32_t stepBeside(int32_t v, int64_t limit)
{
    int64_t next = static_cast<int64_t>(v) + 1;
    if (next > limit)
        next = limit;
    if (next < 0)
        next = 0;
    if (next == v && v > 0)
        next = v - 1;
    return static_cast<int32_t>(next);
}

} // namespace

MVDialog::MVDialog()
    : m_pPuzzleGame(nullptr), m_pUserData(nullptr), m_dialogOrigin{0, 0}, m_dialogRect(0, 0, 0, 0),
      m_lastCursorPoint{0, 0}, m_pFirstItem(nullptr), m_pFocusItem(nullptr), m_pDefaultItem(nullptr),
      m_pBackgroundSprite(nullptr)
{
    sm_dirtyRectManager.clearDirtyList();
}

MVDialog::~MVDialog() = default;

void MVDialog::setBackgroundSprite(MVSprite* sprite)
{
    m_pBackgroundSprite = sprite;
    m_updateSpriteRect();
}

void MVDialog::setDialogOrigin(const HScreenPoint& origin)
{
    m_dialogOrigin = origin;
    m_updateSpriteRect();
}

void MVDialog::m_updateSpriteRect()
{
    const HScreenRect size = MVDialogItem::s_spriteSizeRect(m_pBackgroundSprite);
    m_dialogRect = HScreenRect(m_dialogOrigin.x, m_dialogOrigin.y, m_dialogOrigin.x + size.right,
                               m_dialogOrigin.y + size.bottom);
}

intptr_t MVDialog::doModal(HPuzzleGame* game, H2DDisplayDevice* device, HEventManager* events, int32_t timeoutMs,
                           void* userData)
{
    if (!events) {
        HErrorManager::s_db_alert("MVDialog::doModal: no event manager");
        return kQuit;
    }
    sm_modalStack.pushObject(this);
    m_pPuzzleGame = game;
    m_pUserData = userData;

    // The game clock: the time of the last fetched event. It advances only
    // with fetched events; while the dialog idles, the manager's time stamps
    // advance it.
    MvTime clock = game ? game->getGameClock() : MvTime{0, 0};
    const MvTime start = clock;
    if (game) {
        game->m_prepareForDialog();
        game->invalidateWholeScreen();
    }
    sm_invalidateArea(m_dialogRect);
    m_lastCursorPoint = events->getMousePoint();

    intptr_t result = 0;
    bool done = false;
    HEvent last = HEvent::s_make(ET_NONE);
    for (;;) {
        // A termination signal closes every open dialog as a quit request
        // does, at once; the game then ends.
        if (HEventManager::s_isTerminationRequested()) {
            result = kQuit;
            break;
        }
        HEvent e;
        if (!done && events->getEvent(&e, true)) {
            last = e;
            clock = e.time;
            if (game)
                game->setGameClock(e.time);
            if (!m_handleEvent(e)) {
                result = kQuit;
                done = true;
            } else {
                // Clicks are accepted on the press, never on the release.
                MVDialogItem* item = m_filterEventToItems(e);
                result = reinterpret_cast<intptr_t>(item);
                if (item && e.type == ET_KEYDOWN && (e.keyCode == KC_LBUTTON || e.character == 13))
                    done = handleItemClick(item);
                // A burst of events costs one drawing pass: draw only once the
                // queue is empty or the dialog is done.
                continue;
            }
        }

        if (game)
            game->drawGame(true);
        sm_drawDialogStack(device);
        if (game) {
            game->drawCursor();
            game->updateScreen();
        }
        sm_dirtyRectManager.clearDirtyList();

        if (done)
            break;
        if (timeoutMs >= 1 && static_cast<int64_t>(clock.sub64(start)) > timeoutMs && handleTimeOut()) {
            result = kTimedOut;
            break;
        }
    }

    sm_invalidateArea(m_dialogRect);
    if (game)
        game->invalidateWholeScreen();
    sm_modalStack.popObject();

    // The manager drops a move to the point of the previous move; the pair
    // makes sure a move at the pointer's position reaches the main loop,
    // which then re-evaluates the lit controls.
    // The first of them is held to the screen.
    const HScreenPoint mouse = events->getMousePoint();
    const int64_t lastX = device ? static_cast<int64_t>(device->m_iScreenWidth) - 1 : INT32_MAX;
    const int64_t lastY = device ? static_cast<int64_t>(device->m_iScreenHeight) - 1 : INT32_MAX;
    HEvent move = last;
    move.type = ET_MOUSEMOVE;
    move.point = HScreenPoint{stepBeside(mouse.x, lastX), stepBeside(mouse.y, lastY)};
    events->appendEvent(move);
    move.point = mouse;
    events->appendEvent(move);

    // The press that opened the dialog lost its release to the dialog: no
    // control may stay captured by it.
    if (game)
        game->getUIManager()->releaseCapture();
    return result;
}

bool MVDialog::handleItemClick(MVDialogItem* /*item*/)
{
    return false;
}

bool MVDialog::handleTimeOut()
{
    return false;
}

void MVDialog::addDialogItem(MVDialogItem* item)
{
    if (!item)
        return;
    // An item joins a chain once: appending it again would link it to itself.
    for (MVDialogItem* held = m_pFirstItem; held; held = held->m_getNext()) {
        if (held == item)
            return;
    }
    item->m_setNext(nullptr);
    item->m_setParent(this);
    if (!m_pDefaultItem)
        setDefaultItem(item);
    setFocusItem(item);
    if (!m_pFirstItem) {
        m_pFirstItem = item;
        return;
    }
    MVDialogItem* tail = m_pFirstItem;
    while (tail->m_getNext())
        tail = tail->m_getNext();
    tail->m_setNext(item);
}

void MVDialog::removeAllItems()
{
    m_pFirstItem = nullptr;
    m_pBackgroundSprite = nullptr;
    setDefaultItem(nullptr);
    setFocusItem(nullptr);
}

void MVDialog::setDefaultItem(MVDialogItem* item)
{
    m_pDefaultItem = item;
}

void MVDialog::invalidateArea(const HScreenRect& r)
{
    sm_invalidateArea(r);
}

void MVDialog::setFocusItem(MVDialogItem* item)
{
    if (item != m_pFocusItem && m_pFocusItem)
        invalidateArea(m_pFocusItem->getScreenArea());
    if (!item)
        item = m_pFirstItem;
    m_pFocusItem = item;
}

bool MVDialog::m_handleEvent(const HEvent& e)
{
    switch (e.type) {
    case ET_QUIT:
        return false;
    case ET_KEYDOWN:
        if (e.character == 9 && m_pFocusItem) {
            // The next item after the focus, wrapping round, that takes the
            // focus; the focus stays when none does.
            MVDialogItem* item = m_pFocusItem;
            for (int32_t steps = countItems(m_pFirstItem); steps > 0; --steps) {
                item = item->m_getNext() ? item->m_getNext() : m_pFirstItem;
                if (!item || item == m_pFocusItem)
                    break;
                if (item->acceptsFocus()) {
                    m_pFocusItem = item;
                    break;
                }
            }
        }
        return true;
    case ET_PAINT:
        if (m_pPuzzleGame)
            m_pPuzzleGame->invalidateWholeScreen();
        sm_invalidateArea(m_dialogRect);
        return true;
    case ET_MOUSEMOVE:
        if (m_pPuzzleGame && m_pPuzzleGame->m_shouldRenderSpriteCursor()) {
            if (const MVSprite* cursor = m_pPuzzleGame->m_getCursorSprite()) {
                const HScreenRect size = MVDialogItem::s_spriteSizeRect(cursor);
                sm_invalidateArea(HScreenRect(m_lastCursorPoint.x, m_lastCursorPoint.y,
                                              m_lastCursorPoint.x + size.right, m_lastCursorPoint.y + size.bottom));
                sm_invalidateArea(
                    HScreenRect(e.point.x, e.point.y, e.point.x + size.right, e.point.y + size.bottom));
                m_lastCursorPoint = e.point;
            }
        }
        return true;
    default:
        return true;
    }
}

MVDialogItem* MVDialog::m_filterEventToItems(const HEvent& e)
{
    if (e.type == ET_KEYDOWN && e.character == 13 && m_pDefaultItem && m_pDefaultItem->handleEvent(e))
        return m_pDefaultItem;
    if (!m_pFocusItem)
        return nullptr;
    // An item may move the focus while it handles the event (a slider takes
    // it on the press): the walk ends where it started.
    MVDialogItem* const start = m_pFocusItem;
    MVDialogItem* item = start;
    for (int32_t steps = countItems(m_pFirstItem); item && steps > 0; --steps) {
        if (item->handleEvent(e))
            return item;
        item = item->m_getNext() ? item->m_getNext() : m_pFirstItem;
        if (item == start)
            break;
    }
    return nullptr;
}

void MVDialog::m_drawDialogInto(H2DDisplayDevice* device, const HScreenRect& dirty)
{
    if (m_pBackgroundSprite) {
        HScreenRect src = MVDialogItem::s_spriteSizeRect(m_pBackgroundSprite);
        HScreenRect dst;
        if (HScreenRect::s_intersectRects(m_dialogRect, dirty, &dst, &src) && !dst.isEmpty())
            m_pBackgroundSprite->drawPartialSpriteAtLocation(&dst, &src);
    }
    for (MVDialogItem* item = m_pFirstItem; item; item = item->m_getNext())
        item->drawDialogItem(device, dirty);
}

void MVDialog::m_drawDialog(H2DDisplayDevice* device)
{
    if (!device)
        return;
    for (int32_t i = 0; i < sm_dirtyRectManager.getRectangleCount(); ++i)
        m_drawDialogInto(device, *sm_dirtyRectManager.getRectangle(i));
    if (m_pPuzzleGame) {
        const HDirtyRectangleManager* gameList = m_pPuzzleGame->getDirtyList();
        for (int32_t i = 0; i < gameList->getRectangleCount(); ++i)
            m_drawDialogInto(device, *gameList->getRectangle(i));
    }
}

void MVDialog::sm_drawDialogStack(H2DDisplayDevice* device)
{
    for (int32_t n = sm_modalStack.getNumItems() - 1; n >= 0; --n)
        static_cast<MVDialog*>(sm_modalStack.getObjectAt(n))->m_drawDialog(device);
}

void MVDialog::sm_invalidateArea(const HScreenRect& r)
{
    sm_dirtyRectManager.addScreenRectToDirtyList(r);
    if (HPuzzleGame::sm_pPuzzleGame)
        HPuzzleGame::sm_pPuzzleGame->invalidateArea(r);
}
