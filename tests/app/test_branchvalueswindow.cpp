// The branch values window on its own: what its cells show, and what typing, Enter and Escape
// in them ask of the window's owner.

#include "app/branchvalueswindow.h"
#include "core/branchvalues.h"
#include "core/expression.h"

#include "common/testsupport.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTableWidget>
#include <QtTest>

#include <cmath>

using namespace ramulet;

namespace {

// Keys go where the user's would: to the widget that has the focus (the grid, or the cell's
// editor once typing has opened it).
void Key(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }

void Type(const QString &text)
{
    for (const QChar c : text) {
        QTest::keyClicks(QApplication::focusWidget(), QString(c));
    }
}

} // namespace

class TestBranchValuesWindow : public QObject {
    Q_OBJECT
private slots:
    void cellsShowExactValues()
    {
        BranchTable t;
        const ViewState view = test::DefaultView(636, 634);
        SetDefaultTemplate(t, view);
        SetRowValues(t, 2, 0.25L, {std::sqrt(2.0L) / 4.0L, 0.7L}, view);
        BranchValuesWindow w(t);
        QTableWidget *g = w.grid();
        QCOMPARE(g->rowCount(), 3);
        const QStringList row1{"鏡像", "1", "-45", "0.707106781186548", "0.5", "0.5"};
        const QStringList row2{"鏡像", "0.25", "-26.797257587643", "0.784219357067906",
                               "0.353553390593274", "0.7"};
        for (int c = 0; c < BranchValuesWindow::ColumnCount; ++c) {
            QCOMPARE(g->item(1, c)->text(), row1[c]);
            QCOMPARE(g->item(2, c)->text(), row2[c]);
            QVERIFY(!(g->item(0, c)->flags() & Qt::ItemIsEditable));
            QVERIFY(g->item(1, c)->flags() & Qt::ItemIsEditable);
        }
        QCOMPARE(g->item(0, BranchValuesWindow::ColLength)->text(), QString("1"));
        // A drag elsewhere shows at once: the row's values as the growth takes them.
        t.Branches[1].screenEnd = t.Branches[0].screenEnd;
        t.Branches[1].screenEnd.y -= 95;
        t.Branches[1].moved = true;
        AddBranch(t, view);
        w.refresh();
        QCOMPARE(g->rowCount(), 4);
        QCOMPARE(g->item(1, BranchValuesWindow::ColAngle)->text(), QString("0"));
        QCOMPARE(g->item(1, BranchValuesWindow::ColX)->text(), QString("0"));
        QCOMPARE(g->item(3, BranchValuesWindow::ColY)->text(), QString("0.7"));
    }

    void typing_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QString>("position");
        QTest::addColumn<QString>("x"); // expressions the values must equal exactly
        QTest::addColumn<QString>("y");
        const int a = BranchValuesWindow::ColAngle;
        const int l = BranchValuesWindow::ColLength;
        QTest::addRow("angle 30 keeps the length")
            << 1 << a << "30" << true << "1" << "-sqrt(0.5)*0.5" << "sqrt(0.5)*cos30";
        QTest::addRow("angle 90 is exact") << 2 << a << "90" << true << "1" << "-sqrt(0.5)" << "0";
        QTest::addRow("length at -45") << 1 << l << "1" << true << "1" << "sqrt(0.5)" << "sqrt(0.5)";
        QTest::addRow("x by expression")
            << 1 << int(BranchValuesWindow::ColX) << "sqrt(2)/4" << true << "1" << "sqrt(2)/4" << "0.5";
        QTest::addRow("position beyond the tip")
            << 2 << int(BranchValuesWindow::ColPosition) << "2" << true << "2" << "-0.5" << "0.5";
        QTest::addRow("words refused") << 1 << a << "thirty" << false << "" << "" << "";
        QTest::addRow("negative length refused") << 1 << l << "-0.5" << false << "" << "" << "";
        QTest::addRow("division by zero refused") << 1 << a << "1/0" << false << "" << "" << "";
    }
    void typing()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        QFETCH(QString, text);
        QFETCH(bool, taken);
        QFETCH(QString, position);
        QFETCH(QString, x);
        QFETCH(QString, y);
        BranchTable t;
        SetDefaultTemplate(t, test::DefaultView(636, 634));
        BranchValuesWindow w(t);
        w.open();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QCOMPARE(w.grid()->currentRow(), 1);
        QCOMPARE(w.grid()->currentColumn(), int(BranchValuesWindow::ColAngle));
        QSignalSpy edits(&w, &BranchValuesWindow::valuesEdited);
        w.grid()->setCurrentCell(row, column);
        Type(text);
        Key(Qt::Key_Return);
        QCOMPARE(edits.count(), taken ? 1 : 0);
        QCOMPARE(w.message().isEmpty(), taken);
        QCOMPARE(w.editing(), !taken); // a refused text stays in its cell
        if (!taken) {
            Key(Qt::Key_Escape); // leaves the cell as it was
            QVERIFY(!w.editing());
            QCOMPARE(edits.count(), 0);
            return;
        }
        QCOMPARE(edits.at(0).at(0).toInt(), row);
        const RowValues got = edits.at(0).at(1).value<RowValues>();
        auto eval = [](QString e) {
            e.replace("cos30", "sqrt(3)/2");
            return EvaluateExpression(e.toStdString()).value;
        };
        QVERIFY(std::fabs(got.position - eval(position)) <= 1e-18L);
        QVERIFY2(std::fabs(got.V.x - eval(x)) <= 1e-18L, qPrintable(BranchValuesWindow::FormatValue(got.V.x)));
        QVERIFY2(std::fabs(got.V.y - eval(y)) <= 1e-18L, qPrintable(BranchValuesWindow::FormatValue(got.V.y)));
    }

    void kindCell()
    {
        BranchTable t;
        SetDefaultTemplate(t, test::DefaultView(636, 634));
        BranchValuesWindow w(t);
        QSignalSpy kinds(&w, &BranchValuesWindow::kindEdited);
        QVERIFY(w.commitCell(2, BranchValuesWindow::ColKind, BranchValuesWindow::KindText(kindOrder)));
        QCOMPARE(kinds.count(), 1);
        QCOMPARE(kinds.at(0).at(1).toInt(), kindOrder);
        QVERIFY(!w.commitCell(2, BranchValuesWindow::ColKind, "x"));
        QVERIFY(!w.message().isEmpty());
        // Full-width forms, as a Japanese input method gives them, are numbers too.
        QSignalSpy edits(&w, &BranchValuesWindow::valuesEdited);
        QVERIFY(w.commitCell(2, BranchValuesWindow::ColY, "０．２５×２"));
        QVERIFY(edits.at(0).at(1).value<RowValues>().V.y == 0.5L);
        QVERIFY(!w.commitCell(2, BranchValuesWindow::ColY, "1+"));
        QVERIFY(!w.message().isEmpty());
        QCOMPARE(kinds.count(), 1);
    }
};

QTEST_MAIN(TestBranchValuesWindow)
#include "test_branchvalueswindow.moc"
