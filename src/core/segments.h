#pragma once

#include "core/branches.h"
#include "core/numeric.h"

#include <cstdint>
#include <memory>

namespace ramulet {

constexpr int32_t MaxSegIndex = 200000; // the store has MaxSegIndex + 1 places
constexpr int32_t MaxDepth = 16;

// One grown segment in model space.
struct TSegLine {
    TPointE startPt;
    TPointE endPt;
    int32_t level = 0;              // depth + 1 for the trunk, down to 1 for the last generation
    long double widthFactor = 0.0L; // 1 for the trunk; a child's is its parent's times ratio
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

    bool Full() const { return lastIndex >= MaxSegIndex; }
    int32_t Count() const { return lastIndex + 1; }
    const TSegLine &line(int32_t i) const { return lines_[static_cast<size_t>(i)]; }
    const TSegLine *data() const { return lines_.get(); }

private:
    std::unique_ptr<TSegLine[]> lines_;
};

// The child of each template row 1..BranchCount on `parent` under mirror sign `m`, written
// into children[r]; children[0] is not used. Levels are left for Grow.
void ExpandChildren(const BranchTable &t, const TSegLine &parent, int32_t m,
                    TSegLine (&children)[MaxBranches + 1]);

// Stores `seg` and, recursively, everything grown on it to remaining depth n. Stops as soon
// as the store is full.
void Grow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg, int32_t m);

// Normalises the template, clears the store and grows the tree to `depth` from the trunk.
// The picture is rendered by the caller.
void GrowTree(BranchTable &t, Tseglines &store, int32_t depth);

// Estimated number of segments of a growth of depth n, never below the true count, capped
// at 2147483647.
int32_t EstimateSegmentCount(const BranchTable &t, int32_t n);

} // namespace ramulet
