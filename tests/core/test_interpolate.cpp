#include "core/interpolate.h"

#include <QtTest>
#include <cmath>
#include <numbers>

using namespace ramulet;

namespace {

// A normalised row at `degrees` from the trunk's axis (counter-clockwise), `length` trunk
// lengths long, starting `pos` along the trunk.
TBranch Row(long double degrees, long double length, long double pos, int32_t kind) {
    const long double a = degrees * std::numbers::pi_v<long double> / 180.0L;
    TBranch r;
    r.P = {0.0L, pos};
    r.V = {-length * std::sin(a), length * std::cos(a)};
    r.ratio = length;
    r.kind = kind;
    return r;
}

BranchTable Table(std::initializer_list<TBranch> rows) {
    BranchTable t;
    t.Branches[0].P = {0.0L, 0.0L};
    t.Branches[0].V = {0.0L, 1.0L};
    t.Branches[0].ratio = 1.0L;
    for (const TBranch &r : rows) {
        t.Branches[static_cast<size_t>(++t.BranchCount)] = r;
    }
    return t;
}

long double Degrees(const TPointE &v) {
    return std::atan2(-v.x, v.y) * 180.0L / std::numbers::pi_v<long double>;
}

bool Near(long double a, long double b) {
    return std::fabs(a - b) < 1e-12L;
}

} // namespace

class TestInterpolate : public QObject {
    Q_OBJECT
private slots:
    void endsAreExact() {
        const BranchTable a = Table({Row(45, 0.7L, 1, kindReverse)});
        const BranchTable b = Table({Row(-30, 0.5L, 0.5L, kindOrder), Row(10, 0.3L, 1, 0)});
        for (long double t : {0.0L, 1.0L}) {
            const BranchTable &want = t == 0.0L ? a : b;
            const BranchTable got = InterpolateTemplates(a, b, t);
            QCOMPARE(got.BranchCount, want.BranchCount);
            for (int32_t r = 0; r <= got.BranchCount; ++r) {
                const size_t i = static_cast<size_t>(r);
                QCOMPARE(got.Branches[i].V, want.Branches[i].V);
                QCOMPARE(got.Branches[i].P, want.Branches[i].P);
                QCOMPARE(got.Branches[i].kind, want.Branches[i].kind);
            }
        }
    }

