// Dialog sliders: dragging the knob and placing it.
#include "ui/MVDialogItemSlider.h"

#include "ui/MVDialog.h"

#include <cmath>
#include <cstdint>

H_IMPLEMENT_CLASS(MVDialogItemSlider, "MVDialogItem")

MVDialogItemSlider::MVDialogItemSlider()
    : m_bDragging(false), m_iSliderLength(250), m_sliderOrientation(SO_HORIZONTAL), m_fSliderValue(0.0f),
      m_pSliderSprite(nullptr)
{
}

MVDialogItemSlider::~MVDialogItemSlider() = default;

void MVDialogItemSlider::m_updateSpriteRect()
{
    if (!m_pSliderSprite)
        return;
    const HScreenRect size = s_spriteSizeRect(m_pSliderSprite);
    int32_t left = m_dialogItemOrigin.x - size.right / 2;
    int32_t top = m_dialogItemOrigin.y - size.bottom / 2;
    if (m_pParentDialog) {
        left += m_pParentDialog->getDialogRect().left;
        top += m_pParentDialog->getDialogRect().top;
    }
    // The value is stored unclamped: keep the offset within what the screen
    // arithmetic can hold (an infinite value on a track of length 0 gives NaN).
    double offset = static_cast<double>(m_fSliderValue) * static_cast<double>(m_iSliderLength);
    if (std::isnan(offset))
        offset = 0.0;
    else if (offset > 1.0e9)
        offset = 1.0e9;
    else if (offset < -1.0e9)
        offset = -1.0e9;
    if (m_sliderOrientation == SO_HORIZONTAL)
        left += static_cast<int32_t>(offset);
    else
        top += static_cast<int32_t>(offset);
    m_dialogItemRect = HScreenRect(left, top, left + size.right, top + size.bottom);
}

void MVDialogItemSlider::setSliderParameters(SliderOrientation_t orientation, int32_t length)
{
    m_sliderOrientation = orientation;
    m_iSliderLength = length;
}

void MVDialogItemSlider::setSliderValue(float value)
{
    m_fSliderValue = std::isnan(value) ? 0.0f : value;
    m_updateSpriteRect();
}

float MVDialogItemSlider::getSliderValue() const
{
    return m_fSliderValue;
}

void MVDialogItemSlider::setSliderSprite(const MVSprite* sprite)
{
    m_pSliderSprite = sprite;
    m_updateSpriteRect();
}

bool MVDialogItemSlider::handleEvent(const HEvent& e)
{
    if (!m_pParentDialog)
        return false;
    switch (e.type) {
    case ET_KEYDOWN:
        if (e.keyCode != KC_LBUTTON || !m_pSliderSprite || !m_dialogItemRect.containsPoint(e.point))
            return false;
        m_bDragging = true;
        m_pParentDialog->setFocusItem(this);
        return true;
    case ET_KEYUP:
        if (e.keyCode != KC_LBUTTON || !m_bDragging)
            return false;
        m_bDragging = false;
        m_pParentDialog->setFocusItem(nullptr);
        return true;
    case ET_MOUSEMOVE: {
        if (!m_bDragging)
            return false;
        // A track without length has nowhere to move the knob to.
        if (m_iSliderLength == 0)
            return true;
        const HScreenRect& dialog = m_pParentDialog->getDialogRect();
        const double along = m_sliderOrientation == SO_HORIZONTAL
                                 ? static_cast<double>(e.point.x) - dialog.left - m_dialogItemOrigin.x
                                 : static_cast<double>(e.point.y) - dialog.top - m_dialogItemOrigin.y;
        double v = along / m_iSliderLength;
        if (v < 0.0)
            v = 0.0;
        else if (v > 1.0)
            v = 1.0;
        m_pParentDialog->invalidateArea(m_dialogItemRect);
        setSliderValue(static_cast<float>(v));
        m_pParentDialog->invalidateArea(m_dialogItemRect);
        return true;
    }
    default:
        return false;
    }
}

void MVDialogItemSlider::drawDialogItem(H2DDisplayDevice* device, const HScreenRect& clip)
{
    if (!device || !m_pParentDialog)
        return;
    s_drawSpriteInRect(m_pSliderSprite, m_dialogItemRect, clip);
}
