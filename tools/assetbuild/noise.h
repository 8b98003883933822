// Deterministic random numbers and 2D gradient noise for the procedural pictures. Everything is
// computed in doubles from integer hashes, so the output is the same on every run and machine.
#pragma once

#include <cmath>
#include <cstdint>

namespace assets {

// SplitMix64: a small, well-mixed generator; one seed per picture keeps pictures independent.
struct Random {
    uint64_t state;
    explicit Random(uint64_t seed) : state(seed) {}
    uint64_t next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double uniform() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }  // [0, 1)
    double gaussian() {  // Box–Muller
        double u = uniform(), v = uniform();
        return std::sqrt(-2.0 * std::log(u + 1e-300)) * std::cos(6.283185307179586 * v);
    }
};

inline uint32_t hash3(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = static_cast<uint32_t>(x) * 0x8DA6B343u ^ static_cast<uint32_t>(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x85EBCA6Bu;
    h ^= h >> 16;
    return h;
}

// Perlin-style gradient noise in about −1..1 with 16 gradient directions per lattice point.
inline double gradientNoise(double x, double y, uint32_t seed) {
    auto grad = [seed](int32_t ix, int32_t iy, double dx, double dy) {
        double angle = (hash3(ix, iy, seed) & 0xFFFF) * (6.283185307179586 / 65536.0);
        return std::cos(angle) * dx + std::sin(angle) * dy;
    };
    auto fade = [](double t) { return t * t * t * (t * (t * 6 - 15) + 10); };
    double fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    double dx = x - fx, dy = y - fy;
    double n00 = grad(ix, iy, dx, dy), n10 = grad(ix + 1, iy, dx - 1, dy);
    double n01 = grad(ix, iy + 1, dx, dy - 1), n11 = grad(ix + 1, iy + 1, dx - 1, dy - 1);
    double u = fade(dx), v = fade(dy);
    double a = n00 + (n10 - n00) * u, b = n01 + (n11 - n01) * u;
    return (a + (b - a) * v) * 1.41421356;
}

// Fractal Brownian motion: octaves of noise, each at twice the frequency and `gain` the amplitude.
inline double fbm(double x, double y, int octaves, double gain, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += amp * gradientNoise(x, y, seed + 101u * i);
        norm += amp;
        amp *= gain;
        x *= 2.03;
        y *= 2.03;
    }
    return sum / norm;
}

// Ridged noise: sharp bright filaments where the noise crosses zero (0..1).
inline double ridged(double x, double y, int octaves, double gain, uint32_t seed) {
    double sum = 0, amp = 1, norm = 0;
    for (int i = 0; i < octaves; ++i) {
        double r = 1.0 - std::fabs(gradientNoise(x, y, seed + 211u * i));
        sum += amp * r * r;
        norm += amp;
        amp *= gain;
        x *= 2.03;
        y *= 2.03;
    }
    return sum / norm;
}

}  // namespace assets
