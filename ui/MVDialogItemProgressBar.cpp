// Dialog progress bars.
#include "ui/MVDialogItemProgressBar.h"

#include "ui/MVSprite.h"

H_IMPLEMENT_CLASS(MVDialogItemProgressBar, "MVDialogItem")

MVDialogItemProgressBar::MVDialogItemProgressBar() : m_fProgress(0.0f), m_pProgressSprite(nullptr)
{
}

MVDialogItemProgressBar::~MVDialogItemProgressBar() = default;

void MVDialogItemProgressBar::m_placeOnSprite()
{
    const HScreenRect size = s_spriteSizeRect(m_pProgressSprite);
    m_dialogItemRect = HScreenRect(m_dialogItemOrigin.x, m_dialogItemOrigin.y, m_dialogItemOrigin.x + size.right,
                                   m_dialogItemOrigin.y + size.bottom);
}

void MVDialogItemProgressBar::setDialogItemOrigin(const HScreenPoint& origin)
{
    MVDialogItem::setDialogItemOrigin(origin);
    if (m_pProgressSprite)
        m_placeOnSprite();
}

void MVDialogItemProgressBar::setProgressSprite(MVSprite* sprite)
{
    m_pProgressSprite = sprite;
    m_placeOnSprite();
}

void MVDialogItemProgressBar::setProgress(float progress)
{
    // Written so that NaN, which fails every comparison, ends up 0.
    if (!(progress >= 0.0f))
        progress = 0.0f;
    else if (progress > 1.0f)
        progress = 1.0f;
    m_fProgress = progress;
    m_invalidateArea(m_dialogItemRect);
}

float MVDialogItemProgressBar::getProgress() const
{
    return m_fProgress;
}

void MVDialogItemProgressBar::drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip)
{
    if (!device || !m_pParentDialog || !m_pProgressSprite || !m_pProgressSprite->isSpriteValid())
        return;
    const HScreenRect size = s_spriteSizeRect(m_pProgressSprite);
    // Progress stays within [0, 1], so the revealed width never passes the sprite's.
    const int32_t filled = static_cast<int32_t>(static_cast<float>(size.right) * m_fProgress);
    const int32_t x = m_dialogItemOrigin.x;
    const int32_t y = m_dialogItemOrigin.y;
    HScreenRect src(0, 0, filled, size.bottom);
    HScreenRect dst;
    if (!HScreenRect::s_intersectRects(HScreenRect(x, y, x + filled, y + size.bottom), clip, &dst, &src) ||
        dst.isEmpty())
        return;
    s_blendSprite(m_pProgressSprite, dst, src);
}
