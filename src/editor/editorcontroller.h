#pragma once

#include "core/branches.h"
#include "core/branchvalues.h"
#include "core/numeric.h"
#include "core/viewstate.h"

#include <cstdint>

namespace ramulet {

// The end-point handle: city-block distance of at most 5 pixels.
bool NearPoint(int32_t x, int32_t y, TPixel p);

// Whether (x, y) is on the line from s to e: twice the triangle's area over the line's
// city-block length at most 5 (the city-block distance to s for a line of no length), and
// inside the line's bounding box, borders included. The products are taken in 64 bits.
bool NearLine(int32_t x, int32_t y, TPixel s, TPixel e);

// What is under the mouse: the first branch row whose end point is near (then line is -1),
// else the first branch row whose line is near. The trunk is never hit.
struct HitResult {
    int32_t point = -1;
    int32_t line = -1;
};
HitResult HitTest(const BranchTable &t, int32_t x, int32_t y);

enum class EditorCursor {
    Arrow,
    Point, // cursor 2, open hand
    Line,  // cursor 13, up and down arrows
};

enum class HighlightKind { None, Point, Branch };

// What a mouse move asks of the window: whether to repaint the editor and which mark to
// draw over the fresh picture (for row `row`).
struct EditorRepaint {
    bool repaint = false;
    HighlightKind highlight = HighlightKind::None;
    int32_t row = -1;
};

// The editor's hover and drag state over a template table. Edits change only the rows'
// pixel points (marking the rows moved) and kinds; the model values follow at the next
// growth, save or resize.
class EditorController {
public:
    // `mouseIsDown` is the window's flag, shared with the tree view.
    EditorController(BranchTable &table, bool &mouseIsDown);

    int32_t PointIndex = -1; // branch row whose end point is hovered or dragged, or -1
    int32_t LineIndex = -1;  // branch row whose line is hovered or dragged, or -1
    int32_t DragOffsetY = 0; // at the left press: mouse y minus the row's screenStart.y
    bool HighlightShown = false; // cleared by the window on every repaint, set after a mark

    // The branch that the keys act on: the last one hovered, or chosen by the window; -1 none.
    // It may name a row that no longer exists (after an undo); the keys then do nothing.
    int32_t SelectedIndex = -1;

    // A move to editor pixel (x, y): a hover (hit test; a repaint with a mark over an item,
    // one repaint to erase a stale mark, none otherwise) or a drag step.
    EditorRepaint mouseMove(int32_t x, int32_t y);
    // The same move; with `snap` (Shift held) a drag step puts exact values in the row
    // instead of pixels: an end point at angles in steps of 15 degrees and lengths in steps of
    // 0.05 trunk lengths, a slide at positions in steps of 0.05. The row's pixel points are
    // then drawn from those values in `view` (the editor's default view).
    EditorRepaint mouseMove(int32_t x, int32_t y, bool snap, const ViewState &view);
    // A non-left press ends any drag; a left press starts one, whatever is under the mouse.
    void mouseDown(MouseButton button, int32_t x, int32_t y);
    // Any release clears the flag only; nothing is redrawn.
    void mouseUp();

    // The cursor the last hover move chose.
    EditorCursor cursor() const;
    // Whether the kind menu is attached (a branch line is hovered).
    bool popupAttached() const;
    // The kind item to check when the menu opens: -1 when no line is hovered, else 0 for
    // kindOrder, 1 for kindReverse, 2 for anything else.
    int popupCheckedPosition() const;
    // The kind item with tag 1 (kindOrder), 2 (kindReverse) or 0 (kindSegment) was chosen
    // for the hovered line. Returns whether the editor must repaint (other tags and a stale
    // row change nothing).
    bool setKindByTag(int tag);
    // Deletes the hovered branch and clears the hover state, so that no later command can
    // act on a row number that has moved. Returns whether a branch was deleted.
    bool deleteHovered();
    // Appends a branch (nothing beyond 20). Returns true: the editor repaints either way.
    bool addBranch(const ViewState &view);
    // Forgets the hover state (after a reset or a load); the cursor returns to the arrow.
    void clearHover();

    // Escape during a drag: the dragged branch gets back the row it had at the press (pixel
    // points, values and mark) and the drag ends. Returns whether a drag was under way.
    bool cancelDrag();
    // The arrow keys: the selected branch's end point moves by `right` and `up` hundredths of
    // a trunk length in the trunk's frame; the row then holds exact values (see
    // NudgeByHundredths) drawn in `view`. Nothing during a drag. Returns whether it moved.
    bool nudgeSelected(int right, int up, const ViewState &view);
    // The Delete key: removes the selected branch (nothing during a drag) and forgets the
    // hover and the selection. Returns whether a branch was deleted.
    bool deleteSelected();
    // Whether SelectedIndex names a branch in use.
    bool hasSelection() const { return validRow(SelectedIndex); }

private:
    bool validRow(int32_t row) const;
    EditorRepaint snappedDragStep(int32_t x, int32_t y, const ViewState &view);

    // The dragged row as it was at the left press, and the values the growth took from it.
    int32_t m_dragRow = -1;
    TBranch m_dragStart;
    TPointE m_dragValuesP{};
    TPointE m_dragValuesV{};

    BranchTable &m_table;
    bool &m_mouseIsDown;
    EditorCursor m_cursor = EditorCursor::Arrow;
    bool m_popupAttached = false;
};

} // namespace ramulet
