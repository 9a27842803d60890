#include "core/segments.h"

#include "core/parallel.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace ramulet {

namespace {

// A bounding box, held apart from the store so that loops keep it in registers and parts
// of a growth widen boxes of their own.
struct EndBox {
    long double minX, minY, maxX, maxY;
};

// Widens the box by the end point (x, y) of a segment that starts on one already in it, so
// that a point below the minimum is never above the maximum. Strict comparisons keep the
// earliest of equal values, so boxes of consecutive ranges merged in order give the box of
// the whole.
inline void WidenBoxBy(EndBox &box, long double x, long double y)
{
    if (x < box.minX) {
        box.minX = x;
    } else if (x > box.maxX) {
        box.maxX = x;
    }
    if (y < box.minY) {
        box.minY = y;
    } else if (y > box.maxY) {
        box.maxY = y;
    }
}

// The box widened by the end points of segments [first, last).
void WidenBox(EndBox &box, const TSegLine *lines, int64_t first, int64_t last)
{
    EndBox b = box; // a local, which the compiler can hold in registers through the loop
    for (int64_t i = first; i < last; ++i) {
        WidenBoxBy(b, lines[i].endPt.x, lines[i].endPt.y);
    }
    box = b;
}

} // namespace

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

void Tseglines::WidenByEnd(long double x, long double y)
{
    EndBox box{minX, minY, maxX, maxY};
    WidenBoxBy(box, x, y);
    SetFilled(lastIndex, box.minX, box.minY, box.maxX, box.maxY);
}

void Tseglines::WidenByEnds(int32_t first, int32_t last)
{
    EndBox box{minX, minY, maxX, maxY};
    WidenBox(box, data(), first, int64_t{last} + 1);
    SetFilled(lastIndex, box.minX, box.minY, box.maxX, box.maxY);
}

namespace {

// The child of template row `row` on a parent from S with vector (dx, dy) and width factor w,
// under mirror sign m.
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

TSegLine TrunkSegment(const BranchTable &t, int32_t depth)
{
    const TBranch &trunk = t.Branches[0];
    TSegLine seg;
    seg.startPt = trunk.P;
    seg.endPt = {trunk.P.x + trunk.V.x, trunk.P.y + trunk.V.y};
    seg.level = depth + 1;
    seg.widthFactor = 1.0L;
    return seg;
}

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

// One template row as the growth reads it: V.x already multiplied by each mirror sign (an
// exact negation), so that the inner loops load a value instead of converting and multiplying.
struct GrowRow {
    long double py;
    long double vy;
    long double sx[2]; // [0]: +1 * V.x, [1]: -1 * V.x
    long double ratio;
    int32_t kind;
};

struct GrowRows {
    GrowRow rows[MaxBranches + 1];
    int32_t count;
};

// The mirror sign of a child: its parent's times the row's kind. Only kinds 1, -1 and 0 occur
// in templates the program makes or reads; any other value is kept from overflowing.
inline int32_t ChildSign(int32_t m, int32_t kind)
{
    const int64_t sign = int64_t{m} * kind;
    return static_cast<int32_t>(std::clamp<int64_t>(sign, INT32_MIN, INT32_MAX));
}

// The child of `row` on a parent from (sx0, sy0) with vector (dx, dy) and width factor w under
// mirror sign m: the same arithmetic, in the same order, as ComputeChild.
inline void PlaceChild(const GrowRow &row, long double dx, long double dy, long double sx0,
                       long double sy0, long double w, int32_t m, TSegLine &child)
{
    // The sign is +1 or -1 with the three kinds; any other value scales V.x as it is.
    const long double s = m == 1    ? row.sx[0]
                          : m == -1 ? row.sx[1]
                                    : static_cast<long double>(m) * row.sx[0];
    const long double startX = dx * row.py + sx0;
    const long double startY = dy * row.py + sy0;
    child.startPt.x = startX;
    child.startPt.y = startY;
    child.endPt.x = (dx * row.vy + dy * s) + startX;
    child.endPt.y = (-dx * s + dy * row.vy) + startY;
    child.widthFactor = w * row.ratio;
}

// The growth writes each segment straight into its place in the store, in pre-order, and
// leaves the bounding box to one pass at the end (see Grow). Two details keep the 80-bit
// arithmetic cheap: the last level runs as a loop without calls, and the levels above it read
// their parent's values afresh for each child instead of keeping them across the recursive
// call, which would spill every x87 register to memory and back.

void GrowLeaves(Tseglines &store, const GrowRows &rows, int32_t n, const TSegLine &parent,
                int32_t m)
{
    const long double dx = parent.endPt.x - parent.startPt.x;
    const long double dy = parent.endPt.y - parent.startPt.y;
    const long double sx0 = parent.startPt.x;
    const long double sy0 = parent.startPt.y;
    const long double w = parent.widthFactor;
    for (int32_t r = 1; r <= rows.count; ++r) {
        TSegLine *child = store.Append();
        if (child == nullptr) {
            return;
        }
        PlaceChild(rows.rows[r], dx, dy, sx0, sy0, w, m, *child);
        child->level = n;
    }
}

void GrowLevel(Tseglines &store, const GrowRows &rows, int32_t n, const TSegLine &parent,
               int32_t m)
{
    if (n <= 1) {
        GrowLeaves(store, rows, n, parent, m);
        return;
    }
    for (int32_t r = 1; r <= rows.count; ++r) {
        TSegLine *child = store.Append();
        if (child == nullptr) {
            return;
        }
        const GrowRow &row = rows.rows[r];
        PlaceChild(row, parent.endPt.x - parent.startPt.x, parent.endPt.y - parent.startPt.y,
                   parent.startPt.x, parent.startPt.y, parent.widthFactor, m, *child);
        child->level = n;
        // A child of kind 0 grows nothing.
        const int32_t childSign = ChildSign(m, row.kind);
        if (childSign != 0) {
            GrowLevel(store, rows, n - 1, *child, childSign);
        }
    }
}

} // namespace

