// MT19937.
#include "engine/core/HMersenneTwisterRNG.h"

HMersenneTwisterRNG::HMersenneTwisterRNG() : m_auState(), m_iIndex(0)
{
}

void HMersenneTwisterRNG::seedRNG(uint32_t seed)
{
    HRNG::seedRNG(seed);
    m_auState[0] = seed;
    for (int i = 1; i < kStateWords; ++i)
        m_auState[i] = 69069u * m_auState[i - 1];
    m_iIndex = kStateWords;
}

uint32_t HMersenneTwisterRNG::m_nextOutput()
{
    if (m_iIndex >= kStateWords) {
        for (int k = 0; k < kStateWords; ++k) {
            const uint32_t y = (m_auState[k] & 0x80000000u) | (m_auState[(k + 1) % kStateWords] & 0x7FFFFFFFu);
            m_auState[k] = m_auState[(k + 397) % kStateWords] ^ (y >> 1) ^ ((y & 1u) ? 0x9908B0DFu : 0u);
        }
        m_iIndex = 0;
    }
    uint32_t y = m_auState[m_iIndex++];
    y ^= y >> 11;
    y ^= (y << 7) & 0x9D2C5680u;
    y ^= (y << 15) & 0xEFC60000u;
    y ^= y >> 18;
    return y;
}

uint32_t HMersenneTwisterRNG::getUnsigned(uint32_t max)
{
    const uint32_t y = m_nextOutput();
    if (max == 0xFFFFFFFFu)
        return y;
    return y % (max + 1u);
}

float HMersenneTwisterRNG::getFloat()
{
    // 24 bits fit a float's mantissa exactly, so the result stays below 1.
    return static_cast<float>(m_nextOutput() >> 8) * (1.0f / 16777216.0f);
}
