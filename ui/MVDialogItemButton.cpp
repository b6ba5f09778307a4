// Dialog buttons: lit state, click and Enter, three state sprites.
#include "ui/MVDialogItemButton.h"

#include "ui/MVDialog.h"
#include "ui/MVSprite.h"

H_IMPLEMENT_CLASS(MVDialogItemButton, "MVDialogItem")

MVDialogItemButton::MVDialogItemButton()
    : m_bLit(false), m_pNormalSprite(nullptr), m_pLitSprite(nullptr), m_pDisabledSprite(nullptr)
{
}

MVDialogItemButton::~MVDialogItemButton() = default;

void MVDialogItemButton::drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip)
{
    if (!device || !m_pParentDialog)
        return;
    const MVSprite* sprite = !m_bEnabled ? m_pDisabledSprite : (m_bLit ? m_pLitSprite : m_pNormalSprite);
    s_drawSpriteInRect(sprite, m_dialogItemRect, clip);
}

bool MVDialogItemButton::handleEvent(const HEvent& e)
{
    if (!m_bEnabled || !m_pParentDialog)
        return false;
    switch (e.type) {
    case ET_MOUSEMOVE: {
        const bool inside = m_dialogItemRect.containsPoint(e.point);
        if (inside != m_bLit)
            m_invalidateArea(m_dialogItemRect);
        m_bLit = inside;
        return false;
    }
    case ET_KEYDOWN:
        if (e.keyCode == KC_LBUTTON && m_dialogItemRect.containsPoint(e.point))
            return true;
        return e.character == 13;
    default:
        return false;
    }
}

void MVDialogItemButton::m_updateSpriteRect()
{
    int32_t x = m_dialogItemOrigin.x;
    int32_t y = m_dialogItemOrigin.y;
    if (m_pParentDialog) {
        x += m_pParentDialog->getDialogRect().left;
        y += m_pParentDialog->getDialogRect().top;
    }
    const MVSprite* sized = m_pDisabledSprite ? m_pDisabledSprite : (m_pLitSprite ? m_pLitSprite : m_pNormalSprite);
    const HScreenRect size = s_spriteSizeRect(sized);
    m_dialogItemRect = HScreenRect(x, y, x + size.right, y + size.bottom);
}

void MVDialogItemButton::setButtonSprites(const MVSprite* normal, const MVSprite* lit, const MVSprite* disabled)
{
    m_pNormalSprite = normal;
    m_pLitSprite = lit;
    m_pDisabledSprite = disabled;
    m_updateSpriteRect();
    m_invalidateArea(m_dialogItemRect);
}
