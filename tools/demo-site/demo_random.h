// The demo site's random numbers: splitmix64 seeded from a text hash, so the
// same photo or forecast comes out the same with any standard library.
#pragma once

#include <cstdint>

struct DemoRandom {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    double Unit() { return double(Next() >> 11) / double(1ull << 53); }
    double Range(double lo, double hi) { return lo + (hi - lo) * Unit(); }
    int Below(int n) { return int(Next() % uint64_t(n)); }
};
