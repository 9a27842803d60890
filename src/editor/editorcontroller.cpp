#include "editor/editorcontroller.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace ramulet {

namespace {

// Differences of two 32-bit coordinates reach 2^32 and their products 2^64, beyond a signed
// 64-bit integer, so the area test runs in 128 bits.
__extension__ typedef __int128 Wide;

Wide WideAbs(Wide v) { return v < 0 ? -v : v; }

int32_t Saturate32(int64_t v)
{
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

TBranch &Row(BranchTable &t, int32_t i) { return t.Branches[static_cast<size_t>(i)]; }
const TBranch &Row(const BranchTable &t, int32_t i) { return t.Branches[static_cast<size_t>(i)]; }

} // namespace

bool NearPoint(int32_t x, int32_t y, TPixel p)
{
    const int64_t d = std::llabs(int64_t{p.x} - x) + std::llabs(int64_t{p.y} - y);
    return d <= 5;
}

bool NearLine(int32_t x, int32_t y, TPixel s, TPixel e)
{
    // The bounding box first: it is cheap and rules out most of the view.
    if (x < std::min(s.x, e.x) || x > std::max(s.x, e.x) || y < std::min(s.y, e.y) ||
        y > std::max(s.y, e.y)) {
        return false;
    }
    const Wide sex = Wide{s.x} - e.x;
    const Wide sey = Wide{s.y} - e.y;
    const Wide smx = Wide{s.x} - x;
    const Wide smy = Wide{s.y} - y;
    // Twice the area of the triangle s, e, mouse, over the line's city-block length.
    const Wide w = WideAbs(sex * smy - smx * sey);
    const Wide l = WideAbs(sex) + WideAbs(sey);
    if (l > 0) {
        // w / l <= 5, compared exactly.
        return w <= 5 * l;
    }
    return WideAbs(smx) + WideAbs(smy) <= 5;
}

HitResult HitTest(const BranchTable &t, int32_t x, int32_t y)
{
    HitResult hit;
    const int32_t count = std::clamp(t.BranchCount, 0, MaxBranches);
    for (int32_t i = 1; i <= count; ++i) {
        if (NearPoint(x, y, Row(t, i).screenEnd)) {
            hit.point = i;
            return hit;
        }
    }
    for (int32_t i = 1; i <= count; ++i) {
        if (NearLine(x, y, Row(t, i).screenStart, Row(t, i).screenEnd)) {
            hit.line = i;
            return hit;
        }
    }
    return hit;
}

EditorController::EditorController(BranchTable &table, bool &mouseIsDown)
    : m_table(table), m_mouseIsDown(mouseIsDown)
{
}

bool EditorController::validRow(int32_t row) const
{
    return row >= 1 && row <= m_table.BranchCount && row <= MaxBranches;
}

EditorRepaint EditorController::mouseMove(int32_t x, int32_t y)
{
    EditorRepaint out;
    if (!m_mouseIsDown) {
        m_popupAttached = false;
        const HitResult hit = HitTest(m_table, x, y);
        PointIndex = hit.point;
        LineIndex = hit.line;
        if (hit.point != -1 || hit.line != -1) {
            SelectedIndex = hit.point != -1 ? hit.point : hit.line;
        }
        if (LineIndex != -1) {
            m_cursor = EditorCursor::Line;
        } else if (PointIndex != -1) {
            m_cursor = EditorCursor::Point;
        } else {
            m_cursor = EditorCursor::Arrow;
        }
        if (LineIndex != -1) {
            m_popupAttached = true;
            out = {true, HighlightKind::Branch, LineIndex};
        } else if (PointIndex != -1) {
            out = {true, HighlightKind::Point, PointIndex};
        } else if (HighlightShown) {
            out = {true, HighlightKind::None, -1}; // erase the old mark
        }
    } else if (validRow(PointIndex)) {
        // The end point follows the mouse exactly, wherever it goes. Only a real move makes
        // the pixel points the row's truth: a press and release on the spot keeps its values.
        TBranch &r = Row(m_table, PointIndex);
        const TPixel end{x, y};
        if (!(r.screenEnd == end)) {
            r.screenEnd = end;
            r.moved = true;
        }
        out = {true, HighlightKind::Point, PointIndex};
    } else if (validRow(LineIndex)) {
        // Slide along the trunk: only the mouse's y counts, and the branch's start stays
        // between the trunk's tip and its foot; the vector is kept.
        TBranch &r = Row(m_table, LineIndex);
        const TBranch &trunk = Row(m_table, 0);
        const int64_t h = int64_t{r.screenEnd.y} - r.screenStart.y;
        int64_t y0 = int64_t{y} - DragOffsetY;
        if (y0 < trunk.screenEnd.y) {
            y0 = trunk.screenEnd.y;
        } else if (y0 > trunk.screenStart.y) {
            y0 = trunk.screenStart.y;
        }
        const int32_t startY = Saturate32(y0);
        // Only a branch that already spans most of the 32-bit range can leave it here.
        const int32_t endY = Saturate32(y0 + h);
        if (startY != r.screenStart.y || endY != r.screenEnd.y) {
            r.screenStart.y = startY;
            r.screenEnd.y = endY;
            r.moved = true;
        }
        out = {true, HighlightKind::Branch, LineIndex};
    }
    // The window repaints whenever asked and marks only when told to.
    if (out.repaint) {
        HighlightShown = out.highlight != HighlightKind::None;
    }
    return out;
}

EditorRepaint EditorController::mouseMove(int32_t x, int32_t y, bool snap, const ViewState &view)
{
    if (snap && m_mouseIsDown && m_dragRow != -1 && validRow(m_dragRow)) {
        return snappedDragStep(x, y, view);
    }
    return mouseMove(x, y);
}

EditorRepaint EditorController::snappedDragStep(int32_t x, int32_t y, const ViewState &view)
{
    TBranch &r = Row(m_table, m_dragRow);
    const TBranch &trunk = Row(m_table, 0);
    // The trunk's frame on screen (y up), as the normalisation of moved rows takes it.
    const long double gx = static_cast<long double>(trunk.screenEnd.x) - trunk.screenStart.x;
    const long double gy = -(static_cast<long double>(trunk.screenEnd.y) - trunk.screenStart.y);
    const long double L = gx * gx + gy * gy;
    if (L == 0.0L) {
        return mouseMove(x, y);
    }
    const long double ux = gx / L;
    const long double uy = gy / L;
    long double position = m_dragValuesP.y;
    TPointE v = m_dragValuesV;
    if (PointIndex == m_dragRow) {
        // The mouse against the branch's start pixel, in trunk lengths of the trunk's frame.
        const long double vx = static_cast<long double>(x) - r.screenStart.x;
        const long double vy = -(static_cast<long double>(y) - r.screenStart.y);
        const TPointE raw{uy * vx - ux * vy, ux * vx + uy * vy};
        // Whole multiples of 15 degrees are exact; lengths are twentieths.
        const long double angle = std::nearbyint(AngleDegrees(raw) / 15.0L) * 15.0L;
        v = VectorFromAngle(angle, SnapToSteps(VectorLength(raw), 20.0L));
    } else {
        // The slide's start as specified (mouse y less the grab offset, kept on the trunk).
        int64_t y0 = int64_t{y} - DragOffsetY;
        if (y0 < trunk.screenEnd.y) {
            y0 = trunk.screenEnd.y;
        } else if (y0 > trunk.screenStart.y) {
            y0 = trunk.screenStart.y;
        }
        const long double px = static_cast<long double>(r.screenStart.x) - trunk.screenStart.x;
        const long double py = -(static_cast<long double>(y0) - trunk.screenStart.y);
        position = SnapToSteps(ux * px + uy * py, 20.0L);
    }
    SetRowValues(m_table, m_dragRow, position, v, view);
    const EditorRepaint out{true,
                            PointIndex == m_dragRow ? HighlightKind::Point : HighlightKind::Branch,
                            m_dragRow};
    HighlightShown = true;
    return out;
}

void EditorController::mouseDown(MouseButton button, int32_t /*x*/, int32_t y)
{
    if (button != MouseButton::Left) {
        m_mouseIsDown = false;
        m_dragRow = -1;
        return;
    }
    if (validRow(LineIndex)) {
        DragOffsetY = Saturate32(int64_t{y} - Row(m_table, LineIndex).screenStart.y);
    }
    m_mouseIsDown = true;
    m_dragRow = validRow(PointIndex) ? PointIndex : (validRow(LineIndex) ? LineIndex : -1);
    if (m_dragRow != -1) {
        m_dragStart = Row(m_table, m_dragRow);
        const BranchTable values = NormalizedCopy(m_table);
        m_dragValuesP = Row(values, m_dragRow).P;
        m_dragValuesV = Row(values, m_dragRow).V;
    }
}

bool EditorController::cancelDrag()
{
    if (!m_mouseIsDown) {
        return false;
    }
    m_mouseIsDown = false;
    const int32_t row = m_dragRow;
    m_dragRow = -1;
    if (!validRow(row)) {
        return false;
    }
    Row(m_table, row) = m_dragStart;
    HighlightShown = false;
    return true;
}

bool EditorController::nudgeSelected(int right, int up, const ViewState &view)
{
    if (m_mouseIsDown || !validRow(SelectedIndex)) {
        return false;
    }
    const BranchTable values = NormalizedCopy(m_table);
    const TBranch &row = Row(values, SelectedIndex);
    const TPointE v{NudgeByHundredths(row.V.x, right), NudgeByHundredths(row.V.y, up)};
    SetRowValues(m_table, SelectedIndex, row.P.y, v, view);
    HighlightShown = false;
    return true;
}

bool EditorController::deleteSelected()
{
    if (m_mouseIsDown || !validRow(SelectedIndex)) {
        return false;
    }
    DeleteBranch(m_table, SelectedIndex);
    clearHover();
    SelectedIndex = -1;
    return true;
}

void EditorController::mouseUp()
{
    m_mouseIsDown = false;
    m_dragRow = -1;
}

EditorCursor EditorController::cursor() const { return m_cursor; }

bool EditorController::popupAttached() const { return m_popupAttached; }

int EditorController::popupCheckedPosition() const
{
    if (!validRow(LineIndex)) {
        return -1;
    }
    switch (Row(m_table, LineIndex).kind) {
    case kindOrder:
        return 0;
    case kindReverse:
        return 1;
    default:
        return 2;
    }
}

bool EditorController::setKindByTag(int tag)
{
    if (!validRow(LineIndex)) {
        return false;
    }
    int32_t kind = 0;
    switch (tag) {
    case 1:
        kind = kindOrder;
        break;
    case 2:
        kind = kindReverse;
        break;
    case 0:
        kind = kindSegment;
        break;
    default:
        return false;
    }
    Row(m_table, LineIndex).kind = kind;
    HighlightShown = false;
    return true;
}

bool EditorController::deleteHovered()
{
    if (!validRow(LineIndex)) {
        return false;
    }
    DeleteBranch(m_table, LineIndex);
    clearHover();
    return true;
}

bool EditorController::addBranch(const ViewState &view)
{
    AddBranch(m_table, view);
    HighlightShown = false;
    return true;
}

void EditorController::clearHover()
{
    PointIndex = -1;
    LineIndex = -1;
    m_popupAttached = false;
    m_cursor = EditorCursor::Arrow;
    HighlightShown = false;
}

} // namespace ramulet
