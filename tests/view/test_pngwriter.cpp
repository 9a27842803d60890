// PNG pictures drawn and written a band of rows at a time: the same pixels as the whole image
// drawn at once and written by Qt's PNG writer, whatever the bands.

#include "core/branches.h"
#include "core/outputfile.h"
#include "core/parallel.h"
#include "core/segments.h"
#include "core/viewstate.h"
#include "view/pictureoutput.h"
#include "view/pngwriter.h"
#include "view/record.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

using namespace ramulet;

class TestPngWriter : public QObject {
    Q_OBJECT
private slots:
    // Bands of a few rows cross every kind of place in the picture: the trunk, crowns of
    // thin lines, wide bands that cover the image (drawn back to front), band edges in the
    // middle of a line, two threads within a band, transparency over a white background.
    void bandsGiveTheWholeImage_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("depth");
        QTest::addColumn<int>("pen");
        QTest::addColumn<bool>("fit");
        QTest::addColumn<bool>("white");
        QTest::addColumn<bool>("smooth");
        QTest::addColumn<int>("bandRows");
        QTest::addRow("classic, rows of 7") << QSize(636, 634) << 10 << 40 << false << false << false << 7;
        QTest::addRow("smooth, rows of 7") << QSize(636, 634) << 10 << 40 << false << false << true << 7;
        QTest::addRow("smooth over white, rows of 13")
            << QSize(401, 377) << 12 << 40 << false << true << true << 13;
        QTest::addRow("classic over white, one row") << QSize(160, 90) << 8 << 20 << false << true << false << 1;
        QTest::addRow("wide pens fitted, back to front, rows of 30")
            << QSize(300, 280) << 11 << 200 << true << false << false << 30;
        QTest::addRow("smooth wide pens fitted, rows of 30")
            << QSize(300, 280) << 11 << 200 << true << false << true << 30;
        QTest::addRow("two threads a band, classic")
            << QSize(500, 900) << 16 << 40 << false << false << false << 300;
        QTest::addRow("two threads a band, smooth")
            << QSize(500, 900) << 16 << 0 << false << true << true << 300;
        QTest::addRow("one band") << QSize(200, 150) << 6 << 40 << false << false << true << 1000;
    }
    void bandsGiveTheWholeImage()
    {
        QFETCH(QSize, size);
        QFETCH(int, depth);
        QFETCH(int, pen);
        QFETCH(bool, fit);
        QFETCH(bool, white);
        QFETCH(bool, smooth);
        QFETCH(int, bandRows);
        ViewState view;
        view.SetViewSize(size.width(), size.height());
        view.ResetView();
        BranchTable t;
        SetDefaultTemplate(t, view);
        auto store = std::make_unique<Tseglines>();
        GrowTree(t, *store, depth);
        DrawSettings s;
        s.PenWidthSetting = pen;
        if (white) {
            s.BackColor = White;
        }
        ColorRampTable ramp{};
        BuildColorRamp(ramp, s, depth);
        const auto pic = RecordTreePicture(*store, view, s, ramp, fit);

        // What the whole image, written by Qt, reads back as.
        QByteArray whole;
        {
            QBuffer buffer(&whole);
            QVERIFY(buffer.open(QIODevice::WriteOnly));
            QVERIFY(QImageWriter(&buffer, "png").write(TreePictureToImage(*pic, size, smooth)));
        }
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bands.png"));
        OutputFile out;
        QVERIFY(out.Open(QFile::encodeName(path).toStdString()));
        QString error;
        QVERIFY2(WritePicturePng(*pic, size, smooth, out, &error,
                                 size_t(bandRows) * size_t(size.width()) * 4),
                 qPrintable(error));
        QVERIFY(out.Commit());

        const QImage expected = QImage::fromData(whole, "png");
        const QImage got(path, "png");
        QCOMPARE(got.size(), size);
        QCOMPARE(got.format(), expected.format());
        QCOMPARE(got, expected);
    }

    // A write that the disk refuses stops the picture with the file's reason.
    void refusedWriteStops()
    {
        ViewState view;
        view.SetViewSize(300, 300);
        view.ResetView();
        BranchTable t;
        SetDefaultTemplate(t, view);
        auto store = std::make_unique<Tseglines>();
        GrowTree(t, *store, 8);
        DrawSettings s;
        ColorRampTable ramp{};
        BuildColorRamp(ramp, s, 8);
        const auto pic = RecordTreePicture(*store, view, s, ramp, false);
        OutputFile out;
        QVERIFY(out.Open("/dev/full"));
        QString error;
        QVERIFY(!WritePicturePng(*pic, QSize(300, 300), false, out, &error));
        QVERIFY2(error.contains(QStringLiteral("No space left")), qPrintable(error));
    }
};

QTEST_GUILESS_MAIN(TestPngWriter)
#include "test_pngwriter.moc"
