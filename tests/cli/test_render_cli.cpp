#include "common/testsupport.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstdio>

namespace {

using Run = ramulet::test::ProcessRun;

Run Render(const QStringList &args)
{
    return ramulet::test::RunProgram(QStringLiteral(RAMULET_RENDER), args);
}

} // namespace

class TestRenderCli : public QObject {
    Q_OBJECT
private slots:
    void dumpDepth2MatchesTheTable()
    {
        const Run r = Render({"--size", "500x500", "--depth", "2", "--dump-segments"});
        QCOMPARE(r.exitCode, 0);
        const QList<QByteArray> lines = r.out.trimmed().split('\n');
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QByteArray("index,start_x,start_y,end_x,end_y,level,width_factor"));
        const char *geometry[] = {
            "0,0,0,0,1,3",           "1,0,1,0.5,1.5,2",        "2,0.5,1.5,0.5,2,1",
            "3,0.5,1.5,1,1.5,1",     "4,0,1,-0.5,1.5,2",       "5,-0.5,1.5,-1,1.5,1",
            "6,-0.5,1.5,-0.5,2,1",
        };
        for (int i = 0; i < 7; ++i) {
            const QByteArray line = lines[i + 1];
            const QByteArray withoutWidth = line.left(line.lastIndexOf(','));
            QCOMPARE(withoutWidth, QByteArray(geometry[i]));
            const double w = line.mid(line.lastIndexOf(',') + 1).toDouble();
            const double expected = i == 0 ? 1.0 : (i == 1 || i == 4) ? std::sqrt(0.5) : 0.5;
            QVERIFY(std::fabs(w - expected) < 1e-15);
        }
        // Reals carry all their digits: the ratio is the 80-bit square root of 0.5.
        char root[64];
        std::snprintf(root, sizeof root, ",%.21Lg", std::sqrt(0.5L));
        QVERIFY(lines[2].endsWith(root));
    }

    void depth16Count()
    {
        const Run r = Render({"--depth", "16", "--dump-segments"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out.count('\n'), 131071 + 1);
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addRow("depth 0") << QStringList{"--depth", "0"};
        QTest::addRow("depth 17") << QStringList{"--depth", "17"};
        QTest::addRow("depth not a number") << QStringList{"--depth", "x"};
        QTest::addRow("depth missing value") << QStringList{"--depth"};
        QTest::addRow("bad size") << QStringList{"--size", "636"};
        QTest::addRow("zero size") << QStringList{"--size", "0x10"};
        QTest::addRow("unknown option") << QStringList{"--frobnicate"};
        QTest::addRow("depth neither number nor auto") << QStringList{"--depth", "deepest"};
        QTest::addRow("max depth without auto") << QStringList{"--max-depth", "8"};
        QTest::addRow("max depth 17") << QStringList{"--depth", "auto", "--max-depth", "17"};
        QTest::addRow("long side 0") << QStringList{"--long-side", "0"};
        QTest::addRow("long side and size")
            << QStringList{"--long-side", "128", "--size", "100x100"};
        QTest::addRow("unknown format") << QStringList{"--format", "gif", "-o", "x.gif"};
        QTest::addRow("format without output") << QStringList{"--format", "png"};
        QTest::addRow("output without a picture extension") << QStringList{"-o", "tree.dat"};
        QTest::addRow("smooth without output") << QStringList{"--smooth"};
        QTest::addRow("smooth svg") << QStringList{"--smooth", "-o", "tree.svg"};
        QTest::addRow("smooth png named pdf") << QStringList{"--smooth", "--format", "pdf", "-o", "t.png"};
        QTest::addRow("animate: unknown kind") << QStringList{"--animate", "jump", "-o", "a.gif"};
        QTest::addRow("animate: no output") << QStringList{"--animate", "grow"};
        QTest::addRow("animate: a still format") << QStringList{"--animate", "sway", "-o", "a.svg"};
        QTest::addRow("animate: morph without a file") << QStringList{"--animate", "morph:", "-o", "a.gif"};
        QTest::addRow("fps without animate") << QStringList{"--fps", "10", "-o", "a.png"};
        QTest::addRow("animate: fps 0") << QStringList{"--animate", "grow", "--fps", "0", "-o", "a.gif"};
        QTest::addRow("animate: seconds not a number")
            << QStringList{"--animate", "grow", "--seconds", "x", "-o", "a.gif"};
    }

    // The last frame of a growth, and of a morph, is the still picture of the tree it ends
    // with, pixel for pixel.
    void animationEndsWithTheStill_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("still"); // the template of the still picture; empty: default
        const QString fern = QStringLiteral(RAMULET_EXAMPLES_DIR "/fern.rm2");
        QTest::addRow("grow") << "grow" << QString();
        QTest::addRow("morph") << "morph:" + fern << fern;
    }
    void animationEndsWithTheStill()
    {
        QFETCH(QString, kind);
        QFETCH(QString, still);
        QTemporaryDir dir;
        const QStringList common = {"--depth", "8", "--smooth", "--size", "300x280"};
        const Run a = Render(common + QStringList{"--animate", kind, "--seconds", "0.3", "--fps", "10",
                                                  "-o", dir.filePath("frames/")});
        QVERIFY2(a.exitCode == 0, a.err.constData());
        QStringList stillArgs = common + QStringList{"-o", dir.filePath("still.png")};
        if (!still.isEmpty()) {
            stillArgs << still;
        }
        QCOMPARE(Render(stillArgs).exitCode, 0);
        QCOMPARE(QDir(dir.filePath("frames")).entryList(QDir::Files).size(), 3);
        const QImage last(dir.filePath("frames/0003.png"));
        QVERIFY(!last.isNull());
        QCOMPARE(last, QImage(dir.filePath("still.png")));
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = Render(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("Usage:"));
        QVERIFY(r.out.isEmpty());
    }

    // --depth auto takes the deepest depth the depth buttons offer, up to --max-depth (10
    // unless given); --long-side sizes the picture after the grown tree, at least a quarter
    // of the side across; --format writes PNG whatever the name.
    void automaticDepthAndLongSide_data()
    {
        QTest::addColumn<QString>("file"); // empty: the default template
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("segments");
        QTest::addColumn<QSize>("png");
        const QString examples = QStringLiteral(RAMULET_EXAMPLES_DIR "/");
        QTest::addRow("default, auto") << QString() << QStringList{"--depth", "auto"} << 2047
                                       << QSize(128, 97);
        QTest::addRow("default, auto up to 12")
            << QString() << QStringList{"--depth", "auto", "--max-depth", "12"} << 8191
            << QSize(128, 97);
        QTest::addRow("seven branches: depth 6")
            << examples + "flowering-bush.rm2" << QStringList{"--depth", "auto"} << 137257
            << QSize(97, 128);
        QTest::addRow("a thin curve keeps its proportions")
            << examples + "koch-curve.rm2" << QStringList{"--depth", "3"} << 85 << QSize(37, 128);
        QTest::addRow("a line gets a quarter")
            << QStringLiteral(RAMULET_TEST_DATA "/templates/trunk-only.rm2")
            << QStringList{"--depth", "auto"} << 1 << QSize(32, 128);
    }
    void automaticDepthAndLongSide()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, args);
        QFETCH(int, segments);
        QFETCH(QSize, png);
        QStringList common = args;
        if (!file.isEmpty()) {
            common << file;
        }
        const Run dump = Render(common + QStringList{"--long-side", "128", "--dump-segments"});
        QCOMPARE(dump.exitCode, 0);
        QCOMPARE(int(dump.out.count('\n')) - 1, segments);

        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("thumbnail")); // no extension
        const Run picture =
            Render(common + QStringList{"--long-side", "128", "--format", "png", "-o", out});
        QCOMPARE(picture.exitCode, 0);
        QImage image;
        QVERIFY(image.load(out, "PNG"));
        QCOMPARE(image.size(), png);
    }

    // A depth the depth buttons do not offer is refused, naming the deepest one offered;
    // --allow-partial draws what fits and says that the tree was cut. With nothing to write,
    // a one-line hint.
    void depthBeyondTheStore_data()
    {
        QTest::addColumn<QStringList>("args"); // -o PICTURE is added when "picture" is set
        QTest::addColumn<bool>("picture");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err"); // in standard error; empty: nothing there
        const QString fern = QStringLiteral(RAMULET_EXAMPLES_DIR "/fern.rm2");
        QTest::addRow("deeper than offered") << QStringList{"--depth", "16", fern} << true << 1
                                             << QByteArray("the deepest depth offered is 10");
        QTest::addRow("deeper, partial") << QStringList{"--depth", "16", "--allow-partial", fern}
                                         << true << 0 << QByteArray("the tree was cut");
        QTest::addRow("deeper, dump") << QStringList{"--depth", "11", "--dump-segments", fern}
                                      << false << 1 << QByteArray("offered is 10");
        QTest::addRow("deepest offered") << QStringList{"--depth", "10", fern} << true << 0
                                         << QByteArray();
        QTest::addRow("partial, but all fits")
            << QStringList{"--depth", "10", "--allow-partial", fern} << true << 0 << QByteArray();
        QTest::addRow("nothing to write") << QStringList{} << false << 1
                                          << QByteArray("nothing to write: give -o");
        QTest::addRow("nothing to write from a file")
            << QStringList{"--depth", "3", fern} << false << 1 << QByteArray("-o FILE");
    }
    void depthBeyondTheStore()
    {
        QFETCH(QStringList, args);
        QFETCH(bool, picture);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
        QTemporaryDir dir;
        const QString png = dir.filePath(QStringLiteral("tree.png"));
        if (picture) {
            args << "-o" << png;
        }
        const Run r = Render(args);
        QCOMPARE(r.exitCode, exitCode);
        if (err.isEmpty()) {
            QVERIFY2(r.err.isEmpty(), r.err.constData());
        } else {
            QVERIFY2(r.err.contains(err), r.err.constData());
            QCOMPARE(r.err.count('\n'), 1); // one line, no usage text
        }
        QCOMPARE(QFile::exists(png), picture && exitCode == 0);
        if (args.contains("--dump-segments")) {
            QVERIFY(r.out.isEmpty());
        }
    }

    void helpAndVersion()
    {
        QCOMPARE(Render({"--help"}).exitCode, 0);
        const Run v = Render({"--version"});
        QCOMPARE(v.exitCode, 0);
        QVERIFY(v.out.contains("2.3"));
    }
};

QTEST_GUILESS_MAIN(TestRenderCli)
#include "test_render_cli.moc"
