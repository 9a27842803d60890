#pragma once

// Blends between two templates, row by row: what a morph from one tree into another shows
// between its ends, and what a variation may take as a step toward another template.

#include "core/branches.h"

#include <cstdint>

namespace ramulet {

// The template a fraction t of the way from `a` to `b` (t in [0, 1]; 0 gives `a` and 1 gives
// `b` exactly, copies of every field). Both tables must hold their model values (after
// NormalizeTemplate). Row r of one is blended with row r of the other:
// - the vector in polar form: its angle (radians from the trunk's forward axis, counter-
//   clockwise, the shorter way round) linearly, its length through its logarithm, so that
//   a tree in between keeps its proportions instead of collapsing toward the mean of the
//   end points; a length of 0 at either end is blended linearly;
// - the position P linearly;
// - a row whose kind differs shrinks to length 0 by t = 1/2 with its first kind and grows
//   back with the second, so the tree never flips a grown subtree in one frame;
// - a row only one template has grows from (or shrinks to) length 0, with its own angle,
//   position and kind.
// The trunk row's P is blended linearly and its V like a branch's. The result's rows are
// marked unmoved with their exact values shown and ratio = |V|; their pixel points are
// left as in `a` (or `b` for rows only it has) and are not meant to be used.
BranchTable InterpolateTemplates(const BranchTable &a, const BranchTable &b, long double t);

// A colour 0x00BBGGRR a fraction t of the way from `a` to `b`, each channel rounded to the
// nearest level (halves to even); t = 0 and 1 give the end colours' channels exactly.
uint32_t InterpolateColor(uint32_t a, uint32_t b, long double t);

} // namespace ramulet
