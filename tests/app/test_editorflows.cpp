// The editor in the real window: hover, drags, the kind menu, add, delete, reset and a whole
// edit-and-grow flow. Default template in the default 636 x 634 view: trunk (318,603) to
// (318,412); branch 1 ends at (413,317), branch 2 at (223,317).

#include "apptesthelpers.h"

#include <QContextMenuEvent>
#include <QMenu>
#include <QTimer>
#include <QUndoStack>

#include <cmath>
#include <cstdlib>

using namespace ramulet;
using namespace ramulet_test;

namespace {

const QPoint End1(413, 317);
const QPoint End2(223, 317);
const QPoint OnLine1(342, 388); // a quarter of the way up branch 1's shaft
const QPoint Empty(100, 100);
const QPoint OnTrunk(318, 500);

bool Near(long double a, long double b, long double eps = 1e-12L) { return std::fabs(a - b) <= eps; }

} // namespace

class TestEditorFlows : public QObject {
    Q_OBJECT

    DialogLog log;
    std::unique_ptr<TMainform> w;

    PictureView *editor() { return w->editorView(); }

    // A right-click on the editor as the platform delivers it: the press, then the context
    // menu request. `onMenu` runs while the menu is open (it must close it); returns whether
    // a menu opened.
    bool RightClick(QPoint pos, const std::function<void(QMenu *)> &onMenu)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
                opened = true;
                onMenu(menu);
                menu->close();
            }
        });
        Press(editor(), pos, Qt::RightButton);
        QContextMenuEvent e(QContextMenuEvent::Mouse, pos, editor()->mapToGlobal(pos));
        QApplication::sendEvent(editor(), &e);
        Release(editor(), pos, Qt::RightButton);
        QCoreApplication::processEvents();
        return opened;
    }

    static QAction *Item(QMenu *menu, const char *name)
    {
        for (QAction *a : menu->actions()) {
            if (a->objectName() == QLatin1String(name)) {
                return a;
            }
        }
        return nullptr;
    }

