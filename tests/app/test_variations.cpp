// The window's Variations: Ctrl+Shift+V or its button opens the grid; a neighbour clicked (or
// chosen with the arrow keys and Space) and Enter or "使う" put it into the window as one step
// that Ctrl+Z takes back exactly; Backspace returns to the centre before, Escape changes
// nothing; the boxes hold for every neighbour.

#include "app/variationdialog.h"
#include "apptesthelpers.h"
#include "core/segments.h"
#include "io/templatefile.h"

#include <QCheckBox>
#include <QPushButton>
#include <QSlider>
#include <QUndoStack>
#include <QtTest>

using namespace ramulet_test;

namespace {

// The store's segments, bit for bit.
QByteArray StoreBytes(const Tseglines &store)
{
    QByteArray bytes;
    for (int32_t i = 0; i <= store.lastIndex; ++i) {
        const TSegLine &s = store.line(i);
        for (long double v : {s.startPt.x, s.startPt.y, s.endPt.x, s.endPt.y, s.widthFactor}) {
            bytes.append(reinterpret_cast<const char *>(&v), 10);
        }
        bytes.append(QByteArray::number(s.level));
    }
    return bytes;
}

} // namespace

class TestVariations : public QObject {
    Q_OBJECT
private:
    DialogLog log;
    std::unique_ptr<TMainform> w;
    // What the dialog's script does, run by the window's hook on the real dialog.
    std::function<void(VariationDialog &)> script;

private slots:
    void init()
    {
        w = MakeShownWindow(log);
        QVERIFY(w);
        DialogHooks hooks;
        hooks.runVariations = [this](VariationDialog &d) {
            d.show();
            d.waitForThumbnails();
            script(d);
            return d.result() == QDialog::Accepted;
        };
        SetDialogHooks(*w, hooks);
        w->depthButton(7)->click(); // view mode, a tree of depth 7
    }
    void cleanup() { w.reset(); }

    void adoptAndUndo_data()
    {
        QTest::addColumn<bool>("byKey");     // Ctrl+Shift+V, else the side-bar button
        QTest::addColumn<int>("cell");       // the neighbour clicked
        QTest::addColumn<bool>("enter");     // Enter, else the button "使う"
        QTest::addColumn<bool>("colors");    // the box "色も変える"
        QTest::addRow("shortcut, corner, Enter") << true << 0 << true << false;
        QTest::addRow("button, side, Use") << false << 5 << false << false;
        QTest::addRow("colours too") << true << 8 << true << true;
    }
    void adoptAndUndo()
    {
        QFETCH(bool, byKey);
        QFETCH(int, cell);
        QFETCH(bool, enter);
        QFETCH(bool, colors);
        const TemplateState before = w->document().capture();
        const QByteArray treeBefore = StoreBytes(w->store());
        VariationTemplate chosen;
        script = [&](VariationDialog &d) {
            QVERIFY(d.thumbnailsShown());
            d.colorsBox()->setChecked(colors);
            d.waitForThumbnails();
            chosen = d.neighbour(cell);
            QVERIFY(d.cell(cell)->toolTip().contains(QString::number(d.neighbourSeed(cell))));
            QTest::mouseClick(d.cell(cell), Qt::LeftButton);
            QVERIFY(SameTemplate(d.centre(), chosen));
            if (enter) {
                QTest::keyClick(&d, Qt::Key_Return);
            } else {
                d.useButton()->click();
            }
        };
        if (byKey) {
            QTest::keyClick(w.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            w->findChild<QToolButton *>(QStringLiteral("SBVariation"))->click();
        }
        QCOMPARE(w->undoStack()->count(), 1);
        QCOMPARE(w->undoStack()->undoText(), QStringLiteral("バリエーション"));
        QCOMPARE(w->table().BranchCount, chosen.table.BranchCount);
        for (int32_t i = 1; i <= chosen.table.BranchCount; ++i) {
            QVERIFY(w->table().Branches[static_cast<size_t>(i)].V ==
                    chosen.table.Branches[static_cast<size_t>(i)].V);
        }
        QCOMPARE(w->settings().TipColor, chosen.colors.tip);
        QVERIFY(StoreBytes(w->store()) != treeBefore);

        QTest::keyClick(w.get(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!StatesDiffer(before, w->document().capture(), true));
        QCOMPARE(StoreBytes(w->store()), treeBefore);
        QVERIFY(!w->HasUnsavedChanges());
    }

    // The keys of the grid: the arrows choose a neighbour (over the centre, round the edges),
    // Space makes it the centre, Backspace goes back; Escape leaves the window as it was.
    void keys_data()
    {
        QTest::addColumn<QList<int>>("keys");
        QTest::addColumn<int>("centre"); // the first ring's cell now in the centre; 4: the parent
        QTest::addColumn<bool>("changed");
        using K = QList<int>;
        QTest::addRow("Space takes the chosen")
            << K{Qt::Key_Space, Qt::Key_Return} << 5 << true;
        QTest::addRow("Left passes over the centre")
            << K{Qt::Key_Left, Qt::Key_Space, Qt::Key_Return} << 3 << true;
        QTest::addRow("Down, Right round the edge")
            << K{Qt::Key_Down, Qt::Key_Right, Qt::Key_Space, Qt::Key_Return} << 6 << true;
        QTest::addRow("Backspace goes back")
            << K{Qt::Key_Space, Qt::Key_Backspace, Qt::Key_Return} << 4 << false;
        QTest::addRow("Escape changes nothing") << K{Qt::Key_Space, Qt::Key_Escape} << 5 << false;
    }
    void keys()
    {
        QFETCH(QList<int>, keys);
        QFETCH(int, centre);
        QFETCH(bool, changed);
        const TemplateState before = w->document().capture();
        script = [&](VariationDialog &d) {
            const VariationTemplate expected = d.neighbour(centre);
            for (int key : keys) {
                if (key == Qt::Key_Return || key == Qt::Key_Escape) {
                    QVERIFY(SameTemplate(d.centre(), expected));
                }
                QTest::keyClick(&d, Qt::Key(key));
            }
        };
        QTest::keyClick(w.get(), Qt::Key_V, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(StatesDiffer(before, w->document().capture(), true), changed);
        QCOMPARE(w->undoStack()->count(), changed ? 1 : 0);
    }

    // Every neighbour keeps what the boxes keep, and "ランダム" makes a centre of two to five
    // branches.
    void boxesHold()
    {
        script = [&](VariationDialog &d) {
            const int32_t count = d.centre().table.BranchCount;
            d.keepCountBox()->setChecked(true);
            d.strengthSlider()->setValue(VariationMaxStrength);
            for (int cell = 0; cell < 9; ++cell) {
                QCOMPARE(d.neighbour(cell).table.BranchCount, count);
                QVERIFY(BoundedTemplate(d.neighbour(cell).table));
            }
            d.randomButton()->click();
            QVERIFY(d.centre().table.BranchCount >= 2 && d.centre().table.BranchCount <= 5);
            d.waitForThumbnails();
            QVERIFY(d.thumbnailsShown());
            for (int cell = 0; cell < 9; ++cell) {
                QVERIFY(!d.cell(cell)->icon().isNull());
            }
            d.reject();
        };
        w->SBVariationClick();
        QCOMPARE(w->undoStack()->count(), 0);
    }
};

QTEST_MAIN(TestVariations)
#include "test_variations.moc"
