#pragma once

#include "core/branches.h"
#include "core/numeric.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace ramulet {

constexpr int32_t MaxSegIndex = 200000; // the store has MaxSegIndex + 1 places
constexpr int32_t MaxDepth = 16;

// One grown segment in model space. A plain aggregate without default member values (write
// `TSegLine s{}` for a zeroed one): the growth fills every field itself, and zero-filling its
// 21-place array on every recursion step would cost more than the growth's own arithmetic.
struct TSegLine {
    TPointE startPt;
    TPointE endPt;
    int32_t level;           // depth + 1 for the trunk, down to 1 for the last generation
    long double widthFactor; // 1 for the trunk; a child's is its parent's times ratio
};

// The segment store: a fixed number of places, allocated once, and the bounding box of what
// it holds.
class Tseglines {
public:
    Tseglines();
    Tseglines(const Tseglines &) = delete;
    Tseglines &operator=(const Tseglines &) = delete;

    long double minX = 100000.0L;
    long double minY = 100000.0L;
    long double maxX = -100000.0L;
    long double maxY = -100000.0L;
    int32_t lastIndex = -1;

    void Clear();
    // Appends a copy of `seg` if there is room; the first segment sets the box from both of
    // its points, later ones widen it by their end point only.
    void AddSegment(const TSegLine &seg);

    // The next free place, counted as stored, or nullptr when the store is full. The caller
    // fills it and widens the box (a store's first segment goes through AddSegment).
    TSegLine *Append()
    {
        if (lastIndex >= MaxSegIndex) {
            return nullptr;
        }
        ++lastIndex;
        return &lines_[static_cast<size_t>(lastIndex)];
    }

    // Every segment after the first starts on a segment stored before it, so its end point
    // alone widens the box.
    void WidenByEnd(long double x, long double y);

    // WidenByEnd for the end points of segments first..last, in one pass.
    void WidenByEnds(int32_t first, int32_t last);

    bool Full() const { return lastIndex >= MaxSegIndex; }
    int32_t Count() const { return lastIndex + 1; }
    const TSegLine &line(int32_t i) const { return lines_[static_cast<size_t>(i)]; }
    const TSegLine *data() const { return lines_.get(); }
    // For growths that fill places 0..lastIndex themselves (parts side by side) and then
    // set the count and the box in one go.
    TSegLine *mutableData() { return lines_.get(); }
    void SetFilled(int32_t last, long double x0, long double y0, long double x1, long double y1)
    {
        lastIndex = last;
        minX = x0;
        minY = y0;
        maxX = x1;
        maxY = y1;
    }

private:
    std::unique_ptr<TSegLine[]> lines_;
};

// The trunk of a growth to `depth`: template row 0 from its point along its vector, at level
// depth + 1 with the full width.
TSegLine TrunkSegment(const BranchTable &t, int32_t depth);

// The child of each template row 1..BranchCount on `parent` under mirror sign `m`, written
// into children[r]; children[0] is not used. Levels are left for Grow.
void ExpandChildren(const BranchTable &t, const TSegLine &parent, int32_t m,
                    TSegLine (&children)[MaxBranches + 1]);

// Stores `seg` and, recursively, everything grown on it to remaining depth n. Stops as soon
// as the store is full.
void Grow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg, int32_t m);

// Clears the store and grows the tree to `depth` from the trunk of a template whose model
// values are up to date. Large trees are grown in parts side by side, with the same store
// and box as one Grow from the trunk. Without `withBox` the box is left as the trunk sets it
// and the pass over the store that widens it is saved (a tree drawn without the automatic
// fit needs no box).
void GrowNormalized(const BranchTable &t, Tseglines &store, int32_t depth, bool withBox = true);

// A growth in parts that can be grown side by side, each part a stretch of the store of its
// own, so that work on a part (its record) can follow it on the same thread. The trunk is
// stored and the store counts every segment of the tree from the start (up to its
// capacity); a part's segments are in place once GrowPart has returned for it. For a
// template whose model values are up to date; depth is clamped to 1..16.
class PartedGrowth {
public:
    PartedGrowth(const BranchTable &t, Tseglines &store, int32_t depth, int parts);
    ~PartedGrowth();
    PartedGrowth(const PartedGrowth &) = delete;
    PartedGrowth &operator=(const PartedGrowth &) = delete;

    int parts() const;
    // Part k holds the store's segments [bounds()[k], bounds()[k + 1]); part 0 begins with the
    // trunk, the last ends at the count.
    const std::vector<int32_t> &bounds() const;
    // Grows part k; with `withBox` also the box of its end points, for SetBox.
    void GrowPart(int part, bool withBox);
    // The box of every part grown with it, as one growth gives it, into the store.
    void SetBox();

private:
    struct State;
    Tseglines &m_store;
    std::unique_ptr<State> m_state;
};

// Normalises the template, then GrowNormalized. The picture is rendered by the caller.
void GrowTree(BranchTable &t, Tseglines &store, int32_t depth);

// Estimated number of segments of a growth of depth n, never below the true count, capped
// at 2147483647.
int32_t EstimateSegmentCount(const BranchTable &t, int32_t n);

// A depth is offered (its depth button enabled) while its estimated segment count stays
// below this, so every offered depth fits the store.
constexpr int32_t DepthSegmentLimit = 200000;

// Whether a depth with this estimated segment count may be chosen.
constexpr bool DepthUsable(int32_t estimate) { return estimate < DepthSegmentLimit; }

// The deepest depth from 1 to `upTo` (clamped to 1..MaxDepth) that is offered for `t`; 1 when
// none is (depth 1 of 20 branches always is).
int32_t DeepestOfferedDepth(const BranchTable &t, int32_t upTo);

} // namespace ramulet
