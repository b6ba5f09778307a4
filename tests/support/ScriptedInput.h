// Input for tests of modal loops, on a clock that moves only with the loop.
// It installs itself as the event manager's clock and idle sleep (every
// sleep advances the clock by its milliseconds, nothing really sleeps) and
// as an event source that appends each scripted event once the clock has
// reached the event's time, so the manager stamps it with exactly that time
// when the loop polls in time. Past the time limit a quit request is queued
// (again every second of clock), so a loop that would never end stops the
// test instead of hanging it. One at a time per process.
#pragma once

#include "engine/core/HEvent.h"
#include "engine/core/HEventSource.h"

#include <cstdint>
#include <deque>
#include <utility>

class HEventManager;

class ScriptedInput : public HEventSource {
public:
    // The clock starts at startMs; the manager's shared duplicate filters
    // are reset. The limit starts at startMs + 600000.
    ScriptedInput(HEventManager* events, uint64_t startMs);
    // Unregisters, and gives the manager the platform clock back.
    ~ScriptedInput() override;

    ScriptedInput(const ScriptedInput&) = delete;
    ScriptedInput& operator=(const ScriptedInput&) = delete;

    // Scripted events, delivered in the order given once their time has come.
    ScriptedInput& at(uint64_t ms, const HEvent& e);
    // The left button pressed or released at (x, y), the pointer moved there
    // (InputEvents).
    ScriptedInput& pressAt(uint64_t ms, int32_t x, int32_t y);
    ScriptedInput& releaseAt(uint64_t ms, int32_t x, int32_t y);
    ScriptedInput& moveTo(uint64_t ms, int32_t x, int32_t y);
    // The press of the key that types `character` (InputEvents::s_typed).
    ScriptedInput& keyAt(uint64_t ms, char character);
    ScriptedInput& quitAt(uint64_t ms);

    // Past this time quit requests are queued.
    void setLimit(uint64_t ms)
    {
        m_uLimit = ms;
        m_uLastQuit = 0;
    }
    bool limitReached() const { return m_uNow > m_uLimit; }
    uint64_t now() const { return m_uNow; }
    void setNow(uint64_t ms)
    {
        m_uNow = ms;
        m_uLastQuit = 0;
    }
    // Scripted events not yet delivered.
    int pending() const { return static_cast<int>(m_script.size()); }
    // Times the manager slept.
    int sleeps() const { return m_iSleeps; }

    void queryEventSource(HEventManager* manager) override;

private:
    static MvTime s_clock();
    static void s_sleep(int ms);

    HEventManager* m_pEvents;
    uint64_t m_uNow;
    uint64_t m_uLimit;
    uint64_t m_uLastQuit; // when the guard last queued a quit request; 0: never
    int m_iSleeps;
    std::deque<std::pair<uint64_t, HEvent>> m_script;

    static ScriptedInput* sm_pCurrent;
};
