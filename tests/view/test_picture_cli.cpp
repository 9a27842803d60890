// The picture options of ramulet-render: -o by extension, --fit, --pen-index, and the exit
// statuses of a wrong extension and an unwritable path.

#include "common/testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

namespace {

using Run = ramulet::test::ProcessRun;

Run Render(const QStringList &args)
{
    return ramulet::test::RunProgram(QStringLiteral(RAMULET_RENDER), args);
}

using ramulet::test::ReadAll;

} // namespace

class TestPictureCli : public QObject {
    Q_OBJECT
private slots:
    void outputByExtension_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("magic");
        QTest::addRow("svg") << "tree.svg" << QByteArray("<?xml");
        QTest::addRow("png") << "tree.png" << QByteArray("\x89PNG");
        QTest::addRow("pdf") << "tree.pdf" << QByteArray("%PDF");
    }
    void outputByExtension()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, magic);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        const Run r = Render({"--depth", "6", "-o", path});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(ReadAll(path).startsWith(magic));
    }

    void pngHasTheViewSize()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tree.png");
        QCOMPARE(Render({"--size", "300x200", "--depth", "3", "--output", path}).exitCode, 0);
        QImage image(path);
        QCOMPARE(image.size(), QSize(300, 200));
        // Default view: the trunk's base is at (150, 200 * 4 / 8 + 1.5 * 90) = (150, 235), off the
        // bottom; the trunk shows in the column x = 150 at the bottom row.
        QCOMPARE(image.pixelColor(150, 199), QColor(160, 0, 0));
        QCOMPARE(image.pixelColor(5, 5), QColor(224, 255, 248));
    }

    void svgHasTheViewBox()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("tree.svg");
        QCOMPARE(Render({"--depth", "2", "-o", path}).exitCode, 0);
        QVERIFY(ReadAll(path).contains("viewBox=\"0 0 8000 7975\""));
    }

    void fitAndPenIndexChangeThePicture()
    {
        QTemporaryDir dir;
        const QString plain = dir.filePath("plain.svg");
        const QString fit = dir.filePath("fit.svg");
        const QString thin = dir.filePath("thin.svg");
        QCOMPARE(Render({"--depth", "4", "-o", plain}).exitCode, 0);
        QCOMPARE(Render({"--depth", "4", "--fit", "-o", fit}).exitCode, 0);
        QCOMPARE(Render({"--depth", "4", "--pen-index", "0", "-o", thin}).exitCode, 0);
        QVERIFY(ReadAll(plain).contains("stroke-width=\"40\""));
        QVERIFY(!ReadAll(thin).contains("stroke-width=\"40\""));
        QVERIFY(ReadAll(thin).contains("non-scaling-stroke"));
        QVERIFY(ReadAll(plain) != ReadAll(fit));
    }

    void badOutputs_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::addRow("unknown extension") << "tree.gif" << 1;
        QTest::addRow("no extension") << "tree" << 1;
        QTest::addRow("missing directory") << "missing/tree.png" << 2;
        QTest::addRow("missing directory, pdf") << "missing/tree.pdf" << 2;
    }
    void badOutputs()
    {
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const Run r = Render({"--depth", "3", "-o", dir.filePath(name)});
        QCOMPARE(r.exitCode, exitCode);
        QVERIFY(!r.err.isEmpty());
        if (exitCode == 1) {
            QVERIFY(r.err.contains("Usage:"));
        }
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    void unwritableDirectoryLeavesNoFile()
    {
        QTemporaryDir dir;
        QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
        const Run r = Render({"--depth", "3", "-o", dir.filePath("tree.svg")});
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (QFileInfo(dir.filePath("probe")).isWritable() || geteuid() == 0) {
            // root writes anywhere; the missing-directory cases above cover the failure path.
            QSKIP("running as root: directory permissions do not stop writes");
        }
        QCOMPARE(r.exitCode, 2);
        QVERIFY(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    }

    // A disk that fills up part-way, played by a file size limit of 20 KiB: the write fails
    // with exit 2, a message, and the old file as it was. The picture is larger than the limit
    // in every format.
    void writeCutShortKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addRow("svg") << "tree.svg";
        QTest::addRow("png") << "tree.png";
        QTest::addRow("pdf") << "tree.pdf";
    }
    void writeCutShortKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString out = dir.filePath(name);
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old picture");
        }
        // The signal of an oversized write is ignored, so that the write itself fails.
        const QString script = QStringLiteral("trap '' XFSZ; ulimit -f 40; exec \"$0\" \"$@\"");
        const Run r = ramulet::test::RunProgram(
            QStringLiteral("/bin/sh"), {"-c", script, QStringLiteral(RAMULET_RENDER), "--depth",
                                        "14", "--size", "900x900", "-o", out});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("cannot write") && !r.err.contains("Unknown error"),
                 r.err.constData());
        QCOMPARE(ReadAll(out), QByteArray("old picture"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{name});
    }

    void dumpToAFullDeviceFails()
    {
        QProcess p;
        p.setStandardOutputFile(QStringLiteral("/dev/full"));
        p.start(QStringLiteral(RAMULET_RENDER), {"--depth", "10", "--dump-segments"});
        QVERIFY(p.waitForFinished(60000));
        QCOMPARE(p.exitStatus(), QProcess::NormalExit);
        QCOMPARE(p.exitCode(), 2);
        QVERIFY(p.readAllStandardError().contains("standard output"));
    }
};

QTEST_APPLESS_MAIN(TestPictureCli)
#include "test_picture_cli.moc"
