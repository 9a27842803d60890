// Precise editing and free navigation in the real window: the branch values window (Ctrl+T),
// snapped drags, the editor's keys, and the tree view's wheel, pan and default view.

#include "apptesthelpers.h"

#include "app/branchvalueswindow.h"
#include "core/branchvalues.h"
#include "io/templatefile.h"

#include "common/testsupport.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <cmath>
#include <vector>

using namespace ramulet_test;

namespace {

// Keys go where the user's would: to the focus widget of the active window.
void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), mods);
}

void Type(const QString &text)
{
    for (const QChar c : text) {
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    }
}

// Typing into cell (row, column) of the values window: the keys, then Enter.
void TypeInto(BranchValuesWindow *v, int row, int column, const QString &text)
{
    v->grid()->setCurrentCell(row, column);
    Type(text);
    Key(Qt::Key_Return);
}

void Wheel(QWidget *target, QPoint pos, int eighths)
{
    QWheelEvent e(QPointF(pos), QPointF(target->mapToGlobal(pos)), QPoint(), QPoint(0, eighths),
                  Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(target, &e);
}

// The rows the file holds, read back by the program's own reader.
BranchTable SavedRows(const QString &path)
{
    const LoadResult r = ParseTemplate(test::ReadAll(path));
    return r.status == LoadStatus::Accepted ? r.data.table : BranchTable{};
}

bool Near(long double a, long double b, long double tolerance)
{
    return std::fabs(a - b) <= tolerance;
}

std::vector<TSegLine> Segments(const Tseglines &s)
{
    return {s.data(), s.data() + s.Count()};
}

} // namespace

