// The abstract random-number generator. The framework seeds it once from the
// first event time, so a replayed journal deals the same game.
#pragma once

#include <cstdint>

class HRNG {
public:
    HRNG() : m_uSeed(0) {}
    virtual ~HRNG() = default;

    virtual void seedRNG(uint32_t seed) { m_uSeed = seed; }
    virtual uint32_t getSeed() const { return m_uSeed; }
    // In [0, 1).
    virtual float getFloat() = 0;
    // In [0, max], inclusive.
    virtual uint32_t getUnsigned(uint32_t max) = 0;

private:
    uint32_t m_uSeed;
};
