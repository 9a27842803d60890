#include "anim/encoders.h"
#include "anim/exporter.h"
#include "anim/frames.h"
#include "common/testsupport.h"
#include "io/templatefile.h"
#include "view/pictureoutput.h"
#include "view/record.h"

#include <QDir>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <cmath>
#include <webp/demux.h>

using namespace ramulet;

namespace {

BranchTable Example(const char *name, const ViewState &view, DrawSettings *settings = nullptr) {
    const LoadResult r =
        ReadTemplateFile(QStringLiteral(RAMULET_EXAMPLES_DIR "/") + QLatin1String(name));
    BranchTable t = r.data.table;
    UpdateAllScreenPoints(t, view);
    if (settings) {
        settings->BackColor = static_cast<TColor>(r.data.settings.BackColor);
        settings->TipColor = static_cast<TColor>(r.data.settings.TipColor);
        settings->TrunkColor = static_cast<TColor>(r.data.settings.TrunkColor);
        settings->PenWidthSetting = PenIndexForSetting(r.data.settings.PenWidthSetting) * 20;
    }
    return t;
}

AnimationScene Scene(int32_t w, int32_t h, int32_t depth, bool fit, bool smooth) {
    AnimationScene s;
    s.view = test::DefaultView(w, h);
    SetDefaultTemplate(s.table, s.view);
    s.other = Example("fern.rm2", s.view, &s.otherSettings);
    s.depth = depth;
    s.fit = fit;
    s.smooth = smooth;
    return s;
}

// The still picture, drawn the way the window and ramulet-render draw it.
QImage Still(BranchTable t, const DrawSettings &s, const AnimationScene &scene) {
    Tseglines store;
    GrowTree(t, store, scene.depth);
    ColorRampTable ramp{};
    BuildColorRamp(ramp, s, scene.depth);
    const auto pic = RecordTreePicture(store, scene.view, s, ramp, scene.fit);
    return TreePictureToImage(*pic, QSize(scene.view.viewWidth, scene.view.viewHeight),
                              scene.smooth);
}

// Mean absolute difference per channel of two images of one size, as straight RGB over white.
double MeanError(const QImage &a, const QImage &b) {
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    if (x.size() != y.size()) {
        return 1e9;
    }
    double sum = 0;
    for (int row = 0; row < x.height(); ++row) {
        const auto *p = reinterpret_cast<const QRgb *>(x.constScanLine(row));
        const auto *q = reinterpret_cast<const QRgb *>(y.constScanLine(row));
        for (int i = 0; i < x.width(); ++i) {
            sum += std::abs(qRed(p[i]) - qRed(q[i])) + std::abs(qGreen(p[i]) - qGreen(q[i])) +
                   std::abs(qBlue(p[i]) - qBlue(q[i]));
        }
    }
    return sum / (3.0 * x.width() * x.height());
}

QImage Straight(const QImage &i) {
    return i.convertToFormat(QImage::Format_ARGB32);
}

std::vector<QImage> AllFrames(AnimationKind kind, const AnimationScene &scene, int32_t n) {
    FrameMaker maker(kind, scene, n);
    std::vector<QImage> frames;
    for (int32_t i = 0; i < n; ++i) {
        frames.push_back(maker.frame(i));
    }
    return frames;
}

std::vector<QImage> ReadWebp(const QString &path) {
    const QByteArray bytes = test::ReadAll(path);
    WebPData data{reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())};
    WebPAnimDecoderOptions options;
    WebPAnimDecoderOptionsInit(&options);
    options.color_mode = MODE_BGRA;
    WebPAnimDecoder *dec = WebPAnimDecoderNew(&data, &options);
    std::vector<QImage> frames;
    WebPAnimInfo info{};
    if (dec && WebPAnimDecoderGetInfo(dec, &info)) {
        uint8_t *buf = nullptr;
        int ts = 0;
        while (WebPAnimDecoderHasMoreFrames(dec) && WebPAnimDecoderGetNext(dec, &buf, &ts)) {
            frames.push_back(
                QImage(buf, int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32)
                    .copy());
        }
    }
    WebPAnimDecoderDelete(dec);
    return frames;
}

