// The picture options of ramulet-render: -o by extension, --fit, --pen-index, and the exit
// statuses of a wrong extension and an unwritable path.

#include "common/testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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
        // One pixel of the 636-pixel view, in picture units, for every renderer.
        QVERIFY(ReadAll(thin).contains("stroke-width=\"12.5786\""));
        QVERIFY(!ReadAll(thin).contains("vector-effect"));
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
    // The template too, under a limit of no bytes at all. The program does not die
    // of the limit's signal: it ignores it itself.
    void writeCutShortKeepsTheOldFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("blocks"); // of 512 bytes
        QTest::addRow("svg") << "tree.svg" << "-o" << "40";
        QTest::addRow("png") << "tree.png" << "-o" << "40";
        QTest::addRow("pdf") << "tree.pdf" << "-o" << "40";
        QTest::addRow("template") << "tree.rm2" << "--save" << "0";
    }
    void writeCutShortKeepsTheOldFile()
    {
        QFETCH(QString, name);
        QFETCH(QString, option);
        QFETCH(QString, blocks);
        QTemporaryDir dir;
        const QString out = dir.filePath(name);
        {
            QFile old(out);
            QVERIFY(old.open(QIODevice::WriteOnly));
            old.write("old picture");
        }
        const QString script = QStringLiteral("ulimit -f %1; exec \"$0\" \"$@\"").arg(blocks);
        const Run r = ramulet::test::RunProgram(
            QStringLiteral("/bin/sh"), {"-c", script, QStringLiteral(RAMULET_RENDER), "--depth",
                                        "14", "--size", "900x900", option, out});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains("annot write") && r.err.contains("File too large"),
                 r.err.constData());
        QCOMPARE(ReadAll(out), QByteArray("old picture"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::Hidden),
                 QStringList{name});
    }

    // -o and --save onto a name that holds a pipe or a device: written into, never replaced
    // by a regular file; a pipe nobody reads is refused at once (exit 2) instead of blocking.
    void specialTargetsSurvive_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("option");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("exitCode");
        QTest::addRow("svg into a read pipe") << "fifo" << "-o" << "p.svg" << 0;
        QTest::addRow("png into a read pipe") << "fifo" << "-o" << "p.png" << 0;
        QTest::addRow("template into a read pipe") << "fifo" << "--save" << "p.rm2" << 0;
        QTest::addRow("svg into a lonely pipe") << "lonely fifo" << "-o" << "p.svg" << 2;
        QTest::addRow("svg onto a null device") << "device" << "-o" << "p.svg" << 0;
        QTest::addRow("png onto a null device") << "device" << "-o" << "p.png" << 0;
        QTest::addRow("pdf onto a null device") << "device" << "-o" << "p.pdf" << 0;
        QTest::addRow("template onto a null device") << "device" << "--save" << "p.rm2" << 0;
        // The animations too (a short, small one, so that it fits the pipe's buffer).
        const QString animate = QStringLiteral("--animate grow --seconds 1 --fps 2 --size 64x64 -o");
        QTest::addRow("gif animation into a read pipe") << "fifo" << animate << "p.gif" << 0;
        QTest::addRow("apng animation into a read pipe") << "fifo" << animate << "p.png" << 0;
        QTest::addRow("webp animation onto a null device") << "device" << animate << "p.webp" << 0;
        QTest::addRow("gif animation into a lonely pipe") << "lonely fifo" << animate << "p.gif" << 2;
    }
    void specialTargetsSurvive()
    {
        QFETCH(QString, kind);
        QFETCH(QString, option);
        QFETCH(QString, name);
        QFETCH(int, exitCode);
        QTemporaryDir dir;
        const QString out = dir.filePath(name);
        const QByteArray bytes = QFile::encodeName(out);
        if (kind == QLatin1String("device")) {
            if (mknod(bytes.constData(), S_IFCHR | 0600, makedev(1, 3)) != 0) {
                QSKIP("device nodes cannot be made here");
            }
        } else {
            QCOMPARE(mkfifo(bytes.constData(), 0600), 0);
        }
        // Opened without blocking before the program starts, so that it finds a reader; the
        // small picture fits in the pipe's buffer.
        const int reader =
            kind == QLatin1String("fifo") ? open(bytes.constData(), O_RDONLY | O_NONBLOCK) : -1;
        const Run r = Render(option.split(QLatin1Char(' ')) << out);
        QVERIFY2(r.exitCode == exitCode, r.err.constData());
        struct stat st {};
        QCOMPARE(lstat(bytes.constData(), &st), 0);
        QVERIFY(kind == QLatin1String("device") ? S_ISCHR(st.st_mode) : S_ISFIFO(st.st_mode));
        if (reader >= 0) {
            QByteArray got(64 * 1024, '\0');
            const ssize_t n = read(reader, got.data(), size_t(got.size()));
            close(reader);
            QVERIFY(n > 100);
        }
        if (exitCode != 0) {
            QVERIFY2(r.err.contains("no program is reading"), r.err.constData());
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries |
                                            QDir::Hidden | QDir::System),
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
