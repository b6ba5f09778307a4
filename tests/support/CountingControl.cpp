// The counting control of the tests.
#include "tests/support/CountingControl.h"

CountingControl::CountingControl(UIControlDelegate* delegate, const std::string& name,
                                 std::vector<std::string>* log)
    : UIControl(delegate),
      m_name(name),
      m_pLog(log),
      m_onClick(),
      m_bActive(true),
      m_bAcceptsFocus(false),
      m_bPushable(true),
      m_iOffers(0),
      m_iClicks(0),
      m_iUnclicks(0),
      m_iDrags(0),
      m_iKeyDowns(0)
{
}

void CountingControl::m_log(const char* what)
{
    if (m_pLog)
        m_pLog->push_back(m_name + ":" + what);
}

bool CountingControl::handleEvent(const HEvent& e)
{
    ++m_iOffers;
    m_log("offer");
    return UIControl::handleEvent(e);
}

void CountingControl::drawControl(const HScreenRect& clip)
{
    m_log("draw");
    UIControl::drawControl(clip);
}

void CountingControl::clickAction()
{
    ++m_iClicks;
    m_log("click");
    if (m_onClick)
        m_onClick();
}

void CountingControl::unclickAction()
{
    ++m_iUnclicks;
    m_log("unclick");
}

void CountingControl::dragAction(const HEvent& /*e*/)
{
    ++m_iDrags;
    m_log("drag");
}

bool CountingControl::keyDownAction(const HEvent& e)
{
    ++m_iKeyDowns;
    m_log("key");
    return UIControl::keyDownAction(e);
}

bool CountingControl::isActive() const
{
    return m_bActive;
}

bool CountingControl::m_acceptsFocus() const
{
    return m_bAcceptsFocus;
}

bool CountingControl::m_isPushable() const
{
    return m_bPushable;
}

void CountingControl::clearCounts()
{
    m_iOffers = 0;
    m_iClicks = 0;
    m_iUnclicks = 0;
    m_iDrags = 0;
    m_iKeyDowns = 0;
}
