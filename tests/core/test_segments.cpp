#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"

#include "common/testsupport.h"

#include <QtTest>

#include <cmath>
#include <cstring>
#include <algorithm>
#include <memory>

using namespace ramulet;

namespace {

ViewState View150() { return test::DefaultView(500, 500); }

TSegLine Seg(long double x0, long double y0, long double x1, long double y1)
{
    TSegLine s;
    s.startPt = {x0, y0};
    s.endPt = {x1, y1};
    s.level = 1;
    s.widthFactor = 1.0L;
    return s;
}

bool Near(long double a, long double b) { return std::fabs(a - b) < 1e-15L; }

struct Expected {
    long double x0, y0, x1, y1;
    int level;
};

void CheckSegments(const Tseglines &store, const std::vector<Expected> &expected)
{
    QCOMPARE(store.Count(), int(expected.size()));
    for (size_t i = 0; i < expected.size(); ++i) {
        const TSegLine &s = store.line(int32_t(i));
        const Expected &e = expected[i];
        QVERIFY2(Near(s.startPt.x, e.x0) && Near(s.startPt.y, e.y0) && Near(s.endPt.x, e.x1) &&
                     Near(s.endPt.y, e.y1),
                 qPrintable(QStringLiteral("segment %1").arg(i)));
        QCOMPARE(s.level, e.level);
    }
}

// The growth written plainly, one segment at a time through ExpandChildren and AddSegment:
// the reference that the store's faster growth must match bit for bit.
void ReferenceGrow(Tseglines &store, const BranchTable &t, int32_t n, const TSegLine &seg,
                   int32_t m)
{
    if (store.Full()) {
        return; // everything further would be dropped: the same store, sooner
    }
    store.AddSegment(seg);
    if (m == 0) {
        return;
    }
    TSegLine children[MaxBranches + 1];
    ExpandChildren(t, seg, m, children);
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        children[r].level = n;
    }
    for (int32_t r = 1; r <= t.BranchCount; ++r) {
        if (n <= 1) {
            store.AddSegment(children[r]);
        } else {
            ReferenceGrow(store, t, n - 1, children[r],
                              int32_t(std::clamp<int64_t>(int64_t{m} * t.Branches[size_t(r)].kind,
                                                          INT32_MIN, INT32_MAX)));
        }
    }
}

using test::SameBits;

} // namespace

class TestSegments : public QObject {
    Q_OBJECT
    std::unique_ptr<Tseglines> store = std::make_unique<Tseglines>();

private slots:
    void init() { store->Clear(); }

    void clearAndBox()
    {
        QCOMPARE(store->lastIndex, -1);
        QVERIFY(store->minX == 100000 && store->minY == 100000);
        QVERIFY(store->maxX == -100000 && store->maxY == -100000);
        store->AddSegment(Seg(0, 1, 0, 0));
        QVERIFY(store->minX == 0 && store->maxX == 0 && store->minY == 0 && store->maxY == 1);
        // A later segment widens the box by its end point only.
        store->AddSegment(Seg(5, 5, 0.5L, 0.5L));
        QVERIFY(store->maxX == 0.5L && store->minX == 0 && store->minY == 0 && store->maxY == 1);
        store->Clear();
        QCOMPARE(store->lastIndex, -1);
        QVERIFY(store->minX == 100000);
    }

    void capacity()
    {
        for (int i = 0; i <= MaxSegIndex; ++i) {
            store->AddSegment(Seg(0, 0, i, i));
        }
        QCOMPARE(store->lastIndex, MaxSegIndex);
        QVERIFY(store->Full());
        store->AddSegment(Seg(0, 0, -1e6L, 1e6L));
        QCOMPARE(store->lastIndex, MaxSegIndex);
        QVERIFY(store->minX == 0 && store->maxY == MaxSegIndex);
    }

