// The system's one representation of a point or span of time: milliseconds
// in 64 bits, kept as two 32-bit halves, low first. That order is part of the
// 44-byte event record of journal and demo files, so it is fixed. The
// all-zero value means "not yet set" wherever a time stamp is kept.
#pragma once

#include <cstdint>

struct MvTime {
    uint32_t low;
    uint32_t high;

    // The low half; raises a developer alert first when the high half is set.
    uint32_t getTime32() const;
    uint32_t getTime32Truncate() const { return low; }
    uint64_t getTime64() const { return (static_cast<uint64_t>(high) << 32) | low; }
    // This minus other, modulo 2^64 (read it as signed for a negative span).
    uint64_t sub64(const MvTime& other) const { return getTime64() - other.getTime64(); }
    // The difference when it fits in 32 bits, else 0: a negative span, or one of
    // 2^32 ms or more, reads as no time passed.
    uint32_t sub32(const MvTime& other) const;
    MvTime subTime(const MvTime& other) const { return s_fromTime64(sub64(other)); }

    static MvTime s_fromTime64(uint64_t ms)
    {
        return MvTime{static_cast<uint32_t>(ms), static_cast<uint32_t>(ms >> 32)};
    }
};

static_assert(sizeof(MvTime) == 8, "MvTime is two 32-bit words");