namespace {

GrowRows MakeGrowRows(const BranchTable &t)
{
    GrowRows rows;
    rows.count = t.BranchCount;
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        const TBranch &b = t.Branches[static_cast<size_t>(r)];
        rows.rows[r] = {b.P.y, b.V.y, {b.V.x, -b.V.x}, b.ratio, b.kind};
    }
    return rows;
}

// Subtree sizes: below[n] is the number of segments grown below a segment that grows with
// remaining depth n (its children and everything on them), saturated far above the store's
// capacity.
struct SubtreeSizes {
    int64_t below[MaxDepth + 1];
};

SubtreeSizes CountSubtrees(const GrowRows &rows)
{
    constexpr int64_t cap = int64_t{1} << 40;
    int64_t growing = 0;
    for (int32_t r = 1; r <= rows.count; ++r) {
        growing += rows.rows[r].kind != 0 ? 1 : 0;
    }
    SubtreeSizes sizes{};
    sizes.below[0] = 0;
    for (int32_t n = 1; n <= MaxDepth; ++n) {
        sizes.below[n] =
            n == 1 ? rows.count : std::min(cap, rows.count + growing * sizes.below[n - 1]);
    }
    return sizes;
}

// The part of the growth that lands at store positions [lo, hi): the same pre-order walk
// and the same arithmetic as GrowLevel, counting positions from `pos` (the place of the
// first child of `parent`). Subtrees that end before lo are stepped over by their sizes;
// parents before lo are computed into locals, so that a half of the store can be grown on
// its own and comes out bit for bit as in the whole growth. Returns false once hi is reached.
struct RangeGrowth {
    TSegLine *lines;
    const GrowRows &rows;
    const SubtreeSizes &sizes;
    int64_t lo;
    int64_t hi;
    int64_t pos;

    bool Level(int32_t n, const TSegLine &parent, int32_t m)
    {
        if (n <= 1) {
            return Leaves(n, parent, m);
        }
        for (int32_t r = 1; r <= rows.count; ++r) {
            const int64_t p = pos++;
            if (p >= hi) {
                return false;
            }
            const GrowRow &row = rows.rows[r];
            const int32_t childSign = ChildSign(m, row.kind);
            const int64_t below = childSign != 0 ? sizes.below[n - 1] : 0;
            if (pos + below <= lo) {
                pos += below; // the child and its subtree lie before the range
                continue;
            }
            TSegLine local;
            TSegLine &child = p >= lo ? lines[p] : local;
            PlaceChild(row, parent.endPt.x - parent.startPt.x, parent.endPt.y - parent.startPt.y,
                       parent.startPt.x, parent.startPt.y, parent.widthFactor, m, child);
            child.level = n;
            if (childSign != 0 && !Level(n - 1, child, childSign)) {
                return false;
            }
        }
        return true;
    }

    bool Leaves(int32_t n, const TSegLine &parent, int32_t m)
    {
        const int64_t first = pos;
        pos += rows.count;
        const int64_t from = std::max(first, lo);
        const int64_t to = std::min(pos, hi);
        if (from < to) {
            const long double dx = parent.endPt.x - parent.startPt.x;
            const long double dy = parent.endPt.y - parent.startPt.y;
            const long double sx0 = parent.startPt.x;
            const long double sy0 = parent.startPt.y;
            const long double w = parent.widthFactor;
            for (int64_t p = from; p < to; ++p) {
                TSegLine &child = lines[p];
                PlaceChild(rows.rows[p - first + 1], dx, dy, sx0, sy0, w, m, child);
                child.level = n;
            }
        }
        return pos < hi;
    }
};

void MergeBox(EndBox &box, const EndBox &later)
{
    // The min and the max run independently: a value below the minimum is never above the
    // maximum of the same box.
    if (later.minX < box.minX) {
        box.minX = later.minX;
    }
    if (later.maxX > box.maxX) {
        box.maxX = later.maxX;
    }
    if (later.minY < box.minY) {
        box.minY = later.minY;
    }
    if (later.maxY > box.maxY) {
        box.maxY = later.maxY;
    }
}

