#include "core/branches.h"
#include "core/clip.h"
#include "core/parallel.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/pictureoutput.h"
#include "view/record.h"
#include "view/renderpipeline.h"
#include "view/rasterize.h"

#include <QBuffer>
#include <QMimeData>
#include <QPainter>
#include <QRandomGenerator>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

#include <climits>
#include <cstdlib>
#include <memory>

using namespace ramulet;

namespace {

ViewState DefaultView(int w = 636, int h = 634)
{
    ViewState v;
    v.SetViewSize(w, h);
    v.ResetView();
    return v;
}

TSegLine Seg(long double x0, long double y0, long double x1, long double y1, int level,
             long double wf = 1.0L)
{
    TSegLine s;
    s.startPt = {x0, y0};
    s.endPt = {x1, y1};
    s.level = level;
    s.widthFactor = wf;
    return s;
}

// The default template grown to `depth` in `view`, as the window does it.
std::unique_ptr<Tseglines> DefaultTree(const ViewState &view, int depth)
{
    BranchTable t;
    SetDefaultTemplate(t, view);
    auto store = std::make_unique<Tseglines>();
    GrowTree(t, *store, depth);
    return store;
}

// The store recorded as the window records it.
std::shared_ptr<const TreePicture> Record(const Tseglines &store, const ViewState &view,
                                          const DrawSettings &s, int depth, bool fit = false)
{
    RenderRequest r;
    r.depth = depth;
    r.view = view;
    r.settings = s;
    r.fit = fit;
    RenderPipeline pipeline;
    return pipeline.Record(store, r);
}

// The recording written plainly, one segment at a time: ModelToPicture and the placement for
// each point, the clip to the frame grown by half the pen and 64, Round of each coordinate.
// The reference the recorder's faster arithmetic must match bit for bit.
struct PlainLine {
    QLine line;
    TColor color;
    int32_t width;
};
std::vector<PlainLine> PlainRecord(const Tseglines &store, const ViewState &view,
                                   const DrawSettings &s, const ColorRampTable &ramp, bool fit)
{
    const Placement pl = ComputePlacement(store, view, fit);
    std::vector<PlainLine> out;
    for (int32_t i = 0; i < store.Count(); ++i) {
        const TSegLine &seg = store.line(i);
        const int32_t width = std::max(0, RoundEven(s.PenWidthSetting * seg.widthFactor));
        const TPointE a = view.ModelToPicture(seg.startPt);
        const TPointE b = view.ModelToPicture(seg.endPt);
        long double x0 = pl.k * a.x + pl.offX, y0 = pl.k * a.y + pl.offY;
        long double x1 = pl.k * b.x + pl.offX, y1 = pl.k * b.y + pl.offY;
        const long double m = width / 2.0L + 64.0L;
        if (ClipSegment(x0, y0, x1, y1, {-m, -m, PictureWidth + m, view.PictureHeight + m})) {
            out.push_back({QLine(RoundEven(x0), RoundEven(y0), RoundEven(x1), RoundEven(y1)),
                           ramp[static_cast<size_t>(std::clamp(seg.level, 0, 17))] & 0xFFFFFFu,
                           width});
        }
    }
    return out;
}

// The smallest rectangle holding every recorded end point.
QRect LinesBox(const TreePicture &pic)
{
    int l = INT_MAX, t = INT_MAX, r = INT_MIN, b = INT_MIN;
    for (const QLine &line : pic.lines()) {
        for (const QPoint p : {line.p1(), line.p2()}) {
            l = std::min(l, p.x());
            r = std::max(r, p.x());
            t = std::min(t, p.y());
            b = std::max(b, p.y());
        }
    }
    return QRect(QPoint(l, t), QPoint(r, b));
}

} // namespace

class TestPicture : public QObject {
    Q_OBJECT
private slots:
    void colorConversions()
    {
        QCOMPARE(ToQColor(0x0000A0), QColor(160, 0, 0));
        QCOMPARE(ToQColor(0x02F8FFE0), QColor(224, 255, 248)); // the ramp's top byte is ignored
        QCOMPARE(FromQColor(QColor(1, 2, 3)), TColor{0x030201});
    }