    void defaultDepth1()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        GrowTree(t, *store, 1);
        CheckSegments(*store, {{0, 0, 0, 1, 2}, {0, 1, 0.5L, 1.5L, 1}, {0, 1, -0.5L, 1.5L, 1}});
        QVERIFY(store->line(0).widthFactor == 1.0L);
        QVERIFY(store->line(1).widthFactor == std::sqrt(0.5L));
        QVERIFY(store->line(2).widthFactor == std::sqrt(0.5L));
    }

    void depth2KindVariants_data()
    {
        QTest::addColumn<int>("kind1");
        QTest::addColumn<int>("kind2");
        QTest::addColumn<QList<QList<double>>>("segments");
        using L = QList<double>;
        QTest::addRow("both mirrored")
            << kindReverse << kindReverse
            << QList<L>{L{0, 0, 0, 1, 3},         L{0, 1, 0.5, 1.5, 2},     L{0.5, 1.5, 0.5, 2, 1},
                        L{0.5, 1.5, 1, 1.5, 1},   L{0, 1, -0.5, 1.5, 2},    L{-0.5, 1.5, -1, 1.5, 1},
                        L{-0.5, 1.5, -0.5, 2, 1}};
        QTest::addRow("both upright")
            << kindOrder << kindOrder
            << QList<L>{L{0, 0, 0, 1, 3},         L{0, 1, 0.5, 1.5, 2},     L{0.5, 1.5, 1, 1.5, 1},
                        L{0.5, 1.5, 0.5, 2, 1},   L{0, 1, -0.5, 1.5, 2},    L{-0.5, 1.5, -0.5, 2, 1},
                        L{-0.5, 1.5, -1, 1.5, 1}};
        QTest::addRow("second is a segment")
            << kindReverse << kindSegment
            << QList<L>{L{0, 0, 0, 1, 3}, L{0, 1, 0.5, 1.5, 2}, L{0.5, 1.5, 0.5, 2, 1},
                        L{0.5, 1.5, 1, 1.5, 1}, L{0, 1, -0.5, 1.5, 2}};
    }
    void depth2KindVariants()
    {
        QFETCH(int, kind1);
        QFETCH(int, kind2);
        QFETCH(QList<QList<double>>, segments);
        BranchTable t;
        SetDefaultTemplate(t, View150());
        t.Branches[1].kind = kind1;
        t.Branches[2].kind = kind2;
        GrowTree(t, *store, 2);
        std::vector<Expected> expected;
        for (const auto &s : segments) {
            expected.push_back({s[0], s[1], s[2], s[3], int(s[4])});
        }
        CheckSegments(*store, expected);
        if (kind2 == kindReverse) {
            QVERIFY(store->minX == -1 && store->minY == 0 && store->maxX == 1 &&
                    store->maxY == 2);
        }
        QVERIFY(std::fabs(store->line(2).widthFactor - 0.5L) < 1e-18L);
    }

    void segmentCountFollowsTheFormula_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("count");
        QTest::addRow("depth 2") << 2 << 7;
        QTest::addRow("depth 10") << 10 << 2047;
        QTest::addRow("depth 16") << 16 << 131071;
    }
    void segmentCountFollowsTheFormula()
    {
        QFETCH(int, depth);
        QFETCH(int, count);
        BranchTable t;
        SetDefaultTemplate(t, View150());
        GrowTree(t, *store, depth);
        QCOMPARE(store->Count(), count);
        QCOMPARE(EstimateSegmentCount(t, depth), count);
        QCOMPARE(store->line(0).level, depth + 1);
    }

    void growthStopsWhenFullWithTheSameResult()
    {
        // Twenty branches at depth 16 would be astronomically many segments: the growth must
        // stop at the store's capacity, keeping pre-order and the box of those it kept.
        BranchTable t;
        const ViewState v = View150();
        SetDefaultTemplate(t, v);
        while (AddBranch(t, v)) {
        }
        GrowTree(t, *store, 16);
        QCOMPARE(store->lastIndex, MaxSegIndex);
        QCOMPARE(store->line(0).level, 17);
        QCOMPARE(store->line(1).level, 16);
        QCOMPARE(store->line(16).level, 1);

        // Three branches at depth 11 (265720 segments) keep exactly the first 200001: the
        // same prefix as a depth at which nothing is dropped.
        SetDefaultTemplate(t, v);
        AddBranch(t, v);
        GrowTree(t, *store, 11);
        QCOMPARE(store->Count(), MaxSegIndex + 1);
        long double minX = store->line(0).startPt.x, maxX = minX;
        for (int32_t i = 0; i <= store->lastIndex; ++i) {
            const long double x = store->line(i).endPt.x;
            minX = std::fmin(minX, x);
            maxX = std::fmax(maxX, x);
        }
        QVERIFY(store->minX == minX && store->maxX == maxX);
    }

    void expandChildrenMatchesTheGrowth()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        GrowTree(t, *store, 3);
        // The children of segment 1 under its sign (mirrored) are stored at 2 and 5.
        TSegLine children[MaxBranches + 1];
        ExpandChildren(t, store->line(1), -1, children);
        for (auto [r, index] : {std::pair{1, 2}, std::pair{2, 5}}) {
            const TSegLine &stored = store->line(index);
            QCOMPARE(children[r].startPt, stored.startPt);
            QCOMPARE(children[r].endPt, stored.endPt);
            QVERIFY(children[r].widthFactor == stored.widthFactor);
        }
    }

    void growthMatchesThePlainRecursion_data()
    {
        QTest::addColumn<QList<int>>("kinds");
        QTest::addColumn<int>("depth");
        QTest::addRow("default, depth 9") << QList<int>{-1, -1} << 9;
        QTest::addRow("mixed kinds with a segment") << QList<int>{1, 0, -1} << 7;
        QTest::addRow("unknown kind values") << QList<int>{2, -1, 5} << 5;
        QTest::addRow("three branches past the capacity") << QList<int>{1, -1, 1} << 11;
        QTest::addRow("twenty branches, depth 16") << QList<int>(20, -1) << 16;
        QTest::addRow("segments only") << QList<int>{0, 0} << 16;
    }
    void growthMatchesThePlainRecursion()
    {
        QFETCH(QList<int>, kinds);
        QFETCH(int, depth);
        // Branches spread over the trunk at odd angles, so that every coordinate has inexact
        // digits to compare.
        const ViewState v = test::DefaultView(637, 611);
        BranchTable t;
        SetDefaultTemplate(t, v);
        t.BranchCount = 0;
        for (int i = 0; i < int(kinds.size()); ++i) {
            AddBranch(t, v);
            TBranch &row = t.Branches[size_t(i + 1)];
            row.kind = kinds[i];
            row.screenStart.y += 7 * i;
            row.screenEnd.x += (i % 2 ? -1 : 1) * (29 + 5 * i);
            row.screenEnd.y += 31 + 3 * i;
        }
        GrowTree(t, *store, depth);

        auto reference = std::make_unique<Tseglines>();
        TSegLine trunk;
        trunk.startPt = t.Branches[0].P;
        trunk.endPt = {t.Branches[0].P.x + t.Branches[0].V.x, t.Branches[0].P.y + t.Branches[0].V.y};
        trunk.level = depth + 1;
        trunk.widthFactor = 1.0L;
        ReferenceGrow(*reference, t, depth, trunk, +1);

        QCOMPARE(store->lastIndex, reference->lastIndex);
        for (int32_t i = 0; i <= store->lastIndex; ++i) {
            const TSegLine &a = store->line(i);
            const TSegLine &b = reference->line(i);
            QVERIFY2(SameBits(a.startPt.x, b.startPt.x) && SameBits(a.startPt.y, b.startPt.y) &&
                         SameBits(a.endPt.x, b.endPt.x) && SameBits(a.endPt.y, b.endPt.y) &&
                         SameBits(a.widthFactor, b.widthFactor) && a.level == b.level,
                     qPrintable(QStringLiteral("segment %1").arg(i)));
        }
        QVERIFY(SameBits(store->minX, reference->minX) && SameBits(store->maxX, reference->maxX));
        QVERIFY(SameBits(store->minY, reference->minY) && SameBits(store->maxY, reference->maxY));
    }

    void zeroVectorBranch()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        t.Branches[2].screenEnd = t.Branches[2].screenStart;
        t.Branches[2].moved = true;
        GrowTree(t, *store, 1);
        const TSegLine &s = store->line(2);
        QCOMPARE(s.startPt, s.endPt);
        QVERIFY(s.widthFactor == 0.0L);
    }

    void noBranchesStoresTheTrunkOnly()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        t.BranchCount = 0;
        for (int d : {1, 16}) {
            GrowTree(t, *store, d);
            QCOMPARE(store->Count(), 1);
            QCOMPARE(EstimateSegmentCount(t, d), 1);
        }
    }

    void estimates_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("estimate");
        QTest::addRow("default depth 1") << 2 << 1 << 3;
        QTest::addRow("default depth 16") << 2 << 16 << 131071;
        QTest::addRow("three at 10") << 3 << 10 << 88573;
        QTest::addRow("three at 11") << 3 << 11 << 265720;
        QTest::addRow("twenty at 16 capped") << 20 << 16 << 2147483647;
        QTest::addRow("zero depth") << 2 << 0 << 1;
    }
    void estimates()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(int, estimate);
        BranchTable t;
        const ViewState v = View150();
        SetDefaultTemplate(t, v);
        while (t.BranchCount < branches) {
            AddBranch(t, v);
        }
        QCOMPARE(EstimateSegmentCount(t, depth), estimate);
    }

    void estimateCountsTrunkKindAndSkipsLastRow()
    {
        BranchTable t;
        SetDefaultTemplate(t, View150());
        t.Branches[2].kind = kindSegment; // the last row is not counted
        QCOMPARE(EstimateSegmentCount(t, 2), 7);
        t.Branches[0].kind = kindOrder; // a trunk of another kind counts as growing
        QCOMPARE(EstimateSegmentCount(t, 2), 9);
    }
};

QTEST_APPLESS_MAIN(TestSegments)
#include "test_segments.moc"