    // Row 1 of the result at t: angle (degrees), length, position and kind.
    void rowBlend_data() {
        QTest::addColumn<double>("degA");
        QTest::addColumn<double>("lenA");
        QTest::addColumn<int>("kindA");
        QTest::addColumn<double>("degB");
        QTest::addColumn<double>("lenB");
        QTest::addColumn<int>("kindB");
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("degWant");
        QTest::addColumn<double>("lenWant");
        QTest::addColumn<int>("kindWant");
        // Lengths through their logarithm: half way from 0.25 to 1 is 0.5, not 0.625.
        QTest::addRow("log length")
            << 30.0 << 0.25 << 1 << 30.0 << 1.0 << 1 << 0.5 << 30.0 << 0.5 << 1;
        // Angles, not end points: a mirror pair keeps its length half way (end points
        // would meet on the axis at length cos 45).
        QTest::addRow("mirror") << 45.0 << 0.7 << -1 << -45.0 << 0.7 << -1 << 0.5 << 0.0 << 0.7
                                << -1;
        // The shorter way round: 170 to -170 passes 180, not 0.
        QTest::addRow("wrap") << 170.0 << 0.5 << 1 << -170.0 << 0.5 << 1 << 0.5 << 180.0 << 0.5
                              << 1;
        // A change of kind passes through length 0 at the middle.
        QTest::addRow("kind quarter")
            << 20.0 << 0.6 << 1 << 20.0 << 0.6 << -1 << 0.25 << 20.0 << 0.3 << 1;
        QTest::addRow("kind middle")
            << 20.0 << 0.6 << 1 << 20.0 << 0.6 << -1 << 0.5 << 20.0 << 0.0 << -1;
        QTest::addRow("kind late")
            << 20.0 << 0.6 << 1 << 20.0 << 0.6 << -1 << 0.75 << 20.0 << 0.3 << -1;
        // From or to a row of length 0: linear.
        QTest::addRow("from nothing")
            << 20.0 << 0.0 << 1 << 20.0 << 0.8 << 1 << 0.25 << 20.0 << 0.2 << 1;
    }
    void rowBlend() {
        QFETCH(double, degA);
        QFETCH(double, lenA);
        QFETCH(int, kindA);
        QFETCH(double, degB);
        QFETCH(double, lenB);
        QFETCH(int, kindB);
        QFETCH(double, t);
        QFETCH(double, degWant);
        QFETCH(double, lenWant);
        QFETCH(int, kindWant);
        const BranchTable a = Table({Row(degA, lenA, 0.25L, kindA)});
        const BranchTable b = Table({Row(degB, lenB, 0.75L, kindB)});
        const TBranch r = InterpolateTemplates(a, b, t).Branches[1];
        QVERIFY2(Near(r.ratio, lenWant), qPrintable(QString::number(double(r.ratio))));
        QVERIFY(Near(std::hypot(r.V.x, r.V.y), lenWant));
        if (lenWant > 0) {
            const long double d = std::remainder(Degrees(r.V) - degWant, 360.0L);
            QVERIFY2(std::fabs(d) < 1e-9L, qPrintable(QString::number(double(Degrees(r.V)))));
        }
        QVERIFY(Near(r.P.y, 0.25L + 0.5L * t));
        QCOMPARE(r.kind, kindWant);
        QVERIFY(!r.moved);
    }

    // Rows only one template has grow from or shrink to length 0.
    void unmatchedRows_data() {
        QTest::addColumn<bool>("onlyInA");
        QTest::addColumn<double>("t");
        QTest::addColumn<double>("lenWant");
        QTest::addRow("leaving") << true << 0.25 << 0.3;
        QTest::addRow("arriving") << false << 0.25 << 0.1;
    }
    void unmatchedRows() {
        QFETCH(bool, onlyInA);
        QFETCH(double, t);
        QFETCH(double, lenWant);
        const BranchTable one = Table({Row(0, 0.5L, 1, kindOrder)});
        const BranchTable two = Table({Row(0, 0.5L, 1, kindOrder), Row(60, 0.4L, 0.5L, 0)});
        const BranchTable got =
            onlyInA ? InterpolateTemplates(two, one, t) : InterpolateTemplates(one, two, t);
        QCOMPARE(got.BranchCount, 2);
        const TBranch &r = got.Branches[2];
        QVERIFY(Near(r.ratio, lenWant));
        QVERIFY(Near(Degrees(r.V), 60.0L));
        QVERIFY(Near(r.P.y, 0.5L));
        QCOMPARE(r.kind, kindSegment);
    }

    void colors_data() {
        QTest::addColumn<uint>("a");
        QTest::addColumn<uint>("b");
        QTest::addColumn<double>("t");
        QTest::addColumn<uint>("want");
        QTest::addRow("start") << 0x0000A0u << 0x00A000u << 0.0 << 0x0000A0u;
        QTest::addRow("end") << 0x0000A0u << 0x00A000u << 1.0 << 0x00A000u;
        QTest::addRow("half, to even") << 0x000001u << 0x030000u << 0.5 << 0x020000u;
        QTest::addRow("channels apart") << 0x102030u << 0x302010u << 0.5 << 0x202020u;
    }
    void colors() {
        QFETCH(uint, a);
        QFETCH(uint, b);
        QFETCH(double, t);
        QFETCH(uint, want);
        QCOMPARE(InterpolateColor(a, b, t), want);
    }
};

QTEST_APPLESS_MAIN(TestInterpolate)
#include "test_interpolate.moc"