class TestPreciseEditing : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        log = DialogLog();
        w = MakeShownWindow(log);
        QVERIFY(w);
        QVERIFY(dir.isValid());
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        hooks.warn = [this](const QString &text) { log.warnings << text; };
        hooks.chooseSaveFile = [this](const QString &) { return dir.filePath("t.rm2"); };
        SetDialogHooks(*w, hooks);
        // The window as the user has it: active, the keys going to it.
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }
    void cleanup() { w.reset(); }

    void ctrlTTypeThirty()
    {
        QTest::keyClick(w.get(), Qt::Key_T, Qt::ControlModifier);
        BranchValuesWindow *v = w->branchValues();
        QVERIFY(v->isVisible());
        QTRY_VERIFY(v->isActiveWindow());
        QCOMPARE(v->grid()->currentRow(), 1);
        QCOMPARE(v->grid()->currentColumn(), int(BranchValuesWindow::ColAngle));
        Type("30");
        Key(Qt::Key_Return);
        const long double len = std::sqrt(0.5L);
        const TPointE exact{-len / 2.0L, len * std::sqrt(3.0L) / 2.0L};
        const BranchTable values = NormalizedCopy(w->table());
        QVERIFY(Near(AngleDegrees(values.Branches[1].V), 30.0L, 1e-15L));
        QVERIFY(Near(VectorLength(values.Branches[1].V), len, 1e-18L));
        QCOMPARE(v->grid()->item(1, BranchValuesWindow::ColAngle)->text(), QString("30"));
        QCOMPARE(w->undoStack()->count(), 1);
        // The editor shows it at once, drawn from the values.
        QCOMPARE(w->table().Branches[1].screenEnd,
                 w->view().ModelToScreen({exact.x, 1.0L + exact.y}));

        w->activateWindow();
        QTRY_VERIFY(w->isActiveWindow() && !v->isActiveWindow());
        QTest::keyClick(w.get(), Qt::Key_S, Qt::ControlModifier);
        QTRY_VERIFY(QFileInfo::exists(dir.filePath("t.rm2")));
        const BranchTable saved = SavedRows(dir.filePath("t.rm2"));
        QCOMPARE(saved.BranchCount, 2);
        QVERIFY(Near(saved.Branches[1].V.x, exact.x, 1e-15L));
        QVERIFY(Near(saved.Branches[1].V.y, exact.y, 1e-15L));
        // One undo step puts it back.
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w->table().Branches[1].V == (TPointE{0.5L, 0.5L}));
        QCOMPARE(v->grid()->item(1, BranchValuesWindow::ColAngle)->text(), QString("-45"));
    }

    void expressionsIntoXAndY()
    {
        w->SBValuesClick();
        BranchValuesWindow *v = w->branchValues();
        QTRY_VERIFY(v->isActiveWindow());
        TypeInto(v, 2, BranchValuesWindow::ColX, "sqrt(2)/4");
        TypeInto(v, 2, BranchValuesWindow::ColY, "sqrt(2)/4");
        QCOMPARE(w->undoStack()->count(), 2);
        w->SBSaveClick();
        const QByteArray bytes = test::ReadAll(dir.filePath("t.rm2"));
        QVERIFY2(bytes.contains(" 1.00000000000000E+0000  3.53553390593274E-0001  "
                                "3.53553390593274E-0001 -1\r\n"),
                 bytes.constData());
        // A refused text changes nothing and says why.
        TypeInto(v, 2, BranchValuesWindow::ColY, "sqrt(-2)");
        QVERIFY(!v->message().isEmpty());
        Key(Qt::Key_Escape);
        QCOMPARE(w->undoStack()->count(), 2);
    }

    // A drag back to where it began, ended by pressing another button: the row has its exact
    // values again, and the values window shows them.
    void dragEndedByAnotherButton()
    {
        w->SBValuesClick();
        BranchValuesWindow *v = w->branchValues();
        PictureView *img = w->editorView();
        const QPoint end(w->table().Branches[1].screenEnd.x, w->table().Branches[1].screenEnd.y);
        const auto length = [v] { return v->grid()->item(1, BranchValuesWindow::ColLength)->text(); };
        QCOMPARE(length(), QString("0.707106781186548"));
        Move(img, end);
        Press(img, end);
        Move(img, end + QPoint(20, 15), Qt::LeftButton);
        Move(img, end, Qt::LeftButton);
        QVERIFY(length() != QString("0.707106781186548")); // taken from the pixels meanwhile
        Press(img, end, Qt::MiddleButton, Qt::NoModifier, Qt::LeftButton);
        QCOMPARE(length(), QString("0.707106781186548"));
        Release(img, end, Qt::MiddleButton, Qt::NoModifier, Qt::LeftButton);
        Release(img, end);
        QCOMPARE(w->undoStack()->count(), 0);
    }

    void shiftDragSnaps()
    {
        PictureView *img = w->editorView();
        // Branch 1's end point at the design size, and the mouse near 30 degrees and 0.6
        // trunk lengths (191 pixels) from its start at (318, 412).
        const QPoint end(w->table().Branches[1].screenEnd.x, w->table().Branches[1].screenEnd.y);
        Move(img, end);
        Press(img, end);
        Move(img, {270, 330}, Qt::LeftButton);
        SendMouse(img, QEvent::MouseMove, {262, 314}, Qt::NoButton, Qt::LeftButton,
                  Qt::ShiftModifier);
        Release(img, {262, 314}, Qt::LeftButton, Qt::ShiftModifier);
        QCOMPARE(w->undoStack()->count(), 1);
        w->SBSaveClick();
        const BranchTable saved = SavedRows(dir.filePath("t.rm2"));
        QVERIFY(Near(saved.Branches[1].V.x, -0.3L, 1e-15L));
        QVERIFY(Near(saved.Branches[1].V.y, 0.3L * std::sqrt(3.0L), 1e-15L));
        QVERIFY(saved.Branches[1].P.y == 1.0L);
    }

    void dragonCurveFromTheValuesWindow()
    {
        w->SBValuesClick();
        BranchValuesWindow *v = w->branchValues();
        QTRY_VERIFY(v->isActiveWindow());
        for (int row : {1, 2}) {
            // The kind list opened with F2; Up from "鏡像" is "正像".
            v->grid()->setCurrentCell(row, BranchValuesWindow::ColKind);
            Key(Qt::Key_F2);
            Key(Qt::Key_Up);
        }
        TypeInto(v, 1, BranchValuesWindow::ColPosition, "0.5");
        TypeInto(v, 1, BranchValuesWindow::ColAngle, "45");
        TypeInto(v, 1, BranchValuesWindow::ColLength, "sqrt(0.5)");
        TypeInto(v, 2, BranchValuesWindow::ColPosition, "2");
        TypeInto(v, 2, BranchValuesWindow::ColAngle, "135");
        TypeInto(v, 2, BranchValuesWindow::ColLength, "sqrt(2)/2");
        QCOMPARE(w->table().Branches[1].kind, kindOrder);
        QCOMPARE(w->table().Branches[2].kind, kindOrder);
        QTest::mouseClick(w->depthButton(12), Qt::LeftButton);
        const std::vector<TSegLine> typed = Segments(w->store());
        QVERIFY(typed.size() > 4000);

        w->LoadFromFile(QStringLiteral(RAMULET_EXAMPLES_DIR "/dragon-curve.rm2"));
        QTest::mouseClick(w->depthButton(12), Qt::LeftButton);
        const std::vector<TSegLine> example = Segments(w->store());
        QCOMPARE(example.size(), typed.size());
        for (size_t i = 0; i < typed.size(); ++i) {
            QVERIFY(Near(typed[i].startPt.x, example[i].startPt.x, 1e-12L));
            QVERIFY(Near(typed[i].startPt.y, example[i].startPt.y, 1e-12L));
            QVERIFY(Near(typed[i].endPt.x, example[i].endPt.x, 1e-12L));
            QVERIFY(Near(typed[i].endPt.y, example[i].endPt.y, 1e-12L));
        }
    }

    // The editor's keys act on the branch last hovered: nudges in hundredths of the trunk,
    // one step for a run of them; Delete; Escape during a drag.
    void editorKeys()
    {
        PictureView *img = w->editorView();
        const TBranch &b1 = w->table().Branches[1];
        const QPoint end(b1.screenEnd.x, b1.screenEnd.y);
        Move(img, end);
        Move(img, {20, 20});
        for (int i = 0; i < 3; ++i) {
            QTest::keyClick(w.get(), Qt::Key_Right);
        }
        QTest::keyClick(w.get(), Qt::Key_Up, Qt::ShiftModifier);
        QVERIFY(w->table().Branches[1].V.x == 0.53L);
        QVERIFY(w->table().Branches[1].V.y == 0.6L);
        QCOMPARE(w->undoStack()->count(), 1);
        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(w->table().Branches[1].V == (TPointE{0.5L, 0.5L}));

        // Escape during a drag: back where it began, no step.
        const QPoint start(w->table().Branches[1].screenEnd.x, w->table().Branches[1].screenEnd.y);
        Move(img, start);
        Press(img, start);
        Move(img, {100, 100}, Qt::LeftButton);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{100, 100}));
        QTest::keyClick(w.get(), Qt::Key_Escape);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{start.x(), start.y()}));
        QVERIFY(!w->mouseIsDown());
        Move(img, {120, 120}, Qt::LeftButton);
        Release(img, {120, 120});
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{start.x(), start.y()}));
        QCOMPARE(w->undoStack()->index(), 0);

        QTest::keyClick(w.get(), Qt::Key_Delete);
        QCOMPARE(w->table().BranchCount, 1);
        QVERIFY(w->table().Branches[1].V.x == -0.5L);
    }

    // The tree view: the wheel zooms about the mouse, a drag pans, Home resets; a click is
    // a click still; with the fit on, the wheel does nothing and says nothing.
    void navigation()
    {
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        PictureView *tree = w->treeView();
        const ViewState home = w->view();
        const TPointE under = home.ScreenToModel({100, 200});
        Wheel(tree, {100, 200}, 120);
        QVERIFY(Near(w->view().ViewScale, home.ViewScale * std::sqrt(2.0L), 1e-12L));
        const TPointE after = w->view().ScreenToModel({100, 200});
        QVERIFY(Near(after.x, under.x, 1e-15L) && Near(after.y, under.y, 1e-15L));
        Wheel(tree, {100, 200}, -60); // half a notch: nothing yet
        QVERIFY(Near(w->view().ViewScale, home.ViewScale * std::sqrt(2.0L), 1e-12L));

        const ViewState zoomed = w->view();
        Press(tree, {300, 300});
        Move(tree, {302, 303}, Qt::LeftButton);
        QCOMPARE(w->view().ViewOrigin, zoomed.ViewOrigin);
        Move(tree, {330, 280}, Qt::LeftButton);
        Release(tree, {340, 250});
        QCOMPARE(w->view().ViewOrigin,
                 (TPixel{zoomed.ViewOrigin.x + 30, zoomed.ViewOrigin.y - 20}));
        QVERIFY(w->view().ViewScale == zoomed.ViewScale);

        // A press and release within 4 pixels is the specified click.
        Press(tree, {200, 200});
        Move(tree, {203, 196}, Qt::LeftButton);
        Release(tree, {203, 196});
        QCOMPARE(w->view().ViewOrigin, (TPixel{203, 196}));

        QTest::keyClick(w.get(), Qt::Key_Home);
        QVERIFY(w->view().ViewScale == home.ViewScale);
        QCOMPARE(w->view().ViewOrigin, home.ViewOrigin);
        QVERIFY(w->view().ViewCenter == home.ViewCenter);

        // Middle double-click: the default view too.
        Wheel(tree, {50, 50}, 240);
        SendMouse(tree, QEvent::MouseButtonPress, {50, 50}, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(tree, QEvent::MouseButtonRelease, {50, 50}, Qt::MiddleButton, Qt::NoButton);
        SendMouse(tree, QEvent::MouseButtonDblClick, {50, 50}, Qt::MiddleButton, Qt::MiddleButton);
        SendMouse(tree, QEvent::MouseButtonRelease, {50, 50}, Qt::MiddleButton, Qt::NoButton);
        QVERIFY(w->view().ViewScale == home.ViewScale);
        QCOMPARE(w->view().ViewOrigin, home.ViewOrigin);

        w->findChild<QCheckBox *>("cboxWide")->click();
        Wheel(tree, {100, 200}, 120);
        QVERIFY(w->view().ViewScale == home.ViewScale);
        QVERIFY(log.warnings.isEmpty());
    }

private:
    DialogLog log;
    QTemporaryDir dir;
    std::unique_ptr<TMainform> w;
};

QTEST_MAIN(TestPreciseEditing)
#include "test_preciseediting.moc"
