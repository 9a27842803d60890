#include "core/branches.h"

#include <cmath>

namespace ramulet {

BranchTable &ProgramTemplate()
{
    static BranchTable table;
    return table;
}

bool HasUnitTrunk(const BranchTable &t)
{
    const TBranch &trunk = t.Branches[0];
    return trunk.P.x == 0.0L && trunk.P.y == 0.0L && trunk.V.x == 0.0L && trunk.V.y == 1.0L;
}

void SetDefaultTemplate(BranchTable &t, const ViewState &view)
{
    TBranch &trunk = t.Branches[0];
    trunk.P = {0.0L, 0.0L};
    trunk.V = {0.0L, 1.0L};
    trunk.kind = kindSegment;
    trunk.ratio = 1.0L;

    TBranch &right = t.Branches[1];
    right.P = {0.0L, 1.0L};
    right.V = {0.5L, 0.5L};
    right.kind = kindReverse;

    TBranch &left = t.Branches[2];
    left.P = {0.0L, 1.0L};
    left.V = {-0.5L, 0.5L};
    left.kind = kindReverse;

    t.BranchCount = 2;
    UpdateAllScreenPoints(t, view);
}

void UpdateScreenPoints(BranchTable &t, int32_t i, const ViewState &view)
{
    TBranch &row = t.Branches[static_cast<size_t>(i)];
    row.screenStart = view.ModelToScreen(row.P);
    row.screenEnd = view.ModelToScreen({row.P.x + row.V.x, row.P.y + row.V.y});
    row.moved = false;
    row.shownP = row.P;
    row.shownV = row.V;
}

void UpdateAllScreenPoints(BranchTable &t, const ViewState &view)
{
    for (int32_t i = 0; i <= t.BranchCount; ++i) {
        UpdateScreenPoints(t, i, view);
    }
}

namespace {

// The trunk's frame for a dot product: its vector over its squared length, so that a dot
// product with u measures in trunk lengths. Not valid for a trunk of no length.
struct TrunkFrame {
    long double ux = 0.0L;
    long double uy = 0.0L;
    bool valid = false;
};

TrunkFrame FrameOf(long double gx, long double gy)
{
    const long double L = gx * gx + gy * gy;
    if (L == 0.0L) {
        return {};
    }
    return {gx / L, gy / L, true};
}

// Row vector v and start offset p from the trunk's start, both with y up, into the row's
// model values in the frame u.
void SetInFrame(TBranch &row, const TrunkFrame &u, long double vx, long double vy,
                long double px, long double py)
{
    row.V.x = u.uy * vx - u.ux * vy; // rightward component
    row.V.y = u.ux * vx + u.uy * vy; // forward component
    row.P.x = 0.0L;
    row.P.y = u.ux * px + u.uy * py; // the start projected onto the trunk's line
}

void Normalize(BranchTable &t, bool movedOnly)
{
    const TBranch &trunk = t.Branches[0];
    // Pixel differences, y negated to turn the downward screen axis into the upward model one.
    const TrunkFrame screen =
        FrameOf(static_cast<long double>(trunk.screenEnd.x) - trunk.screenStart.x,
                -(static_cast<long double>(trunk.screenEnd.y) - trunk.screenStart.y));
    const TrunkFrame model = FrameOf(trunk.V.x, trunk.V.y);
    // The trunk of every template the program makes, (0, 0) to (0, 1): its frame is model
    // space itself and the exact values are kept bit for bit (the arithmetic below would give
    // the same numbers but could turn a negative zero into a positive one).
    const bool identity = HasUnitTrunk(t);
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        TBranch &row = t.Branches[static_cast<size_t>(i)];
        if (row.moved) {
            if (!screen.valid) {
                continue;
            }
            SetInFrame(row, screen,
                       static_cast<long double>(row.screenEnd.x) - row.screenStart.x,
                       -(static_cast<long double>(row.screenEnd.y) - row.screenStart.y),
                       static_cast<long double>(row.screenStart.x) - trunk.screenStart.x,
                       -(static_cast<long double>(row.screenStart.y) - trunk.screenStart.y));
        } else if (movedOnly) {
            continue;
        } else if (identity) {
            row.P = {0.0L, row.shownP.y};
            row.V = row.shownV;
        } else {
            if (!model.valid) {
                continue;
            }
            // The pixel points show the values as model-space values; the same arithmetic as
            // for pixel points, on those values unrounded.
            SetInFrame(row, model, row.shownV.x, row.shownV.y, row.shownP.x - trunk.P.x,
                       row.shownP.y - trunk.P.y);
        }
        row.ratio = std::sqrt(row.V.x * row.V.x + row.V.y * row.V.y);
    }
}

} // namespace

void NormalizeTemplate(BranchTable &t) { Normalize(t, false); }

void NormalizeMovedRows(BranchTable &t) { Normalize(t, true); }

bool AddBranch(BranchTable &t, const ViewState &view)
{
    if (t.BranchCount >= MaxBranches) {
        return false;
    }
    ++t.BranchCount;
    TBranch &row = t.Branches[static_cast<size_t>(t.BranchCount)];
    row.P = {0.0L, 1.0L};
    row.V = {0.0L, 0.7L};
    row.kind = kindReverse;
    UpdateScreenPoints(t, t.BranchCount, view);
    return true;
}

void DeleteBranch(BranchTable &t, int32_t i)
{
    if (i < 1 || i > t.BranchCount) {
        return;
    }
    for (int32_t j = i + 1; j <= t.BranchCount; ++j) {
        t.Branches[static_cast<size_t>(j - 1)] = t.Branches[static_cast<size_t>(j)];
    }
    --t.BranchCount;
}

} // namespace ramulet
