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
    if (lastIndex >= MaxSegIndex) {
        return;
    }
    ++lastIndex;
    lines_[static_cast<size_t>(lastIndex)] = seg;
    if (lastIndex == 0) {
        minX = std::fmin(seg.startPt.x, seg.endPt.x);
        maxX = std::fmax(seg.startPt.x, seg.endPt.x);
        minY = std::fmin(seg.startPt.y, seg.endPt.y);
        maxY = std::fmax(seg.startPt.y, seg.endPt.y);
        return;
    }
    // Every later segment starts on a segment stored before it, so its end point alone
    // widens the box.
    const long double x = seg.endPt.x;
    const long double y = seg.endPt.y;
    if (x < minX) {
        minX = x;
    } else if (x > maxX) {
        maxX = x;
    }
    if (y < minY) {
        minY = y;
    } else if (y > maxY) {
        maxY = y;
    }
}

void ExpandChildren(const BranchTable &t, const TSegLine &parent, int32_t m,
                    TSegLine (&children)[MaxBranches + 1])
{
    const long double dx = parent.endPt.x - parent.startPt.x;
    const long double dy = parent.endPt.y - parent.startPt.y;
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        const TBranch &row = t.Branches[static_cast<size_t>(r)];
        TSegLine &child = children[r];
        child.startPt.x = dx * row.P.y + parent.startPt.x;
        child.startPt.y = dy * row.P.y + parent.startPt.y;
        const long double s = static_cast<long double>(m) * row.V.x;
        // V.y along the parent plus s times the parent turned 90 degrees clockwise, (dy, -dx).
        child.endPt.x = (dx * row.V.y + dy * s) + child.startPt.x;
        child.endPt.y = (-dx * s + dy * row.V.y) + child.startPt.y;
        child.widthFactor = parent.widthFactor * row.ratio;
    }
}

void Grow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg, int32_t m)
{
    store.AddSegment(seg);
    if (m == 0 || store.Full()) {
        return;
    }
    TSegLine children[MaxBranches + 1];
    ExpandChildren(t, seg, m, children);
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        children[r].level = n;
    }
    if (n <= 1) {
        for (int32_t r = 1; r <= t.BranchCount; ++r) {
            store.AddSegment(children[r]);
        }
        return;
    }
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        if (store.Full()) {
            return;
        }
        Grow(store, t, n - 1, children[r], m * t.Branches[static_cast<size_t>(r)].kind);
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
