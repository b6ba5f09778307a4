// Scripted input on a clock that moves only with the loop.
#include "tests/support/ScriptedInput.h"

#include "engine/core/HEventManager.h"
#include "tests/support/InputEvents.h"

ScriptedInput* ScriptedInput::sm_pCurrent = nullptr;

ScriptedInput::ScriptedInput(HEventManager* events, uint64_t startMs)
    : m_pEvents(events), m_uNow(startMs), m_uLimit(startMs + 600000), m_uLastQuit(0), m_iSleeps(0)
{
    sm_pCurrent = this;
    HEventManager::s_resetSharedState();
    HEventManager::s_setClock(&ScriptedInput::s_clock, &ScriptedInput::s_sleep);
    m_pEvents->registerEventSource(this);
}

ScriptedInput::~ScriptedInput()
{
    m_pEvents->unregisterEventSource(this);
    HEventManager::s_setClock(nullptr, nullptr);
    HEventManager::s_resetSharedState();
    if (sm_pCurrent == this)
        sm_pCurrent = nullptr;
}

MvTime ScriptedInput::s_clock()
{
    return MvTime::s_fromTime64(sm_pCurrent ? sm_pCurrent->m_uNow : 0);
}

void ScriptedInput::s_sleep(int ms)
{
    if (!sm_pCurrent)
        return;
    ++sm_pCurrent->m_iSleeps;
    sm_pCurrent->m_uNow += static_cast<uint64_t>(ms > 0 ? ms : 0);
}

ScriptedInput& ScriptedInput::at(uint64_t ms, const HEvent& e)
{
    m_script.emplace_back(ms, e);
    return *this;
}

ScriptedInput& ScriptedInput::pressAt(uint64_t ms, int32_t x, int32_t y)
{
    return at(ms, InputEvents::s_buttonDown(ms, HScreenPoint{x, y}));
}

ScriptedInput& ScriptedInput::releaseAt(uint64_t ms, int32_t x, int32_t y)
{
    return at(ms, InputEvents::s_buttonUp(ms, HScreenPoint{x, y}));
}

ScriptedInput& ScriptedInput::moveTo(uint64_t ms, int32_t x, int32_t y)
{
    return at(ms, InputEvents::s_mouseMove(ms, HScreenPoint{x, y}));
}

ScriptedInput& ScriptedInput::keyAt(uint64_t ms, char character)
{
    return at(ms, InputEvents::s_typed(ms, character));
}

ScriptedInput& ScriptedInput::quitAt(uint64_t ms)
{
    return at(ms, InputEvents::s_quit(ms));
}

void ScriptedInput::queryEventSource(HEventManager* manager)
{
    while (!m_script.empty() && m_script.front().first <= m_uNow) {
        manager->appendEvent(m_script.front().second);
        m_script.pop_front();
    }
    if (limitReached() && (m_uLastQuit == 0 || m_uNow >= m_uLastQuit + 1000)) {
        m_uLastQuit = m_uNow;
        manager->appendEvent(InputEvents::s_quit(m_uNow));
    }
}