private slots:
    void init()
    {
        log = DialogLog();
        w = MakeDesignSizeWindow(log);
        QVERIFY(w);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QCOMPARE(w->table().Branches[2].screenEnd, (TPixel{223, 317}));
    }

    void cleanup() { w.reset(); }

    void kindMenuGoesThroughThePopupHook()
    {
        QStringList checkedAtOpen;
        QPoint openedAt;
        DialogHooks hooks;
        hooks.beep = [this] { ++log.beeps; };
        hooks.popup = [&](QMenu *menu, const QPoint &globalPos) {
            openedAt = globalPos;
            for (QAction *a : menu->actions()) {
                if (a->isChecked()) {
                    checkedAtOpen << a->objectName();
                }
            }
            Item(menu, "mnorder")->trigger();
        };
        SetDialogHooks(*w, hooks);
        // Nothing hovered: no menu.
        Move(editor(), Empty);
        QContextMenuEvent none(QContextMenuEvent::Mouse, Empty, editor()->mapToGlobal(Empty));
        QApplication::sendEvent(editor(), &none);
        QVERIFY(checkedAtOpen.isEmpty());
        QVERIFY(openedAt.isNull());

        Move(editor(), OnLine1);
        QCOMPARE(w->editor().LineIndex, 1);
        // Not while a button is held: the menu key during a slide opens nothing.
        Press(editor(), OnLine1);
        QContextMenuEvent key(QContextMenuEvent::Keyboard, OnLine1, editor()->mapToGlobal(OnLine1));
        QApplication::sendEvent(editor(), &key);
        QVERIFY(checkedAtOpen.isEmpty());
        Release(editor(), OnLine1);
        QCOMPARE(w->editor().LineIndex, 1);
        QContextMenuEvent e(QContextMenuEvent::Mouse, OnLine1, editor()->mapToGlobal(OnLine1));
        QApplication::sendEvent(editor(), &e);
        // The hook got the menu as it opens: the hovered branch's kind (mirrored) checked.
        QCOMPARE(checkedAtOpen, QStringList{QStringLiteral("mnreverse")});
        QCOMPARE(openedAt, editor()->mapToGlobal(OnLine1));
        QVERIFY(!QApplication::activePopupWidget());
        QCOMPARE(w->table().Branches[1].kind, kindOrder);
        QCOMPARE(w->undoStack()->count(), 1);
    }

    void hoverCursorAndMark_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<int>("cursor"); // 0 arrow, else the cursor identifier
        QTest::addColumn<int>("point");
        QTest::addColumn<int>("line");
        QTest::addRow("end point 1") << End1 << crHandPoint << 1 << -1;
        QTest::addRow("near end point 2") << End2 + QPoint(2, -3) << crHandPoint << 2 << -1;
        QTest::addRow("line 1") << OnLine1 << crMove << -1 << 1;
        QTest::addRow("line 2") << QPoint(271, 365) << crMove << -1 << 2;
        QTest::addRow("empty space") << Empty << 0 << -1 << -1;
        QTest::addRow("trunk shaft") << OnTrunk << 0 << -1 << -1;
    }
    void hoverCursorAndMark()
    {
        QFETCH(QPoint, pos);
        QFETCH(int, cursor);
        QFETCH(int, point);
        QFETCH(int, line);
        Move(editor(), pos);
        QCOMPARE(w->editor().PointIndex, point);
        QCOMPARE(w->editor().LineIndex, line);
        QCOMPARE(w->editor().popupAttached(), line != -1);
        if (cursor == 0) {
            QCOMPARE(editor()->cursor().shape(), Qt::ArrowCursor);
            QVERIFY(!w->editor().HighlightShown);
        } else {
            QCOMPARE(editor()->cursor().shape(), Qt::BitmapCursor);
            QCOMPARE(editor()->cursor().hotSpot(), w->cursorById(cursor).hotSpot());
            QVERIFY(w->editor().HighlightShown);
        }
        const QImage &img = editor()->image();
        if (point != -1) {
            // The red disc fills the end-point circle.
            const TPixel e = w->table().Branches[static_cast<size_t>(point)].screenEnd;
            QCOMPARE(img.pixelColor(e.x, e.y), QColor(255, 0, 0));
        }
        if (line != -1) {
            QCOMPARE(img.pixelColor(OnLine1.x(), OnLine1.y()), line == 1 ? QColor(255, 0, 0)
                                                                         : QColor(0, 128, 0));
        }
    }

    void movingOffAnItemErasesTheMark()
    {
        // Inside the end-point circle, beside the arrow's tip (the arrow lies below left).
        const QPoint inside = End1 + QPoint(3, -3);
        Move(editor(), End1);
        QCOMPARE(editor()->image().pixelColor(inside), QColor(255, 0, 0));
        Move(editor(), Empty);
        QVERIFY(!w->editor().HighlightShown);
        // The circle is hollow again (filled with the editor's background).
        QCOMPARE(editor()->image().pixelColor(inside), QColor(0xE0, 0xFF, 0xF8));
        QCOMPARE(editor()->cursor().shape(), Qt::ArrowCursor);
    }

    void endPointDragFollowsTheMouseOutsideTheView()
    {
        const TPointE modelBefore = w->table().Branches[1].V;
        Drag(editor(), End1, {{450, 250}, {700, -20}});
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{700, -20}));
        QCOMPARE(w->table().Branches[1].screenStart, (TPixel{318, 412}));
        QVERIFY(!w->mouseIsDown());
        // The cursor chosen by the hover stayed during the drag.
        QCOMPARE(editor()->cursor().hotSpot(), w->cursorById(crHandPoint).hotSpot());
        // The model values follow only at the next growth.
        QVERIFY(w->table().Branches[1].V == modelBefore);
    }

    void slideAlongTheTrunk_data()
    {
        QTest::addColumn<QPoint>("to");
        QTest::addColumn<int>("startY");
        // Grabbed at (342, 388): 24 pixels below the start, so DragOffsetY = -24.
        QTest::addRow("down a little") << QPoint(342, 440) << 464;
        QTest::addRow("sideways is ignored") << QPoint(500, 388) << 412;
        QTest::addRow("above the tip clamps") << QPoint(342, 100) << 412;
        QTest::addRow("below the foot clamps") << QPoint(100, 700) << 603;
        QTest::addRow("to the foot exactly") << QPoint(342, 579) << 603;
    }
    void slideAlongTheTrunk()
    {
        QFETCH(QPoint, to);
        QFETCH(int, startY);
        Drag(editor(), OnLine1, {to});
        QCOMPARE(w->editor().DragOffsetY, -24);
        const TBranch &r = w->table().Branches[1];
        QCOMPARE(r.screenStart, (TPixel{318, startY}));
        QCOMPARE(r.screenEnd, (TPixel{413, startY - 95}));
    }

    void pressOnNothingThenMoveDoesNotDrag()
    {
        Move(editor(), Empty);
        Press(editor(), Empty);
        Move(editor(), End1, Qt::LeftButton);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{413, 317}));
        QVERIFY(!w->editor().HighlightShown);
        Release(editor(), End1);
        Move(editor(), End1);
        QCOMPARE(w->editor().PointIndex, 1);
        QVERIFY(w->editor().HighlightShown);
    }

    void rightPressEndsADrag()
    {
        Move(editor(), End1);
        Press(editor(), End1);
        Move(editor(), {430, 300}, Qt::LeftButton);
        Press(editor(), {430, 300}, Qt::RightButton, Qt::NoModifier, Qt::LeftButton);
        QVERIFY(!w->mouseIsDown());
        Move(editor(), {500, 200}, Qt::LeftButton | Qt::RightButton);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{430, 300}));
    }

    void menuChecksTheRowsKind_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("checked");
        QTest::addRow("mirrored") << kindReverse << "mnreverse";
        QTest::addRow("upright") << kindOrder << "mnorder";
        QTest::addRow("segment") << kindSegment << "mnsegment";
        QTest::addRow("unknown kind") << 7 << "mnsegment";
    }
    void menuChecksTheRowsKind()
    {
        QFETCH(int, kind);
        QFETCH(QString, checked);
        w->table().Branches[1].kind = kind;
        Move(editor(), OnLine1);
        QStringList checkedItems;
        QStringList captions;
        const bool opened = RightClick(OnLine1, [&](QMenu *menu) {
            for (QAction *a : menu->actions()) {
                captions << a->text();
                if (a->isChecked()) {
                    checkedItems << a->objectName();
                }
            }
        });
        QVERIFY(opened);
        QCOMPARE(checkedItems, QStringList{checked});
        QCOMPARE(captions, (QStringList{QStringLiteral("正像"), QStringLiteral("鏡像"),
                                        QStringLiteral("線分"), QString(), QStringLiteral("削除")}));
    }

    void kindChangeThroughTheMenu_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QColor>("shaft");
        QTest::addRow("upright") << "mnorder" << kindOrder << QColor(0, 0, 255);
        QTest::addRow("segment") << "mnsegment" << kindSegment << QColor(128, 128, 128);
        QTest::addRow("mirrored") << "mnreverse" << kindReverse << QColor(0, 128, 0);
    }
    void kindChangeThroughTheMenu()
    {
        QFETCH(QString, item);
        QFETCH(int, kind);
        QFETCH(QColor, shaft);
        Move(editor(), OnLine1);
        const QByteArray name = item.toLatin1();
        QVERIFY(RightClick(OnLine1, [&](QMenu *menu) { Item(menu, name.constData())->trigger(); }));
        QCOMPARE(w->table().Branches[1].kind, kind);
        QCOMPARE(w->table().Branches[2].kind, kindReverse);
        // Repainted at once, without the highlight.
        QVERIFY(!w->editor().HighlightShown);
        QCOMPARE(editor()->image().pixelColor(OnLine1), shaft);
    }

    void noMenuAwayFromBranches_data()
    {
        QTest::addColumn<QPoint>("pos");
        QTest::addRow("trunk") << OnTrunk;
        QTest::addRow("empty") << Empty;
        QTest::addRow("end point") << End1;
    }
    void noMenuAwayFromBranches()
    {
        QFETCH(QPoint, pos);
        Move(editor(), pos);
        QVERIFY(!RightClick(pos, [](QMenu *) {}));
    }

    void deleteThroughTheMenuForgetsTheRow()
    {
        Move(editor(), OnLine1);
        QVERIFY(RightClick(OnLine1, [&](QMenu *menu) { Item(menu, "MnDelete")->trigger(); }));
        QCOMPARE(w->table().BranchCount, 1);
        QCOMPARE(w->table().Branches[1].screenEnd, (TPixel{223, 317}));
        QCOMPARE(w->editor().LineIndex, -1);
        QVERIFY(!w->editor().popupAttached());
        QCOMPARE(editor()->cursor().shape(), Qt::ArrowCursor);
        // A second right-click before any move cannot act on the moved row.
        QVERIFY(!RightClick(OnLine1, [](QMenu *) {}));
        QCOMPARE(w->table().BranchCount, 1);
        // Deleting the last branch leaves the trunk alone.
        Move(editor(), QPoint(271, 365));
        QVERIFY(RightClick(QPoint(271, 365), [&](QMenu *menu) { Item(menu, "MnDelete")->trigger(); }));
        QCOMPARE(w->table().BranchCount, 0);
    }

    void addStopsAtTwenty()
    {
        auto *add = w->findChild<QToolButton *>("sbAdd");
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(w->table().BranchCount, 3);
        // The new branch goes straight up from the trunk's end, 0.7 trunk lengths.
        QCOMPARE(w->table().Branches[3].screenStart, (TPixel{318, 412}));
        QCOMPARE(w->table().Branches[3].screenEnd, (TPixel{318, 279})); // 317 - 38.16
        for (int i = 0; i < 17; ++i) {
            QTest::mouseClick(add, Qt::LeftButton);
        }
        QCOMPARE(w->table().BranchCount, 20);
        QTest::mouseClick(add, Qt::LeftButton);
        QCOMPARE(w->table().BranchCount, 20);
        QCOMPARE(log.beeps, 0);
        // Twenty growing branches: shallow depths only.
        QVERIFY(w->depthButton(1)->isEnabled());
        QVERIFY(w->depthButton(3)->isEnabled());
        QVERIFY(!w->depthButton(5)->isEnabled());
        QVERIFY(!w->depthButton(16)->isEnabled());
    }

    void reset_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<bool>("yes");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("reset");
        QTest::addRow("no branch, Yes") << 0 << true << true << true;
        QTest::addRow("one branch") << 1 << false << false << true;
        // One branch with an edit that was not saved: asked like any other template.
        QTest::addRow("one branch dragged, No") << -1 << false << true << false;
        QTest::addRow("one branch dragged, Yes") << -1 << true << true << true;
        QTest::addRow("two branches, No") << 2 << false << true << false;
        QTest::addRow("two branches, Yes") << 2 << true << true << true;
        QTest::addRow("three branches, No") << 3 << false << true << false;
    }
    void reset()
    {
        QFETCH(int, branches);
        QFETCH(bool, yes);
        QFETCH(bool, asked);
        QFETCH(bool, reset);
        auto *add = w->findChild<QToolButton *>("sbAdd");
        // -1: one branch, whose end point is then dragged.
        const bool dragFirst = branches < 0;
        branches = std::abs(branches);
        while (w->table().BranchCount < branches) {
            QTest::mouseClick(add, Qt::LeftButton);
        }
        w->table().BranchCount = branches;
        Drag(editor(), dragFirst ? End1 : End2, {{150, 300}});
        w->SetCurrentFile(QStringLiteral("/tmp/trees/oak.rm2"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
        log.answerYes = yes;
        QTest::mouseClick(w->findChild<QToolButton *>("SBInit"), Qt::LeftButton);
        QCOMPARE(log.questions.size(), asked ? 1 : 0);
        QCOMPARE(log.beeps, asked ? 1 : 0);
        if (asked) {
            QCOMPARE(log.questions.first(), QString::fromUtf8(ResetQuestion));
        }
        if (reset) {
            QCOMPARE(w->table().BranchCount, 2);
            QCOMPARE(w->table().Branches[2].screenEnd, (TPixel{223, 317}));
            QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3"));
            QVERIFY(w->fileName().isEmpty());
        } else {
            QCOMPARE(w->table().BranchCount, branches);
            QCOMPARE(w->windowTitle(), QStringLiteral("Ramulet 2.3 : oak.rm2"));
        }
    }

    void resetFromViewModeReturnsToTheEditor()
    {
        log.colorAnswer = QColor(10, 20, 30);
        QTest::mouseClick(w->findChild<QWidget *>("ShapeP"), Qt::LeftButton);
        QTest::mouseClick(w->depthButton(5), Qt::LeftButton);
        QTest::mouseClick(w->treeView(), Qt::LeftButton, Qt::NoModifier, QPoint(100, 200));
        QVERIFY(!w->editMode());
        log.answerYes = true;
        QTest::mouseClick(w->findChild<QToolButton *>("SBInit"), Qt::LeftButton);
        QVERIFY(w->editMode());
        QVERIFY(w->editorView()->isVisible());
        QVERIFY(!w->treeView()->isVisible());
        auto *add = w->findChild<QToolButton *>("sbAdd");
        QVERIFY(add->isVisible());
        QCOMPARE(add->parentWidget()->children().last(), static_cast<QObject *>(add));
        QCOMPARE(w->view().ViewOrigin, (TPixel{318, 317}));
        QCOMPARE(w->settings().TipColor, TColor{0x00A000});
        // The depth stays; the tree was regrown at it.
        QCOMPARE(w->depth(), 5);
        QCOMPARE(w->store().Count(), 63);
    }

    void wholeEditFlowGrowsTheEditedTemplate()
    {
        // Lengthen branch 2 and slide branch 1 halfway down the trunk.
        Drag(editor(), End2, {{200, 330}, {150, 300}});
        Drag(editor(), OnLine1, {{342, 484}}); // 96 pixels down: start at y = 508
        QCOMPARE(w->table().Branches[1].screenStart, (TPixel{318, 508}));
        QTest::mouseClick(w->depthButton(2), Qt::LeftButton);
        QCOMPARE(w->store().Count(), 7);

        // Trunk length on screen 191 pixels; rows in the trunk's frame.
        const long double L = 191.0L;
        const TSegLine &b1 = w->store().line(1);
        QVERIFY(Near(b1.startPt.y, 95.0L / L));
        QVERIFY(Near(b1.endPt.x, 95.0L / L));
        QVERIFY(Near(b1.endPt.y, 95.0L / L + 95.0L / L));
        const TSegLine &b2 = w->store().line(4);
        QVERIFY(Near(b2.startPt.y, 1.0L));
        QVERIFY(Near(b2.endPt.x, -168.0L / L));
        QVERIFY(Near(b2.endPt.y, 1.0L + 112.0L / L));
        QVERIFY(Near(b2.widthFactor, std::sqrt(168.0L * 168.0L + 112.0L * 112.0L) / L));
        // The edit shows in the tree view: the longer branch 2 reaches x = 318 - 168.
        QCOMPARE(w->treeView()->image().pixelColor(160, 307).blue() < 0xF0, true);
    }
};

QTEST_MAIN(TestEditorFlows)
#include "test_editorflows.moc"
