#pragma once

// The drawing settings that travel with a template and the colour of each level, in the
// model's own colour form: what the growth, the pictures and the files share.

#include <array>
#include <cstdint>

namespace ramulet {

// A colour as the model and the template files keep it: 0x00BBGGRR, red in the low byte.
// The ramp's entries carry 0x02 in the top byte, which the conversions ignore.
using TColor = uint32_t;

constexpr TColor White = 0xFFFFFF;

// The four drawing settings that travel with a template.
struct DrawSettings {
    TColor BackColor = 0xF8FFE0;
    TColor TipColor = 0x00A000;
    TColor TrunkColor = 0x0000A0;
    int32_t PenWidthSetting = 40; // trunk pen width in picture units: pen-width index x 20
};

// The colour of each level; entries stored as 0x02BBGGRR.
using ColorRampTable = std::array<uint32_t, 18>;

// Fills entries 0..depth + 1 with a linear blend from the tip colour (entry 0) to the trunk
// colour (entry depth + 1); entries above keep what they held. depth is clamped to 1..16.
void BuildColorRamp(ColorRampTable &ramp, const DrawSettings &s, int32_t depth);

} // namespace ramulet
