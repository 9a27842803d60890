#include "core/numeric.h"
#include "core/viewstate.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ramulet;

namespace {

ViewState DefaultView(int32_t w = 636, int32_t h = 634)
{
    ViewState v;
    v.SetViewSize(w, h);
    v.ResetView();
    return v;
}

bool Near(long double a, long double b, long double eps) { return std::fabs(a - b) <= eps; }

} // namespace

class TestViewState : public QObject {
    Q_OBJECT
private slots:
    void roundEven_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("expected");
        QTest::addRow("412.5 to even below") << 412.5 << 412;
        QTest::addRow("413.5 to even above") << 413.5 << 414;
        QTest::addRow("-0.5 to zero") << -0.5 << 0;
        QTest::addRow("-1.5 to -2") << -1.5 << -2;
        QTest::addRow("2.4999 down") << 2.4999 << 2;
        QTest::addRow("2.5001 up") << 2.5001 << 3;
        QTest::addRow("saturates high") << 1e30 << std::numeric_limits<int32_t>::max();
        QTest::addRow("saturates low") << -1e30 << std::numeric_limits<int32_t>::min();
        QTest::addRow("nan is zero") << std::nan("") << 0;
    }
    void roundEven()
    {
        QFETCH(double, value);
        QFETCH(int, expected);
        QCOMPARE(RoundEven(static_cast<long double>(value)), expected);
    }

    void defaultViewFigures()
    {
        const ViewState v = DefaultView();
        QCOMPARE(v.ViewOrigin, (TPixel{318, 317}));
        QVERIFY(v.ViewScale == 636 * 0.3L);
        QCOMPARE(v.ModelToScreen({0, 0}), (TPixel{318, 603}));
        QCOMPARE(v.ModelToScreen({0, 1}), (TPixel{318, 412}));
        QCOMPARE(v.ScreenToModel({318, 317}), (TPointE{0.0L, 1.5L}));
        QCOMPARE(v.PictureHeight, 7975);
        QVERIFY(v.PictureFactor == 8000.0L / 636);
    }

    void modelToPictureLandsWhereTheEditorDraws()
    {
        const ViewState v = DefaultView();
        const TPointE p = v.ModelToPicture({0, 1});
        // Unrounded view position 318 x 411.6... scaled to picture units.
        QVERIFY(Near(p.x, 318 * v.PictureFactor, 1e-12L));
        QVERIFY(Near(p.y / v.PictureFactor, 317 + 190.8L * 0.5L, 1e-12L));
    }

    void oddSizeHalvesTruncate()
    {
        const ViewState v = DefaultView(637, 635);
        QCOMPARE(v.ViewOrigin, (TPixel{318, 317}));
    }

    void clicks_data()
    {
        QTest::addColumn<int>("button");
        QTest::addColumn<uint>("shift");
        QTest::addColumn<int>("effect");
        QTest::addColumn<double>("scale");
        QTest::addColumn<int>("originX");
        QTest::addColumn<int>("originY");
        const int left = int(MouseButton::Left), right = int(MouseButton::Right),
                  middle = int(MouseButton::Middle);
        const int in = int(ClickEffect::ZoomedIn), out = int(ClickEffect::ZoomedOut),
                  centre = int(ClickEffect::Recentred);
        QTest::addRow("left zooms in") << left << 0u << in << 269.8319 << 100 << 200;
        QTest::addRow("right zooms out") << right << 0u << out << 134.9160 << 100 << 200;
        QTest::addRow("shift+left recentres") << left << uint(ssShift) << centre << 190.8 << 318 << 317;
        QTest::addRow("ctrl+left recentres") << left << uint(ssCtrl) << centre << 190.8 << 318 << 317;
        QTest::addRow("shift+right recentres") << right << uint(ssShift) << centre << 190.8 << 318 << 317;
        QTest::addRow("middle recentres") << middle << 0u << centre << 190.8 << 318 << 317;
        QTest::addRow("middle with alt recentres") << middle << uint(ssAlt) << centre << 190.8 << 318 << 317;
        QTest::addRow("ctrl+shift+left zooms in") << left << uint(ssCtrl | ssShift) << in << 269.8319 << 100 << 200;
        QTest::addRow("alt+left zooms in") << left << uint(ssAlt) << in << 269.8319 << 100 << 200;
        QTest::addRow("alt+right zooms out") << right << uint(ssAlt) << out << 134.9160 << 100 << 200;
        QTest::addRow("shift with a held button zooms")
            << left << uint(ssShift | ssRight) << in << 269.8319 << 100 << 200;
    }
    void clicks()
    {
        QFETCH(int, button);
        QFETCH(uint, shift);
        QFETCH(int, effect);
        QFETCH(double, scale);
        QFETCH(int, originX);
        QFETCH(int, originY);
        ViewState v = DefaultView();
        const ClickEffect e = v.ApplyClick(100, 200, MouseButton(button), shift);
        QCOMPARE(int(e), effect);
        QVERIFY2(Near(v.ViewScale, scale, 1e-4L), qPrintable(QString::number(double(v.ViewScale))));
        QCOMPARE(v.ViewOrigin, (TPixel{originX, originY}));
        QVERIFY(Near(v.ViewCenter.x, -1.142558L, 1e-6L));
        QVERIFY(Near(v.ViewCenter.y, 2.113208L, 1e-6L));
    }

    void clickKeepsThePointUnderTheCursor()
    {
        ViewState v = DefaultView();
        const TPointE before = v.ScreenToModel({100, 200});
        v.ApplyClick(100, 200, MouseButton::Left, 0);
        const TPointE after = v.ScreenToModel({100, 200});
        QVERIFY(Near(before.x, after.x, 1e-15L) && Near(before.y, after.y, 1e-15L));
    }

    void zoomInTwiceOutTwiceRestoresTheMapping()
    {
        ViewState v = DefaultView();
        const ViewState orig = v;
        v.ApplyClick(100, 200, MouseButton::Left, 0);
        v.ApplyClick(100, 200, MouseButton::Left, 0);
        v.ApplyClick(100, 200, MouseButton::Right, 0);
        v.ApplyClick(100, 200, MouseButton::Right, 0);
        for (TPixel p : {TPixel{0, 0}, TPixel{635, 633}, TPixel{318, 317}, TPixel{17, 500}}) {
            const TPointE a = orig.ScreenToModel(p);
            const TPointE b = v.ScreenToModel(p);
            QVERIFY(Near(a.x, b.x, 1e-12L) && Near(a.y, b.y, 1e-12L));
        }
    }

    void deepZoomIsCappedAndStaysFinite()
    {
        ViewState v = DefaultView();
        for (int i = 0; i < 400; ++i) {
            v.ApplyClick(10, 10, MouseButton::Left, 0);
        }
        QVERIFY(v.ViewScale <= ViewState::MaxScale);
        QVERIFY(std::isfinite(v.ViewCenter.x) && std::isfinite(v.ViewCenter.y));
        const TPointE p = v.ModelToPicture({1000, -1000});
        QVERIFY(std::isfinite(p.x) && std::isfinite(p.y));
        for (int i = 0; i < 800; ++i) {
            v.ApplyClick(10, 10, MouseButton::Right, 0);
        }
        QVERIFY(v.ViewScale >= ViewState::MinScale && v.ViewScale > 0);
    }

    // The wheel is the click's zoom: n notches at a pixel give the view of n clicks there.
    void wheelIsClicks_data()
    {
        QTest::addColumn<int>("notches");
        QTest::addRow("one in") << 1;
        QTest::addRow("three in") << 3;
        QTest::addRow("two out") << -2;
        QTest::addRow("none") << 0;
    }
    void wheelIsClicks()
    {
        QFETCH(int, notches);
        ViewState wheel = DefaultView();
        ViewState clicks = wheel;
        wheel.ZoomAt(100, 200, notches);
        for (int i = 0; i < std::abs(notches); ++i) {
            clicks.ApplyClick(100, 200, notches > 0 ? MouseButton::Left : MouseButton::Right, 0);
        }
        QVERIFY(wheel.ViewScale == clicks.ViewScale);
        QCOMPARE(wheel.ViewOrigin, clicks.ViewOrigin);
        QVERIFY(wheel.ViewCenter == clicks.ViewCenter);
    }

    // A press and release within 4 pixels is a click; further, the view follows the mouse.
    void gesture_data()
    {
        QTest::addColumn<int>("dx");
        QTest::addColumn<int>("dy");
        QTest::addColumn<bool>("pans");
        QTest::addRow("still") << 0 << 0 << false;
        QTest::addRow("4 right and 4 up is a click") << 4 << -4 << false;
        QTest::addRow("5 left pans") << -5 << 0 << true;
        QTest::addRow("5 down pans") << 2 << 5 << true;
        QTest::addRow("far") << 300 << -250 << true;
    }
    void gesture()
    {
        QFETCH(int, dx);
        QFETCH(int, dy);
        QFETCH(bool, pans);
        ViewState v = DefaultView();
        v.ApplyClick(100, 200, MouseButton::Left, 0);
        const ViewState before = v;
        TreeViewGesture g;
        g.press({400, 300}, v);
        g.move({400 + dx / 2, 300 + dy / 2}, v);
        QCOMPARE(g.move({400 + dx, 300 + dy}, v) || g.panning(), pans);
        QCOMPARE(g.panning(), pans);
        QVERIFY(v.ViewScale == before.ViewScale);
        QVERIFY(v.ViewCenter == before.ViewCenter);
        const TPixel origin = pans ? TPixel{100 + dx, 200 + dy} : TPixel{100, 200};
        QCOMPARE(v.ViewOrigin, origin);
        // Once panning, a return to the press point is a pan back, not a click.
        g.move({400, 300}, v);
        QCOMPARE(v.ViewOrigin, (TPixel{100, 200}));
        QCOMPARE(g.panning(), pans);
    }

    void zeroSizeViewKeepsGeometry()
    {
        ViewState v = DefaultView();
        QVERIFY(!v.SetViewSize(0, 634));
        QCOMPARE(v.PictureHeight, 7975);
        // Reset without area: the default view of the last size with area, not a collapsed one.
        v.ViewScale = 5000.0L;
        v.ResetView();
        QVERIFY(v.ViewScale == DefaultView().ViewScale);
        QCOMPARE(v.ViewOrigin, DefaultView().ViewOrigin);
        QVERIFY(!v.SetViewSize(636, 0));
        QVERIFY(v.SetViewSize(500, 500));
        QCOMPARE(v.PictureHeight, 8000);
    }
};

QTEST_APPLESS_MAIN(TestViewState)
#include "test_viewstate.moc"
