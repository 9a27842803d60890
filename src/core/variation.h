#pragma once

// Variations: small, meaningful changes of a template's branch rows (and, when asked, of its
// colours), each a function of the parent, a seed, a strength and the options, so that the
// same inputs give the same template on every machine and build. The trunk never changes.
// Every variation has at least one recursing branch, every recursing branch shorter than
// VariationMaxRatio trunk lengths (so its tree stays bounded), and differs from its parent.

#include "core/branches.h"

#include <array>
#include <cstdint>
#include <vector>

namespace ramulet {

// Strength from subtle to wild.
inline constexpr int32_t VariationMinStrength = 1;
inline constexpr int32_t VariationMaxStrength = 10;
inline constexpr int32_t VariationDefaultStrength = 5;

// A recursing branch of a variation is shorter than this many trunk lengths.
inline constexpr long double VariationMaxRatio = 0.95L;

struct VariationOptions {
    int32_t strength = VariationDefaultStrength; // clamped to 1..10
    bool keepSymmetry = false; // rows that mirror each other stay mirrored
    bool keepCount = false;    // no branch is added or removed
    bool colors = false;       // the tip and trunk colours shift in hue and lightness too
};

// The colours a variation may change, laid out 0x00BBGGRR; the background never changes.
struct VariationColors {
    uint32_t tip = 0x00A000;
    uint32_t trunk = 0x0000A0;
    friend bool operator==(const VariationColors &, const VariationColors &) = default;
};

// A template as variations see it: model values P, V and kind of rows 0..BranchCount
// (up to date, P.x 0 for branch rows), and the colours.
struct VariationTemplate {
    BranchTable table; // screen points and marks are not set
    VariationColors colors;
};

// The variation of `parent` for `seed`. Drawn again (from the same seed, the next attempt)
// while it would equal its parent. Its rows' ratio fields are set.
VariationTemplate MakeVariation(const VariationTemplate &parent, uint64_t seed,
                                const VariationOptions &options);

// A fresh template of two to five branches for `seed`, in the given colours (shifted when
// options.colors is set); strength and the other boxes are not used.
VariationTemplate RandomTemplate(uint64_t seed, const VariationColors &colors,
                                 const VariationOptions &options);

// The model values of rows 0..BranchCount and the colours are equal (screen points, marks
// and ratio aside).
bool SameTemplate(const VariationTemplate &a, const VariationTemplate &b);

// Whether every recursing branch is shorter than VariationMaxRatio and at least one recurses.
bool BoundedTemplate(const BranchTable &t);

// One neighbour of a ring: its seed and the variation it gives.
struct VariationNeighbour {
    uint64_t seed = 0;
    VariationTemplate variation;
};

// `count` variations of `parent`, distinct from it and from each other: the seeds are drawn
// one after the other from `ringSeed` (each below 2^32, so that it is short to show and type)
// and a seed whose variation equals an earlier neighbour is passed over.
std::vector<VariationNeighbour> MakeVariationRing(const VariationTemplate &parent,
                                                  uint64_t ringSeed, int count,
                                                  const VariationOptions &options);

} // namespace ramulet
