// Smooth value noise and its fractal sum, for the textures of table tops and
// grounds. Pure functions of the coordinates and a seed: the same picture on
// every run.
#pragma once

#include <cmath>
#include <cstdint>

namespace mkarchive {

class Noise {
public:
    explicit Noise(uint32_t seed) : m_uSeed(seed * 0x9E3779B9u + 0x7F4A7C15u) {}

    // A value in [0, 1) for each integer lattice point.
    double lattice(int32_t x, int32_t y) const
    {
        uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ m_uSeed;
        h ^= h >> 15;
        h *= 0x2C1B3C6Du;
        h ^= h >> 12;
        h *= 0x297A2D39u;
        h ^= h >> 15;
        return double(h >> 8) * (1.0 / 16777216.0);
    }

    // Smoothly interpolated between lattice points, in [0, 1).
    double at(double x, double y) const
    {
        const double fx = std::floor(x);
        const double fy = std::floor(y);
        const int32_t ix = int32_t(fx);
        const int32_t iy = int32_t(fy);
        const double tx = fade(x - fx);
        const double ty = fade(y - fy);
        const double a = lattice(ix, iy);
        const double b = lattice(ix + 1, iy);
        const double c = lattice(ix, iy + 1);
        const double d = lattice(ix + 1, iy + 1);
        return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
    }

    // Octaves of `at`, each twice as fine and half as strong; in [0, 1).
    double fractal(double x, double y, int32_t octaves) const
    {
        double sum = 0.0;
        double weight = 0.5;
        double total = 0.0;
        for (int32_t i = 0; i < octaves; ++i) {
            sum += weight * at(x + 17.31 * i, y - 9.77 * i);
            total += weight;
            x *= 2.0;
            y *= 2.0;
            weight *= 0.5;
        }
        return sum / total;
    }

private:
    static double fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }

    uint32_t m_uSeed;
};

} // namespace mkarchive
