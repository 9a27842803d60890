#include "core/branches.h"
#include "core/viewstate.h"

#include "common/testsupport.h"

#include <QtTest>

#include <cmath>

using namespace ramulet;

namespace {

// A view of 500 x 500 pixels has an editor scale of exactly 150 pixels per model unit.
ViewState View150() { return test::DefaultView(500, 500); }

} // namespace

class TestBranches : public QObject {
    Q_OBJECT
private slots:
    void defaultTemplate()
    {
        BranchTable t;
        const ViewState v = View150();
        SetDefaultTemplate(t, v);
        QCOMPARE(t.BranchCount, 2);
        QCOMPARE(t.Branches[0].P, (TPointE{0, 0}));
        QCOMPARE(t.Branches[0].V, (TPointE{0, 1}));
        QCOMPARE(t.Branches[0].kind, kindSegment);
        QVERIFY(t.Branches[0].ratio == 1.0L);
        QCOMPARE(t.Branches[1].V, (TPointE{0.5L, 0.5L}));
        QCOMPARE(t.Branches[2].V, (TPointE{-0.5L, 0.5L}));
        QCOMPARE(t.Branches[1].kind, kindReverse);
        QCOMPARE(t.Branches[2].kind, kindReverse);
        // Screen points: trunk from (250, 475) up to (250, 325).
        QCOMPARE(t.Branches[0].screenStart, (TPixel{250, 475}));
        QCOMPARE(t.Branches[0].screenEnd, (TPixel{250, 325}));
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{325, 250}));
        QCOMPARE(t.Branches[2].screenEnd, (TPixel{175, 250}));
    }

    void normalizeDefaultAt150IsExact()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        const TBranch trunkBefore = t.Branches[0];
        NormalizeTemplate(t);
        for (int i : {1, 2}) {
            QCOMPARE(t.Branches[i].P, (TPointE{0, 1}));
            QVERIFY(t.Branches[i].ratio == std::sqrt(0.5L));
        }
        QCOMPARE(t.Branches[1].V, (TPointE{0.5L, 0.5L}));
        QCOMPARE(t.Branches[2].V, (TPointE{-0.5L, 0.5L}));
        QCOMPARE(t.Branches[0].P, trunkBefore.P);
        QCOMPARE(t.Branches[0].V, trunkBefore.V);
        QCOMPARE(t.Branches[0].screenStart, trunkBefore.screenStart);
    }

    void normalizeProjectsTheStart_data()
    {
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::addColumn<double>("expectedPy");
        // Trunk on screen: (250, 475) to (250, 325), 150 pixels per trunk length.
        QTest::addRow("10 px beside the line") << 260 << 400 << 0.5;
        QTest::addRow("beyond the trunk's end") << 250 << 295 << 1.2;
        QTest::addRow("below the trunk's foot") << 250 << 505 << -0.2;
    }
    void normalizeProjectsTheStart()
    {
        QFETCH(int, sx);
        QFETCH(int, sy);
        QFETCH(double, expectedPy);
        BranchTable t;
        SetDefaultTemplate(t, View150());
        TBranch &row = t.Branches[1];
        row.screenStart = {sx, sy};
        row.screenEnd = {sx + 75, sy - 75};
        row.moved = true; // as the editor marks a row it moves
        NormalizeTemplate(t);
        QVERIFY(row.P.x == 0.0L);
        QVERIFY(std::fabs(row.P.y - expectedPy) < 1e-15L);
        // The vector is unaffected by where the start lies.
        QVERIFY(row.V.x == 0.5L && row.V.y == 0.5L);
        // The pixel points are not rewritten.
        QCOMPARE(row.screenStart, (TPixel{sx, sy}));
    }

    void normalizeWithTiltedTrunkUsesItsFrame()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        // Trunk pointing right on screen: its right-hand side is downward on screen.
        t.Branches[0].screenStart = {100, 100};
        t.Branches[0].screenEnd = {200, 100};
        t.Branches[1].screenStart = {200, 100};
        t.Branches[1].screenEnd = {200, 150};
        t.Branches[1].moved = true;
        NormalizeTemplate(t);
        QVERIFY(std::fabs(t.Branches[1].V.x - 0.5L) < 1e-18L);
        QVERIFY(std::fabs(t.Branches[1].V.y) < 1e-18L);
        QVERIFY(std::fabs(t.Branches[1].P.y - 1.0L) < 1e-18L);
    }

    void normalizeZeroTrunkLeavesRows()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        t.Branches[0].screenEnd = t.Branches[0].screenStart;
        t.Branches[1].screenEnd = {0, 0};
        t.Branches[1].moved = true;
        const TBranch before = t.Branches[1];
        NormalizeTemplate(t);
        QCOMPARE(t.Branches[1].P, before.P);
        QCOMPARE(t.Branches[1].V, before.V);
        t.BranchCount = 0;
        NormalizeTemplate(t); // no branches and no frame: nothing to do, no fault
    }

    // Rows the editor has not moved keep their exact values at any editor scale; moved rows
    // are taken from their pixel points. With a trunk other than (0, 0)-(0, 1) the exact
    // values go through the same arithmetic as pixel points would, unrounded.
    void normalizeKeepsUnmovedRowsExact_data()
    {
        QTest::addColumn<int>("w");
        QTest::addColumn<int>("h");
        QTest::addColumn<bool>("tiltedTrunk");
        QTest::addRow("design size") << 636 << 634 << false;
        QTest::addRow("tiny view") << 7 << 9 << false;
        QTest::addRow("one pixel") << 1 << 1 << false;
        QTest::addRow("design size, other trunk") << 636 << 634 << true;
        QTest::addRow("tiny view, other trunk") << 7 << 9 << true;
    }
    void normalizeKeepsUnmovedRowsExact()
    {
        QFETCH(int, w);
        QFETCH(int, h);
        QFETCH(bool, tiltedTrunk);
        const ViewState view = test::DefaultView(w, h);
        BranchTable t;
        SetDefaultTemplate(t, view);
        t.Branches[1].P = {0.3L, 1.0L / 3};
        t.Branches[1].V = {-0.0L, std::sqrt(2.0L) / 2};
        t.Branches[2].P = {0.0L, -0.0L};
        t.Branches[2].V = {-1.0L / 7, -0.0L};
        if (tiltedTrunk) {
            t.Branches[0].P = {0.25L, -1.0L};
            t.Branches[0].V = {1.0L, 2.0L};
        }
        UpdateAllScreenPoints(t, view);
        const BranchTable loaded = t;

        NormalizeMovedRows(t); // nothing moved: nothing changes
        for (int i : {1, 2}) {
            QVERIFY(test::SameBits(t.Branches[i].P, loaded.Branches[i].P));
            QVERIFY(test::SameBits(t.Branches[i].V, loaded.Branches[i].V));
        }
        NormalizeTemplate(t);
        NormalizeTemplate(t); // and again: a growth after a growth
        if (!tiltedTrunk) {
            for (int i : {1, 2}) {
                QVERIFY(t.Branches[i].P.x == 0.0L && !std::signbit(t.Branches[i].P.x));
                QVERIFY(test::SameBits(t.Branches[i].P.y, loaded.Branches[i].P.y));
                QVERIFY(test::SameBits(t.Branches[i].V, loaded.Branches[i].V));
            }
        } else {
            // What the pixel arithmetic gives at a scale fine enough to make rounding vanish.
            const ViewState fine = test::DefaultView(2000000, 2000000);
            BranchTable pixels = loaded;
            UpdateAllScreenPoints(pixels, fine);
            pixels.Branches[1].moved = pixels.Branches[2].moved = true;
            NormalizeTemplate(pixels);
            for (int i : {1, 2}) {
                QVERIFY(std::fabs(t.Branches[i].V.x - pixels.Branches[i].V.x) < 1e-5L);
                QVERIFY(std::fabs(t.Branches[i].V.y - pixels.Branches[i].V.y) < 1e-5L);
                QVERIFY(std::fabs(t.Branches[i].P.y - pixels.Branches[i].P.y) < 1e-5L);
            }
        }
        // A moved row follows its pixel points; the other keeps its values.
        t = loaded;
        t.Branches[1].screenEnd.x += 1;
        t.Branches[1].moved = true;
        NormalizeTemplate(t);
        const bool trunkOnScreen = !(loaded.Branches[0].screenStart == loaded.Branches[0].screenEnd);
        QCOMPARE(!test::SameBits(t.Branches[1].V, loaded.Branches[1].V), trunkOnScreen);
        if (!tiltedTrunk) {
            QVERIFY(test::SameBits(t.Branches[2].V, loaded.Branches[2].V));
        }
    }

    void addBranch()
    {
        BranchTable t;
        const ViewState v = View150();
        SetDefaultTemplate(t, v);
        QVERIFY(AddBranch(t, v));
        QCOMPARE(t.BranchCount, 3);
        const TBranch &row = t.Branches[3];
        QCOMPARE(row.P, (TPointE{0, 1}));
        QCOMPARE(row.V, (TPointE{0, 0.7L}));
        QCOMPARE(row.kind, kindReverse);
        QCOMPARE(row.screenStart, t.Branches[0].screenEnd);
        QCOMPARE(row.screenEnd, (TPixel{250, 220}));
        while (t.BranchCount < MaxBranches) {
            QVERIFY(AddBranch(t, v));
        }
        const auto full = t.Branches;
        QVERIFY(!AddBranch(t, v));
        QCOMPARE(t.BranchCount, MaxBranches);
        QCOMPARE(t.Branches[MaxBranches].screenEnd, full[MaxBranches].screenEnd);
    }

    void deleteBranch()
    {
        BranchTable t;
        const ViewState v = View150();
        SetDefaultTemplate(t, v);
        AddBranch(t, v);
        t.Branches[3].kind = kindOrder;
        const TBranch r2 = t.Branches[2], r3 = t.Branches[3];
        DeleteBranch(t, 1);
        QCOMPARE(t.BranchCount, 2);
        QCOMPARE(t.Branches[1].screenEnd, r2.screenEnd);
        QCOMPARE(t.Branches[1].V, r2.V);
        QCOMPARE(t.Branches[2].kind, kindOrder);
        QCOMPARE(t.Branches[2].screenStart, r3.screenStart);
        DeleteBranch(t, 2); // the last one only lowers the count
        QCOMPARE(t.BranchCount, 1);
        QCOMPARE(t.Branches[1].V, r2.V);
        DeleteBranch(t, 1);
        QCOMPARE(t.BranchCount, 0);
        DeleteBranch(t, 1); // no such row: ignored
        QCOMPARE(t.BranchCount, 0);
        const TBranch trunk = t.Branches[0];
        NormalizeTemplate(t);
        QCOMPARE(t.Branches[0].V, trunk.V);
    }
};

QTEST_APPLESS_MAIN(TestBranches)
#include "test_branches.moc"
