// Batches of events with chosen times, one per pass of a loop.
#include "tests/support/ScriptedEventSource.h"

#include "engine/core/HEventManager.h"
#include "tests/support/InputEvents.h"

#include <utility>

namespace {

uint64_t g_scriptNowMs = 1;

MvTime scriptClock()
{
    return MvTime::s_fromTime64(g_scriptNowMs);
}

void scriptSleep(int) {}

} // namespace

ScriptedEventSource::ScriptedEventSource()
    : m_batches(), m_before(), m_uNextBatch(0), m_iPolls(0), m_iChecksScripted(0), m_iChecksRun(0),
      m_bDeliverNext(true), m_bQuitWhenDone(true), m_bQuitSent(false), m_bKeepQuitting(false), m_bInstalled(false)
{
}

ScriptedEventSource::~ScriptedEventSource()
{
    if (m_bInstalled)
        HEventManager::s_setClock(nullptr, nullptr);
}

void ScriptedEventSource::install(uint64_t startMs)
{
    g_scriptNowMs = startMs;
    HEventManager::s_resetSharedState();
    HEventManager::s_setClock(scriptClock, scriptSleep);
    m_bInstalled = true;
}

uint64_t ScriptedEventSource::s_now()
{
    return g_scriptNowMs;
}

void ScriptedEventSource::s_setNow(uint64_t ms)
{
    g_scriptNowMs = ms;
}

ScriptedEventSource& ScriptedEventSource::batch(const std::vector<HEvent>& events)
{
    return batch(events, nullptr);
}

ScriptedEventSource& ScriptedEventSource::batch(const std::vector<HEvent>& events, std::function<void()> before)
{
    m_batches.push_back(events);
    if (before)
        ++m_iChecksScripted;
    m_before.push_back(std::move(before));
    return *this;
}

void ScriptedEventSource::clear()
{
    m_batches.clear();
    m_before.clear();
    m_uNextBatch = 0;
    m_iPolls = 0;
    m_iChecksScripted = 0;
    m_iChecksRun = 0;
    m_bDeliverNext = true;
    m_bQuitSent = false;
}

void ScriptedEventSource::queryEventSource(HEventManager* manager)
{
    ++m_iPolls;
    // The poll right after a batch finds nothing, so the loop ends its pass
    // and draws before the next batch arrives.
    const bool deliver = m_bDeliverNext;
    m_bDeliverNext = !m_bDeliverNext;
    if (!deliver)
        return;
    if (m_uNextBatch < m_batches.size()) {
        if (m_before[m_uNextBatch]) {
            ++m_iChecksRun;
            m_before[m_uNextBatch]();
        }
        for (const HEvent& e : m_batches[m_uNextBatch]) {
            g_scriptNowMs = e.time.getTime64();
            manager->appendEvent(e);
        }
        ++m_uNextBatch;
        return;
    }
    if (m_bQuitWhenDone && (!m_bQuitSent || m_bKeepQuitting)) {
        m_bQuitSent = true;
        manager->appendEvent(InputEvents::s_quit(g_scriptNowMs));
    }
}
