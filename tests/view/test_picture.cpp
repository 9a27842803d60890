#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/picture.h"
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

std::shared_ptr<const TreePicture> Record(const Tseglines &store, const ViewState &view,
                                          const DrawSettings &s, int depth, bool fit = false)
{
    ColorRampTable ramp{};
    BuildColorRamp(ramp, s, depth);
    return RecordTreePicture(store, view, s, ramp, fit);
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
        QTest::addRow("huge factor is capped") << 200 << QByteArray("1e30") << 32767;
    }
    void penWidth()
    {
        QFETCH(int, setting);
        QFETCH(QByteArray, factor);
        QFETCH(int, expected);
        QCOMPARE(SegmentPenWidth(setting, std::strtold(factor.constData(), nullptr)), expected);
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
        int nonScaling = 0;
        while (!xml.atEnd()) {
            if (xml.readNext() != QXmlStreamReader::StartElement) {
                continue;
            }
            if (xml.name() == QLatin1String("svg")) {
                viewBox = xml.attributes().value("viewBox").toString();
            } else if (xml.name() == QLatin1String("path")) {
                ++paths;
                nonScaling += xml.attributes().value("vector-effect") ==
                              QLatin1String("non-scaling-stroke");
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
        QCOMPARE(nonScaling, paths); // pen index 0: every line is the thinnest

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
        // A branch far longer than its parent gives a width factor that hits the pen cap; the
        // painter replay (PDF) must draw the same wide band as the view, not a hairline.
        const ViewState view = DefaultView();
        Tseglines store;
        store.AddSegment(Seg(-0.5L, 1.5L, 0.5L, 1.5L, 2, 1e6L));
        DrawSettings s;
        s.BackColor = White;
        auto pic = Record(store, view, s, 1);
        QCOMPARE(pic->runs()[0].width, 32767);
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
