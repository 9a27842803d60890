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
    // Whether the editor has moved the pixel points since they were set from P and V (an
    // end-point drag or a slide). Then the pixel points hold the user's edit and P and V
    // follow them; otherwise the pixel points are only the rounded picture of shownP and
    // shownV, the exact values they were made from, and the row is normalised from those.
    bool moved = false;
    TPointE shownP;
    TPointE shownV;
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

// Whether the trunk runs from (0, 0) to (0, 1), as in every template the program makes: its
// frame is then model space itself.
bool HasUnitTrunk(const BranchTable &t);

// Writes the default template (trunk (0,0)-(0,1) and two mirrored branches at 45 degrees
// from its end) and the screen points of its rows in `view`. The window adds its own steps
// (swatches, file name, caption, edit mode) around this.
void SetDefaultTemplate(BranchTable &t, const ViewState &view);

// Set the pixel points of row i (all rows) from P and V; the rows count as not moved.
void UpdateScreenPoints(BranchTable &t, int32_t i, const ViewState &view);
void UpdateAllScreenPoints(BranchTable &t, const ViewState &view);

// Re-derives P, V and ratio of the branch rows in the trunk's frame, P.x always 0. A moved
// row is taken from its pixel points against the trunk's pixel points; a row not moved gets
// the same arithmetic done on the exact values its pixel points show (shownP, shownV)
// against the exact trunk, so that a template nobody touched keeps its values whatever the
// editor's scale, and a second normalisation gives what the first gave. Where the trunk has
// no length (on screen for moved rows, in the model for the others) the frame is undefined
// and those rows stay unchanged. No pixel point and no mark is changed.
void NormalizeTemplate(BranchTable &t);

// NormalizeTemplate for the moved rows only: what a save and a resize do, so that a drag
// made since the last growth is in the file and survives new pixel points.
void NormalizeMovedRows(BranchTable &t);

// Appends a branch (P (0,1), V (0,0.7), mirrored); nothing at MaxBranches. Returns whether
// a branch was added.
bool AddBranch(BranchTable &t, const ViewState &view);

// Removes branch i (1..BranchCount) and closes the gap.
void DeleteBranch(BranchTable &t, int32_t i);

} // namespace ramulet
