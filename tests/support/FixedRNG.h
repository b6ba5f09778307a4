// A degenerate generator for tests: every draw yields the same value (taken
// modulo max + 1), like a Mersenne Twister seeded with 0. Counts its draws.
#pragma once

#include "engine/core/HRNG.h"

#include <cstdint>

class FixedRNG : public HRNG {
public:
    explicit FixedRNG(uint32_t value) : m_uValue(value), m_iDraws(0) {}

    float getFloat() override
    {
        ++m_iDraws;
        return 0.0f;
    }
    uint32_t getUnsigned(uint32_t max) override
    {
        ++m_iDraws;
        return max == 0xFFFFFFFFu ? m_uValue : m_uValue % (max + 1);
    }
    int draws() const { return m_iDraws; }

private:
    uint32_t m_uValue;
    int m_iDraws;
};
