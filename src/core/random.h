#pragma once

// Our own pseudo-random numbers: the same seed gives the same numbers on every machine, build
// and standard library (the library's distributions differ between implementations).
// splitmix64 spreads a seed over the state of xoshiro256**, which makes the numbers; reals
// come from 53 random bits times 2^-53.

#include <cstdint>

namespace ramulet {

// One step of splitmix64 on `state` (advanced): a well-mixed 64-bit value.
uint64_t SplitMix64(uint64_t &state);

class Random {
public:
    explicit Random(uint64_t seed);

    // The next 64 random bits (xoshiro256**).
    uint64_t Next();
    // A real in [0, 1): the top 53 bits of Next() times 2^-53, exact in a long double.
    long double Real();
    // A real in [lo, hi).
    long double Real(long double lo, long double hi) { return lo + (hi - lo) * Real(); }
    // A whole number in [0, n) for n >= 1 (0 for n <= 0).
    int32_t Below(int32_t n);
    // True with probability p.
    bool Chance(long double p) { return Real() < p; }
    // +1 or -1, equally likely.
    int32_t Sign() { return (Next() >> 63) != 0 ? -1 : 1; }

private:
    uint64_t m_s[4];
};

} // namespace ramulet
