// The event queue, its journal and demo playback.
#include "engine/core/HEventManager.h"

#include "engine/core/HErrorManager.h"
#include "engine/core/HEventSource.h"
#include "engine/core/HFile.h"
#include "engine/core/HPlatform.h"


HScreenPoint HEventManager::sm_lastQueuedMousePoint = {0, 0};
MvTime HEventManager::sm_lastTimestampTime = {0, 0};
MvTime HEventManager::sm_lastDeliveredTime = {0, 0};
HEventManager::ClockFunction HEventManager::sm_pClock = nullptr;
HEventManager::SleepFunction HEventManager::sm_pSleep = nullptr;
volatile std::sig_atomic_t HEventManager::sm_terminationRequested = 0;

HEventManager::HEventManager()
    : m_ring(), m_iHead(0), m_iTail(0), m_sources(nullptr), m_pJournal(nullptr), m_pDemo(nullptr),
      m_lastDemoTime{0, 0}, m_uLiveClockShift(0), m_bTracing(false), m_iMouseX(0), m_iMouseY(0)
{
    for (HEvent& e : m_ring)
        e = HEvent::s_make(ET_NONE);
}

HEventManager::~HEventManager()
{
    m_sources.destroyObjectList();
}

void HEventManager::registerEventSource(HEventSource* source)
{
    m_sources.appendObject(source);
}

void HEventManager::unregisterEventSource(HEventSource* source)
{
    // Every node that holds the source goes; removeObject hands back the
    // node after the removed one, so the walk carries on from there.
    for (HContainerNode* n = m_sources.beginIteration(); n;) {
        if (n->getNodeContents() == source)
            n = m_sources.removeObject(source);
        else
            n = m_sources.next(n);
    }
}

int HEventManager::countEventSource(const HEventSource* source) const
{
    int count = 0;
    for (HContainerNode* n = m_sources.beginIteration(); n; n = m_sources.next(n)) {
        if (n->getNodeContents() == source)
            ++count;
    }
    return count;
}

void HEventManager::beginJournal(HFile* journal)
{
    m_pJournal = journal;
}

void HEventManager::endJournal()
{
    m_pJournal = nullptr;
}

void HEventManager::beginDemo(HFile* demo)
{
    m_pDemo = demo;
    m_lastDemoTime = MvTime{0, 0};
}

void HEventManager::endDemo()
{
    if (m_pDemo && m_lastDemoTime.getTime64() != 0) {
        // The next live time is the demo's last plus one, and the live clock
        // runs on from there. A demo that delivered no time (none, or only
        // zeros) set no game clock: live input keeps the clock as it reads.
        m_uLiveClockShift = s_now().getTime64() - (m_lastDemoTime.getTime64() + 1);
    }
    m_pDemo = nullptr;
}

void HEventManager::enableEventTracing(bool on)
{
    m_bTracing = on;
}

MvTime HEventManager::s_now()
{
    return sm_pClock ? sm_pClock() : HPlatform::s_getAbsoluteTimeMilliseconds();
}

MvTime HEventManager::m_now() const
{
    return MvTime::s_fromTime64(s_now().getTime64() - m_uLiveClockShift);
}

void HEventManager::s_setClock(ClockFunction now, SleepFunction sleep)
{
    sm_pClock = now;
    sm_pSleep = sleep;
}

void HEventManager::s_resetSharedState()
{
    sm_lastQueuedMousePoint = HScreenPoint{0, 0};
    sm_lastTimestampTime = MvTime{0, 0};
    sm_lastDeliveredTime = MvTime{0, 0};
    sm_terminationRequested = 0;
}

void HEventManager::s_requestTermination()
{
    sm_terminationRequested = 1;
}

bool HEventManager::s_isTerminationRequested()
{
    return sm_terminationRequested != 0;
}