// The frames of an APNG or a video as ffmpeg decodes them, straight ARGB; empty without ffmpeg.
std::vector<QImage> ReadWithFfmpeg(const QString &path, const QString &dir) {
    QProcess p;
    p.start(QStringLiteral("ffmpeg"),
            {"-v", "error", "-i", path, "-f", "image2", dir + "/d%04d.png"});
    std::vector<QImage> frames;
    if (!p.waitForFinished(60000) || p.exitCode() != 0) {
        return frames;
    }
    for (int i = 1;; ++i) {
        const QImage img(QStringLiteral("%1/d%2.png").arg(dir).arg(i, 4, 10, QLatin1Char('0')));
        if (img.isNull()) {
            break;
        }
        frames.push_back(Straight(img));
    }
    return frames;
}

} // namespace

class TestAnimation : public QObject {
    Q_OBJECT
private slots:
    // The frames at the ends are the still pictures pixel for pixel.
    void endsAreStills_data() {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("last");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("smooth");
        const int grow = int(AnimationKind::Grow);
        const int morph = int(AnimationKind::Morph);
        QTest::addRow("grow last, classic") << grow << true << false << false;
        QTest::addRow("grow last, smooth") << grow << true << false << true;
        QTest::addRow("grow last, fit smooth") << grow << true << true << true;
        QTest::addRow("morph first, smooth") << morph << false << false << true;
        QTest::addRow("morph last, smooth") << morph << true << false << true;
        QTest::addRow("morph last, fit classic") << morph << true << true << false;
    }
    void endsAreStills() {
        QFETCH(int, kind);
        QFETCH(bool, last);
        QFETCH(bool, fit);
        QFETCH(bool, smooth);
        const AnimationScene scene = Scene(320, 300, 9, fit, smooth);
        FrameMaker maker(AnimationKind(kind), scene, 7);
        const QImage frame = maker.frame(last ? 6 : 0);
        const bool other = AnimationKind(kind) == AnimationKind::Morph && last;
        const QImage still = Still(other ? scene.other : scene.table,
                                   other ? scene.otherSettings : scene.settings, scene);
        QCOMPARE(frame, still);
    }

    // Grow: nothing at first, then more and more of the tree; a sway's last frame leads into
    // its first as any frame into the next.
    void motion_data() {
        QTest::addColumn<int>("kind");
        QTest::addRow("grow") << int(AnimationKind::Grow);
        QTest::addRow("sway") << int(AnimationKind::Sway);
    }
    void motion() {
        QFETCH(int, kind);
        const AnimationScene scene = Scene(240, 240, 8, true, true);
        const int32_t n = 16;
        const std::vector<QImage> f = AllFrames(AnimationKind(kind), scene, n);
        double largestStep = 0;
        for (int32_t i = 0; i + 1 < n; ++i) {
            largestStep = std::max(largestStep, MeanError(f[size_t(i)], f[size_t(i + 1)]));
        }
        const QImage &first = f.front();
        const QImage &last = f.back();
        const QImage &middle = f[n / 2];
        switch (AnimationKind(kind)) {
        case AnimationKind::Grow: {
            QImage empty(first.size(), first.format());
            empty.fill(ToQColor(scene.settings.BackColor));
            QCOMPARE(first, empty);
            QVERIFY(MeanError(first, middle) < MeanError(first, last));
            QVERIFY(MeanError(middle, last) > 0);
            break;
        }
        case AnimationKind::Sway: {
            const double join = MeanError(last, first);
            QVERIFY2(join > 0 && join <= 1.5 * largestStep,
                     qPrintable(QStringLiteral("%1 %2").arg(join).arg(largestStep)));
            QVERIFY(MeanError(first, middle) > largestStep);
            break;
        }
        case AnimationKind::Morph:
            break;
        }
    }

