#pragma once

#include "core/numeric.h"
#include "core/viewstate.h"

#include <array>
#include <cstdint>

namespace ramulet {

constexpr int32_t MaxBranches = 20;

// Branch kinds.
constexpr int32_t kindOrder = 1;    // the copy grown on the branch keeps its handedness
constexpr int32_t kindReverse = -1; // the copy grown on the branch is mirrored
constexpr int32_t kindSegment = 0;  // a plain line; nothing grows on it

// One template row. Row 0 is the trunk: P is its start and V its vector in model space.
// Branch rows hold P and V in the trunk's frame (in trunk lengths; V.y forward along the
// trunk, V.x to its right). screenStart/screenEnd cache the row in editor pixels.
struct TBranch {
    TPixel screenStart;
    TPixel screenEnd;
    TPointE P;
    TPointE V;
    int32_t kind = kindSegment;
    long double ratio = 0.0L; // |V| of a branch row; valid after NormalizeTemplate
};

// The template table: the trunk and up to MaxBranches branches. Rows above BranchCount are
// not in use. The program keeps one (ProgramTemplate()); tests and the command-line
// renderer own their own.
struct BranchTable {
    std::array<TBranch, MaxBranches + 1> Branches{};
    int32_t BranchCount = 0;
};

// The table of the running program.
BranchTable &ProgramTemplate();

// Writes the default template (trunk (0,0)-(0,1) and two mirrored branches at 45 degrees
// from its end) and the screen points of its rows in `view`. The window adds its own steps
// (swatches, file name, caption, edit mode) around this.
void SetDefaultTemplate(BranchTable &t, const ViewState &view);

void UpdateScreenPoints(BranchTable &t, int32_t i, const ViewState &view);
void UpdateAllScreenPoints(BranchTable &t, const ViewState &view);

// Re-derives P, V and ratio of the branch rows from their pixel points, in the trunk's frame.
// With a trunk of zero length on screen the frame is undefined and the rows stay unchanged.
void NormalizeTemplate(BranchTable &t);

// Appends a branch (P (0,1), V (0,0.7), mirrored); nothing at MaxBranches. Returns whether
// a branch was added.
bool AddBranch(BranchTable &t, const ViewState &view);

// Removes branch i (1..BranchCount) and closes the gap.
void DeleteBranch(BranchTable &t, int32_t i);

} // namespace ramulet
