// Undo and redo: the step snapshots on their own, then every kind of step in the real window,
// undone and redone through the buttons and the keys. Default template in the default
// 636 x 634 view: trunk (318,603) to (318,412); branch 1 ends at (413,317), branch 2 at
// (223,317).

#include "apptesthelpers.h"
#include "windowlook.h"

#include "app/swatch.h"
#include "app/undo.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QUndoStack>

#include <vector>

using namespace ramulet;
using namespace ramulet_test;

namespace {

const QPoint End1(413, 317);
const QPoint OnLine1(342, 388); // on branch 1's shaft, 24 pixels below its start
const QPoint Empty(100, 100);

// What a step brings back: the rows (their pixel points and exact values), the four settings,
// the list, the file name and the caption.
constexpr unsigned HistoryParts =
    look::RowKinds | look::RowPoints | look::RowValues | look::Colours | look::PenWidth |
    look::PenIndex | look::Names;

TemplateState StateWithDefaultRows()
{
    TemplateState s;
    ViewState v;
    v.SetViewSize(636, 634);
    v.ResetView();
    SetDefaultTemplate(s.table, v);
    s.viewSize = QSize(636, 634);
    s.fileName = std::make_shared<QString>(QStringLiteral("/data/tree.rm2"));
    return s;
}

// A template file with one ordered branch and its own settings (pen width 100: index 5).
const char *LoadedFile = "Ramulet 2.3\r\nCount of Data\r\n1\r\nData\r\n"
                         " 0 0 0 1 0\r\n"
                         " 0 0.5 0.25 0.5 1\r\n"
                         "255\r\n65280\r\n16711680\r\n100\r\n";

enum Step { DragPoint, Slide, KindOrder, KindSegment, Add, Delete, TipColour, TrunkColour,
            BackColour, PenWidth, Reset, Load };

} // namespace

class TestHistory : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;
    QTemporaryDir dir;

    PictureView *editor() { return w->editorView(); }
    QUndoStack *stack() { return w->undoStack(); }
    QToolButton *button(const char *name) { return w->findChild<QToolButton *>(name); }
    QComboBox *penList() { return w->findChild<QComboBox *>("cboxPenWidth"); }
    QAction *menuItem(const char *name) { return w->findChild<QAction *>(name); }

    void activate()
    {
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
    }

    QString writeFile(const QString &name, const QByteArray &bytes)
    {
        const QString path = dir.filePath(name);
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
            return QString();
        }
        return path;
    }

    // Makes one step of kind `step` through the window's controls.
    void perform(Step step)
    {
        switch (step) {
        case DragPoint:
            Drag(editor(), End1, {{420, 310}, {450, 280}, {470, 300}});
            break;
        case Slide:
            Drag(editor(), OnLine1, {{342, 420}, {342, 460}});
            break;
        case KindOrder:
        case KindSegment:
            Move(editor(), OnLine1);
            QCOMPARE(w->editor().LineIndex, 1);
            menuItem(step == KindOrder ? "mnorder" : "mnsegment")->trigger();
            break;
        case Add:
            QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
            break;
        case Delete:
            Move(editor(), OnLine1);
            menuItem("MnDelete")->trigger();
            break;
        case TipColour:
        case TrunkColour:
        case BackColour: {
            log.colorAnswer = QColor(12, 34, 56);
            const char *name = step == TipColour ? "ShapeP" : step == TrunkColour ? "Shape1"
                                                                                  : "shapeB";
            // The background swatch lies under the two others: click its free corner.
            QTest::mouseClick(w->findChild<ColorSwatch *>(name), Qt::LeftButton, Qt::NoModifier,
                              QPoint(2, 2));
            break;
        }
        case PenWidth:
            activate();
            penList()->setFocus();
            QTRY_VERIFY(penList()->hasFocus());
            QTest::keyClick(penList(), Qt::Key_Down);
            break;
        case Reset:
            log.answerYes = true;
            QTest::mouseClick(button("SBInit"), Qt::LeftButton);
            break;
        case Load: {
            const QString path = writeFile(QStringLiteral("one.rm2"), LoadedFile);
            QVERIFY(!path.isEmpty());
            w->LoadFromFile(path);
            break;
        }
        }
    }

