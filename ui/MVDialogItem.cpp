// The dialog item base: name, identifier, origin, rectangle and the link to
// the dialog and the next item of its chain.
#include "ui/MVDialogItem.h"

#include "engine/core/HUtil.h"
#include "ui/MVDialog.h"
#include "ui/MVSprite.h"

H_IMPLEMENT_CLASS(MVDialogItem, "HObject")

MVDialogItem::MVDialogItem()
    : m_dialogItemRect(0, 0, 0, 0), m_pParentDialog(nullptr), m_pNextItem(nullptr), m_bEnabled(true),
      m_szDialogItemName(), m_iDialogItemID(0), m_dialogItemOrigin{0, 0}
{
}

MVDialogItem::~MVDialogItem() = default;

bool MVDialogItem::isEnabled() const
{
    return m_bEnabled;
}

void MVDialogItem::setEnabled(bool enabled)
{
    m_bEnabled = enabled;
}

bool MVDialogItem::acceptsFocus() const
{
    return false;
}

const HScreenRect& MVDialogItem::getDialogItemRect() const
{
    return m_dialogItemRect;
}

void MVDialogItem::setDialogItemOrigin(const HScreenPoint& origin)
{
    m_dialogItemOrigin = origin;
    m_updateSpriteRect();
}

int32_t MVDialogItem::getDialogItemID() const
{
    return m_iDialogItemID;
}

void MVDialogItem::setDialogItemID(int32_t id)
{
    m_iDialogItemID = id;
}

void MVDialogItem::setDialogItemName(const char* name)
{
    HUtil::s_strcpy(m_szDialogItemName, name ? name : "", sizeof(m_szDialogItemName));
}

const char* MVDialogItem::getDialogItemName() const
{
    return m_szDialogItemName;
}

void MVDialogItem::drawDialogItem(H2DDisplayDevice* /*device*/, const HScreenRect& /*clip*/)
{
}

bool MVDialogItem::handleEvent(const HEvent& /*e*/)
{
    return false;
}

void MVDialogItem::m_updateSpriteRect()
{
}

void MVDialogItem::m_invalidateArea(const HScreenRect& r)
{
    if (m_pParentDialog)
        m_pParentDialog->invalidateArea(r);
}

void MVDialogItem::m_setParent(MVDialog* dialog)
{
    m_pParentDialog = dialog;
    m_updateSpriteRect();
    m_invalidateArea(getScreenArea());
}

void MVDialogItem::m_setNext(MVDialogItem* next)
{
    m_pNextItem = next;
}

MVDialogItem* MVDialogItem::m_getNext()
{
    return m_pNextItem;
}

HScreenRect MVDialogItem::getScreenArea() const
{
    return m_dialogItemRect;
}

HScreenRect MVDialogItem::s_spriteSizeRect(const MVSprite* sprite)
{
    if (!sprite || !sprite->isSpriteValid())
        return HScreenRect(0, 0, 0, 0);
    HScreenRect size;
    sprite->getSizeRect(&size);
    return size;
}

void MVDialogItem::s_blendSprite(const MVSprite* sprite, const HScreenRect& dst, const HScreenRect& src)
{
    sprite->blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA,
                                         BPS_ONE, CO_PRODUCT, 255, BO_ADD);
}

void MVDialogItem::s_drawSpriteInRect(const MVSprite* sprite, const HScreenRect& rect, const HScreenRect& clip)
{
    if (!sprite || !sprite->isSpriteValid() || !clip.intersectsRect(rect))
        return;
    HScreenRect dst = rect;
    HScreenRect::sm_clamp(dst.left, clip.left, clip.right);
    HScreenRect::sm_clamp(dst.right, clip.left, clip.right);
    HScreenRect::sm_clamp(dst.top, clip.top, clip.bottom);
    HScreenRect::sm_clamp(dst.bottom, clip.top, clip.bottom);
    const HScreenRect src(dst.left - rect.left, dst.top - rect.top, dst.right - rect.left, dst.bottom - rect.top);
    // The rectangle may be larger than this sprite (a button is as large as
    // its last sprite): keep the source on the surface, the destination
    // trimmed alike.
    HScreenRect onSprite;
    if (!HScreenRect::s_intersectRects(src, s_spriteSizeRect(sprite), &onSprite, &dst) || onSprite.isEmpty())
        return;
    s_blendSprite(sprite, dst, onSprite);
}
