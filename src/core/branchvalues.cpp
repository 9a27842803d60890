#include "core/branchvalues.h"

#include <cmath>

namespace ramulet {

namespace {

constexpr long double Pi = 3.141592653589793238462643383279502884L;

} // namespace

long double AngleDegrees(TPointE v)
{
    if (v.x == 0.0L) {
        return v.y < 0.0L ? 180.0L : 0.0L;
    }
    if (v.y == 0.0L) {
        return v.x < 0.0L ? 90.0L : -90.0L;
    }
    // Counter-clockwise from the forward axis: a branch to the left (negative x) is positive.
    const long double a = std::atan2(-v.x, v.y) * (180.0L / Pi);
    return a <= -180.0L ? 180.0L : a;
}

TPointE VectorFromAngle(long double degrees, long double length)
{
    long double d = std::fmod(degrees, 360.0L); // exact, in (-360, 360)
    if (d > 180.0L) {
        d -= 360.0L;
    } else if (d <= -180.0L) {
        d += 360.0L;
    }
    if (d == 0.0L) {
        return {0.0L, length};
    }
    if (d == 90.0L) {
        return {-length, 0.0L};
    }
    if (d == -90.0L) {
        return {length, 0.0L};
    }
    if (d == 180.0L) {
        return {0.0L, -length};
    }
    const long double r = d * (Pi / 180.0L);
    return {-length * sinl(r), length * cosl(r)};
}

long double VectorLength(TPointE v) { return std::sqrt(v.x * v.x + v.y * v.y); }

BranchTable NormalizedCopy(const BranchTable &t)
{
    BranchTable copy = t;
    NormalizeTemplate(copy);
    return copy;
}

void SetRowValues(BranchTable &t, int32_t row, long double position, TPointE v,
                  const ViewState &view)
{
    if (row < 1 || row > t.BranchCount) {
        return;
    }
    // A zero is stored as +0 (x + 0 is +0 for x = -0 and x itself otherwise): a typed "-0",
    // or an angle given to a branch of length 0, would otherwise change the file's text
    // ("-0.00000000000000E+0000") while the template compares equal, an edit no undo step holds.
    position += 0.0L;
    v.x += 0.0L;
    v.y += 0.0L;
    const TBranch &trunk = t.Branches[0];
    TBranch &r = t.Branches[static_cast<size_t>(row)];
    r.P = {0.0L, position};
    r.V = v;
    r.ratio = VectorLength(v);
    if (HasUnitTrunk(t)) {
        r.shownP = r.P;
        r.shownV = r.V;
    } else {
        // The row's pixel points show model-space values, which the normalisation takes into
        // the trunk's frame: so the values shown are the trunk-frame values taken back out
        // of it (forward f = the trunk's vector, right = f turned clockwise).
        const TPointE f = trunk.V;
        r.shownV = {v.x * f.y + v.y * f.x, -v.x * f.x + v.y * f.y};
        r.shownP = {trunk.P.x + position * f.x, trunk.P.y + position * f.y};
    }
    r.screenStart = view.ModelToScreen(r.shownP);
    r.screenEnd = view.ModelToScreen({r.shownP.x + r.shownV.x, r.shownP.y + r.shownV.y});
    r.moved = false;
}

std::optional<RowValues> EditedRowValues(const TBranch &row, ValueField field, long double value)
{
    RowValues out{row.P.y, row.V};
    switch (field) {
    case ValueField::Position:
        out.position = value;
        break;
    case ValueField::Angle:
        out.V = VectorFromAngle(value, VectorLength(row.V));
        break;
    case ValueField::Length:
        if (value < 0.0L) {
            return std::nullopt;
        }
        out.V = VectorFromAngle(AngleDegrees(row.V), value);
        break;
    case ValueField::X:
        out.V.x = value;
        break;
    case ValueField::Y:
        out.V.y = value;
        break;
    }
    return out;
}

long double SnapToSteps(long double value, long double stepsPerUnit)
{
    return std::nearbyint(value * stepsPerUnit) / stepsPerUnit;
}

long double NudgeByHundredths(long double value, int hundredths)
{
    const long double scaled = value * 100.0L;
    const long double onGrid = std::nearbyint(scaled);
    // A value typed or nudged as hundredths is within rounding of the grid.
    if (std::fabs(scaled - onGrid) <= 1.0e-9L * std::fmax(1.0L, std::fabs(onGrid))) {
        return (onGrid + hundredths) / 100.0L;
    }
    return value + hundredths / 100.0L;
}

} // namespace ramulet