private slots:
    void initTestCase() { QVERIFY(dir.isValid()); }

    void init()
    {
        log = DialogLog();
        w = MakeDesignSizeWindow(log);
        QVERIFY(w);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QCOMPARE(stack()->count(), 0);
    }

    void cleanup() { w.reset(); }

    // --- The snapshots on their own ------------------------------------------------------

    void statesDiffer_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<bool>("withFile");
        QTest::addColumn<bool>("differ");
        // 0 nothing, 1 a pixel point, 2 a model value, 3 a kind, 4 the count, 5 a colour,
        // 6 the list, 7 the stored pen width, 8 the file name, 9 a row above the count.
        QTest::addRow("nothing") << 0 << true << false;
        QTest::addRow("pixel point") << 1 << false << true;
        QTest::addRow("model value") << 2 << false << true;
        QTest::addRow("kind") << 3 << false << true;
        QTest::addRow("count") << 4 << false << true;
        QTest::addRow("colour") << 5 << false << true;
        QTest::addRow("pen-width list") << 6 << false << true;
        QTest::addRow("stored pen width alone") << 7 << true << false;
        QTest::addRow("file name, file step") << 8 << true << true;
        QTest::addRow("file name, other step") << 8 << false << false;
        QTest::addRow("row above the count") << 9 << true << false;
    }
    void statesDiffer()
    {
        QFETCH(int, change);
        QFETCH(bool, withFile);
        QFETCH(bool, differ);
        const TemplateState a = StateWithDefaultRows();
        TemplateState b = a;
        switch (change) {
        case 1: b.table.Branches[2].screenEnd.x += 1; break;
        case 2: b.table.Branches[1].V.y += 1e-18L; break;
        case 3: b.table.Branches[1].kind = kindOrder; break;
        case 4: b.table.BranchCount = 1; break;
        case 5: b.settings.TipColor ^= 1; break;
        case 6: b.penIndex = 3; break;
        case 7: b.settings.PenWidthSetting = 30; break;
        case 8: b.fileName = std::make_shared<QString>(QStringLiteral("/data/other.rm2")); break;
        case 9: b.table.Branches[5].kind = kindOrder; b.table.Branches[5].screenEnd = {1, 2}; break;
        default: break;
        }
        QCOMPARE(StatesDiffer(a, b, withFile), differ);
        QCOMPARE(StatesDiffer(b, a, withFile), differ);
    }

    void commandRestoresOnlyOnUndoAndLaterRedos()
    {
        std::vector<QString> restored;
        TemplateState before = StateWithDefaultRows();
        TemplateState after = before;
        before.fileName = std::make_shared<QString>(QStringLiteral("before"));
        after.fileName = std::make_shared<QString>(QStringLiteral("after"));
        QUndoStack s;
        s.push(new TemplateStepCommand(QStringLiteral("step"), before, after, true,
                                       [&](const TemplateState &st, bool withFile) {
                                           QVERIFY(withFile);
                                           restored.push_back(*st.fileName);
                                       }));
        QVERIFY(restored.empty()); // pushed after the edit: the first redo does nothing
        s.undo();
        s.redo();
        s.undo();
        QCOMPARE(restored, (std::vector<QString>{"before", "after", "before"}));
    }

    // --- Every step in the window ------------------------------------------------------

    void eachStepUndoesAndRedoes_data()
    {
        QTest::addColumn<int>("step");
        QTest::addColumn<bool>("fileStep");
        QTest::addRow("end-point drag") << int(DragPoint) << false;
        QTest::addRow("slide") << int(Slide) << false;
        QTest::addRow("kind to ordered") << int(KindOrder) << false;
        QTest::addRow("kind to segment") << int(KindSegment) << false;
        QTest::addRow("add") << int(Add) << false;
        QTest::addRow("delete") << int(Delete) << false;
        QTest::addRow("tip colour") << int(TipColour) << false;
        QTest::addRow("trunk colour") << int(TrunkColour) << false;
        QTest::addRow("background colour") << int(BackColour) << false;
        QTest::addRow("pen width") << int(PenWidth) << false;
        QTest::addRow("reset") << int(Reset) << true;
        QTest::addRow("load") << int(Load) << true;
    }
    void eachStepUndoesAndRedoes()
    {
        QFETCH(int, step);
        QFETCH(bool, fileStep);
        if (fileStep) {
            // Something for the file step to take away: another file, colours, list index
            // and a moved branch, none of them a step of its own.
            w->SetCurrentFile(dir.filePath(QStringLiteral("earlier.rm2")));
            w->ApplySettings({0x123456, 0x00FF00, 0x0000FF, 160});
            w->table().Branches[2].screenEnd = {250, 300};
            w->table().Branches[2].moved = true;
            w->DrawEditor();
        }
        const WindowLook before = LookAt(*w);
        perform(Step(step));
        const WindowLook after = LookAt(*w);
        QVERIFY2(!Difference(before, after, HistoryParts).isEmpty(), "the step changed nothing");
        QCOMPARE(stack()->count(), 1);
        if (fileStep) {
            QVERIFY(after.fileName != before.fileName);
            QVERIFY(after.caption != before.caption);
        }

        QVERIFY(button("SBUndo")->isEnabled());
        QVERIFY(!button("SBRedo")->isEnabled());
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), before, HistoryParts);
        QVERIFY(!button("SBUndo")->isEnabled());
        QVERIFY(button("SBRedo")->isEnabled());

        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), after, HistoryParts);

        // And once more, so that a step can go back and forth any number of times.
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), before, HistoryParts);
        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), after, HistoryParts);
        QCOMPARE(stack()->count(), 1);
    }

    // Undo and redo around what is no step of its own (a growth, a resize, a save) give back
    // what the window showed.
    void undoAndRedoAroundWhatIsNoStep_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addRow("a growth set P.x to 0") << "growth";
        QTest::addRow("a resize took a drag into the model") << "resize";
        QTest::addRow("a save under another name") << "save";
    }
    void undoAndRedoAroundWhatIsNoStep()
    {
        QFETCH(QString, what);
        if (what == "growth") {
            // Branch 1 starts beside the trunk; the growth sets its P.x to 0, and an undo of
            // a later step leaves it where the editor shows it.
            const QString path = writeFile(QStringLiteral("beside.rm2"),
                                           "Ramulet 2.3\r\nCount of Data\r\n1\r\nData\r\n"
                                           " 0 0 0 1 0\r\n 0.25 0.5 0.25 0.5 1\r\n");
            w->LoadFromFile(path);
            QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
            QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
            const TBranch shown = w->table().Branches[1];
            perform(Add);
            QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
            QCOMPARE(w->table().Branches[1].screenStart, shown.screenStart);
            QCOMPARE(w->table().Branches[1].screenEnd, shown.screenEnd);
            QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        } else if (what == "resize") {
            perform(DragPoint);
            w->resize(w->WindowSizeFor({DesignClientWidth + 318, DesignClientHeight + 317}));
            QTRY_COMPARE(editor()->size(), QSize(954, 951));
        } else {
            perform(Load);
            DialogHooks hooks;
            hooks.chooseSaveFile = [this](const QString &) { return dir.filePath("other.rm2"); };
            SetDialogHooks(*w, hooks);
            QTest::mouseClick(button("SBSave"), Qt::LeftButton);
            QCOMPARE(w->fileName(), dir.filePath("other.rm2"));
        }
        const WindowLook before = LookAt(*w);
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), before, HistoryParts);
    }

    void undoRepaintsTheEditor()
    {
        perform(DragPoint);
        const QImage dragged = editor()->image().copy();
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        // The arrow's end is back at (413, 317): its red-free drawing differs from the
        // dragged picture there.
        QVERIFY(editor()->image() != dragged);
        QVERIFY(editor()->image().pixelColor(End1) != QColor(0xE0, 0xFF, 0xF8));
        QVERIFY(!w->editor().HighlightShown);
    }

    void dragOfFiftyMovesIsOneStep()
    {
        Move(editor(), End1);
        Press(editor(), End1);
        for (int i = 1; i <= 50; ++i) {
            Move(editor(), End1 + QPoint(i, -i), Qt::LeftButton);
        }
        QCOMPARE(stack()->count(), 0); // not before the release
        Release(editor(), End1 + QPoint(50, -50));
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{463, 267}));
        QCOMPARE(stack()->count(), 1);
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QVERIFY(!stack()->canUndo());
    }

    void noChangeIsNoStep_data()
    {
        QTest::addColumn<QString>("what");
        QTest::addRow("click on an end point") << "click point";
        QTest::addRow("drag there and back") << "there and back";
        QTest::addRow("press on nothing and move") << "press nothing";
        QTest::addRow("slide sideways") << "slide sideways";
        QTest::addRow("same kind") << "same kind";
        QTest::addRow("colour dialog cancelled") << "colour cancelled";
        QTest::addRow("same colour chosen") << "same colour";
        QTest::addRow("add at 20 branches") << "add at 20";
        QTest::addRow("reset answered No") << "reset no";
    }
    void noChangeIsNoStep()
    {
        QFETCH(QString, what);
        if (what == "add at 20") {
            for (int i = 0; i < 18; ++i) {
                QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
            }
            QCOMPARE(w->table().BranchCount, 20);
            stack()->clear();
        }
        const WindowLook before = LookAt(*w);
        if (what == "click point") {
            Move(editor(), End1);
            Press(editor(), End1);
            Release(editor(), End1);
        } else if (what == "there and back") {
            Drag(editor(), End1, {{450, 300}, {500, 200}, End1});
        } else if (what == "press nothing") {
            Drag(editor(), Empty, {{End1}, {450, 300}});
        } else if (what == "slide sideways") {
            Drag(editor(), OnLine1, {{400, 388}, {500, 388}});
        } else if (what == "same kind") {
            Move(editor(), OnLine1);
            menuItem("mnreverse")->trigger(); // the default branches are mirrored already
        } else if (what == "colour cancelled") {
            log.colorAnswer.reset();
            QTest::mouseClick(w->findChild<ColorSwatch *>("ShapeP"), Qt::LeftButton);
            QCOMPARE(log.colorRequests, 1);
        } else if (what == "same colour") {
            log.colorAnswer = ToQColor(w->settings().TrunkColor);
            QTest::mouseClick(w->findChild<ColorSwatch *>("Shape1"), Qt::LeftButton);
            QCOMPARE(log.colorRequests, 1);
        } else if (what == "add at 20") {
            QTest::mouseClick(button("sbAdd"), Qt::LeftButton);
        } else if (what == "reset no") {
            log.answerYes = false;
            QTest::mouseClick(button("SBInit"), Qt::LeftButton);
            QCOMPARE(log.questions.size(), 1);
        }
        COMPARE_LOOK(LookAt(*w), before, HistoryParts);
        QCOMPARE(stack()->count(), 0);
        QVERIFY(!button("SBUndo")->isEnabled());
    }

    void cancelledColourAfterALoadIsNoStep()
    {
        // A loaded pen width of 30 is kept until the next render, which makes it 20: that
        // render alone is no edit of the user's.
        const QString path = writeFile(
            QStringLiteral("thirty.rm2"),
            "Ramulet 2.3\r\nCount of Data\r\n0\r\nData\r\n 0 0 0 1 0\r\n255\r\n255\r\n255\r\n30\r\n");
        w->LoadFromFile(path);
        QCOMPARE(w->settings().PenWidthSetting, 30);
        QCOMPARE(stack()->count(), 1);
        log.colorAnswer.reset();
        QTest::mouseClick(w->findChild<ColorSwatch *>("ShapeP"), Qt::LeftButton);
        QCOMPARE(w->settings().PenWidthSetting, 20);
        QCOMPARE(stack()->count(), 1);
        // Undoing the load and redoing it brings the file's own 30 back.
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QCOMPARE(w->settings().PenWidthSetting, 40);
        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        QCOMPARE(w->settings().PenWidthSetting, 30);
        QCOMPARE(penList()->currentIndex(), 1);
    }

    void historyStartsWithTheFileOfTheCommandLine()
    {
        const QString path = writeFile(QStringLiteral("start.rm2"), LoadedFile);
        w.reset(); // one window at a time: they share the program's template
        TMainform opened(QStringList{path});
        QCOMPARE(opened.table().BranchCount, 1);
        QCOMPARE(opened.settings().PenWidthSetting, 100);
        QCOMPARE(opened.undoStack()->count(), 0);
        QVERIFY(!opened.findChild<QToolButton *>("SBUndo")->isEnabled());
    }

    void refusedOrUnreadableLoadIsNoStep()
    {
        const QString newer = writeFile(QStringLiteral("newer.rm2"), "Ramulet 2.4\r\n");
        w->LoadFromFile(newer);
        w->LoadFromFile(dir.filePath(QStringLiteral("missing.rm2")));
        QCOMPARE(log.warnings.size(), 2);
        QCOMPARE(stack()->count(), 0);
    }

    void newEditDropsTheRedoBranch()
    {
        perform(DragPoint);
        const WindowLook afterDrag = LookAt(*w);
        perform(Add);
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QVERIFY(stack()->canRedo());
        perform(TipColour);
        QVERIFY(!stack()->canRedo());
        QVERIFY(!button("SBRedo")->isEnabled());
        QCOMPARE(stack()->count(), 2);
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        COMPARE_LOOK(LookAt(*w), afterDrag, HistoryParts);
        QCOMPARE(w->table().BranchCount, 2); // the add is gone for good
    }

    void undoInViewModeRegrows()
    {
        // The tree at depth 3 from the default template.
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        const int32_t grownBefore = w->store().lastIndex;
        const TSegLine tipBefore = w->store().line(grownBefore);
        // Back to the editor, add a branch, then view again: a bigger tree.
        QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
        perform(Add);
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        QVERIFY(w->store().lastIndex > grownBefore);
        const auto picture = w->treePicture();

        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QVERIFY(!w->editMode());
        QCOMPARE(w->store().lastIndex, grownBefore);
        QVERIFY(w->store().line(grownBefore).endPt == tipBefore.endPt);
        QVERIFY(w->treePicture() != picture);

        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        QVERIFY(w->store().lastIndex > grownBefore);
    }

    void colourUndoInEditModeRendersThePicture()
    {
        perform(TipColour);
        const auto picture = w->treePicture();
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        // Copy and export take the picture: it follows the swatches at once.
        QVERIFY(w->treePicture() != picture);
        QCOMPARE(w->colorRamp()[0] & 0xFFFFFFu, DrawSettings().TipColor);
    }

    void undoInViewModeKeepsTheEditorInTheDefaultView()
    {
        perform(Add);
        QTest::mouseClick(w->depthButton(3), Qt::LeftButton);
        const long double start = w->view().ViewScale;
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(300, 300));
        QVERIFY(w->view().ViewScale > start * 1.9L);
        // The hidden editor is repainted by the undo while the tree stays zoomed.
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QVERIFY(w->view().ViewScale > start * 1.9L);
        QCOMPARE(w->table().BranchCount, 2);
        QTest::mouseClick(button("SBEdit"), Qt::LeftButton);
        const QImage shown = editor()->image().copy();
        w->DrawEditor();
        QCOMPARE(shown, editor()->image());
        // The trunk is where the default view puts it.
        QCOMPARE(shown.pixelColor(318, 500), QColor(0xA0, 0x00, 0x00));
    }

    void undoClearsTheHoverState()
    {
        perform(KindOrder);
        QCOMPARE(w->editor().LineIndex, 1);
        QVERIFY(w->editor().popupAttached());
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QCOMPARE(w->editor().LineIndex, -1);
        QCOMPARE(w->editor().PointIndex, -1);
        QVERIFY(!w->editor().popupAttached());
        QCOMPARE(editor()->cursor().shape(), Qt::ArrowCursor);
    }

    void undoWaitsForTheEndOfADrag()
    {
        perform(Add); // something to undo
        Move(editor(), End1);
        Press(editor(), End1);
        Move(editor(), {450, 280}, Qt::LeftButton);
        w->UndoClick();
        QCOMPARE(w->table().BranchCount, 3);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{450, 280}));
        Release(editor(), {450, 280});
        QCOMPARE(stack()->count(), 2);
        w->UndoClick();
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QCOMPARE(w->table().BranchCount, 3);
    }

    void rightPressEndsTheDragStep()
    {
        Move(editor(), End1);
        Press(editor(), End1);
        Move(editor(), {430, 300}, Qt::LeftButton);
        Press(editor(), {430, 300}, Qt::RightButton, Qt::NoModifier, Qt::LeftButton);
        QCOMPARE(stack()->count(), 1);
        // Moves after the drag ended change nothing and make no step.
        Move(editor(), {500, 200}, Qt::LeftButton | Qt::RightButton);
        Release(editor(), {500, 200}, Qt::RightButton, Qt::NoModifier, Qt::LeftButton);
        Release(editor(), {500, 200});
        QCOMPARE(stack()->count(), 1);
    }

    void undoAfterAResizeKeepsTheBranchInPlace()
    {
        perform(DragPoint);
        const TPointE dragged = {w->table().Branches[1].screenEnd.x - 318.0L,
                                 317.0L - w->table().Branches[1].screenEnd.y};
        // The drag survives the resize (it is taken into the model first), at the new scale.
        w->resize(w->WindowSizeFor({DesignClientWidth + 318, DesignClientHeight + 317}));
        QTRY_COMPARE(editor()->size(), QSize(954, 951));
        const TPixel end = w->table().Branches[1].screenEnd;
        QVERIFY(std::fabs(end.x - 477 - dragged.x * 1.5L) <= 1.0L);
        QVERIFY(std::fabs(475 - end.y - dragged.y * 1.5L) <= 1.0L);
        // The step's rows come back for the new size: the untouched ones exactly.
        BranchTable fresh;
        SetDefaultTemplate(fresh, w->view());
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        for (int32_t i = 0; i <= 2; ++i) {
            QCOMPARE(w->table().Branches[static_cast<size_t>(i)].screenStart,
                     fresh.Branches[static_cast<size_t>(i)].screenStart);
            QCOMPARE(w->table().Branches[static_cast<size_t>(i)].screenEnd,
                     fresh.Branches[static_cast<size_t>(i)].screenEnd);
        }
    }

    // A step made while the views have no area keeps the frame of the pixel points (the last
    // real size), so an undo at another size still puts the trunk where the view shows it.
    void undoOfAStepMadeWithoutArea()
    {
        w->resize(w->WindowSizeFor({100, DesignClientHeight}));
        QTRY_VERIFY(!w->view().HasArea());
        perform(TipColour);
        QCOMPARE(stack()->count(), 1);
        w->resize(w->WindowSizeFor({DesignClientWidth + 318, DesignClientHeight + 317}));
        QTRY_COMPARE(editor()->size(), QSize(954, 951));
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        BranchTable fresh;
        SetDefaultTemplate(fresh, w->view());
        const TBranch &trunk = w->table().Branches[0];
        QCOMPARE(trunk.screenStart, fresh.Branches[0].screenStart);
        QCOMPARE(trunk.screenEnd, fresh.Branches[0].screenEnd);
    }

    // Undoing a delete while the tree shows a depth that the restored template cannot have
    // returns to the editor instead of growing a tree cut off by the full store.
    void undoBeyondTheOfferedDepthReturnsToTheEditor()
    {
        perform(Add);
        perform(Delete);
        QCOMPARE(w->table().BranchCount, 2);
        QTest::mouseClick(w->depthButton(16), Qt::LeftButton);
        QVERIFY(!w->editMode());
        QCOMPARE(w->store().Count(), 131071);
        QTest::mouseClick(button("SBUndo"), Qt::LeftButton);
        QCOMPARE(w->table().BranchCount, 3);
        QVERIFY(w->editMode());
        QVERIFY(editor()->isVisible());
        QVERIFY(!w->treeView()->isVisible());
        QVERIFY(!w->depthButton(16)->isEnabled());
        QVERIFY(!w->depthButton(16)->isChecked());
        QVERIFY(!w->store().Full());
        // A redo at a depth that fits regrows in place.
        QTest::mouseClick(w->depthButton(5), Qt::LeftButton);
        QTest::mouseClick(button("SBRedo"), Qt::LeftButton);
        QVERIFY(!w->editMode());
        QCOMPARE(w->table().BranchCount, 2);
        QCOMPARE(w->store().Count(), 63);
    }

    // A resize while the colour dialog is open, then a cancel: no step.
    void cancelledColourDialogMakesNoStep()
    {
        DialogHooks hooks;
        hooks.chooseColor = [this](const QColor &) -> std::optional<QColor> {
            w->resize(w->WindowSizeFor({DesignClientWidth + 100, DesignClientHeight + 50}));
            for (int i = 0; i < 500 && editor()->size() != QSize(736, 684); ++i) {
                QTest::qWait(10);
            }
            return std::nullopt;
        };
        SetDialogHooks(*w, hooks);
        QTest::mouseClick(w->findChild<ColorSwatch *>("ShapeP"), Qt::LeftButton);
        QCOMPARE(editor()->size(), QSize(736, 684));
        QCOMPARE(stack()->count(), 0);
    }
};

QTEST_MAIN(TestHistory)
#include "test_history.moc"
