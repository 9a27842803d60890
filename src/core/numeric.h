#pragma once

#include <cstdint>

namespace ramulet {

// A point or vector in model space (y up) or in picture units (y down), in 80-bit reals.
// A plain aggregate, so that arrays of segments are not zero-filled on creation: write
// `TPointE p{}` for a zeroed one.
struct TPointE {
    long double x;
    long double y;
    friend bool operator==(const TPointE &, const TPointE &) = default;
};

// A pixel of a view: origin at the top-left corner, x to the right, y downward.
struct TPixel {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const TPixel &, const TPixel &) = default;
};

// Rounds to the nearest integer, a value exactly halfway going to the even neighbour.
// Values outside the 32-bit range (and NaN, which maps to 0) are saturated, so that an
// extreme zoom or a broken value can never produce undefined behaviour.
int32_t RoundEven(long double v);

// The same rounding to a 64-bit integer, saturated likewise.
int64_t RoundEven64(long double v);

// Integer halving that truncates toward zero (the `div 2` of sizes).
constexpr int32_t HalfTrunc(int32_t v) { return v / 2; }

} // namespace ramulet
