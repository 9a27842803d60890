#include "core/segments.h"

#include <cmath>

namespace ramulet {

Tseglines::Tseglines() : lines_(new TSegLine[static_cast<size_t>(MaxSegIndex) + 1]) {}

void Tseglines::Clear()
{
    lastIndex = -1;
    minX = 100000.0L;
    minY = 100000.0L;
    maxX = -100000.0L;
    maxY = -100000.0L;
}

void Tseglines::AddSegment(const TSegLine &seg)
{
    TSegLine *slot = Append();
    if (slot == nullptr) {
        return;
    }
    *slot = seg;
    if (lastIndex == 0) {
        minX = std::fmin(seg.startPt.x, seg.endPt.x);
        maxX = std::fmax(seg.startPt.x, seg.endPt.x);
        minY = std::fmin(seg.startPt.y, seg.endPt.y);
        maxY = std::fmax(seg.startPt.y, seg.endPt.y);
        return;
    }
    WidenByEnd(seg.endPt.x, seg.endPt.y);
}

namespace {

// The child of template row `row` on a parent from S with vector (dx, dy) and width factor w,
// under mirror sign m. Shared by ExpandChildren and the growth's last level, which writes
// straight into the store.
inline void ComputeChild(const TBranch &row, long double dx, long double dy, const TPointE &S,
                         long double w, int32_t m, TSegLine &child)
{
    child.startPt.x = dx * row.P.y + S.x;
    child.startPt.y = dy * row.P.y + S.y;
    const long double s = static_cast<long double>(m) * row.V.x;
    // V.y along the parent plus s times the parent turned 90 degrees clockwise, (dy, -dx).
    child.endPt.x = (dx * row.V.y + dy * s) + child.startPt.x;
    child.endPt.y = (-dx * s + dy * row.V.y) + child.startPt.y;
    child.widthFactor = w * row.ratio;
}

} // namespace

void ExpandChildren(const BranchTable &t, const TSegLine &parent, int32_t m,
                    TSegLine (&children)[MaxBranches + 1])
{
    const long double dx = parent.endPt.x - parent.startPt.x;
    const long double dy = parent.endPt.y - parent.startPt.y;
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        ComputeChild(t.Branches[static_cast<size_t>(r)], dx, dy, parent.startPt,
                     parent.widthFactor, m, children[r]);
    }
}

namespace {

// Stores the children of `parent` (already stored) and everything grown on them, in pre-order:
// each child goes straight into its place in the store and serves from there as the parent of
// its own children, so nothing is computed or copied twice.
void GrowChildren(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &parent,
                  int32_t m)
{
    const long double dx = parent.endPt.x - parent.startPt.x;
    const long double dy = parent.endPt.y - parent.startPt.y;
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        TSegLine *child = store.Append();
        if (child == nullptr) {
            return;
        }
        const TBranch &row = t.Branches[static_cast<size_t>(r)];
        ComputeChild(row, dx, dy, parent.startPt, parent.widthFactor, m, *child);
        child->level = n;
        store.WidenByEnd(child->endPt.x, child->endPt.y);
        // The kinds play no part at the last level; a child of kind 0 grows nothing.
        const int32_t childSign = m * row.kind;
        if (n > 1 && childSign != 0) {
            GrowChildren(store, t, n - 1, *child, childSign);
        }
    }
}

} // namespace

void Grow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg, int32_t m)
{
    if (store.Full()) {
        return;
    }
    store.AddSegment(seg);
    if (m != 0) {
        GrowChildren(store, t, n, store.line(store.lastIndex), m);
    }
}

void GrowTree(BranchTable &t, Tseglines &store, int32_t depth)
{
    NormalizeTemplate(t);
    store.Clear();
    const TBranch &trunk = t.Branches[0];
    TSegLine seg;
    seg.startPt = trunk.P;
    seg.endPt = {trunk.P.x + trunk.V.x, trunk.P.y + trunk.V.y};
    seg.level = depth + 1;
    seg.widthFactor = 1.0L;
    Grow(store, t, depth, seg, +1);
}

int32_t EstimateSegmentCount(const BranchTable &t, int32_t n)
{
    // The trunk row and every branch but the last are counted.
    long double b = 0.0L;
    long double p = 0.0L;
    for (int32_t i = 0; i < t.BranchCount; ++i) {
        if (t.Branches[static_cast<size_t>(i)].kind != 0) {
            b += 1.0L;
        } else {
            p += 1.0L;
        }
    }
    long double x = 1.0L;
    for (int32_t i = 0; i < n; ++i) {
        x = x + x * b + p;
    }
    if (x > 2147483647.0L) {
        x = 2147483647.0L;
    }
    return RoundEven(x);
}

} // namespace ramulet
