#include "common/testsupport.h"
#include "core/branches.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/coverage.h"
#include "view/renderpipeline.h"
#include "view/rasterize.h"

#include <QDir>
#include <QRandomGenerator>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

using namespace ramulet;

namespace {

// One band as the smooth picture draws it, in device pixels.
struct Band {
    double x0, y0, x1, y1, r;
    uint32_t argb;
};

uint32_t Argb(TColor c)
{
    return 0xFF000000u | ((c & 0xFFu) << 16) | (c & 0xFF00u) | ((c >> 16) & 0xFFu);
}

// The picture's bands on an image of `size`: picture units stretched over the image, whole
// device coordinates at pixel centres, widths by the mean stretch, a pen of width 0 one
// pixel wide.
std::vector<Band> BandsOf(const TreePicture &pic, QSize size)
{
    const double sx = size.width() / 8000.0;
    const double sy = static_cast<double>(size.height()) / pic.pictureHeight();
    std::vector<Band> bands;
    for (const TreePicture::PenRun &run : pic.runs()) {
        const double r = run.width > 0 ? run.width * (sx + sy) / 4.0 : 0.5;
        for (uint32_t k = 0; k < run.count; ++k) {
            const QLine &l = pic.lines()[run.first + k];
            bands.push_back({l.x1() * sx + 0.5, l.y1() * sy + 0.5, l.x2() * sx + 0.5,
                             l.y2() * sy + 0.5, r, Argb(run.color)});
        }
    }
    return bands;
}

// The exact rendering, slowly: 8 x 8 samples per pixel, each taking the colour of the last
// band whose capsule holds it (or the background, or nothing), averaged per pixel. Channels
// are premultiplied, 0..255, four per pixel in the order blue, green, red, alpha.
std::vector<double> Supersampled(const TreePicture &pic, QSize size)
{
    constexpr int S = 8;
    const int w = size.width();
    const int h = size.height();
    const std::vector<Band> bands = BandsOf(pic, size);
    const uint32_t background = pic.hasBackground() ? Argb(pic.backColor()) : 0u;
    std::vector<double> out(static_cast<size_t>(w) * h * 4, 0.0);
    constexpr int StripRows = 16; // pixel rows per pass
    std::vector<uint32_t> samples(static_cast<size_t>(w) * S * StripRows * S);
    for (int strip = 0; strip < h; strip += StripRows) {
        const int rows = std::min(StripRows, h - strip);
        std::fill(samples.begin(), samples.end(), background);
        for (const Band &b : bands) {
            const double top = std::min(b.y0, b.y1) - b.r;
            const double bottom = std::max(b.y0, b.y1) + b.r;
            const int s0 = std::max(0, static_cast<int>(std::ceil((top - strip) * S - 0.5)));
            const int s1 = std::min(rows * S - 1,
                                    static_cast<int>(std::floor((bottom - strip) * S - 0.5)));
            const double dx = b.x1 - b.x0;
            const double dy = b.y1 - b.y0;
            const double len2 = dx * dx + dy * dy;
            for (int s = s0; s <= s1; ++s) {
                const double y = strip + (s + 0.5) / S;
                // The capsule's points on this line: the hull of the two end discs' chords
                // and the straight band's stretch.
                double lo = INFINITY;
                double hi = -INFINITY;
                for (const auto &[cx, cy] : {std::pair{b.x0, b.y0}, std::pair{b.x1, b.y1}}) {
                    const double q = b.r * b.r - (y - cy) * (y - cy);
                    if (q >= 0.0) {
                        lo = std::min(lo, cx - std::sqrt(q));
                        hi = std::max(hi, cx + std::sqrt(q));
                    }
                }
                if (len2 > 0.0) {
                    // The straight band: the x with |cross| <= r len and 0 <= dot <= len2,
                    // each condition an interval of x.
                    double bl = -INFINITY;
                    double bh = INFINITY;
                    const double len = std::sqrt(len2);
                    const double c = dx * (y - b.y0);
                    if (dy != 0.0) {
                        const double a1 = b.x0 + (c - b.r * len) / dy;
                        const double a2 = b.x0 + (c + b.r * len) / dy;
                        bl = std::min(a1, a2);
                        bh = std::max(a1, a2);
                    } else if (std::fabs(c) > b.r * len) {
                        bl = INFINITY;
                    }
                    const double e = (y - b.y0) * dy;
                    if (dx != 0.0) {
                        const double a1 = b.x0 - e / dx;
                        const double a2 = b.x0 + (len2 - e) / dx;
                        bl = std::max(bl, std::min(a1, a2));
                        bh = std::min(bh, std::max(a1, a2));
                    } else if (e < 0.0 || e > len2) {
                        bl = INFINITY;
                    }
                    if (bl <= bh) {
                        lo = std::min(lo, bl);
                        hi = std::max(hi, bh);
                    }
                }
                const int k0 = std::max(0, static_cast<int>(std::ceil(lo * S - 0.5)));
                const int k1 = std::min(w * S - 1, static_cast<int>(std::floor(hi * S - 0.5)));
                uint32_t *line = samples.data() + static_cast<size_t>(s) * w * S;
                for (int k = k0; k <= k1; ++k) {
                    line[k] = b.argb;
                }
            }
        }
        for (int j = 0; j < rows; ++j) {
            for (int i = 0; i < w; ++i) {
                double *px = out.data() + (static_cast<size_t>(strip + j) * w + i) * 4;
                for (int t = 0; t < S; ++t) {
                    const uint32_t *line = samples.data() + static_cast<size_t>(j * S + t) * w * S;
                    for (int k = i * S; k < i * S + S; ++k) {
                        for (int ch = 0; ch < 4; ++ch) {
                            px[ch] += (line[k] >> (8 * ch)) & 0xFFu;
                        }
                    }
                }
                for (int ch = 0; ch < 4; ++ch) {
                    px[ch] /= S * S;
                }
            }
        }
    }
    return out;
}

struct Errors {
    double colour = 0.0; // mean absolute error per colour channel, over white when transparent
    double alpha = 0.0;  // mean absolute error of alpha
};

Errors Compare(const QImage &image, const std::vector<double> &reference)
{
    Errors e;
    const int w = image.width();
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        const auto *row = reinterpret_cast<const uint32_t *>(image.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            const double *ref = reference.data() + (static_cast<size_t>(y) * w + x) * 4;
            const double a = (row[x] >> 24) & 0xFFu;
            for (int ch = 0; ch < 3; ++ch) {
                // Premultiplied over white: c + (255 - alpha).
                const double got = ((row[x] >> (8 * ch)) & 0xFFu) + (255.0 - a);
                e.colour += std::fabs(got - (ref[ch] + (255.0 - ref[3])));
            }
            e.alpha += std::fabs(a - ref[3]);
        }
    }
    e.colour /= 3.0 * w * h;
    e.alpha /= static_cast<double>(w) * h;
    return e;
}

} // namespace

