#include "core/drawsettings.h"

#include "core/numeric.h"
#include "core/segments.h"

#include <algorithm>

namespace ramulet {

void BuildColorRamp(ColorRampTable &ramp, const DrawSettings &s, int32_t depth)
{
    const int32_t d = std::clamp(depth, 1, MaxDepth);
    const long double steps = static_cast<long double>(d + 1);
    auto channel = [](TColor c, int shift) {
        return static_cast<long double>((c >> shift) & 0xFFu);
    };
    for (int32_t i = 0; i <= d + 1; ++i) {
        const long double t = static_cast<long double>(i) / steps;
        uint32_t value = 0x02000000u;
        for (int shift : {0, 8, 16}) {
            const int32_t blended =
                RoundEven(channel(s.TrunkColor, shift) * t + channel(s.TipColor, shift) * (1.0L - t));
            value += (static_cast<uint32_t>(blended) & 0xFFu) << shift;
        }
        ramp[static_cast<size_t>(i)] = value;
    }
}

} // namespace ramulet
