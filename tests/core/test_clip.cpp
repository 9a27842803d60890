#include "core/clip.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ramulet;

class TestClip : public QObject {
    Q_OBJECT
private slots:
    void segments_data()
    {
        QTest::addColumn<double>("x0");
        QTest::addColumn<double>("y0");
        QTest::addColumn<double>("x1");
        QTest::addColumn<double>("y1");
        QTest::addColumn<bool>("visible");
        QTest::addColumn<QList<double>>("clipped");
        const double nan = std::nan("");
        const double inf = std::numeric_limits<double>::infinity();
        // The box is [0, 100] x [0, 50].
        QTest::addRow("inside unchanged") << 10.0 << 10.0 << 90.0 << 40.0 << true
                                          << QList<double>{10, 10, 90, 40};
        QTest::addRow("crossing both sides") << -100.0 << 25.0 << 200.0 << 25.0 << true
                                             << QList<double>{0, 25, 100, 25};
        QTest::addRow("diagonal from outside") << -50.0 << -50.0 << 50.0 << 50.0 << true
                                               << QList<double>{0, 0, 50, 50};
        QTest::addRow("on the border") << 0.0 << 0.0 << 0.0 << 50.0 << true
                                       << QList<double>{0, 0, 0, 50};
        QTest::addRow("parallel outside") << -10.0 << -5.0 << 110.0 << -5.0 << false
                                          << QList<double>{};
        QTest::addRow("wholly beside") << 200.0 << 0.0 << 300.0 << 50.0 << false << QList<double>{};
        QTest::addRow("missing the corner") << 90.0 << -20.0 << 130.0 << 20.0 << false
                                            << QList<double>{};
        QTest::addRow("huge coordinates") << -1e300 << 25.0 << 1e300 << 25.0 << true
                                          << QList<double>{0, 25, 100, 25};
        QTest::addRow("not a number") << nan << 10.0 << 50.0 << 10.0 << false << QList<double>{};
        QTest::addRow("infinite end") << 10.0 << 10.0 << inf << 10.0 << false << QList<double>{};
    }
    void segments()
    {
        QFETCH(double, x0);
        QFETCH(double, y0);
        QFETCH(double, x1);
        QFETCH(double, y1);
        QFETCH(bool, visible);
        QFETCH(QList<double>, clipped);
        long double a = x0, b = y0, c = x1, d = y1;
        QCOMPARE(ClipSegment(a, b, c, d, {0, 0, 100, 50}), visible);
        if (visible) {
            const long double got[4] = {a, b, c, d};
            for (int i = 0; i < 4; ++i) {
                QVERIFY2(std::fabs(got[i] - clipped[i]) < 1e-9L, qPrintable(QString::number(i)));
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestClip)
#include "test_clip.moc"
