// The counting control delegate of the tests.
#include "tests/support/FixedExtentsDelegate.h"

#include "ui/UIControl.h"

FixedExtentsDelegate::FixedExtentsDelegate(int32_t width, int32_t height)
    : m_iWidth(width), m_iHeight(height), m_iDrawCount(0), m_lastClip(), m_invalidated()
{
}

void FixedExtentsDelegate::drawUIControl(UIControl* /*control*/, const HScreenRect& clip)
{
    ++m_iDrawCount;
    m_lastClip = clip;
}

void FixedExtentsDelegate::invalidateControl(UIControl* control)
{
    m_invalidated.push_back(control ? control->getControlRect() : HScreenRect());
}

void FixedExtentsDelegate::getExtents(HScreenPoint* size)
{
    size->x = m_iWidth;
    size->y = m_iHeight;
}

void FixedExtentsDelegate::setExtents(int32_t width, int32_t height)
{
    m_iWidth = width;
    m_iHeight = height;
}

void FixedExtentsDelegate::clearCounts()
{
    m_iDrawCount = 0;
    m_invalidated.clear();
}
