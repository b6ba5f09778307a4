// The one queue of input events. Producers append events; the manager stamps
// each with the current time, drops duplicate mouse moves and time stamps,
// keeps them in a ring of 128 (127 usable), and when recording writes every
// queued record to a journal. When the ring is empty it polls its event
// sources; when still nothing is pending it queues a time stamp, the tick on
// which the game advances. In demo mode the records of a demo file are
// delivered instead, with their recorded times; at the end of the demo the
// manager returns to live input by itself, its times going on from the
// demo's last one (a demo's chosen times are small, a journal's are those of
// the day it was recorded, and the live clock is neither). Once the program
// is asked to end (a termination signal), no event is delivered any more,
// live or demo.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HObjectList.h"

#include <csignal>

class HEventSource;
class HFile;

class HEventManager {
public:
    static constexpr int kRingSize = 128;

    HEventManager();
    ~HEventManager();

    HEventManager(const HEventManager&) = delete;
    HEventManager& operator=(const HEventManager&) = delete;

    // Sources are polled in registration order; they are not owned.
    void registerEventSource(HEventSource* source);
    // Removes the source so it is never polled again (before it is destroyed).
    void unregisterEventSource(HEventSource* source);
    // How often the source is registered: it is polled that many times per
    // empty queue.
    int countEventSource(const HEventSource* source) const;

    // The caller opens and closes these files. Every queued event, and while
    // a demo plays every demo record delivered, is written to the journal and
    // flushed at once. A journal record that cannot be written whole ends the
    // journal (with a trace line): the file keeps the whole records before it
    // and plays back as those.
    void beginJournal(HFile* journal);
    void endJournal();
    void beginDemo(HFile* demo);
    // Live input goes on from here: when the demo delivered a time, the live
    // clock from now on counts on from just after that time, so that the
    // game clock neither jumps nor goes back.
    void endDemo();
    bool isPlayingDemo() const { return m_pDemo != nullptr; }

    // Traces each fetched event; no caller in the program: a switch to flip
    // by hand while debugging.
    void enableEventTracing(bool on);

    // Queues a stamped copy; false only when the ring is full and the event is
    // lost. While a demo plays nothing is queued (the demo holds what the
    // program queued when it was recorded); the result is then true.
    bool appendEvent(const HEvent& e);
    // The next event, or false when none is pending (a time stamp is then
    // queued). Once termination is requested: false at once, every time.
    bool getEvent(HEvent* out, bool wait);
    // The oldest queued event without removing it; ET_NONE and false when empty.
    bool peekEvent(HEvent* out);
    // The next demo record; false at the end of the demo or on a record whose
    // type no event has.
    bool m_getDemoEvent(HEvent* out);

    // Where the last fetched mouse move or left-button press or release was.
    HScreenPoint getMousePoint() const { return HScreenPoint{m_iMouseX, m_iMouseY}; }

    // The clock and the idle sleep; tests install their own. Null restores
    // the platform's millisecond clock and sleep.
    using ClockFunction = MvTime (*)();
    using SleepFunction = void (*)(int ms);
    static void s_setClock(ClockFunction now, SleepFunction sleep);
    // The last queued mouse move, the last queued time stamp, the last
    // delivered time and the termination request are kept process-wide;
    // tests start from a clean slate.
    static void s_resetSharedState();

    // Asks the program to end at once, as a confirmed quit would. Only
    // stores a flag, so it may be called from a signal handler; the event
    // loops (the main loop and every modal dialog) look at it and end.
    static void s_requestTermination();
    static bool s_isTerminationRequested();

private:
    // The installed clock or the platform's, as it reads.
    static MvTime s_now();
    // The live clock: s_now() moved to go on from the last demo.
    MvTime m_now() const;
    // Writes one record to the journal, if there is one, and flushes it.
    void m_writeJournal(const HEvent& record);
    // Follows the pointer: mouse moves and left-button presses and releases.
    void m_noteMousePoint(const HEvent& e);

    HEvent m_ring[kRingSize];
    int m_iHead; // the slot the next event goes to
    int m_iTail; // the oldest event; head == tail: empty
    HObjectList m_sources;
    HFile* m_pJournal;
    HFile* m_pDemo;
    MvTime m_lastDemoTime;      // the last demo record's time delivered; 0 none
    uint64_t m_uLiveClockShift; // subtracted from s_now() (modulo 2^64)
    bool m_bTracing;
    int32_t m_iMouseX;
    int32_t m_iMouseY;

    static HScreenPoint sm_lastQueuedMousePoint;
    static MvTime sm_lastTimestampTime;
    static MvTime sm_lastDeliveredTime;
    static ClockFunction sm_pClock;
    static SleepFunction sm_pSleep;
    static volatile std::sig_atomic_t sm_terminationRequested;
};