    // Every file holds every frame: exactly for the lossless ones, within 2 levels per
    // channel on average for the GIF's one palette.
    void files_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<double>("tolerance");
        QTest::addRow("gif") << "a.gif" << 2.0;
        QTest::addRow("webp") << "a.webp" << 0.0;
        QTest::addRow("apng") << "a.png" << 0.0;
        QTest::addRow("frames") << "frames/" << 0.0;
    }
    void files() {
        QFETCH(QString, name);
        QFETCH(double, tolerance);
        QTemporaryDir dir;
        AnimationJob job;
        job.kind = AnimationKind::Grow;
        job.scene = Scene(300, 280, 10, false, true);
        job.seconds = 1.2;
        job.fps = 10;
        job.path = dir.filePath(name);
        const std::atomic<bool> cancel{false};
        int32_t reported = 0;
        const ExportResult r = ExportAnimation(job, cancel, [&](int32_t done, int32_t total) {
            QCOMPARE(total, 12);
            reported = done;
        });
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(reported, 12);
        const std::vector<QImage> want = AllFrames(job.kind, job.scene, 12);
        std::vector<QImage> got;
        if (name.endsWith(QLatin1String(".gif"))) {
            QImageReader reader(job.path);
            for (QImage img = reader.read(); !img.isNull(); img = reader.read()) {
                got.push_back(img);
            }
        } else if (name.endsWith(QLatin1String(".webp"))) {
            got = ReadWebp(job.path);
        } else if (name.endsWith(QLatin1String(".png"))) {
            if (QStandardPaths::findExecutable(QStringLiteral("ffmpeg")).isEmpty()) {
                QSKIP("ffmpeg is needed to read an APNG back");
            }
            got = ReadWithFfmpeg(job.path, dir.path());
        } else {
            for (int i = 1; i <= 12; ++i) {
                got.push_back(QImage(
                    QStringLiteral("%1%2.png").arg(job.path).arg(i, 4, 10, QLatin1Char('0'))));
            }
            QCOMPARE(QDir(job.path)
                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)
                         .size(),
                     12);
        }
        QCOMPARE(got.size(), want.size());
        for (size_t i = 0; i < want.size(); ++i) {
            if (tolerance == 0.0) {
                QCOMPARE(Straight(got[i]), Straight(want[i]));
            } else {
                const double e = MeanError(got[i], want[i]);
                QVERIFY2(e <= tolerance, qPrintable(QStringLiteral("frame %1: %2").arg(i).arg(e)));
            }
        }
    }

    // A cancelled export, and one that cannot write, leave nothing behind.
    void nothingLeft_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("cancelled");
        for (const char *n : {"a.gif", "a.webp", "a.png", "frames/", "a.mp4", "a.webm"}) {
            QTest::addRow("%s cancelled", n) << QString::fromLatin1(n) << true;
        }
        QTest::addRow("no folder") << "missing/deeper/a.gif" << false;
    }
    void nothingLeft() {
        QFETCH(QString, name);
        QFETCH(bool, cancelled);
        if ((name.endsWith(QLatin1String(".mp4")) || name.endsWith(QLatin1String(".webm"))) &&
            !FfmpegAvailable()) {
            QSKIP("no ffmpeg");
        }
        QTemporaryDir dir;
        AnimationJob job;
        job.scene = Scene(200, 200, 6, false, false);
        job.seconds = 2;
        job.fps = 10;
        job.path = dir.filePath(name);
        if (!cancelled) {
            QVERIFY(
                QFile(dir.filePath("missing")).open(QIODevice::WriteOnly)); // a file, not a folder
        }
        std::atomic<bool> cancel{false};
        const ExportResult r = ExportAnimation(job, cancel, [&](int32_t done, int32_t) {
            if (done == 3) {
                cancel = true;
            }
        });
        QVERIFY(!r.ok);
        QCOMPARE(r.cancelled, cancelled);
        QCOMPARE(r.message.isEmpty(), cancelled);
        const QStringList left =
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
        QCOMPARE(left, cancelled ? QStringList() : QStringList{"missing"});
    }

    void palette() {
        // The background first, then each colour's blends with it, within 255 entries.
        const std::vector<uint32_t> keys = {0xF8FFE0, 0x0000A0, 0x00A000, 0x005050};
        const std::vector<uint32_t> p = GifPalette(keys);
        QCOMPARE(p.front(), 0xF8FFE0u);
        QVERIFY(p.size() <= 255);
        for (uint32_t k : keys) {
            QVERIFY(std::find(p.begin(), p.end(), k) != p.end());
        }
        std::vector<uint32_t> many(40);
        for (size_t i = 0; i < many.size(); ++i) {
            many[i] = uint32_t(i * 0x030507);
        }
        QVERIFY(GifPalette(many).size() <= 255);
        // 30 fps in hundredths: 3, 3, 4, ... adding up to the whole.
        int32_t sum = 0;
        for (int32_t i = 0; i < 30; ++i) {
            sum += GifDelay(i, 30);
        }
        QCOMPARE(sum, 100);
    }
};

QTEST_MAIN(TestAnimation)
#include "test_animation.moc"