// Trees at least this large are grown in parts side by side, each part a stretch of the
// store.
constexpr int64_t SplitGrowthAt = 16384;
constexpr int GrowthParts = 8;

} // namespace

void Grow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg, int32_t m)
{
    if (store.Full()) {
        return;
    }
    store.AddSegment(seg);
    const int32_t first = store.lastIndex + 1;
    if (m != 0) {
        const GrowRows rows = MakeGrowRows(t);
        GrowLevel(store, rows, n, store.line(store.lastIndex), m);
    }
    // Every segment grown on `seg` starts on one stored before it, so their end points alone
    // widen the box, exactly as adding them one by one would.
    store.WidenByEnds(first, store.lastIndex);
}

struct PartedGrowth::State {
    GrowRows rows;
    SubtreeSizes sizes;
    TSegLine trunk;
    int32_t depth = 1;
    std::vector<int32_t> bounds; // part k: [bounds[k], bounds[k + 1]), part 0 from the trunk
    std::vector<EndBox> boxes;
};

PartedGrowth::PartedGrowth(const BranchTable &t, Tseglines &store, int32_t depth, int parts)
    : m_store(store), m_state(std::make_unique<State>())
{
    State &st = *m_state;
    st.depth = std::clamp(depth, 1, MaxDepth);
    st.rows = MakeGrowRows(t);
    st.sizes = CountSubtrees(st.rows);
    store.Clear();
    store.AddSegment(TrunkSegment(t, st.depth));
    st.trunk = store.line(0);

    const int64_t total =
        std::min<int64_t>(1 + st.sizes.below[st.depth], int64_t{MaxSegIndex} + 1);
    const int n = std::max(1, parts);
    st.bounds.push_back(0);
    for (int part = 1; part <= n; ++part) {
        st.bounds.push_back(static_cast<int32_t>(1 + (total - 1) * part / n));
    }
    st.boxes.assign(static_cast<size_t>(n), EndBox{INFINITY, INFINITY, -INFINITY, -INFINITY});
    st.boxes[0] = EndBox{store.minX, store.minY, store.maxX, store.maxY};
    // Counted from the start: the places are filled part by part.
    store.SetFilled(static_cast<int32_t>(total - 1), store.minX, store.minY, store.maxX, store.maxY);
}

PartedGrowth::~PartedGrowth() = default;

int PartedGrowth::parts() const { return static_cast<int>(m_state->bounds.size()) - 1; }

const std::vector<int32_t> &PartedGrowth::bounds() const { return m_state->bounds; }

void PartedGrowth::GrowPart(int part, bool withBox)
{
    State &st = *m_state;
    const int64_t lo = std::max(1, st.bounds[static_cast<size_t>(part)]);
    const int64_t hi = st.bounds[static_cast<size_t>(part) + 1];
    TSegLine *lines = m_store.mutableData();
    RangeGrowth g{lines, st.rows, st.sizes, lo, hi, 1};
    g.Level(st.depth, st.trunk, +1);
    if (withBox) {
        WidenBox(st.boxes[static_cast<size_t>(part)], lines, lo, hi);
    }
}

void PartedGrowth::SetBox()
{
    EndBox box = m_state->boxes[0];
    for (size_t part = 1; part < m_state->boxes.size(); ++part) {
        MergeBox(box, m_state->boxes[part]);
    }
    m_store.SetFilled(m_store.lastIndex, box.minX, box.minY, box.maxX, box.maxY);
}

void GrowNormalized(const BranchTable &t, Tseglines &store, int32_t depth, bool withBox)
{
    const bool inRange = depth >= 1 && depth <= MaxDepth;
    const int64_t total = inRange ? std::min<int64_t>(1 + CountSubtrees(MakeGrowRows(t)).below[depth],
                                                      int64_t{MaxSegIndex} + 1)
                                  : 0;
    const bool split = total >= SplitGrowthAt && HelperThreadEnabled();
    if (!inRange || (!split && withBox)) {
        store.Clear();
        Grow(store, t, depth, TrunkSegment(t, depth), +1);
        return;
    }
    // Stretches of the pre-order walk grown side by side; their boxes merged in store order.
    PartedGrowth growth(t, store, depth, split ? GrowthParts : 1);
    RunJobs(growth.parts(), [&](int part) { growth.GrowPart(part, withBox); });
    if (withBox) {
        growth.SetBox();
    }
}

void GrowTree(BranchTable &t, Tseglines &store, int32_t depth)
{
    NormalizeTemplate(t);
    GrowNormalized(t, store, depth);
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

int32_t DeepestOfferedDepth(const BranchTable &t, int32_t upTo)
{
    // The estimate grows with the depth, so the offered depths are 1 up to some n.
    for (int32_t n = std::clamp(upTo, int32_t{1}, MaxDepth); n > 1; --n) {
        if (DepthUsable(EstimateSegmentCount(t, n))) {
            return n;
        }
    }
    return 1;
}

} // namespace ramulet
