// The soak's random stream: a generator whose sequence depends on the seed alone, on every
// compiler and standard library, so that a seed printed on one machine replays on another. (The
// standard distributions are not specified bit for bit, so none of them is used.)
#pragma once

#include <cstddef>
#include <cstdint>

namespace soak {

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}

    // SplitMix64: every seed, 0 included, gives a full-period stream of well-mixed words.
    uint64_t next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }

    // 0 .. n − 1 (0 when n ≤ 0). The modulo bias is below 2^-32 for the sizes used here.
    int below(int n) { return n > 0 ? static_cast<int>(next() % static_cast<uint64_t>(n)) : 0; }
    // lo .. hi, both included.
    int range(int lo, int hi) { return lo + below(hi - lo + 1); }
    // True once in `n` draws on average.
    bool oneIn(int n) { return below(n) == 0; }
    // [0, 1) with 53 random bits.
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
    double real(double lo, double hi) { return lo + (hi - lo) * unit(); }

    template <typename T, size_t N>
    const T& pick(const T (&items)[N]) {
        return items[below(static_cast<int>(N))];
    }

private:
    uint64_t state_;
};

}  // namespace soak
