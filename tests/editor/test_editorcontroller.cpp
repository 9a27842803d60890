#include "core/branches.h"
#include "core/branchvalues.h"
#include "core/viewstate.h"
#include "editor/editorcontroller.h"
#include "editor/editordraw.h"

#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include "common/testsupport.h"

#include <QtTest>

#include <algorithm>
#include <limits>

using namespace ramulet;

Q_DECLARE_METATYPE(ramulet::MouseButton)

namespace {

using test::I32Max;
using test::I32Min;
using test::TrunkOnly;
using test::View600;

void AddRow(BranchTable &t, TPixel s, TPixel e, int32_t kind = kindReverse)
{
    ++t.BranchCount;
    TBranch &r = t.Branches[static_cast<size_t>(t.BranchCount)];
    r.screenStart = s;
    r.screenEnd = e;
    r.kind = kind;
    r.P = {0.0L, 0.5L};
    r.V = {0.25L, 0.25L};
}

} // namespace

class TestEditorController : public QObject {
    Q_OBJECT
private slots:
    void nearPoint_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("px");
        QTest::addColumn<int>("py");
        QTest::addColumn<bool>("near");
        QTest::addRow("on it") << 10 << 10 << 10 << 10 << true;
        QTest::addRow("5 across") << 15 << 10 << 10 << 10 << true;
        QTest::addRow("3 + 2") << 7 << 12 << 10 << 10 << true;
        QTest::addRow("3 + 3") << 7 << 13 << 10 << 10 << false;
        QTest::addRow("6 down") << 10 << 16 << 10 << 10 << false;
        QTest::addRow("opposite ends of int32") << I32Max << 0 << I32Min << 0 << false;
        QTest::addRow("both extremes") << I32Max << I32Max << I32Min << I32Min << false;
    }
    void nearPoint()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, px);
        QFETCH(int, py);
        QFETCH(bool, near);
        QCOMPARE(NearPoint(x, y, {px, py}), near);
    }

    void nearLine_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::addColumn<int>("ex");
        QTest::addColumn<int>("ey");
        QTest::addColumn<bool>("near");
        QTest::addRow("diagonal: area 100 over length 20") << 110 << 100 << 100 << 100 << 110 << 110 << true;
        QTest::addRow("diagonal: on it") << 105 << 105 << 100 << 100 << 110 << 110 << true;
        QTest::addRow("diagonal: outside the box") << 111 << 100 << 100 << 100 << 110 << 110 << false;
        QTest::addRow("long diagonal: too far inside the box") << 140 << 100 << 100 << 100 << 140 << 140 << false;
        QTest::addRow("vertical: own column") << 100 << 110 << 100 << 100 << 100 << 120 << true;
        QTest::addRow("vertical: next column") << 101 << 110 << 100 << 100 << 100 << 120 << false;
        QTest::addRow("horizontal: own row") << 110 << 100 << 100 << 100 << 120 << 100 << true;
        QTest::addRow("horizontal: next row") << 110 << 101 << 100 << 100 << 120 << 100 << false;
        QTest::addRow("reversed ends") << 105 << 105 << 110 << 110 << 100 << 100 << true;
        QTest::addRow("zero length: on it") << 50 << 50 << 50 << 50 << 50 << 50 << true;
        QTest::addRow("zero length: outside its box") << 53 << 52 << 50 << 50 << 50 << 50 << false;
        // The full int32 diagonal: products reach 2^63 and beyond.
        QTest::addRow("huge diagonal: on it") << 0 << 0 << I32Min << I32Min << I32Max << I32Max << true;
        QTest::addRow("huge diagonal: d exactly 5") << 0 << 10 << I32Min << I32Min << I32Max << I32Max << true;
        QTest::addRow("huge diagonal: d 5.5") << 0 << 11 << I32Min << I32Min << I32Max << I32Max << false;
    }
    void nearLine()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, sx);
        QFETCH(int, sy);
        QFETCH(int, ex);
        QFETCH(int, ey);
        QFETCH(bool, near);
        QCOMPARE(NearLine(x, y, {sx, sy}, {ex, ey}), near);
    }

    void hitTest_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("line");
        // Row 1 (100,100)-(200,100) passes row 2's end point (150,100); row 3 ends 4 px
        // from row 2's end; row 4 lies on row 1's line.
        QTest::addRow("end point wins over an earlier line") << 150 << 100 << 2 << -1;
        QTest::addRow("two end points: lowest row") << 152 << 101 << 2 << -1;
        QTest::addRow("only row 3's end") << 156 << 100 << 3 << -1;
        QTest::addRow("two lines: lowest row") << 120 << 100 << -1 << 1;
        QTest::addRow("row 2's line") << 150 << 70 << -1 << 2;
        QTest::addRow("the trunk is never hit") << 300 << 480 << -1 << -1;
        QTest::addRow("empty space") << 20 << 20 << -1 << -1;
    }
    void hitTest()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(int, point);
        QFETCH(int, line);
        BranchTable t = TrunkOnly();
        AddRow(t, {100, 100}, {200, 100});
        AddRow(t, {150, 50}, {150, 100});
        AddRow(t, {154, 20}, {154, 100});
        AddRow(t, {110, 100}, {130, 100});
        const HitResult hit = HitTest(t, x, y);
        QCOMPARE(hit.point, point);
        QCOMPARE(hit.line, line);
    }

    void hoverCursorHighlightAndStaleRepaint()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        bool down = false;
        EditorController c(t, down);
        QCOMPARE(c.cursor(), EditorCursor::Arrow);

        EditorRepaint u = c.mouseMove(20, 20);
        QVERIFY(!u.repaint);

        u = c.mouseMove(402, 322); // the end point
        QVERIFY(u.repaint);
        QCOMPARE(u.highlight, HighlightKind::Point);
        QCOMPARE(u.row, 1);
        QCOMPARE(c.cursor(), EditorCursor::Point);
        QVERIFY(!c.popupAttached());
        QCOMPARE(c.PointIndex, 1);
        QCOMPARE(c.LineIndex, -1);
        QVERIFY(c.HighlightShown);

        u = c.mouseMove(400, 420); // the line
        QVERIFY(u.repaint);
        QCOMPARE(u.highlight, HighlightKind::Branch);
        QCOMPARE(c.cursor(), EditorCursor::Line);
        QVERIFY(c.popupAttached());
        QCOMPARE(c.LineIndex, 1);
        QCOMPARE(c.PointIndex, -1);

        // Exactly one repaint erases the mark; then nothing is drawn.
        u = c.mouseMove(20, 20);
        QVERIFY(u.repaint);
        QCOMPARE(u.highlight, HighlightKind::None);
        QCOMPARE(c.cursor(), EditorCursor::Arrow);
        QVERIFY(!c.popupAttached());
        QVERIFY(!c.HighlightShown);
        u = c.mouseMove(21, 20);
        QVERIFY(!u.repaint);

        // The trunk's shaft: arrow cursor, no mark, no menu.
        u = c.mouseMove(300, 480);
        QVERIFY(!u.repaint);
        QCOMPARE(c.cursor(), EditorCursor::Arrow);
        QVERIFY(!c.popupAttached());
        QCOMPARE(c.popupCheckedPosition(), -1);
    }

    void pointDragFollowsTheMouseAnywhere()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        const TBranch before = t.Branches[1];
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 320);
        c.mouseDown(MouseButton::Left, 400, 320);
        QVERIFY(down);
        const TPixel targets[] = {{410, 300}, {-5000, 1000000000}, {I32Max, I32Min}, {I32Min, I32Max}};
        for (const TPixel p : targets) {
            const EditorRepaint u = c.mouseMove(p.x, p.y);
            QVERIFY(u.repaint);
            QCOMPARE(u.highlight, HighlightKind::Point);
            QCOMPARE(u.row, 1);
            QCOMPARE(t.Branches[1].screenEnd, p);
            QCOMPARE(t.Branches[1].screenStart, before.screenStart);
        }
        // Only the pixel points change; the model values wait for the next growth.
        QCOMPARE(t.Branches[1].P, before.P);
        QCOMPARE(t.Branches[1].V, before.V);
        QCOMPARE(t.Branches[1].kind, before.kind);
        // The cursor is not changed during a drag.
        QCOMPARE(c.cursor(), EditorCursor::Point);
    }

    void slideClamps_data()
    {
        QTest::addColumn<int>("mouseX");
        QTest::addColumn<int>("mouseY");
        QTest::addColumn<int>("startY");
        // Grabbed at (420, 480), 20 px above the start (DragOffsetY = -20); the trunk runs
        // from its foot at y 570 up to its tip at y 390.
        QTest::addRow("follows y") << 420 << 450 << 470;
        QTest::addRow("sideways motion ignored") << 10 << 480 << 500;
        QTest::addRow("above the tip") << 420 << 300 << 390;
        QTest::addRow("exactly the tip") << 420 << 370 << 390;
        QTest::addRow("below the foot") << 420 << 700 << 570;
        QTest::addRow("far below") << 420 << I32Max << 570;
        QTest::addRow("far above") << 420 << I32Min << 390;
    }
    void slideClamps()
    {
        QFETCH(int, mouseX);
        QFETCH(int, mouseY);
        QFETCH(int, startY);
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {440, 460});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(420, 480);
        QCOMPARE(c.LineIndex, 1);
        c.mouseDown(MouseButton::Left, 420, 480);
        QCOMPARE(c.DragOffsetY, -20);
        const EditorRepaint u = c.mouseMove(mouseX, mouseY);
        QVERIFY(u.repaint);
        QCOMPARE(u.highlight, HighlightKind::Branch);
        QCOMPARE(t.Branches[1].screenStart, (TPixel{400, startY}));
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{440, startY - 40}));
    }

    void slideWithNegativeOffset()
    {
        BranchTable t = TrunkOnly();
        t.Branches[0].screenStart = {300, 600};
        t.Branches[0].screenEnd = {300, 100};
        AddRow(t, {400, 500}, {400, 400});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 493);
        QCOMPARE(c.LineIndex, 1);
        c.mouseDown(MouseButton::Left, 400, 493);
        QCOMPARE(c.DragOffsetY, -7);
        c.mouseMove(400, 300);
        QCOMPARE(t.Branches[1].screenStart, (TPixel{400, 307}));
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{400, 207}));
        c.mouseMove(400, 90); // 97 is above the tip at 100
        QCOMPARE(t.Branches[1].screenStart.y, 100);
        QCOMPARE(t.Branches[1].screenEnd.y, 0);
    }

    void pressOnEmptySpaceDoesNothingUntilRelease()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        const BranchTable before = t;
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(20, 20);
        c.mouseDown(MouseButton::Left, 20, 20);
        QVERIFY(down);
        EditorRepaint u = c.mouseMove(400, 420); // over the branch
        QVERIFY(!u.repaint);
        QCOMPARE(c.LineIndex, -1);
        QCOMPARE(c.cursor(), EditorCursor::Arrow);
        u = c.mouseMove(400, 320);
        QVERIFY(!u.repaint);
        QCOMPARE(t.Branches[1].screenEnd, before.Branches[1].screenEnd);
        c.mouseUp();
        QVERIFY(!down);
        u = c.mouseMove(400, 420);
        QCOMPARE(u.highlight, HighlightKind::Branch);
    }

    void nonLeftPressEndsADrag_data()
    {
        QTest::addColumn<MouseButton>("button");
        QTest::addRow("right") << MouseButton::Right;
        QTest::addRow("middle") << MouseButton::Middle;
    }
    void nonLeftPressEndsADrag()
    {
        QFETCH(MouseButton, button);
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 320);
        c.mouseDown(MouseButton::Left, 400, 320);
        c.mouseMove(380, 300);
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{380, 300}));
        c.mouseDown(button, 380, 300);
        QVERIFY(!down);
        // The next move hovers again instead of dragging.
        const EditorRepaint u = c.mouseMove(20, 20);
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{380, 300}));
        QCOMPARE(u.highlight, HighlightKind::None);
        QCOMPARE(c.PointIndex, -1);
    }

    void releaseOnlyClearsTheFlag()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 420);
        c.mouseDown(MouseButton::Left, 400, 420);
        c.mouseMove(400, 430);
        c.mouseUp();
        QVERIFY(!down);
        QCOMPARE(c.LineIndex, 1);
        QVERIFY(c.HighlightShown);
        QVERIFY(c.popupAttached());
    }

    void popupCheckedPosition_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("position");
        QTest::addRow("kindOrder") << int(kindOrder) << 0;
        QTest::addRow("kindReverse") << int(kindReverse) << 1;
        QTest::addRow("kindSegment") << int(kindSegment) << 2;
        QTest::addRow("unknown kind") << 42 << 2;
    }
    void popupCheckedPosition()
    {
        QFETCH(int, kind);
        QFETCH(int, position);
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320}, kind);
        bool down = false;
        EditorController c(t, down);
        QCOMPARE(c.popupCheckedPosition(), -1);
        c.mouseMove(400, 420);
        QCOMPARE(c.popupCheckedPosition(), position);
    }

    void setKindByTag_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("repaint");
        QTest::addColumn<int>("kind");
        QTest::addRow("tag 1: kindOrder") << 1 << true << int(kindOrder);
        QTest::addRow("tag 2: kindReverse") << 2 << true << int(kindReverse);
        QTest::addRow("tag 0: kindSegment") << 0 << true << int(kindSegment);
        QTest::addRow("tag 3: nothing") << 3 << false << 42;
        QTest::addRow("tag -1: nothing") << -1 << false << 42;
    }
    void setKindByTag()
    {
        QFETCH(int, tag);
        QFETCH(bool, repaint);
        QFETCH(int, kind);
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320}, 42);
        bool down = false;
        EditorController c(t, down);
        QVERIFY(!c.setKindByTag(tag)); // nothing hovered
        QCOMPARE(t.Branches[1].kind, 42);
        c.mouseMove(400, 420);
        QCOMPARE(c.setKindByTag(tag), repaint);
        QCOMPARE(t.Branches[1].kind, kind);
        // The hover state survives the command.
        QCOMPARE(c.LineIndex, 1);
        QVERIFY(c.popupAttached());
    }

    void deleteTheOnlyBranch()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 420);
        QVERIFY(c.deleteHovered());
        QCOMPARE(t.BranchCount, 0);
        QCOMPARE(c.LineIndex, -1);
        QCOMPARE(c.PointIndex, -1);
        QVERIFY(!c.popupAttached());
        QCOMPARE(c.popupCheckedPosition(), -1);
        QVERIFY(!c.deleteHovered());
    }

    // After a delete the rows after it move down; the old row number must not reach them.
    void noStaleRowAfterDelete()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {100, 500}, {100, 320}, kindOrder);
        AddRow(t, {200, 500}, {200, 320}, kindOrder);
        AddRow(t, {400, 500}, {400, 320}, kindSegment);
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(200, 420);
        QCOMPARE(c.LineIndex, 2);
        QVERIFY(c.deleteHovered());
        QCOMPARE(t.BranchCount, 2);
        QCOMPARE(t.Branches[2].screenStart, (TPixel{400, 500}));
        QVERIFY(!c.setKindByTag(1));
        QCOMPARE(t.Branches[2].kind, kindSegment);
        QVERIFY(!c.deleteHovered());
        QCOMPARE(t.BranchCount, 2);
        // A left press now starts no slide of the moved row.
        c.mouseDown(MouseButton::Left, 200, 420);
        QVERIFY(!c.mouseMove(200, 440).repaint);
        QCOMPARE(t.Branches[2].screenStart, (TPixel{400, 500}));
    }

    void addBranchUpToTwenty()
    {
        const ViewState v = View600();
        BranchTable t;
        SetDefaultTemplate(t, v);
        bool down = false;
        EditorController c(t, down);
        while (t.BranchCount < MaxBranches) {
            const int32_t before = t.BranchCount;
            QVERIFY(c.addBranch(v));
            QCOMPARE(t.BranchCount, before + 1);
            QCOMPARE(t.Branches[static_cast<size_t>(t.BranchCount)].kind, kindReverse);
        }
        QVERIFY(c.addBranch(v)); // still a repaint
        QCOMPARE(t.BranchCount, MaxBranches);
    }

    void clearHoverForgetsEverything()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320});
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(400, 420);
        c.clearHover();
        QCOMPARE(c.LineIndex, -1);
        QCOMPARE(c.PointIndex, -1);
        QVERIFY(!c.popupAttached());
        QCOMPARE(c.cursor(), EditorCursor::Arrow);
    }

    // Random presses, moves and releases of every button, in and far outside the view,
    // mixed with commands: the table and the hover state stay valid throughout.
    // Shift during a drag puts exact values in the row: the end point at 15 degrees and
    // twentieths of the trunk, a slide at twentieths of the trunk; the pixels follow them.
    void snappedDrags_data()
    {
        QTest::addColumn<bool>("endPoint");
        QTest::addColumn<int>("mouseX");
        QTest::addColumn<int>("mouseY");
        QTest::addColumn<double>("angle");
        QTest::addColumn<double>("length");
        QTest::addColumn<double>("position");
        // View600: 180 pixels per trunk length, the trunk's tip at (300, 390). Branch 1
        // starts there; 0.6 at 30 degrees ends 54 px left and 93.5 px up.
        QTest::addRow("near 30 degrees, 0.6") << true << 247 << 298 << 30.0 << 0.6 << 1.0;
        QTest::addRow("near -90, 0.25") << true << 346 << 393 << -90.0 << 0.25 << 1.0;
        QTest::addRow("straight back") << true << 301 << 480 << 180.0 << 0.5 << 1.0;
        // Grabbing branch 1's line at (320, 370), 20 px above its start: the start lands on
        // the nearest twentieth of the trunk.
        QTest::addRow("slide to 0.65") << false << 900 << 430 << -45.0 << 0.0 << 0.65;
        QTest::addRow("slide kept on the trunk") << false << 320 << 9000 << -45.0 << 0.0 << 0.0;
    }
    void snappedDrags()
    {
        QFETCH(bool, endPoint);
        QFETCH(int, mouseX);
        QFETCH(int, mouseY);
        QFETCH(double, angle);
        QFETCH(double, length);
        QFETCH(double, position);
        const ViewState view = View600();
        BranchTable t;
        SetDefaultTemplate(t, view); // branch 1 from (300, 390) to (390, 300)
        bool down = false;
        EditorController c(t, down);
        const TPixel grab = endPoint ? TPixel{390, 300} : TPixel{320, 370};
        c.mouseMove(grab.x, grab.y);
        c.mouseDown(MouseButton::Left, grab.x, grab.y);
        const EditorRepaint r = c.mouseMove(mouseX, mouseY, true, view);
        QVERIFY(r.repaint);
        QCOMPARE(r.row, 1);
        const TBranch &row = t.Branches[1];
        QVERIFY(!row.moved);
        QVERIFY(row.P.y == SnapToSteps(position, 20.0L));
        const TPointE v = endPoint ? VectorFromAngle(angle, SnapToSteps(length, 20.0L))
                                   : TPointE{0.5L, 0.5L};
        QVERIFY(row.V == v);
        QCOMPARE(row.screenEnd, view.ModelToScreen({row.P.x + v.x, row.P.y + v.y}));
        // The growth takes the values as they are.
        const BranchTable grown = NormalizedCopy(t);
        QVERIFY(grown.Branches[1].V == v);
        // A step without Shift is the specified drag again.
        c.mouseMove(mouseX, mouseY + 1, false, view);
        if (endPoint) {
            QCOMPARE(row.screenEnd, (TPixel{mouseX, mouseY + 1}));
            QVERIFY(row.moved);
        }
    }

    void escapeRestoresTheDragStart()
    {
        const ViewState view = View600();
        BranchTable t;
        SetDefaultTemplate(t, view);
        const TBranch before = t.Branches[2];
        bool down = false;
        EditorController c(t, down);
        c.mouseMove(210, 300);
        c.mouseDown(MouseButton::Left, 210, 300);
        c.mouseMove(150, 250);
        c.mouseMove(100, 200, true, view);
        QVERIFY(!(t.Branches[2].V == before.V));
        QVERIFY(c.cancelDrag());
        QVERIFY(!down);
        QCOMPARE(t.Branches[2].screenEnd, before.screenEnd);
        QVERIFY(t.Branches[2].V == before.V && !t.Branches[2].moved);
        // The drag is over: a move only hovers.
        c.mouseMove(50, 50);
        QCOMPARE(t.Branches[2].screenEnd, before.screenEnd);
        QVERIFY(!c.cancelDrag());
    }

    void keysActOnTheSelectedBranch_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<int>("up");
        QTest::addColumn<QString>("x");
        QTest::addColumn<QString>("y");
        QTest::addRow("right") << 1 << 0 << "0.51" << "0.5";
        QTest::addRow("shift+down") << 0 << -10 << "0.5" << "0.4";
        QTest::addRow("left") << -1 << 0 << "0.49" << "0.5";
    }
    void keysActOnTheSelectedBranch()
    {
        QFETCH(int, right);
        QFETCH(int, up);
        QFETCH(QString, x);
        QFETCH(QString, y);
        const ViewState view = View600();
        BranchTable t;
        SetDefaultTemplate(t, view);
        bool down = false;
        EditorController c(t, down);
        QVERIFY(!c.nudgeSelected(right, up, view)); // nothing hovered yet
        c.mouseMove(390, 300); // branch 1's end point
        c.mouseMove(10, 10);   // away: it stays selected
        QCOMPARE(c.SelectedIndex, 1);
        QVERIFY(c.nudgeSelected(right, up, view));
        QVERIFY(t.Branches[1].V.x == std::strtold(x.toLatin1().constData(), nullptr));
        QVERIFY(t.Branches[1].V.y == std::strtold(y.toLatin1().constData(), nullptr));
        QVERIFY(!t.Branches[1].moved);
        QCOMPARE(t.Branches[1].screenEnd,
                 view.ModelToScreen({t.Branches[1].V.x, 1.0L + t.Branches[1].V.y}));
        QVERIFY(c.deleteSelected());
        QCOMPARE(t.BranchCount, 1);
        QVERIFY(t.Branches[1].V.x == -0.5L); // branch 2 moved down
        QVERIFY(!c.deleteSelected());
    }

    void randomEventsKeepTheStateValid()
    {
        const ViewState v = View600();
        BranchTable t;
        SetDefaultTemplate(t, v);
        bool down = false;
        EditorController c(t, down);
        QRandomGenerator rng(20040801u);
        QImage img(636, 634, QImage::Format_RGB32);
        int pointDrags = 0;
        int slides = 0;
        const auto coordinate = [&rng]() -> int32_t {
            switch (rng.bounded(3)) {
            case 0:
                return static_cast<int32_t>(rng.generate()); // anywhere in int32
            default:
                return rng.bounded(-50, 700);
            }
        };
        // Half of the positions aim at a branch: its end point or its line's midpoint, give
        // or take a few pixels, so that hovers, grabs and drags happen often.
        const auto position = [&]() -> TPixel {
            if (t.BranchCount > 0 && rng.bounded(2) == 0) {
                const TBranch &r = t.Branches[static_cast<size_t>(rng.bounded(1, t.BranchCount + 1))];
                const int64_t mx = (int64_t{r.screenStart.x} + r.screenEnd.x) / 2;
                const int64_t my = (int64_t{r.screenStart.y} + r.screenEnd.y) / 2;
                const bool end = rng.bounded(2) == 0;
                const int64_t px = (end ? r.screenEnd.x : mx) + rng.bounded(-3, 4);
                const int64_t py = (end ? r.screenEnd.y : my) + rng.bounded(-3, 4);
                return {static_cast<int32_t>(std::clamp<int64_t>(px, I32Min, I32Max)),
                        static_cast<int32_t>(std::clamp<int64_t>(py, I32Min, I32Max))};
            }
            return {coordinate(), coordinate()};
        };
        for (int step = 0; step < 10000; ++step) {
            const TPixel pos = position();
            const int32_t x = pos.x;
            const int32_t y = pos.y;
            EditorRepaint u;
            switch (rng.bounded(12)) {
            case 0:
            case 1:
                c.mouseDown(static_cast<MouseButton>(rng.bounded(3)), x, y);
                break;
            case 2:
                c.mouseUp();
                break;
            case 3:
                c.addBranch(v);
                break;
            case 4:
                c.deleteHovered();
                break;
            case 5:
                c.setKindByTag(rng.bounded(-1, 4));
                break;
            case 6:
                (void)c.popupCheckedPosition();
                break;
            default:
                u = c.mouseMove(x, y);
                if (u.repaint && down) {
                    ++(u.highlight == HighlightKind::Point ? pointDrags : slides);
                }
                break;
            }
            QVERIFY(t.BranchCount >= 0 && t.BranchCount <= MaxBranches);
            QVERIFY(c.PointIndex == -1 || (c.PointIndex >= 1 && c.PointIndex <= t.BranchCount));
            QVERIFY(c.LineIndex == -1 || (c.LineIndex >= 1 && c.LineIndex <= t.BranchCount));
            QVERIFY(c.PointIndex == -1 || c.LineIndex == -1);
            if (step % 25 == 0 || (u.repaint && step % 5 == 0)) {
                QPainter p(&img);
                PaintEditor(p, img.size(), t, v, Qt::black);
                if (u.highlight == HighlightKind::Point) {
                    PaintHighlightPoint(p, t, u.row);
                } else if (u.highlight == HighlightKind::Branch) {
                    PaintHighlightBranch(p, t, u.row);
                }
            }
            // Refill the table now and then so that deletes keep meeting branches.
            if (t.BranchCount == 0 && rng.bounded(10) == 0) {
                SetDefaultTemplate(t, v);
                c.clearHover();
            }
        }
        // The run really dragged end points and slid branches.
        QVERIFY(pointDrags > 20);
        QVERIFY(slides > 20);
    }
};

QTEST_MAIN(TestEditorController)
#include "test_editorcontroller.moc"
