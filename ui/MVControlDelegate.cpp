// The sprite control delegate: the state sprite of a control, drawn with
// plain alpha blending inside the control's rectangle, and the control's size
// from its sprites.
#include "ui/MVControlDelegate.h"

#include "ui/MVSprite.h"
#include "ui/UIControl.h"

#include <algorithm>
#include <initializer_list>

H_IMPLEMENT_CLASS(MVControlDelegate, "UIControlDelegate")

MVControlDelegate::InvalidateFunction MVControlDelegate::sm_pInvalidate = nullptr;

MVControlDelegate::MVControlDelegate()
    : m_pLitSprite(nullptr), m_pDisabledSprite(nullptr), m_pNormalSprite(nullptr), m_pPushedSprite(nullptr)
{
}

MVControlDelegate::~MVControlDelegate() = default;

void MVControlDelegate::s_setInvalidateFunction(InvalidateFunction fn)
{
    sm_pInvalidate = fn;
}

void MVControlDelegate::setSprites2(MVSprite* normal, MVSprite* lit, MVSprite* disabled, MVSprite* pushed)
{
    if (normal == m_pNormalSprite && lit == m_pLitSprite && disabled == m_pDisabledSprite &&
        pushed == m_pPushedSprite)
        return;
    m_pNormalSprite = normal;
    m_pLitSprite = lit;
    m_pDisabledSprite = disabled;
    m_pPushedSprite = pushed;
    if (m_pControl)
        m_pControl->updateBounds();
}

MVSprite* MVControlDelegate::m_getSpriteForControl(UIControl* control)
{
    // A disabled control without a disabled sprite shows nothing.
    if (!control->isEnabled())
        return m_pDisabledSprite;
    if (control->m_isPushed() && m_pPushedSprite)
        return m_pPushedSprite;
    if (control->isLit())
        return m_pLitSprite;
    return m_pNormalSprite;
}

void MVControlDelegate::drawUIControl(UIControl* control, const HScreenRect& clip)
{
    if (!control || !control->isActive())
        return;
    const MVSprite* sprite = m_getSpriteForControl(control);
    if (!sprite || !sprite->isSpriteValid())
        return;
    // The sprite's top-left corner sits at the control's. What is drawn is
    // the part of the sprite that lies inside the control's rectangle and
    // the clip: a sprite larger than its control would otherwise cover
    // pixels that nobody invalidates when the control changes.
    const HScreenRect& rect = control->getControlRect();
    HScreenRect area = rect;
    area.right = static_cast<int32_t>(
        std::min<int64_t>(rect.right, static_cast<int64_t>(rect.left) + sprite->getSpriteWidth()));
    area.bottom = static_cast<int32_t>(
        std::min<int64_t>(rect.bottom, static_cast<int64_t>(rect.top) + sprite->getSpriteHeight()));
    HScreenRect dst;
    if (area.isEmpty() || !HScreenRect::s_intersectRects(area, clip, &dst, nullptr) || dst.isEmpty())
        return;
    // Offsets inside the control are below its size, which fits in 32 bits.
    const HScreenRect src(static_cast<int32_t>(static_cast<int64_t>(dst.left) - rect.left),
                          static_cast<int32_t>(static_cast<int64_t>(dst.top) - rect.top),
                          static_cast<int32_t>(static_cast<int64_t>(dst.right) - rect.left),
                          static_cast<int32_t>(static_cast<int64_t>(dst.bottom) - rect.top));
    // Plain alpha blending of the sprite over the screen.
    sprite->blendPartialSpriteAtLocation(&dst, &src, BAS_SRC_ALPHA, BPS_ONE, CO_PRODUCT, 255, BAS_INV_SRC_ALPHA,
                                         BPS_ONE, CO_PRODUCT, 255, BO_ADD);
}

void MVControlDelegate::invalidateControl(UIControl* control)
{
    if (control && sm_pInvalidate)
        sm_pInvalidate(control->getControlRect());
}

void MVControlDelegate::getExtents(HScreenPoint* size)
{
    if (!size)
        return;
    size->x = 0;
    size->y = 0;
    // The last sprite set in this order decides: a pushed sprite, when there
    // is one, sizes the control.
    for (const MVSprite* sprite : {m_pNormalSprite, m_pLitSprite, m_pDisabledSprite, m_pPushedSprite}) {
        if (!sprite)
            continue;
        size->x = sprite->getSpriteWidth();
        size->y = sprite->getSpriteHeight();
    }
}
