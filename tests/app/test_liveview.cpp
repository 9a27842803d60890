// The live tree in the real window: Ctrl+L shows the tree of the current depth under the
// editor's arrows, it follows every drag step and command, moves that come while a step is
// drawn join it, the tree view then draws the same pixels, and unchecked the editor is the
// classic one. Default template in the 636 x 634 view: branch 1 ends at (413, 317).

#include "apptesthelpers.h"

#include "editor/editordraw.h"
#include "editor/livetree.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QPainter>
#include <QUndoStack>

using namespace ramulet;
using namespace ramulet_test;

namespace {

const QPoint End1(413, 317);
const QPoint OnLine1(342, 388);

} // namespace

class TestLiveView : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;

    PictureView *editor() { return w->editorView(); }
    QCheckBox *preview() { return w->findChild<QCheckBox *>("cboxPreview"); }
    QComboBox *penList() { return w->findChild<QComboBox *>("cboxPenWidth"); }
    void settle() { QCoreApplication::processEvents(); }
    void ctrlL()
    {
        QTest::keyClick(w.get(), Qt::Key_L, Qt::ControlModifier);
        settle();
    }
    void click(const char *button)
    {
        QTest::mouseClick(w->findChild<QToolButton *>(button), Qt::LeftButton);
        settle();
    }

    // The editor as it should look now: painted from the window's state, with a live tree
    // of its own when `live`, and the hover mark of a point or a branch.
    QImage Expected(bool live, HighlightKind mark = HighlightKind::None, int32_t row = -1)
    {
        ViewState v = w->view();
        v.ResetView();
        QImage img(editor()->image().size(), QImage::Format_RGB32);
        LiveTree tree;
        DrawSettings s = w->settings();
        s.PenWidthSetting = penList()->currentIndex() * 20;
        tree.Update(w->table(), LiveTree::ShownDepth(w->table(), w->depth()), v, s);
        QPainter p(&img);
        PaintEditor(p, img.size(), w->table(), v, w->palette().color(QPalette::WindowText),
                    live ? EditorUnderlay([&tree](QPainter &q) { tree.Draw(q); }) : EditorUnderlay());
        if (mark == HighlightKind::Point) {
            PaintHighlightPoint(p, w->table(), row);
        } else if (mark == HighlightKind::Branch) {
            PaintHighlightBranch(p, w->table(), row);
        }
        return img;
    }

    // The editor's background and grid alone.
    QImage Ground()
    {
        ViewState v = w->view();
        v.ResetView();
        BranchTable offView;
        offView.Branches[0].screenStart = {-100, -100};
        offView.Branches[0].screenEnd = {-100, -90};
        QImage img(editor()->image().size(), QImage::Format_RGB32);
        QPainter p(&img);
        PaintEditor(p, img.size(), offView, v, Qt::black);
        return img;
    }

