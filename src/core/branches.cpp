#include "core/branches.h"

#include <cmath>

namespace ramulet {

BranchTable &ProgramTemplate()
{
    static BranchTable table;
    return table;
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
}

void UpdateAllScreenPoints(BranchTable &t, const ViewState &view)
{
    for (int32_t i = 0; i <= t.BranchCount; ++i) {
        UpdateScreenPoints(t, i, view);
    }
}

void NormalizeTemplate(BranchTable &t)
{
    const TBranch &trunk = t.Branches[0];
    // Pixel differences, y negated to turn the downward screen axis into the upward model one.
    const long double gx = static_cast<long double>(trunk.screenEnd.x) - trunk.screenStart.x;
    const long double gy = -(static_cast<long double>(trunk.screenEnd.y) - trunk.screenStart.y);
    const long double L = gx * gx + gy * gy;
    if (L == 0.0L) {
        return;
    }
    // u is the trunk vector over its squared length: a dot product with u measures in
    // trunk lengths.
    const long double ux = gx / L;
    const long double uy = gy / L;
    for (int32_t i = 1; i <= t.BranchCount; ++i) {
        TBranch &row = t.Branches[static_cast<size_t>(i)];
        const long double vx = static_cast<long double>(row.screenEnd.x) - row.screenStart.x;
        const long double vy = -(static_cast<long double>(row.screenEnd.y) - row.screenStart.y);
        row.V.x = uy * vx - ux * vy;
        row.V.y = ux * vx + uy * vy;
        const long double px = static_cast<long double>(row.screenStart.x) - trunk.screenStart.x;
        const long double py =
            -(static_cast<long double>(row.screenStart.y) - trunk.screenStart.y);
        row.P.x = 0.0L;
        row.P.y = ux * px + uy * py;
        row.ratio = std::sqrt(row.V.x * row.V.x + row.V.y * row.V.y);
    }
}

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
