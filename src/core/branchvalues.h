#pragma once

// A branch row as the user reads and types it: kind, position along the trunk, angle from
// the trunk's direction and length, or the vector's two components; and setting such values
// exactly, so that the row keeps them like a row read from a file.

#include "core/branches.h"
#include "core/viewstate.h"

#include <cstdint>
#include <optional>

namespace ramulet {

// The angle of a branch vector V (x to the trunk's right, y along it), in degrees from the
// trunk's direction, counter-clockwise positive, in (-180, 180]. Vectors along an axis give
// exactly 0, 90, -90 or 180; the zero vector gives 0.
long double AngleDegrees(TPointE v);

// The vector of `length` at `degrees` (any value; taken modulo 360): length × (−sin, cos).
// A multiple of 90 degrees uses exact factors 0 and ±1, so 90 and 0.5 give exactly (−0.5, 0).
TPointE VectorFromAngle(long double degrees, long double length);

// |v|, in extended precision.
long double VectorLength(TPointE v);

// The values the next growth takes for each row in use: P.y, V and ratio as NormalizeTemplate
// derives them (from the pixel points of moved rows, exactly for the others). Row 0 is the
// trunk as it stands. The pixel points and marks are those of `t`.
BranchTable NormalizedCopy(const BranchTable &t);

// Gives branch row `row` (1..BranchCount) exactly these values: P = (0, position), V and its
// ratio. The row counts as not moved, and its pixel points are drawn from the values in
// `view`; a later normalisation gives back the same values (for a trunk other than
// (0, 0)-(0, 1) up to the rounding of the trunk's frame).
void SetRowValues(BranchTable &t, int32_t row, long double position, TPointE v,
                  const ViewState &view);

// The values of a row that the user can type, one at a time.
enum class ValueField { Position, Angle, Length, X, Y };

// The row `row` of a normalised table (NormalizedCopy) with one field replaced by `value`:
// the new position and vector. The angle keeps the length and the length keeps the angle
// (through AngleDegrees and VectorFromAngle); x and y replace one component. A negative
// length is no length: the result is nullopt and nothing is to change.
struct RowValues {
    long double position = 0.0L;
    TPointE V{};
};
std::optional<RowValues> EditedRowValues(const TBranch &row, ValueField field, long double value);

// `value` rounded to the nearest multiple of 1/`stepsPerUnit` (halves to even), computed as
// an integer over `stepsPerUnit` so that 0.6 is the extended real nearest to 0.6.
long double SnapToSteps(long double value, long double stepsPerUnit);

// `value` moved by `hundredths` / 100. A value on the grid of hundredths lands exactly on the
// grid again (0.5 + 0.01 is the extended real nearest to 0.51); others move by the step.
long double NudgeByHundredths(long double value, int hundredths);

} // namespace ramulet
