// The 32-bit Mersenne Twister MT19937, seeded with the multiplier 69069 (the
// seeding of the first published code, so outputs differ from the current
// reference generator for the same seed). An unseeded generator, or one
// seeded with 0, yields 0 on every draw.
#pragma once

#include "engine/core/HRNG.h"

class HMersenneTwisterRNG : public HRNG {
public:
    static constexpr int kStateWords = 624;

    HMersenneTwisterRNG();

    void seedRNG(uint32_t seed) override;
    // The top 24 bits of the next output times 2^-24: never 1.0.
    float getFloat() override;
    // The next output modulo (max + 1); max 0xFFFFFFFF gives the raw output.
    uint32_t getUnsigned(uint32_t max) override;

private:
    uint32_t m_nextOutput();

    uint32_t m_auState[kStateWords];
    int m_iIndex; // next word to hand out; 624: regenerate first
};
