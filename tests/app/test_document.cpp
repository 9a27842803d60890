// The template document and its history without a window: which edits make a step, the
// names the states show around a save, a drag as one step, and the actions' idle gate.

#include "app/actions.h"
#include "app/document.h"

#include <QAction>
#include <QTest>
#include <QUndoStack>
#include <QWidget>

using namespace ramulet;

namespace {

enum Edit { NoChange, TipColour, PenIndex, RowMoved, RowBack };

// A document over its own table, its pixel points in the default 636 x 634 view.
struct Fixture {
    BranchTable table;
    ViewState view;
    TemplateDocument doc{table, view};

    Fixture()
    {
        view.SetViewSize(636, 634);
        view.ResetView();
        SetDefaultTemplate(table, view);
    }

    void apply(Edit e)
    {
        switch (e) {
        case NoChange: break;
        case TipColour: doc.setColor(&DrawSettings::TipColor, 0x123456); break;
        case PenIndex: doc.setPenIndex(5); break;
        case RowMoved: table.Branches[1].screenEnd.x += 3; break;
        case RowBack:
            table.Branches[1].screenEnd.x += 3;
            table.Branches[1].screenEnd.x -= 3;
            break;
        }
    }
};

} // namespace

class TestDocument : public QObject {
    Q_OBJECT

private slots:
    void editStepRecordsOnlyChanges_data()
    {
        QTest::addColumn<int>("edit");
        QTest::addColumn<int>("steps");
        QTest::addRow("nothing") << int(NoChange) << 0;
        QTest::addRow("colour") << int(TipColour) << 1;
        QTest::addRow("pen index") << int(PenIndex) << 1;
        QTest::addRow("row") << int(RowMoved) << 1;
        QTest::addRow("row moved and back") << int(RowBack) << 0;
    }
    void editStepRecordsOnlyChanges()
    {
        QFETCH(int, edit);
        QFETCH(int, steps);
        Fixture f;
        const TemplateState before = f.doc.capture();
        {
            const EditStep step(f.doc, QStringLiteral("edit"));
            f.apply(Edit(edit));
        }
        QCOMPARE(f.doc.undoStack()->count(), steps);
        QCOMPARE(f.doc.hasUnsavedChanges(), steps > 0);
        if (steps > 0) {
            f.doc.undoStack()->undo();
            QVERIFY(!StatesDiffer(before, f.doc.capture(), true));
        }
    }

    // A save renames the states back to the last file step and on to the next; the file
    // step's far side keeps its own name.
    void saveRenamesTheRunOfStates_data()
    {
        QTest::addColumn<int>("undos");
        QTest::addColumn<QString>("expected");
        QTest::addRow("on show") << 0 << "saved.rm2";
        QTest::addRow("before the colour") << 1 << "saved.rm2";
        QTest::addRow("before the load") << 2 << "first.rm2";
    }
    void saveRenamesTheRunOfStates()
    {
        QFETCH(int, undos);
        QFETCH(QString, expected);
        Fixture f;
        f.doc.setFileName(QStringLiteral("first.rm2"));
        {
            const EditStep load(f.doc, QStringLiteral("load"), true);
            f.apply(RowMoved);
            f.doc.setFileName(QStringLiteral("loaded.rm2"));
        }
        {
            const EditStep colour(f.doc, QStringLiteral("colour"));
            f.apply(TipColour);
        }
        f.doc.setFileName(QStringLiteral("saved.rm2"));
        for (int i = 0; i < undos; ++i) {
            f.doc.undoStack()->undo();
        }
        QCOMPARE(f.doc.fileName(), expected);
        while (f.doc.undoStack()->canRedo()) {
            f.doc.undoStack()->redo();
        }
        QCOMPARE(f.doc.fileName(), QStringLiteral("saved.rm2"));
    }

    void dragIsOneStep()
    {
        Fixture f;
        f.doc.beginDrag(QStringLiteral("drag"));
        f.apply(RowMoved);
        QVERIFY(f.doc.hasUnsavedChanges()); // before the release too
        f.apply(RowMoved);
        QCOMPARE(f.doc.undoStack()->count(), 0);
        f.doc.endDrag();
        QCOMPARE(f.doc.undoStack()->count(), 1);
        QVERIFY(!f.doc.dragOpen());
    }

    void gateHoldsWhatMustWaitForTheMouse_data()
    {
        QTest::addColumn<bool>("idle");
        QTest::addColumn<bool>("whileHeld");
        QTest::addColumn<bool>("canRun"); // the command's own condition
        QTest::addColumn<bool>("runs");
        QTest::addRow("idle") << true << false << true << true;
        QTest::addRow("held") << false << false << true << false;
        QTest::addRow("held, allowed") << false << true << true << true;
        QTest::addRow("idle, cannot run") << true << false << false << false;
        QTest::addRow("held, allowed, cannot run") << false << true << false << false;
    }
    void gateHoldsWhatMustWaitForTheMouse()
    {
        QFETCH(bool, idle);
        QFETCH(bool, whileHeld);
        QFETCH(bool, canRun);
        QFETCH(bool, runs);
        QWidget window;
        WindowActions actions(&window, [idle] { return idle; });
        int ran = 0;
        QAction *a = actions.add({.name = "actTry",
                                  .keys = {QKeySequence(Qt::CTRL | Qt::Key_T)},
                                  .menu = ActionMenu::Edit,
                                  .target = [&ran] { ++ran; },
                                  .enabled = [canRun] { return canRun; },
                                  .whileHeld = whileHeld});
        QCOMPARE(actions.run(QStringLiteral("actTry")), runs);
        a->trigger();
        QCOMPARE(ran, runs ? 2 : 0);
        // The menu shows it available exactly when it can run.
        actions.refresh();
        QCOMPARE(a->isEnabled(), canRun);
        QCOMPARE(actions.action(QStringLiteral("actTry")), a);
    }
};

QTEST_MAIN(TestDocument)
#include "test_document.moc"
