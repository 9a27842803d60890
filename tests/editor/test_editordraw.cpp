#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "editor/editordraw.h"

#include <QImage>
#include <QPainter>
#include "common/testsupport.h"

#include <QtTest>

#include <cmath>
#include <limits>

using namespace ramulet;

namespace {

using test::I32Max;
using test::I32Min;
using test::TrunkOnly;
using test::View600;

void AddRow(BranchTable &t, TPixel s, TPixel e, int32_t kind)
{
    ++t.BranchCount;
    TBranch &r = t.Branches[static_cast<size_t>(t.BranchCount)];
    r.screenStart = s;
    r.screenEnd = e;
    r.kind = kind;
}

const QColor TextColor(255, 0, 255); // a colour no other part of the editor uses

QImage Paint(const BranchTable &t, QSize size = QSize(600, 600))
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(Qt::black);
    QPainter p(&img);
    PaintEditor(p, size, t, View600(), TextColor);
    return img;
}

QRgb Bgr(uint32_t bgr) { return ColorFromBGR(bgr).rgb(); }

// Label pixels: text in TextColor blended over the light background keeps red and blue
// high and loses green, which no arrow, circle or grid colour does.
int CountTextPixels(const QImage &img, QRect area)
{
    int n = 0;
    area = area.intersected(img.rect());
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.red() > 200 && c.blue() > 200 && c.green() < 160) {
                ++n;
            }
        }
    }
    return n;
}

bool AnyPixelNear(const QImage &img, int x, int y, QRgb colour, int reach = 1)
{
    for (int dy = -reach; dy <= reach; ++dy) {
        for (int dx = -reach; dx <= reach; ++dx) {
            if (img.rect().contains(x + dx, y + dy) && img.pixel(x + dx, y + dy) == colour) {
                return true;
            }
        }
    }
    return false;
}

// A table whose estimate counts `b` rows of a growing kind and `p` segment rows among rows
// 0..count-1 (the last row's kind does not count).
BranchTable EstimateTable(int32_t count, int32_t b)
{
    BranchTable t = TrunkOnly();
    t.BranchCount = count;
    for (int32_t i = 0; i <= count; ++i) {
        t.Branches[static_cast<size_t>(i)].kind = i < b ? kindReverse : kindSegment;
    }
    return t;
}

} // namespace

class TestEditorDraw : public QObject {
    Q_OBJECT
private slots:
    void backgroundAndGrid_data()
    {
        QTest::addColumn<int>("x");
        QTest::addColumn<int>("y");
        QTest::addColumn<uint>("colour");
        QTest::addRow("corner outside the grid") << 5 << 5 << uint(EditorBackColor);
        QTest::addRow("between grid lines") << 135 << 225 << uint(EditorBackColor);
        QTest::addRow("bottom line y=0") << 150 << 570 << uint(EditorGridColor);
        QTest::addRow("top line y=2") << 200 << 210 << uint(EditorGridColor);
        QTest::addRow("left line x=-1") << 120 << 400 << uint(EditorGridColor);
        QTest::addRow("right line x=1") << 480 << 250 << uint(EditorGridColor);
        QTest::addRow("inner line x=-1/2") << 210 << 225 << uint(EditorGridColor);
        QTest::addRow("grid ends at x=1") << 490 << 390 << uint(EditorBackColor);
        QTest::addRow("grid ends at y=2") << 200 << 200 << uint(EditorBackColor);
    }
    void backgroundAndGrid()
    {
        QFETCH(int, x);
        QFETCH(int, y);
        QFETCH(uint, colour);
        const QImage img = Paint(TrunkOnly());
        QCOMPARE(img.pixel(x, y), Bgr(colour));
    }