    void ramp_data()
    {
        QTest::addColumn<TColor>("tip");
        QTest::addColumn<TColor>("trunk");
        QTest::addColumn<int>("depth");
        QTest::addColumn<QList<uint>>("expected");
        QTest::addRow("defaults depth 1") << TColor{0x00A000} << TColor{0x0000A0} << 1
                                          << QList<uint>{0x0200A000, 0x02005050, 0x020000A0};
        QTest::addRow("defaults depth 3")
            << TColor{0x00A000} << TColor{0x0000A0} << 3
            << QList<uint>{0x0200A000, 0x02007828, 0x02005050, 0x02002878, 0x020000A0};
        QTest::addRow("half of 1 rounds to even 0") << TColor{0x000001} << TColor{0} << 1
                                                    << QList<uint>{0x02000001, 0x02000000, 0x02000000};
        QTest::addRow("half of 3 rounds to even 2") << TColor{0x000003} << TColor{0} << 1
                                                    << QList<uint>{0x02000003, 0x02000002, 0x02000000};
        QTest::addRow("white to black, blue channel") << TColor{0xFF0000} << TColor{0} << 1
                                                      << QList<uint>{0x02FF0000, 0x02800000, 0x02000000};
    }
    void ramp()
    {
        QFETCH(TColor, tip);
        QFETCH(TColor, trunk);
        QFETCH(int, depth);
        QFETCH(QList<uint>, expected);
        ColorRampTable r;
        r.fill(0xDEADBEEF);
        DrawSettings s;
        s.TipColor = tip;
        s.TrunkColor = trunk;
        BuildColorRamp(r, s, depth);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(r[static_cast<size_t>(i)], expected[i]);
        }
        // Entries above depth + 1 keep what they held.
        QCOMPARE(r[static_cast<size_t>(depth + 2)], 0xDEADBEEFu);
    }

    void penWidth_data()
    {
        QTest::addColumn<int>("setting");
        QTest::addColumn<QByteArray>("factor"); // read as an 80-bit real
        QTest::addColumn<int>("expected");
        QTest::addRow("index 0") << 0 << QByteArray("1") << 0;
        QTest::addRow("trunk at index 2") << 40 << QByteArray("1") << 40;
        QTest::addRow("24.5 rounds to 24") << 40 << QByteArray("0.6125") << 24;
        QTest::addRow("0.5 rounds to 0") << 40 << QByteArray("0.0125") << 0;
        QTest::addRow("1.5 rounds to 2") << 40 << QByteArray("0.0375") << 2;
        QTest::addRow("negative setting draws thinnest") << -20 << QByteArray("1") << 0;
        QTest::addRow("wider than a pen takes") << 200 << QByteArray("300") << 60000;
        QTest::addRow("widest recorded as it is") << 2 << QByteArray("1073741823") << MaxPenWidth;
        QTest::addRow("beyond it saturates") << 200 << QByteArray("1e30") << MaxPenWidth;
        QTest::addRow("infinite factor saturates") << 200 << QByteArray("inf") << MaxPenWidth;
    }
    void penWidth()
    {
        QFETCH(int, setting);
        QFETCH(QByteArray, factor);
        QFETCH(int, expected);
        QCOMPARE(SegmentPenWidth(setting, std::strtold(factor.constData(), nullptr)), expected);
    }

    // Every recorded coordinate is Round(k x ModelToPicture(p) + offset) in 80-bit reals, and
    // runs join exactly the neighbours that share colour and width: trees of every size, in
    // the default view, zoomed (cut by the frame) and fitted, recorded in one pass or in two
    // halves side by side.
    void recordMatchesThePlainPlacement_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("zoomClicks"); // left clicks near the tip of the right branch
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("pen");
        QTest::addColumn<bool>("helper");
        QTest::addRow("default tree, depth 16") << 2 << 16 << 0 << false << 40 << true;
        QTest::addRow("default tree, depth 16, one thread") << 2 << 16 << 0 << false << 40 << false;
        QTest::addRow("zoomed in, cut by the frame") << 2 << 16 << 9 << false << 200 << true;
        QTest::addRow("zoomed in far, thinnest") << 2 << 12 << 40 << false << 0 << true;
        QTest::addRow("fitted, full store") << 3 << 11 << 0 << true << 120 << true;
        QTest::addRow("full store, one thread") << 3 << 11 << 3 << false << 40 << false;
        QTest::addRow("small tree") << 4 << 5 << 1 << false << 60 << true;
    }
    void recordMatchesThePlainPlacement()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(int, zoomClicks);
        QFETCH(bool, fit);
        QFETCH(int, pen);
        QFETCH(bool, helper);
        const bool wasEnabled = SetHelperThreadEnabled(helper);
        auto restore = qScopeGuard([wasEnabled] { SetHelperThreadEnabled(wasEnabled); });
        // Branches at odd angles, so that coordinates have inexact digits.
        ViewState view = DefaultView(637, 611);
        BranchTable t;
        SetDefaultTemplate(t, view);
        while (t.BranchCount < branches) {
            AddBranch(t, view);
        }
        for (int32_t i = 1; i <= t.BranchCount; ++i) {
            TBranch &row = t.Branches[static_cast<size_t>(i)];
            row.screenEnd.x += (i % 2 ? 1 : -1) * (7 + 3 * i);
            row.screenEnd.y += 11 + i;
        }
        auto store = std::make_unique<Tseglines>();
        GrowTree(t, *store, depth);
        for (int k = 0; k < zoomClicks; ++k) {
            view.ApplyClick(410 + k % 3, 300 - k % 2, MouseButton::Left, 0);
        }
        DrawSettings s;
        s.PenWidthSetting = pen;
        ColorRampTable ramp{};
        BuildColorRamp(ramp, s, depth);
        const auto pic = RecordTreePicture(*store, view, s, ramp, fit);
        const std::vector<PlainLine> plain = PlainRecord(*store, view, s, ramp, fit);

        QCOMPARE(pic->lines().size(), plain.size());
        QVERIFY(zoomClicks == 0 || plain.size() < static_cast<size_t>(store->Count()));
        std::vector<uint64_t> pensSeen;
        size_t line = 0;
        for (size_t r = 0; r < pic->runs().size(); ++r) {
            const TreePicture::PenRun &run = pic->runs()[r];
            QCOMPARE(run.first, static_cast<uint32_t>(line));
            QVERIFY(run.count > 0);
            if (r > 0) {
                const TreePicture::PenRun &before = pic->runs()[r - 1];
                QVERIFY(before.color != run.color || before.width != run.width);
            }
            // Pens are numbered in the order they first appear.
            const uint64_t key = (uint64_t{run.color} << 32) | static_cast<uint32_t>(run.width);
            const auto seen = std::find(pensSeen.begin(), pensSeen.end(), key);
            QCOMPARE(run.pen, static_cast<uint32_t>(seen - pensSeen.begin()));
            if (seen == pensSeen.end()) {
                pensSeen.push_back(key);
            }
            for (uint32_t k = 0; k < run.count; ++k, ++line) {
                const PlainLine &p = plain[line];
                QVERIFY2(pic->lines()[line] == p.line && run.color == p.color &&
                             run.width == p.width,
                         qPrintable(QStringLiteral("line %1").arg(line)));
            }
        }
        QCOMPARE(pic->pens().size(), pensSeen.size());
    }

    void recordedPens()
    {
        const ViewState view = DefaultView();
        Tseglines store;
        store.AddSegment(Seg(0, 0, 0, 1, 2, 1.0L));
        store.AddSegment(Seg(0, 1, 0.5L, 1.5L, 1, 0.6125L));
        DrawSettings s;
        auto pic = Record(store, view, s, 1);
        QCOMPARE(pic->runs().size(), size_t{2});
        QCOMPARE(pic->runs()[0].width, 40);
        QCOMPARE(pic->runs()[0].color, TColor{0x0000A0});
        QCOMPARE(pic->runs()[1].width, 24);
        QCOMPARE(pic->runs()[1].color, TColor{0x005050});
        // Picture units: the default view puts model (0, 0) at (318, 603.2) unrounded.
        QCOMPARE(pic->lines()[0], QLine(4000, RoundEven(603.2L * view.PictureFactor), 4000,
                                        RoundEven(412.4L * view.PictureFactor)));

        s.PenWidthSetting = 0;
        pic = Record(store, view, s, 1);
        for (const auto &run : pic->runs()) {
            QCOMPARE(run.width, 0);
            QVERIFY(pic->pens()[run.pen].isCosmetic());
        }
    }

    void pictureFrame_data()
    {
        QTest::addColumn<TColor>("back");
        QTest::addColumn<bool>("hasBackground");
        QTest::addRow("pale cyan") << TColor{0xF8FFE0} << true;
        QTest::addRow("black") << TColor{0} << true;
        QTest::addRow("white") << White << false;
    }
    void pictureFrame()
    {
        QFETCH(TColor, back);
        QFETCH(bool, hasBackground);
        const ViewState view = DefaultView();
        QCOMPARE(view.PictureHeight, 7975);
        auto store = DefaultTree(view, 3);
        DrawSettings s;
        s.BackColor = back;
        auto pic = Record(*store, view, s, 3);
        QCOMPARE(pic->pictureHeight(), 7975);
        QCOMPARE(pic->hasBackground(), hasBackground);
        QCOMPARE(pic->backgroundRect(), QRect(QPoint(0, 0), QSize(8500, 8475)));

        const QByteArray svg = TreePictureToSvg(*pic);
        QCOMPARE(svg.contains("<rect"), hasBackground);
        const QImage png = TreePictureToImage(*pic, QSize(636, 634));
        QCOMPARE(png.size(), QSize(636, 634));
        // A corner where nothing is drawn: transparent exactly when the background is white.
        QCOMPARE(png.pixelColor(5, 5).alpha(), hasBackground ? 255 : 0);
        if (hasBackground) {
            QCOMPARE(png.pixelColor(5, 5), ToQColor(back));
        }

        // The view is filled white first when the background is white.
        QImage viewImage(636, 634, QImage::Format_RGB32);
        viewImage.fill(Qt::red);
        ShowTreePicture(viewImage, *pic, back);
        QCOMPARE(viewImage.pixelColor(5, 5), hasBackground ? ToQColor(back) : QColor(Qt::white));
    }

    void svgStructure()
    {
        const ViewState view = DefaultView();
        auto store = DefaultTree(view, 8);
        DrawSettings s;
        s.PenWidthSetting = 0;
        auto pic = Record(*store, view, s, 8);
        const QByteArray svg = TreePictureToSvg(*pic);

        QXmlStreamReader xml(svg);
        QString viewBox;
        int paths = 0;
        int rects = 0;
        int onePixel = 0; // 8000 / 636 units: one pixel of the view
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QLatin1String("svg")) {
                viewBox = xml.attributes().value("viewBox").toString();
            } else if (xml.name() == QLatin1String("path")) {
                ++paths;
                QVERIFY(!xml.attributes().hasAttribute("vector-effect"));
                onePixel += xml.attributes().value("stroke-width") == QLatin1String("12.5786");
            } else if (xml.name() == QLatin1String("rect")) {
                ++rects;
                QCOMPARE(xml.attributes().value("width").toString(), QStringLiteral("8500"));
                QCOMPARE(xml.attributes().value("height").toString(), QStringLiteral("8475"));
                QCOMPARE(xml.attributes().value("fill").toString(), QStringLiteral("#e0fff8"));
            }
        }
        QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
        QCOMPARE(viewBox, QStringLiteral("0 0 8000 7975"));
        QCOMPARE(rects, 1);
        QCOMPARE(paths, static_cast<int>(pic->runs().size()));
        QCOMPARE(onePixel, paths); // pen index 0: every line is the thinnest

        QSvgRenderer renderer(svg);
        QVERIFY(renderer.isValid());
        QCOMPARE(renderer.viewBox(), QRect(0, 0, 8000, 7975));
    }

    void automaticFit_data()
    {
        QTest::addColumn<bool>("zoomFirst");
        QTest::addRow("default view") << false;
        QTest::addRow("after zooming in") << true;
    }
    void automaticFit()
    {
        QFETCH(bool, zoomFirst);
        ViewState view = DefaultView();
        if (zoomFirst) {
            view.ApplyClick(100, 200, MouseButton::Left, 0);
            view.ApplyClick(500, 100, MouseButton::Left, 0);
        }
        // A box four times wider than high: the width is the tighter direction.
        Tseglines store;
        store.AddSegment(Seg(-1, 0, 1, 0.5L, 2));
        auto pic = Record(store, view, DrawSettings{}, 1, true);
        const QRect box = LinesBox(*pic);
        QCOMPARE(box.left(), 200);
        QCOMPARE(box.right(), 7800);
        QVERIFY(qAbs((box.top() + box.bottom()) / 2.0 - 7975 / 2.0) <= 1.0);
        QVERIFY(qAbs(box.bottom() - box.top() - 1900) <= 1); // 7600 / 4
    }

    void fitFactors_data()
    {
        QTest::addColumn<double>("x0");
        QTest::addColumn<double>("y0");
        QTest::addColumn<double>("x1");
        QTest::addColumn<double>("y1");
        QTest::addColumn<double>("expectedK");
        const double unit = 190.8 * (8000.0 / 636); // picture units per model unit
        QTest::addRow("vertical line, fx = 1 is tighter") << 0.0 << 0.0 << 0.0 << 1.0 << 0.95;
        QTest::addRow("long vertical line, fy tighter")
            << 0.0 << 0.0 << 0.0 << 10.0 << 0.95 * 7975 / (10 * unit);
        QTest::addRow("horizontal line, fy = 1") << 0.0 << 0.0 << 10.0 << 0.0 << 0.95 * 8000 / (10 * unit);
        QTest::addRow("single point: both 1") << 1.0 << 1.0 << 1.0 << 1.0 << 0.95;
    }
    void fitFactors()
    {
        QFETCH(double, x0);
        QFETCH(double, y0);
        QFETCH(double, x1);
        QFETCH(double, y1);
        QFETCH(double, expectedK);
        const ViewState view = DefaultView();
        Tseglines store;
        store.AddSegment(Seg(x0, y0, x1, y1, 1));
        const Placement pl = ComputePlacement(store, view, true);
        QVERIFY2(qAbs(static_cast<double>(pl.k) - expectedK) < 1e-9,
                 qPrintable(QString::number(static_cast<double>(pl.k), 'g', 17)));
        const Placement off = ComputePlacement(store, view, false);
        QCOMPARE(static_cast<double>(off.k), 1.0);
        QCOMPARE(static_cast<double>(off.offX), 0.0);
    }

    void renderedPixels()
    {
        const ViewState view = DefaultView();
        auto store = DefaultTree(view, 1);
        DrawSettings s;
        auto pic = Record(*store, view, s, 1);
        QImage image(636, 634, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::black);
        ShowTreePicture(image, *pic, s.BackColor);
        QCOMPARE(image.pixelColor(318, 500), QColor(160, 0, 0));   // trunk
        QCOMPARE(image.pixelColor(20, 20), QColor(224, 255, 248)); // background
        QCOMPARE(image.pixelColor(300, 500), QColor(224, 255, 248));
        // The right branch runs from (318, 412) to about (413, 317); its middle is blended.
        QCOMPARE(image.pixelColor(366, 364), QColor(80, 80, 0));
        // The trunk pen (40 units) is about 3 pixels wide; index 0 draws exactly one pixel.
        auto rowWidth = [](const QImage &img, int y) {
            int n = 0;
            for (int x = 300; x < 336; ++x) {
                n += img.pixelColor(x, y) == QColor(160, 0, 0);
            }
            return n;
        };
        // Three pixels, centred on the editor's trunk column 318.
        QCOMPARE(rowWidth(image, 550), 3);
        QCOMPARE(image.pixelColor(317, 550), QColor(160, 0, 0));
        QCOMPARE(image.pixelColor(319, 550), QColor(160, 0, 0));
        s.PenWidthSetting = 0;
        pic = Record(*store, view, s, 1);
        ShowTreePicture(image, *pic, s.BackColor);
        QCOMPARE(rowWidth(image, 550), 1);
        QCOMPARE(image.pixelColor(318, 550), QColor(160, 0, 0));
        // The thinnest line ends in the column where the editor draws the end point: the tip
        // at x 412.9 rounds to 413 (y 317.5 lies on a rounding edge either way).
        BranchTable t;
        SetDefaultTemplate(t, view);
        const TPixel tip = t.Branches[1].screenEnd;
        QCOMPARE(tip.x, 413);
        auto lit = [&](int x) {
            int n = 0;
            for (int y = tip.y - 2; y <= tip.y + 2; ++y) {
                n += image.pixelColor(x, y) == QColor(80, 80, 0);
            }
            return n;
        };
        QCOMPARE(lit(tip.x), 1);
        QCOMPARE(lit(tip.x + 1), 0);
    }

    void widestPenDrawsAlikeEverywhere()
    {
        // A branch far longer than its parent gives a band wider than any pen; the painter
        // replay (PDF) must draw the same wide band as the view, not a hairline.
        const ViewState view = DefaultView();
        Tseglines store;
        store.AddSegment(Seg(-0.5L, 1.5L, 0.5L, 1.5L, 2, 1e6L));
        DrawSettings s;
        s.BackColor = White;
        auto pic = Record(store, view, s, 1);
        QCOMPARE(pic->runs()[0].width, 40000000);
        QImage viaPainter(200, 200, QImage::Format_ARGB32);
        viaPainter.fill(Qt::transparent);
        {
            QPainter p(&viaPainter);
            pic->PlayStretched(p, QRectF(0, 0, 200, 200));
        }
        const QImage direct = TreePictureToImage(*pic, QSize(200, 200));
        // 32767 units of an 8000-unit-wide picture cover the whole image, well above and below
        // the line.
        for (const QImage &image : {viaPainter, direct}) {
            QCOMPARE(image.pixelColor(100, 5).alpha(), 255);
            QCOMPARE(image.pixelColor(100, 195).alpha(), 255);
        }
    }

    // A band wider than any pen whose segment lies within half its width of the frame's
    // edges, but off a corner so far that the band itself misses the frame: it is kept, and
    // the painter replay (PDF, SVG) draws nothing of it instead of failing.
    void wideBandBesideACornerDrawsNothing()
    {
        const ViewState view = DefaultView();
        // About 90,000 picture units above and left of the frame; the band is 200,000 wide.
        const TPointE a = view.ScreenToModel({-7155, -7155});
        const TPointE b = view.ScreenToModel({-7154, -7155});
        Tseglines store;
        store.AddSegment(Seg(a.x, a.y, b.x, b.y, 1, 1000.0L));
        DrawSettings s;
        s.BackColor = White;
        s.PenWidthSetting = 200;
        const auto pic = Record(store, view, s, 1);
        QCOMPARE(pic->segmentCount(), int64_t{1});
        QCOMPARE(pic->runs()[0].width, 200000);
        QImage image(200, 200, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        {
            QPainter p(&image);
            pic->PlayStretched(p, QRectF(0, 0, 200, 200));
        }
        QCOMPARE(image.pixelColor(0, 0).alpha(), 0);
        QCOMPARE(image.pixelColor(100, 100).alpha(), 0);
    }

    // A branch that starts 10 trunk lengths below the trunk's foot and points 300 trunk
    // lengths down, at pen index 10 (setting 200): its level-1 band is 60,000 units wide, far
    // wider than a pen takes, and each deeper band is 300 times wider again (past 32 bits from
    // depth 3 on). In model units the level-1 band of depth 1 runs from (0, -10) to (0, -310)
    // with a half-width of 30,000 units = 12.5 model units, so it covers, over the trunk,
    // everything within 12.5 of that segment: up to y = 2.5 above the trunk. From depth 2 on,
    // the last band starts 10 parent lengths from the view and reaches 12.5 parent lengths
    // around: it covers the whole view. The automatic fit shrinks the tree into the view but
    // not the widths: every band covers the whole view.
    void wideBandsCoverWhatTheGeometrySays_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("kind");
        QTest::addRow("depth 1") << 1 << false << -1;
        QTest::addRow("depth 1, fit") << 1 << true << -1;
        QTest::addRow("depth 2, upright") << 2 << false << 1;
        QTest::addRow("depth 3, beyond 32 bits") << 3 << false << -1;
        QTest::addRow("depth 16") << 16 << false << -1;
        QTest::addRow("depth 16, fit") << 16 << true << 1;
    }
    void wideBandsCoverWhatTheGeometrySays()
    {
        QFETCH(int, depth);
        QFETCH(bool, fit);
        QFETCH(int, kind);
        const ViewState view = DefaultView();
        BranchTable t;
        t.Branches[0].P = {0.0L, 0.0L};
        t.Branches[0].V = {0.0L, 1.0L};
        t.Branches[1].P = {0.0L, -10.0L};
        t.Branches[1].V = {0.0L, -300.0L};
        t.Branches[1].ratio = 300.0L;
        t.Branches[1].kind = kind;
        t.BranchCount = 1;
        auto store = std::make_unique<Tseglines>();
        GrowNormalized(t, *store, depth);
        DrawSettings s;
        s.PenWidthSetting = 200;
        ColorRampTable ramp{};
        BuildColorRamp(ramp, s, depth);
        const auto pic = RecordTreePicture(*store, view, s, ramp, fit);
        if (depth == 1) {
            QVERIFY(TreePictureToSvg(*pic).contains("stroke-width=\"60000\""));
        }

        const QColor branch = ToQColor(ramp[1]);
        const QColor back = ToQColor(s.BackColor);
        QImage viewImage(636, 634, QImage::Format_RGB32);
        ShowTreePicture(viewImage, *pic, s.BackColor);
        QImage replay(636, 634, QImage::Format_ARGB32_Premultiplied);
        replay.fill(Qt::transparent);
        {
            QPainter p(&replay); // the painter replay that PDF output goes through
            pic->PlayStretched(p, QRectF(0, 0, 636, 634));
        }
        const QImage bitmap = TreePictureToImage(*pic, QSize(636, 634)); // PNG, clipboard
        const QImage smooth = TreePictureToImage(*pic, QSize(636, 634), true);
        int covered = 0;
        int uncovered = 0;
        for (int y = 0; y < 634; y += 3) {
            for (int x = 0; x < 636; x += 3) {
                // Pixel (x, y) shows the model point the editor puts there.
                const TPointE m = view.ScreenToModel({x, y});
                const long double dist =
                    m.y > -10.0L ? std::hypot(m.x, m.y + 10.0L) : std::fabs(m.x);
                if (depth == 1 && !fit && std::fabs(dist - 12.5L) < 1.5L / view.ViewScale) {
                    continue; // on the band's edge
                }
                const bool inside = depth > 1 || fit || dist <= 12.5L;
                (inside ? covered : uncovered) += 1;
                for (const QImage *image :
                     std::initializer_list<const QImage *>{&viewImage, &replay, &bitmap, &smooth}) {
                    QVERIFY2(image->pixelColor(x, y) == (inside ? branch : back),
                             qPrintable(QStringLiteral("(%1, %2)").arg(x).arg(y)));
                }
            }
        }
        QVERIFY(covered > 0);
        QCOMPARE(uncovered > 0, depth == 1 && !fit);
    }

    // A band that fills the whole image hides everything drawn before it, and only that: a
    // later band that leaves the corners free still shows the earlier one there.
    void bandsThatFillTheImage()
    {
        const ViewState view = DefaultView();
        DrawSettings s;
        s.BackColor = White;
        // In a 200 x 200 image a width factor f gives a band f pixels wide; the image's
        // corners lie about 141 pixels from its centre, model (0, 1.5).
        auto draw = [&](long double coverF, long double topF) {
            Tseglines store;
            store.AddSegment(Seg(-1, 0.5L, 1, 2.5L, 1, 0.01L)); // thin, under everything
            store.AddSegment(Seg(0, 1.4L, 0, 1.6L, 1, coverF));
            store.AddSegment(Seg(0, 1.5L, 0, 1.5L, 2, topF));
            return TreePictureToImage(*Record(store, view, s, 1), QSize(200, 200));
        };
        const QColor level1(80, 80, 0);
        const QColor trunk(160, 0, 0);
        // The second band fills everything; the third, 260 wide, leaves the corners to it.
        QImage img = draw(400, 260);
        QCOMPARE(img.pixelColor(100, 100), trunk);
        const QPoint corners[] = {{0, 0}, {199, 0}, {0, 199}, {199, 199}};
        for (const QPoint corner : corners) {
            QCOMPARE(img.pixelColor(corner), level1);
        }
        // A third band wide enough to reach the corners covers every pixel.
        img = draw(400, 300);
        for (int y = 0; y < 200; y += 13) {
            for (int x = 0; x < 200; x += 13) {
                QCOMPARE(img.pixelColor(x, y), trunk);
            }
        }
        QCOMPARE(img.pixelColor(199, 199), trunk);
        // A second band just short of the corners hides nothing there: the thin line shows.
        img = draw(270, 0.01L);
        QCOMPARE(img.pixelColor(100, 60), level1);
        QCOMPARE(img.pixelColor(0, 0).alpha(), 0);
    }

    // Drawing back to front gives every pixel the colour drawing front to back gives it: random
    // pictures of thin lines and bands of every width, over a coloured and a white background.
    void bothDrawingOrdersAgree()
    {
        QRandomGenerator rng(20261207);
        const ViewState view = DefaultView();
        for (int round = 0; round < 200; ++round) {
            Tseglines store;
            const int count = 1 + static_cast<int>(rng.bounded(40));
            for (int i = 0; i < count; ++i) {
                auto coord = [&] { return static_cast<long double>(rng.generateDouble() * 6 - 3); };
                const double kind = rng.generateDouble();
                const long double wf = kind < 0.3 ? 0.001L
                                       : kind < 0.8 ? static_cast<long double>(rng.generateDouble() * 5)
                                                    : static_cast<long double>(rng.generateDouble() * 300);
                store.AddSegment(Seg(coord(), coord() + 1.5L, coord(), coord() + 1.5L,
                                     1 + static_cast<int>(rng.bounded(4)), wf));
            }
            DrawSettings s;
            s.BackColor = round % 2 ? White : 0x204060;
            s.PenWidthSetting = static_cast<int32_t>(rng.bounded(201));
            const auto pic = Record(store, view, s, 3);
            const QSize size(20 + static_cast<int>(rng.bounded(300)),
                             20 + static_cast<int>(rng.bounded(300)));
            QImage front(size, QImage::Format_ARGB32_Premultiplied);
            front.fill(Qt::transparent);
            QImage back = front.copy();
            QVERIFY(RasterizeTreePicture(front, *pic, RasterOrder::FrontToBack));
            QVERIFY(RasterizeTreePicture(back, *pic, RasterOrder::BackToFront));
            QVERIFY2(front == back, qPrintable(QStringLiteral("round %1").arg(round)));
        }
    }

    // The rows drawn by two threads, each over its half, give the image one thread gives:
    // thin crowns, wide bands, pictures cut by the frame, in both drawing orders.
    void twoThreadsDrawTheSameImage_data()
    {
        QTest::addColumn<int>("branches");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("pen");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<int>("zoomClicks");
        QTest::addColumn<int>("order");
        QTest::addRow("default tree, depth 16") << 2 << 16 << 40 << false << 0 << 0;
        QTest::addRow("wide pens, fitted, back to front") << 3 << 11 << 200 << true << 0 << 2;
        QTest::addRow("zoomed in, front to back") << 2 << 16 << 200 << false << 2 << 1;
        QTest::addRow("zoomed in, back to front") << 2 << 16 << 200 << false << 2 << 2;
    }
    void twoThreadsDrawTheSameImage()
    {
        QFETCH(int, branches);
        QFETCH(int, depth);
        QFETCH(int, pen);
        QFETCH(bool, fit);
        QFETCH(int, zoomClicks);
        QFETCH(int, order);
        ViewState view = DefaultView(401, 377);
        BranchTable t;
        SetDefaultTemplate(t, view);
        while (t.BranchCount < branches) {
            AddBranch(t, view);
        }
        auto store = std::make_unique<Tseglines>();
        GrowTree(t, *store, depth);
        for (int k = 0; k < zoomClicks; ++k) {
            view.ApplyClick(250, 190, MouseButton::Left, 0);
        }
        DrawSettings s;
        s.PenWidthSetting = pen;
        const auto pic = Record(*store, view, s, depth, fit);
        QVERIFY2(pic->segmentCount() > 2048, qPrintable(QString::number(pic->segmentCount()))); // enough to be split
        auto draw = [&](bool helper) {
            const bool wasEnabled = SetHelperThreadEnabled(helper);
            QImage image(401, 377, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            RasterizeTreePicture(image, *pic, static_cast<RasterOrder>(order));
            SetHelperThreadEnabled(wasEnabled);
            return image;
        };
        QCOMPARE(draw(true), draw(false));
    }

    void laterSegmentsDrawOver()
    {
        const ViewState view = DefaultView();
        Tseglines store;
        store.AddSegment(Seg(-1, 1.5L, 1, 1.5L, 2)); // trunk colour, horizontal
        store.AddSegment(Seg(0, 0.5L, 0, 2.5L, 1));  // branch colour, crosses it at (0, 1.5)
        DrawSettings s;
        auto pic = Record(store, view, s, 1);
        QImage image(636, 634, QImage::Format_RGB32);
        ShowTreePicture(image, *pic, s.BackColor);
        QCOMPARE(image.pixelColor(318, 317), QColor(80, 80, 0));
        QCOMPARE(image.pixelColor(250, 317), QColor(160, 0, 0));
    }

    void deepZoomClipsToFrame()
    {
        ViewState view = DefaultView();
        // Centre a point of the trunk and zoom in as far as the view allows.
        view.ViewCenter = {0.0L, 0.5L};
        view.ViewScale = ViewState::MaxScale;
        Tseglines store;
        store.AddSegment(Seg(0, 0, 0, 1, 2));     // crosses the frame from far below to far above
        store.AddSegment(Seg(0.5L, 0, 0.5L, 1, 1)); // entirely outside the frame
        auto pic = Record(store, view, DrawSettings{}, 1);
        QCOMPARE(pic->segmentCount(), int64_t{1});
        const QRect box = LinesBox(*pic);
        QVERIFY(box.top() < 0 && box.bottom() > 7975);
        QVERIFY(box.top() > -1000 && box.bottom() < 9000); // clipped, not huge
        QCOMPARE(box.left(), 4000);
        QImage image(636, 634, QImage::Format_RGB32);
        ShowTreePicture(image, *pic, 0xF8FFE0);
        QCOMPARE(image.pixelColor(318, 0), QColor(160, 0, 0));
        QCOMPARE(image.pixelColor(318, 633), QColor(160, 0, 0));
    }

    void emptyStoreHoldsOnlyBackground()
    {
        const ViewState view = DefaultView();
        Tseglines store;
        auto pic = Record(store, view, DrawSettings{}, 1, true);
        QCOMPARE(pic->segmentCount(), int64_t{0});
        QVERIFY(pic->hasBackground());
        QImage image(636, 634, QImage::Format_RGB32);
        ShowTreePicture(image, *pic, 0xF8FFE0);
        QCOMPARE(image.pixelColor(635, 633), QColor(224, 255, 248));
    }

    void clipboardPayload()
    {
        const ViewState view = DefaultView();
        auto store = DefaultTree(view, 4);
        DrawSettings s;
        s.BackColor = White;
        auto pic = Record(*store, view, s, 4);
        const QByteArray svg = TreePictureToSvg(*pic);
        std::unique_ptr<QMimeData> mime(MakeClipboardData(*pic, QSize(636, 634)));
        QVERIFY(mime->hasFormat("image/svg+xml"));
        QVERIFY(mime->hasFormat("image/png"));
        QVERIFY(mime->hasImage());
        QImage png;
        QVERIFY(png.loadFromData(mime->data("image/png"), "PNG"));
        QCOMPARE(png.size(), QSize(636, 634));
        QCOMPARE(png.pixelColor(2, 2).alpha(), 0);

        // A later render of something else leaves the payload as it was.
        pic = Record(*DefaultTree(view, 9), view, DrawSettings{}, 9);
        QCOMPARE(mime->data("image/svg+xml"), svg);
    }

    void writeFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::addRow("svg") << "tree.svg" << QByteArray("<?xml");
        QTest::addRow("png") << "tree.png" << QByteArray("\x89PNG");
        QTest::addRow("pdf") << "tree.pdf" << QByteArray("%PDF");
        QTest::addRow("upper-case extension") << "TREE.PNG" << QByteArray("\x89PNG");
    }
    void writeFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        const ViewState view = DefaultView();
        auto store = DefaultTree(view, 5);
        auto pic = Record(*store, view, DrawSettings{}, 5);
        QString error;
        QVERIFY2(WriteTreePicture(*pic, dir.filePath(name), QSize(636, 634), &error),
                 qPrintable(error));
        QFile f(dir.filePath(name));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(f.readAll().startsWith(magic));
    }

    void writeFailures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("unknown extension") << "tree.bmp";
        QTest::addRow("no extension") << "tree";
        QTest::addRow("missing directory") << "no/such/dir/tree.svg";
    }
    void writeFailures()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const ViewState view = DefaultView();
        Tseglines store;
        auto pic = Record(store, view, DrawSettings{}, 1);
        QString error;
        QVERIFY(!WriteTreePicture(*pic, dir.filePath(name), QSize(636, 634), &error));
        QVERIFY(error.contains(dir.filePath(name)));
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }
};

QTEST_MAIN(TestPicture)
#include "test_picture.moc"