bool HEventManager::appendEvent(const HEvent& e)
{
    // While a demo plays, the events the program queues itself (a dialog's
    // closing mouse moves, a full-screen request) are already in the demo,
    // recorded when they were queued: queuing them again would deliver them
    // a second time once the demo is over.
    if (m_pDemo)
        return true;
    if (e.type == ET_MOUSEMOVE) {
        if (e.point.x == sm_lastQueuedMousePoint.x && e.point.y == sm_lastQueuedMousePoint.y)
            return true;
        sm_lastQueuedMousePoint = e.point;
    }
    const MvTime now = m_now();
    if (e.type == ET_TIMESTAMP) {
        if (now.getTime64() == sm_lastTimestampTime.getTime64())
            return true;
        sm_lastTimestampTime = now;
    }

    const int next = (m_iHead + 1) % kRingSize;
    if (next == m_iTail)
        return false;

    // Copy field by field so the reserved words and the padding are always
    // zero: journal files hold no stray bytes.
    HEvent& slot = m_ring[m_iHead];
    slot = HEvent::s_make(static_cast<HEventType>(e.type));
    slot.time = now;
    slot.state = e.state;
    slot.modifiers = e.modifiers;
    slot.keyCode = e.keyCode;
    slot.character = e.character;
    slot.point = e.point;

    m_writeJournal(slot);
    m_iHead = next;
    return true;
}

void HEventManager::m_writeJournal(const HEvent& record)
{
    if (!m_pJournal)
        return;
    // A record cut short would shift every later one, and the file would
    // play back as garbage: a journal ends at its first short write.
    const int want = static_cast<int>(sizeof(record));
    const int wrote = m_pJournal->write(&record, want);
    if (wrote != want) {
        HErrorManager::s_trace("HEventManager::appendEvent - wrote %d of %d bytes of a journal record; "
                               "recording stopped\n",
                               wrote, want);
        endJournal();
        return;
    }
    // A journal is there to reproduce what happened, up to a crash or a
    // kill that leaves no time to empty a buffer: each record goes to the
    // file the moment it is queued. One small write per event, at most one
    // idle stamp per millisecond, costs next to nothing.
    m_pJournal->flush();
}

bool HEventManager::peekEvent(HEvent* out)
{
    if (m_iTail == m_iHead) {
        out->type = ET_NONE;
        return false;
    }
    *out = m_ring[m_iTail];
    m_noteMousePoint(*out);
    if (m_bTracing && out->type != ET_NETWORK && out->type != ET_MOUSEMOVE && out->type != ET_TIMESTAMP) {
        char text[1024];
        HErrorManager::s_db_trace("%s\n", out->toString(text, sizeof(text)));
    }
    return true;
}

bool HEventManager::m_getDemoEvent(HEvent* out)
{
    HEvent record;
    if (m_pDemo->read(&record, static_cast<int>(sizeof(record))) < static_cast<int>(sizeof(record)))
        return false;
    if (record.type > ET_LAST)
        return false;
    *out = record;
    // A replay follows the pointer as the recording did, so what reads the
    // mouse point (the lit control, a dialog's closing moves) sees the same.
    m_noteMousePoint(record);
    return true;
}

void HEventManager::m_noteMousePoint(const HEvent& e)
{
    if (e.type == ET_MOUSEMOVE || ((e.type == ET_KEYDOWN || e.type == ET_KEYUP) && e.keyCode == KC_LBUTTON)) {
        m_iMouseX = e.point.x;
        m_iMouseY = e.point.y;
    }
}

bool HEventManager::getEvent(HEvent* out, bool wait)
{
    // Nothing more is handled once the program is to end: not the rest of a
    // demo, not what is queued; the loops see the request and return.
    if (sm_terminationRequested)
        return false;
    if (m_pDemo) {
        if (m_getDemoEvent(out)) {
            if (out->time.getTime64() != 0)
                m_lastDemoTime = out->time;
            // Recorded alongside a demo, the journal holds the demo's records
            // as they were delivered, then the live input after them: played
            // back, it is the whole session, seed included.
            m_writeJournal(*out);
            return true;
        }
        // The demo is over: carry on with live input, so the program can
        // still be used and quit.
        endDemo();
    }

    for (int pass = 0; pass < 2; ++pass) {
        if (peekEvent(out)) {
            m_iTail = (m_iTail + 1) % kRingSize;
            sm_lastDeliveredTime = out->time;
            return true;
        }
        if (pass == 0) {
            for (HContainerNode* n = m_sources.beginIteration(); n; n = m_sources.next(n))
                static_cast<HEventSource*>(n->getNodeContents())->queryEventSource(this);
        }
    }

    const MvTime now = m_now();
    if (static_cast<int64_t>(now.sub64(sm_lastDeliveredTime)) <= 0 || wait) {
        if (sm_pSleep)
            sm_pSleep(1);
        else
            HPlatform::s_sleep(1);
    }
    appendEvent(HEvent::s_make(ET_TIMESTAMP));
    return false;
}