    void formatRatio_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("text");
        QTest::addRow("0.7") << 0.7 << "0.70";
        QTest::addRow("1") << 1.0 << "1.00";
        QTest::addRow("12.345") << 12.345 << "12.30";
        QTest::addRow("2") << 2.0 << "2.00";
        QTest::addRow("0") << 0.0 << "0.00";
        QTest::addRow("below the last decimal") << 0.004 << "0.00";
        QTest::addRow("three digits of a small value") << 0.12345 << "0.12";
        QTest::addRow("rounding carries") << 9.996 << "10.00";
        QTest::addRow("1000 and more") << 1234.5 << "1230.00";
        QTest::addRow("large") << 6.0e9 << "6000000000.00";
        // The three-digit value is rounded to two decimals as a decimal, not as the nearest
        // binary number (0.895 is stored a little below 0.895).
        QTest::addRow("0.895 to 0.90") << 0.89529 << "0.90";
        QTest::addRow("0.775 to 0.78") << 0.7749 << "0.78";
        QTest::addRow("0.545 to 0.55") << 0.545 << "0.55";
        QTest::addRow("0.005 to 0.01") << 0.005 << "0.01";
        QTest::addRow("0.0995 to 0.10") << 0.0995 << "0.10";
        QTest::addRow("not finite") << std::numeric_limits<double>::infinity() << "";
        QTest::addRow("not a number") << std::numeric_limits<double>::quiet_NaN() << "";
    }
    void formatRatio()
    {
        QFETCH(double, value);
        QFETCH(QString, text);
        QCOMPARE(FormatRatio(static_cast<long double>(value)), text);
    }

    // The barb for an arrow pointing straight up, 100 pixels long: about 0.59 x 20 to the
    // side and 0.81 x 20 below the tip; the inner corner 2/15 of the length back.
    void arrowHeadGeometry_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("hasHead");
        QTest::addColumn<int>("p2x");
        QTest::addColumn<int>("p2y");
        QTest::addRow("trunk, whatever its kind") << 0 << 5 << true << 188 << 116;
        QTest::addRow("kindOrder: barb on the left") << 1 << int(kindOrder) << true << 188 << 116;
        QTest::addRow("kindReverse: barb on the right") << 1 << int(kindReverse) << true << 212 << 116;
        QTest::addRow("kindSegment: no head") << 1 << int(kindSegment) << false << 0 << 0;
        QTest::addRow("unknown kind: no head") << 1 << 7 << false << 0 << 0;
    }
    void arrowHeadGeometry()
    {
        QFETCH(int, row);
        QFETCH(int, kind);
        QFETCH(bool, hasHead);
        QFETCH(int, p2x);
        QFETCH(int, p2y);
        BranchTable t = TrunkOnly();
        AddRow(t, {200, 200}, {200, 100}, kindOrder);
        t.Branches[static_cast<size_t>(row)] = t.Branches[1];
        t.Branches[static_cast<size_t>(row)].kind = kind;
        const ArrowGeometry g = ComputeArrow(t, row, 100.0L);
        QCOMPARE(g.hasHead, hasHead);
        if (hasHead) {
            QCOMPARE(g.p2x, int64_t{p2x});
            QCOMPARE(g.p2y, int64_t{p2y});
            QCOMPARE(g.p3x, int64_t{200});
            QCOMPARE(g.p3y, int64_t{113}); // 100 + 40/3, rounded
        }
        QCOMPARE(g.label, QStringLiteral("1.00"));
    }

    // Pixels of the heads: the trunk and kindOrder heads lie left of the shaft seen from
    // tail to tip, kindReverse right; segments and unknown kinds have none.
    void arrowHeadPixels_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<uint>("colour");
        QTest::addColumn<int>("headSide"); // -1 left, 1 right, 0 none
        QTest::addRow("kindOrder") << int(kindOrder) << uint(EditorOrderColor) << -1;
        QTest::addRow("kindReverse") << int(kindReverse) << uint(EditorReverseColor) << 1;
        QTest::addRow("kindSegment") << int(kindSegment) << uint(EditorSegmentColor) << 0;
        QTest::addRow("unknown kind") << -3 << uint(EditorSegmentColor) << 0;
    }
    void arrowHeadPixels()
    {
        QFETCH(int, kind);
        QFETCH(uint, colour);
        QFETCH(int, headSide);
        BranchTable t = TrunkOnly();
        // Pointing up from (400, 500) to (400, 320): the head's centroid is 7 px beside the
        // shaft, 18 px below the tip.
        AddRow(t, {400, 500}, {400, 320}, kind);
        const QImage img = Paint(t);
        QVERIFY(AnyPixelNear(img, 400, 450, Bgr(colour)));
        QCOMPARE(img.pixel(407, 338) == Bgr(colour), headSide == 1);
        QCOMPARE(img.pixel(393, 338) == Bgr(colour), headSide == -1);
        // The trunk: colour 0x0000A0 and its head on the left, whatever its kind.
        QVERIFY(AnyPixelNear(img, 300, 440, Bgr(EditorTrunkColor)));
        QCOMPARE(img.pixel(293, 408), Bgr(EditorTrunkColor));
        QVERIFY(img.pixel(307, 408) != Bgr(EditorTrunkColor));
    }

    // Seen from tail to tip, a kindReverse barb is on the right also for other directions.
    void reverseHeadPointingRight()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {130, 250}, {310, 250}, kindReverse); // pointing right: right is down
        const QImage img = Paint(t);
        QCOMPARE(img.pixel(292, 257), Bgr(EditorReverseColor));
        QVERIFY(img.pixel(292, 243) != Bgr(EditorReverseColor));
    }

    void endPointCircles()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320}, kindSegment);
        const QImage img = Paint(t);
        // Outlined red, filled with the background; the trunk's end has none.
        QVERIFY(AnyPixelNear(img, 394, 320, Bgr(EditorCircleColor)));
        QCOMPARE(img.pixel(397, 317), Bgr(EditorBackColor));
        QVERIFY(!AnyPixelNear(img, 294, 390, Bgr(EditorCircleColor), 2));
    }

    void labelGeometry_data()
    {
        QTest::addColumn<int>("sx");
        QTest::addColumn<int>("sy");
        QTest::addColumn<int>("ex");
        QTest::addColumn<int>("ey");
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("lx");
        QTest::addColumn<int>("ly");
        // The trunk is 180 pixels long.
        QTest::addRow("as long as the trunk") << 0 << 0 << 180 << 0 << "1.00" << 90 << 0;
        QTest::addRow("twice the trunk") << 10 << 10 << 10 << 370 << "2.00" << 10 << 190;
        QTest::addRow("collapsed row") << 50 << 60 << 50 << 60 << "0.00" << 50 << 60;
        QTest::addRow("0.7 of the trunk") << 0 << 0 << 0 << 126 << "0.70" << 0 << 63;
        QTest::addRow("halving truncates toward zero") << -3 << -5 << 0 << 0 << "0.03" << -1 << -2;
    }
    void labelGeometry()
    {
        QFETCH(int, sx);
        QFETCH(int, sy);
        QFETCH(int, ex);
        QFETCH(int, ey);
        QFETCH(QString, label);
        QFETCH(int, lx);
        QFETCH(int, ly);
        BranchTable t = TrunkOnly();
        AddRow(t, {sx, sy}, {ex, ey}, kindOrder);
        const ArrowGeometry g = ComputeArrow(t, 1, TrunkPixelLength(t));
        QVERIFY(g.hasLabel);
        QCOMPARE(g.label, label);
        QCOMPARE(g.labelX, int64_t{lx});
        QCOMPARE(g.labelY, int64_t{ly});
    }

    void labelsAreDrawnInTheTextColour()
    {
        const QImage img = Paint(TrunkOnly());
        // The trunk's "1.00" has its top-left corner at the shaft's midpoint (300, 480).
        QVERIFY(CountTextPixels(img, QRect(300, 480, 60, 30)) > 10);
        QCOMPARE(CountTextPixels(img, QRect(0, 0, 600, 470)), 0);
    }

    void zeroLengthTrunkDrawsNoLabels()
    {
        BranchTable t = TrunkOnly();
        t.Branches[0].screenEnd = t.Branches[0].screenStart;
        AddRow(t, {400, 500}, {400, 320}, kindReverse);
        QCOMPARE(TrunkPixelLength(t), 0.0L);
        QVERIFY(!ComputeArrow(t, 1, 0.0L).hasLabel);
        const QImage img = Paint(t);
        QCOMPARE(CountTextPixels(img, img.rect()), 0);
        // The branch is still drawn.
        QVERIFY(AnyPixelNear(img, 400, 450, Bgr(EditorReverseColor)));
    }

    void defaultTemplateHasMirroredGreenBranches()
    {
        BranchTable t;
        SetDefaultTemplate(t, View600());
        const QImage img = Paint(t);
        // The right branch runs from (300, 390) to (390, 300); its head is on the right of
        // the shaft seen from tail to tip, that is below-right of the diagonal.
        const ArrowGeometry g = ComputeArrow(t, 1, TrunkPixelLength(t));
        QCOMPARE(g.label, QStringLiteral("0.71"));
        const int cx = static_cast<int>((g.ex + g.p2x + g.p3x) / 3);
        const int cy = static_cast<int>((g.ey + g.p2y + g.p3y) / 3);
        // Right of the shaft seen from tail (300, 390) to tip (390, 300): below the diagonal
        // x + y = 690.
        QCOMPARE(t.Branches[1].screenStart, (TPixel{300, 390}));
        QCOMPARE(t.Branches[1].screenEnd, (TPixel{390, 300}));
        QVERIFY(cx + cy > 690);
        QCOMPARE(img.pixel(cx, cy), Bgr(EditorReverseColor));
    }

    void hugeCoordinatesAreDrawnAsFarAsInside()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {I32Min, I32Min}, {I32Max, I32Max}, kindOrder);
        // On the line x + y = 599.
        AddRow(t, {I32Max, 599 - I32Max}, {599 - I32Max, I32Max}, kindReverse);
        AddRow(t, {I32Min, 100}, {I32Max, 100}, kindSegment);
        const ArrowGeometry g = ComputeArrow(t, 1, TrunkPixelLength(t));
        QVERIFY(g.hasLabel);
        const QImage img = Paint(t);
        QVERIFY(AnyPixelNear(img, 100, 100, Bgr(EditorOrderColor)));
        QVERIFY(AnyPixelNear(img, 250, 349, Bgr(EditorReverseColor)));
        QVERIFY(AnyPixelNear(img, 50, 100, Bgr(EditorSegmentColor)));
        // A collapsed trunk with huge branches: no division by zero, nothing faults.
        t.Branches[0].screenStart = t.Branches[0].screenEnd = {I32Max, I32Min};
        const QImage img2 = Paint(t);
        QCOMPARE(CountTextPixels(img2, img2.rect()), 0);
    }

    void highlightPointDisc_data()
    {
        QTest::addColumn<int>("lastKind");
        QTest::addColumn<uint>("ring");
        QTest::addRow("last branch kindOrder") << int(kindOrder) << uint(EditorOrderColor);
        QTest::addRow("last branch kindReverse") << int(kindReverse) << uint(EditorReverseColor);
        QTest::addRow("last branch of unknown kind") << 9 << uint(EditorSegmentColor);
    }
    void highlightPointDisc()
    {
        QFETCH(int, lastKind);
        QFETCH(uint, ring);
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320}, kindSegment);
        AddRow(t, {200, 500}, {150, 450}, lastKind);
        QImage img = Paint(t);
        QVERIFY(img.pixel(397, 317) != Bgr(EditorHighlightColor));
        {
            QPainter p(&img);
            PaintHighlightPoint(p, t, 1);
        }
        QCOMPARE(img.pixel(397, 317), Bgr(EditorHighlightColor));
        QCOMPARE(img.pixel(400, 320), Bgr(EditorHighlightColor));
        // The ring, pen width 2 on the box's left edge at x = 394, in the last arrow's colour.
        QCOMPARE(img.pixel(393, 320), Bgr(ring));
        QCOMPARE(img.pixel(394, 320), Bgr(ring));
        QCOMPARE(img.pixel(395, 320), Bgr(EditorHighlightColor));
    }

    void highlightBranchLine()
    {
        BranchTable t = TrunkOnly();
        AddRow(t, {400, 500}, {400, 320}, kindSegment);
        QImage img = Paint(t);
        const auto redColumns = [&img]() {
            int n = 0;
            for (int x = 395; x <= 405; ++x) {
                n += img.pixel(x, 420) == Bgr(EditorHighlightColor) ? 1 : 0;
            }
            return n;
        };
        QCOMPARE(redColumns(), 0);
        {
            QPainter p(&img);
            PaintHighlightBranch(p, t, 1);
        }
        QCOMPARE(redColumns(), 4); // width 4
        // Rows that name no branch draw nothing.
        QImage before = img.copy();
        {
            QPainter p(&img);
            PaintHighlightBranch(p, t, 0);
            PaintHighlightBranch(p, t, 2);
            PaintHighlightPoint(p, t, 5);
        }
        QCOMPARE(img, before);
    }

    void depthButtons_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("growing");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("estimate");
        // 18 rows counted, 9 growing and 9 segments: depth 5 gives exactly 199999.
        QTest::addRow("199999 is usable") << 18 << 9 << 5 << 199999;
        // No template reaches 200000 exactly; the nearest above is 206669.
        QTest::addRow("206669 is not") << 7 << 2 << 10 << 206669;
        QTest::addRow("no branches") << 0 << 0 << 16 << 1;
        QTest::addRow("all usable") << 2 << 1 << 16 << 131071;
    }
    void depthButtons()
    {
        QFETCH(int, count);
        QFETCH(int, growing);
        QFETCH(int, depth);
        QFETCH(int, estimate);
        const BranchTable t = EstimateTable(count, growing);
        QCOMPARE(EstimateSegmentCount(t, depth), estimate);
        const std::array<bool, 16> usable = UpdateDepthButtons(t);
        for (int32_t n = 1; n <= 16; ++n) {
            QCOMPARE(usable[static_cast<size_t>(n - 1)], EstimateSegmentCount(t, n) < 200000);
        }
        QCOMPARE(usable[static_cast<size_t>(depth - 1)], estimate < 200000);
    }

    void depthLimit()
    {
        QVERIFY(DepthUsable(199999));
        QVERIFY(!DepthUsable(200000));
        QVERIFY(!DepthUsable(std::numeric_limits<int32_t>::max()));
    }

    void labelFont()
    {
        const QFont f = EditorLabelFont();
        QCOMPARE(f.pixelSize(), 20);
        QVERIFY(f.families().contains(QStringLiteral("Noto Sans CJK JP")));
    }

    void kindMenuImages_data()
    {
        QTest::addColumn<int>("index");
        QTest::addColumn<uint>("colour");
        QTest::addColumn<int>("barb"); // -1 above the shaft, 1 below, 0 none
        QTest::addRow("segment: black bar") << 0 << uint(0x000000) << 0;
        QTest::addRow("order: blue, barb above") << 1 << uint(0xFF0000) << -1;
        QTest::addRow("reverse: green, barb below") << 2 << uint(0x008400) << 1;
    }
    void kindMenuImages()
    {
        QFETCH(int, index);
        QFETCH(uint, colour);
        QFETCH(int, barb);
        const QImage img = KindMenuImage(index).toImage().convertToFormat(QImage::Format_ARGB32);
        QCOMPARE(img.size(), QSize(16, 16));
        QCOMPARE(qAlpha(img.pixel(0, 0)), 0);
        const QRgb c = Bgr(colour);
        QCOMPARE(img.pixel(5, 7), c);
        QCOMPARE(img.pixel(5, 8), c);
        int above = 0;
        int below = 0;
        for (int y = 0; y < 16; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (qAlpha(img.pixel(x, y)) == 255) {
                    QCOMPARE(img.pixel(x, y), c);
                    above += y < 7 ? 1 : 0;
                    below += y > 8 ? 1 : 0;
                }
            }
        }
        QCOMPARE(above > 0, barb == -1);
        QCOMPARE(below > 0, barb == 1);
    }
};

QTEST_MAIN(TestEditorDraw)
#include "test_editordraw.moc"
