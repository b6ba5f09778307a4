// The pause clock: nested pauses counted once on the caller's clock.
#include "framework/HPauseClock.h"

namespace {

// A game-clock span; a clock that went backwards (a demo record whose time
// lies before the one played before it) reads as no time passed rather
// than as 2^64 - n.
MvTime spanSince(const MvTime& now, const MvTime& start)
{
    const int64_t span = static_cast<int64_t>(now.sub64(start));
    return MvTime::s_fromTime64(span > 0 ? static_cast<uint64_t>(span) : 0);
}

MvTime addTimes(const MvTime& a, const MvTime& b)
{
    return MvTime::s_fromTime64(a.getTime64() + b.getTime64());
}

} // namespace

HPauseClock::HPauseClock() : m_iCount(0), m_pauseTime{0, 0}, m_pauseStart{0, 0}, m_pauseEnd{0, 0} {}

void HPauseClock::begin(const MvTime& now)
{
    if (m_iCount == 0)
        m_pauseStart = now;
    ++m_iCount;
}

void HPauseClock::end(const MvTime& now)
{
    const int32_t before = m_iCount;
    --m_iCount;
    if (before <= 1) {
        m_iCount = 0;
        m_pauseEnd = now;
        // A pause begun before the first event (clock 0) has no start to
        // measure from and adds nothing.
        if (m_pauseStart.getTime64() != 0)
            m_pauseTime = addTimes(m_pauseTime, spanSince(m_pauseEnd, m_pauseStart));
        m_pauseStart = MvTime{0, 0};
    }
}

MvTime HPauseClock::getPauseTime(const MvTime& now) const
{
    // A running pause counts as far as it will when it ends: nothing when it
    // began at clock 0.
    if (m_iCount != 0 && m_pauseStart.getTime64() != 0)
        return addTimes(m_pauseTime, spanSince(now, m_pauseStart));
    return m_pauseTime;
}

void HPauseClock::resetPauseTime()
{
    m_pauseTime = MvTime{0, 0};
}
