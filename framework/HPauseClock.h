// The pause clock of a game: how long the game has spent paused, nested
// pauses counting once. Every operation is measured on the time the caller
// passes, the game clock (the time of the last fetched event), so the clock
// itself reads no time of its own. HPuzzleGame holds one by value behind its
// m_beginPause, m_endPause and m_getPauseTime.
//
// Two times add nothing: a pause begun at clock 0 (before the first event,
// when there is no start to measure from), and a pause over which the clock
// went backwards counts 0 rather than 2^64 less its span. Live times never
// go back (after a demo they go on from its last time), but a demo file's
// records carry whatever times were written into them, in any order.
#pragma once

#include "engine/core/MvTime.h"

#include <cstdint>

class HPauseClock {
public:
    // Idle: no pause runs, nothing accumulated.
    HPauseClock();

    // The outermost begin stamps the start; every begin adds one pause.
    void begin(const MvTime& now);
    // Ends one pause; the outermost end (or an end without a begin) stamps
    // the end and adds the pause's span to the accumulated time.
    void end(const MvTime& now);
    bool isPaused() const { return m_iCount > 0; }
    int32_t getCount() const { return m_iCount; }
    // The accumulated time, a running pause included as far as `now`.
    MvTime getPauseTime(const MvTime& now) const;
    // What the pauses that ended add up to (since the last reset).
    MvTime getEndedPauseTime() const { return m_pauseTime; }
    // Forgets the accumulated time; a running pause goes on from its start.
    void resetPauseTime();
    // The start of the running pause; 0 when none runs.
    MvTime getPauseStart() const { return m_pauseStart; }
    // The clock at the last outermost end; 0 before the first.
    MvTime getPauseEnd() const { return m_pauseEnd; }

private:
    int32_t m_iCount;
    MvTime m_pauseTime;  // accumulated
    MvTime m_pauseStart; // 0 when no pause runs
    MvTime m_pauseEnd;
};