private slots:
    void init()
    {
        log = DialogLog();
        w = MakeDesignSizeWindow(log);
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QVERIFY(preview());
    }

    void cleanup() { w.reset(); }

    void theBoxAndItsPlace()
    {
        QVERIFY(!preview()->isChecked());
        QCOMPARE(preview()->parentWidget()->objectName(), QStringLiteral("Panel4"));
        QCOMPARE(preview()->pos(), QPoint(10, 33));
        QCOMPARE(preview()->text(), QStringLiteral("プレビュー"));
        QCOMPARE(preview()->font(), w->findChild<QCheckBox *>("cboxWide")->font());
        QCOMPARE(preview()->statusTip(), QStringLiteral("編集画面に木を重ねて表示 (Ctrl+L)"));
    }

    void followsTheDragAndMatchesTheTreeView()
    {
        QTest::mouseClick(w->depthButton(10), Qt::LeftButton);
        click("SBEdit");
        const QImage classic = editor()->image().copy();
        QCOMPARE(classic, Expected(false));
        ctrlL();
        QVERIFY(preview()->isChecked());
        QCOMPARE(w->liveTree().shownDepth(), 10);
        QCOMPARE(editor()->image(), Expected(true));
        // The depth-3 segment from (0.5, 2) to (0.75, 2.25) is drawn through its middle.
        const TPixel mid = w->view().ModelToScreen({0.625L, 2.125L});
        const QColor c = editor()->image().pixelColor(mid.x, mid.y);
        QVERIFY(c != ColorFromBGR(EditorBackColor) && c != ColorFromBGR(EditorGridColor));
        QVERIFY(c != classic.pixelColor(mid.x, mid.y));

        // Every step of the drag shows the tree of that step.
        Move(editor(), End1);
        settle();
        Press(editor(), End1);
        QImage before = editor()->image().copy();
        for (const QPoint p : {QPoint(420, 310), QPoint(431, 302), QPoint(447, 291)}) {
            Move(editor(), p, Qt::LeftButton);
            settle();
            QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{p.x(), p.y()}));
            QCOMPARE(editor()->image(), Expected(true, HighlightKind::Point, 1));
            QVERIFY(editor()->image() != before);
            before = editor()->image().copy();
        }
        Release(editor(), QPoint(447, 291));
        settle();

        // Away from the arrows, circles and labels, the editor's tree covers the pixels the
        // tree view draws at that depth, and only those.
        const QImage live = editor()->image().copy();
        const QImage items = Expected(false, HighlightKind::Point, 1);
        const QImage ground = Ground();
        QTest::mouseClick(w->depthButton(10), Qt::LeftButton);
        const QImage &tree = w->treeView()->image();
        const QColor back = ToQColor(w->settings().BackColor);
        // The end-point circles are filled with the background colour.
        auto inCircle = [this](int x, int y) {
            for (int32_t i = 1; i <= w->table().BranchCount; ++i) {
                const TPixel e = w->table().Branches[static_cast<size_t>(i)].screenEnd;
                if (std::abs(x - e.x) <= EndCircleRadius + 1 && std::abs(y - e.y) <= EndCircleRadius + 1) {
                    return true;
                }
            }
            return false;
        };
        int drawn = 0;
        for (int y = 0; y < 634; ++y) {
            for (int x = 0; x < 636; ++x) {
                if (items.pixel(x, y) != ground.pixel(x, y) || inCircle(x, y)) {
                    continue;
                }
                const bool inTree = tree.pixelColor(x, y) != back;
                QVERIFY2(inTree == (live.pixel(x, y) != ground.pixel(x, y)),
                         qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                drawn += inTree;
            }
        }
        QVERIFY(drawn > 5000);

        // Off again: exactly the classic editor, and the drag is the only step in the history.
        click("SBEdit");
        ctrlL();
        QVERIFY(!preview()->isChecked());
        QCOMPARE(editor()->image(), Expected(false));
        QCOMPARE(w->undoStack()->count(), 1);
    }

    // Checked and unchecked again, the editor is pixel for pixel what it was, and nothing but
    // the editor changed: not the template, the store, the tree picture or the history.
    void uncheckedIsTheClassicEditor()
    {
        const QImage start = editor()->image().copy();
        QCOMPARE(start, Expected(false));
        const auto picture = w->treePicture();
        const int32_t count = w->store().lastIndex;
        const TBranch row1 = w->table().Branches[1];
        preview()->click();
        QVERIFY(editor()->image() != start);
        preview()->click();
        QCOMPARE(editor()->image(), start);
        QCOMPARE(w->treePicture(), picture);
        QCOMPARE(w->store().lastIndex, count);
        QVERIFY(w->table().Branches[1].V == row1.V && w->table().Branches[1].P == row1.P &&
                w->table().Branches[1].ratio == row1.ratio);
        QCOMPARE(w->undoStack()->count(), 0);
        // Unchecked, a drag step repaints at once, before the event loop turns.
        Move(editor(), End1);
        Press(editor(), End1);
        Move(editor(), QPoint(430, 300), Qt::LeftButton);
        QCOMPARE(editor()->image(), Expected(false, HighlightKind::Point, 1));
        Release(editor(), QPoint(430, 300));
    }

    // Moves that arrive while a step is drawn are applied at once and drawn together: one
    // growth for all of them, showing the last.
    void movesThatComeWhileDrawingJoin()
    {
        QTest::mouseClick(w->depthButton(12), Qt::LeftButton);
        click("SBEdit");
        ctrlL();
        Move(editor(), End1);
        settle();
        Press(editor(), End1);
        const int64_t growths = w->liveTree().growths();
        for (int k = 1; k <= 5; ++k) {
            Move(editor(), End1 + QPoint(4 * k, -3 * k), Qt::LeftButton);
        }
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{433, 302}));
        QCOMPARE(w->liveTree().growths(), growths);
        settle();
        QCOMPARE(w->liveTree().growths(), growths + 1);
        QCOMPARE(editor()->image(), Expected(true, HighlightKind::Point, 1));
        // A move onto empty space erases the mark, also before the step was drawn; the tree
        // itself is not grown again for a hover.
        Release(editor(), End1 + QPoint(20, -15));
        Move(editor(), QPoint(60, 60));
        settle();
        QCOMPARE(editor()->image(), Expected(true));
        QCOMPARE(w->liveTree().growths(), growths + 1);
    }

    void followsEveryCommand_data()
    {
        QTest::addColumn<QString>("command");
        for (const char *c : {"add", "delete", "kind", "undo", "redo", "reset", "load",
                              "pen width", "colour"}) {
            QTest::addRow("%s", c) << QString::fromLatin1(c);
        }
    }
    void followsEveryCommand()
    {
        QFETCH(QString, command);
        QTest::mouseClick(w->depthButton(9), Qt::LeftButton);
        click("SBEdit");
        ctrlL();
        if (command == "undo" || command == "redo") {
            click("sbAdd");
            if (command == "redo") {
                w->UndoClick();
                settle();
            }
        }
        const int64_t growths = w->liveTree().growths();
        if (command == "add") {
            click("sbAdd");
        } else if (command == "delete") {
            Move(editor(), OnLine1);
            settle();
            w->MnDeleteClick();
        } else if (command == "kind") {
            Move(editor(), OnLine1);
            settle();
            w->findChild<QAction *>("mnorder")->trigger();
        } else if (command == "undo") {
            w->UndoClick();
        } else if (command == "redo") {
            w->RedoClick();
        } else if (command == "reset") {
            click("sbAdd");
            log.answerYes = true;
            w->SBInitClick();
        } else if (command == "load") {
            w->LoadFromFile(QStringLiteral(RAMULET_TEST_DATA "/templates/hand-edited.rm2"));
        } else if (command == "pen width") {
            penList()->setCurrentIndex(6);
            w->cboxPenWidthChange();
        } else if (command == "colour") {
            log.colorAnswer = QColor(30, 60, 200);
            w->Shape1MouseUp();
        }
        settle();
        QVERIFY(w->liveTree().growths() > growths);
        QCOMPARE(editor()->image(), Expected(true));
    }
};

QTEST_MAIN(TestLiveView)
#include "test_liveview.moc"