class TestCoverage : public QObject {
    Q_OBJECT
private slots:
    // The smooth picture of the program's own trees against the supersampled rendering of the
    // same bands. Setting RAMULET_COVERAGE_PNGS to a directory writes the smooth, exact and
    // classic pictures there for a look.
    void agreesWithSupersampling_data()
    {
        QTest::addColumn<int>("depth");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("penIndex");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<TColor>("back");
        QTest::addColumn<double>("limit");
        const QSize view(636, 634);
        const TColor cyan = 0xF8FFE0;
        for (const int d : {8, 12}) {
            const double limit = d == 8 ? 0.5 : 1.0;
            QTest::addRow("default, depth %d", d) << d << view << 2 << false << cyan << limit;
            QTest::addRow("pen index 10, depth %d", d) << d << view << 10 << false << cyan << limit;
            QTest::addRow("300 x 500, depth %d", d)
                << d << QSize(300, 500) << 2 << false << cyan << limit;
            QTest::addRow("automatic fit, depth %d", d) << d << view << 2 << true << cyan << limit;
            QTest::addRow("white background, depth %d", d)
                << d << view << 2 << false << White << limit;
        }
    }
    void agreesWithSupersampling()
    {
        QFETCH(int, depth);
        QFETCH(QSize, size);
        QFETCH(int, penIndex);
        QFETCH(bool, fit);
        QFETCH(TColor, back);
        QFETCH(double, limit);
        const ViewState view = test::DefaultView(size.width(), size.height());
        BranchTable table;
        SetDefaultTemplate(table, view);
        RenderRequest r;
        r.depth = depth;
        r.view = view;
        r.settings.BackColor = back;
        r.settings.PenWidthSetting = penIndex * 20;
        r.fit = fit;
        RenderPipeline pipeline;
        const auto pic = pipeline.Render(table, r);

        QImage image(size, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QVERIFY(RasterizeTreePictureSmooth(image, *pic));
        const std::vector<double> reference = Supersampled(*pic, size);
        const Errors e = Compare(image, reference);
        qInfo("mean absolute error per channel %.3f, alpha %.3f", e.colour, e.alpha);
        QVERIFY2(e.colour <= limit, qPrintable(QString::number(e.colour)));
        QVERIFY2(e.alpha <= limit, qPrintable(QString::number(e.alpha)));

        const QString dir = qEnvironmentVariable("RAMULET_COVERAGE_PNGS");
        if (!dir.isEmpty()) {
            QImage exact(size, QImage::Format_ARGB32_Premultiplied);
            for (int y = 0; y < size.height(); ++y) {
                auto *row = reinterpret_cast<uint32_t *>(exact.scanLine(y));
                for (int x = 0; x < size.width(); ++x) {
                    const double *ref =
                        reference.data() + (static_cast<size_t>(y) * size.width() + x) * 4;
                    row[x] = 0;
                    for (int ch = 0; ch < 4; ++ch) {
                        row[x] |= static_cast<uint32_t>(std::lround(ref[ch])) << (8 * ch);
                    }
                }
            }
            QImage classic(size, QImage::Format_ARGB32_Premultiplied);
            classic.fill(Qt::transparent);
            QVERIFY(RasterizeTreePicture(classic, *pic));
            const QString name = QString::fromLatin1(QTest::currentDataTag()).replace(' ', '_');
            QVERIFY(image.save(QDir(dir).filePath(name + "-smooth.png")));
            QVERIFY(exact.save(QDir(dir).filePath(name + "-exact.png")));
            QVERIFY(classic.save(QDir(dir).filePath(name + "-classic.png")));
        }
    }

    // The other 32-bit formats get the premultiplied picture's pixels in their own form; any
    // other format is refused and left as it was.
    void imageFormats_data()
    {
        QTest::addColumn<QImage::Format>("format");
        QTest::addColumn<TColor>("back");
        QTest::addColumn<bool>("drawn");
        QTest::addRow("RGB32") << QImage::Format_RGB32 << TColor{0xF8FFE0} << true;
        QTest::addRow("ARGB32 over white") << QImage::Format_ARGB32 << White << true;
        QTest::addRow("RGB888 refused") << QImage::Format_RGB888 << TColor{0xF8FFE0} << false;
    }
    void imageFormats()
    {
        QFETCH(QImage::Format, format);
        QFETCH(TColor, back);
        QFETCH(bool, drawn);
        const ViewState view = test::DefaultView(120, 100);
        BranchTable table;
        SetDefaultTemplate(table, view);
        RenderRequest r;
        r.depth = 6;
        r.view = view;
        r.settings.BackColor = back;
        RenderPipeline pipeline;
        const auto pic = pipeline.Render(table, r);
        QImage premultiplied(120, 100, QImage::Format_ARGB32_Premultiplied);
        premultiplied.fill(Qt::transparent);
        QVERIFY(RasterizeTreePictureSmooth(premultiplied, *pic));
        QImage image(120, 100, format);
        image.fill(Qt::transparent);
        const QImage before = image;
        QCOMPARE(RasterizeTreePictureSmooth(image, *pic), drawn);
        QCOMPARE(image.format(), format);
        QCOMPARE(image, drawn ? premultiplied.convertToFormat(format) : before);
    }

    // Rows drawn in separate ranges (as two threads do) come out bit for bit as drawn whole:
    // bands of every size, also across the image's sides and wider than the image.
    void rowRangesDrawAlike()
    {
        QRandomGenerator rng(20250611);
        const int w = 97;
        const int h = 83;
        std::vector<Band> bands;
        for (int i = 0; i < 400; ++i) {
            const double kind = rng.generateDouble();
            const double r = kind < 0.5 ? 0.02 + rng.generateDouble() * 0.6
                             : kind < 0.97 ? rng.generateDouble() * 6.0
                                          : rng.generateDouble() * 120.0;
            auto coord = [&](int side) { return rng.generateDouble() * (side + 40) - 20; };
            const double x0 = coord(w);
            const double y0 = coord(h);
            // Mostly short segments, some long, some exactly level or upright.
            const double len = rng.generateDouble() < 0.8 ? rng.generateDouble() * 4 : coord(w);
            const double a = rng.generateDouble() < 0.2 ? rng.bounded(4) * std::numbers::pi / 2
                                                         : rng.generateDouble() * 7;
            bands.push_back({x0, y0, x0 + len * std::cos(a), y0 + len * std::sin(a), r,
                             0xFF000000u | rng.generate()});
        }
        auto draw = [&](const std::vector<int> &cuts) {
            QImage image(w, h, QImage::Format_ARGB32_Premultiplied);
            image.fill(Qt::transparent);
            for (size_t c = 0; c + 1 < cuts.size(); ++c) {
                CoverageRows rows;
                rows.bits = reinterpret_cast<uint32_t *>(image.bits());
                rows.stride = image.bytesPerLine() / 4;
                rows.width = w;
                rows.rowBegin = cuts[c];
                rows.rowEnd = cuts[c + 1];
                CoverageRaster raster(rows);
                for (const Band &b : bands) {
                    raster.Band(b.x0, b.y0, b.x1, b.y1, b.r, b.argb);
                }
            }
            return image;
        };
        const QImage whole = draw({0, h});
        QCOMPARE(draw({0, 1, 40, 41, h}), whole);
        QCOMPARE(draw({0, 29, 30, 57, h}), whole);
    }
};

QTEST_MAIN(TestCoverage)
#include "test_coverage.moc"
