// The generator's own small random-number generator (PCG32). Every use starts
// from a fixed seed, so the archive is the same on every run.
#pragma once

#include <cstdint>

namespace mkarchive {

class Rng {
public:
    explicit Rng(uint64_t seed) : m_uState(0), m_uInc((seed << 1u) | 1u)
    {
        next();
        m_uState += seed;
        next();
    }

    uint32_t next()
    {
        uint64_t old = m_uState;
        m_uState = old * 6364136223846793005ull + m_uInc;
        uint32_t xorshifted = uint32_t(((old >> 18u) ^ old) >> 27u);
        uint32_t rot = uint32_t(old >> 59u);
        return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
    }

    // Uniform in [0, 1).
    double uniform() { return double(next()) * (1.0 / 4294967296.0); }
    // Uniform in [lo, hi).
    double range(double lo, double hi) { return lo + (hi - lo) * uniform(); }
    // Uniform in [-1, 1).
    double signedUnit() { return uniform() * 2.0 - 1.0; }

private:
    uint64_t m_uState;
    uint64_t m_uInc;
};

} // namespace mkarchive
