#include "core/numeric.h"

#include <cmath>
#include <limits>

namespace ramulet {

int32_t RoundEven(long double v)
{
    if (std::isnan(v)) {
        return 0;
    }
    constexpr long double lo = std::numeric_limits<int32_t>::min();
    constexpr long double hi = std::numeric_limits<int32_t>::max();
    if (v <= lo) {
        return std::numeric_limits<int32_t>::min();
    }
    if (v >= hi) {
        return std::numeric_limits<int32_t>::max();
    }
    // llrintl rounds with the current mode, which the program never changes from
    // round-to-nearest-even.
    return static_cast<int32_t>(std::llrintl(v));
}

int64_t RoundEven64(long double v)
{
    if (std::isnan(v)) {
        return 0;
    }
    // 2^63 is exactly representable; anything at or beyond it saturates.
    constexpr long double lim = 9223372036854775808.0L;
    if (v >= lim) {
        return std::numeric_limits<int64_t>::max();
    }
    if (v <= -lim) {
        return std::numeric_limits<int64_t>::min();
    }
    return static_cast<int64_t>(std::llrintl(v));
}

} // namespace ramulet
