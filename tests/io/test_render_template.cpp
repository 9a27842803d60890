// ramulet-render with a template file: loading, refusals and --save.

#include <QDir>
#include <QFile>
#include "common/testsupport.h"

#include "core/segments.h"
#include "io/templatefile.h"

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

QString Data(const char *name)
{
    return QStringLiteral(RAMULET_TEST_DATA "/templates/") + QLatin1String(name);
}

using ramulet::test::ReadAll;

bool WriteAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

class TestRenderTemplate : public QObject {
    Q_OBJECT
private slots:
    // Saving right after loading writes what was read.
    void saveRoundTrip_data()
    {
        QTest::addColumn<QString>("input"); // empty: no TEMPLATE argument
        QTest::addColumn<QString>("expected");
        QTest::addRow("default template") << QString() << Data("default.rm2");
        QTest::addRow("default file") << Data("default.rm2") << Data("default.rm2");
        QTest::addRow("trunk only") << Data("trunk-only.rm2") << Data("trunk-only.rm2");
    }
    void saveRoundTrip()
    {
        QFETCH(QString, input);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("saved.rm2"));
        QStringList args{"--save", out, "--depth", "3"};
        if (!input.isEmpty()) {
            args << input;
        }
        const Run r = Render(args);
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QCOMPARE(ReadAll(out), ReadAll(expected));
    }

    void oldFileSavesDefaultSettings()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("saved.rm2"));
        const Run r = Render({Data("old-format.rm2"), "--save", out});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        const QByteArray saved = ReadAll(out);
        QVERIFY(saved.startsWith("Ramulet 2.3\r\nCount of Data\r\n3\r\nData\r\n"
                                 " 1.00000000000000E-0001 -2.00000000000000E-0001  0.00000000000000E+0000"
                                 "  1.25000000000000E+0000 0\r\n"));
        QVERIFY(saved.endsWith(" -1\r\n 0.00000000000000E+0000  1.00000000000000E+0000"
                               "  0.00000000000000E+0000  2.50000000000000E-0001 0\r\n"
                               "16318432\r\n40960\r\n160\r\n40\r\n"));
    }

    void handEditedFileSavesItsValues()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("saved.rm2"));
        const Run r = Render({"--save", out, Data("hand-edited.rm2")});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QByteArray expected = ReadAll(Data("default.rm2"));
        expected.replace("\r\n40\r\n", "\r\n30\r\n"); // the pen width setting as read
        QCOMPARE(ReadAll(out), expected);
    }

    // A file grows exactly as its values say, whatever the view size: the dump equals a
    // plain growth from the file's values, digit for digit, and --save writes the file back.
    void fileGrowsAsWritten_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("size");
        for (const char *size : {"636x634", "7x9", "4000x33"}) {
            QTest::addRow("exact values, %s", size) << Data("exact-values.rm2") << size;
            QTest::addRow("default, %s", size) << Data("default.rm2") << size;
        }
    }
    void fileGrowsAsWritten()
    {
        QFETCH(QString, file);
        QFETCH(QString, size);
        const int depth = 6;
        const ramulet::LoadResult loaded = ramulet::ReadTemplateFile(file);
        QVERIFY(loaded.status == ramulet::LoadStatus::Accepted);
        // The growth from the values themselves: P.x plays no part, ratio = |V|.
        ramulet::BranchTable t = loaded.data.table;
        for (int32_t i = 1; i <= t.BranchCount; ++i) {
            ramulet::TBranch &row = t.Branches[static_cast<size_t>(i)];
            row.ratio = std::sqrt(row.V.x * row.V.x + row.V.y * row.V.y);
        }
        ramulet::Tseglines store;
        ramulet::TSegLine trunk{t.Branches[0].P,
                                {t.Branches[0].P.x + t.Branches[0].V.x,
                                 t.Branches[0].P.y + t.Branches[0].V.y},
                                depth + 1,
                                1.0L};
        ramulet::Grow(store, t, depth, trunk, +1);
        QByteArray expected = "index,start_x,start_y,end_x,end_y,level,width_factor\n";
        for (int32_t i = 0; i <= store.lastIndex; ++i) {
            const ramulet::TSegLine &g = store.line(i);
            char line[256];
            std::snprintf(line, sizeof line, "%d,%.21Lg,%.21Lg,%.21Lg,%.21Lg,%d,%.21Lg\n", i,
                          g.startPt.x, g.startPt.y, g.endPt.x, g.endPt.y, g.level, g.widthFactor);
            expected += line;
        }

        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString out = dir.filePath(QStringLiteral("saved.rm2"));
        const Run r = Render({file, "--size", size, "--depth", QString::number(depth),
                              "--dump-segments", "--save", out});
        QVERIFY2(r.exitCode == 0, r.err.constData());
        QVERIFY(store.lastIndex > 100);
        QCOMPARE(r.out, expected);
        QCOMPARE(ReadAll(out), ReadAll(file));
    }

    // The file's rows grow the same tree as the template they hold.
    void loadedFileGrowsLikeTheDefault()
    {
        const Run plain = Render({"--depth", "4", "--dump-segments"});
        const Run loaded = Render({"--depth", "4", "--dump-segments", Data("default.rm2")});
        QCOMPARE(plain.exitCode, 0);
        QCOMPARE(loaded.exitCode, 0);
        QVERIFY(plain.out.count('\n') > 10);
        QCOMPARE(loaded.out, plain.out);
    }

    void refusedOrUnreadable_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: the file does not exist
        QTest::addColumn<QByteArray>("message");
        QTest::addRow("count 25") << QByteArray("Ramulet 2.3\r\n\r\n25\r\n") << QByteArray("0..20");
        QTest::addRow("newer header") << QByteArray("Ramulet 2.4\r\n") << QByteArray("newer");
        QTest::addRow("zero trunk") << QByteArray("Ramulet 2.3\r\n\r\n0\r\n\r\n1 1 0 0 0\r\n")
                                    << QByteArray("zero length");
        QTest::addRow("missing") << QByteArray() << QByteArray("No such file");
    }
    void refusedOrUnreadable()
    {
        QFETCH(QByteArray, content);
        QFETCH(QByteArray, message);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString in = dir.filePath(QStringLiteral("tree.rm2"));
        if (!content.isEmpty()) {
            QVERIFY(WriteAll(in, content));
        }
        const QString out = dir.filePath(QStringLiteral("saved.rm2"));
        const Run r = Render({in, "--save", out, "--dump-segments"});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(in.toLocal8Bit()), r.err.constData());
        QVERIFY2(r.err.contains(message), r.err.constData());
        QVERIFY(r.out.isEmpty());
        QVERIFY(!QFile::exists(out));
    }

    void saveIntoAFolderFails()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const Run r = Render({"--save", dir.path()});
        QCOMPARE(r.exitCode, 2);
        QVERIFY2(r.err.contains(dir.path().toLocal8Bit()), r.err.constData());
        QVERIFY(QFileInfo(dir.path()).isDir());
    }

    void wrongUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addRow("two templates") << QStringList{Data("default.rm2"), Data("default.rm2")};
        QTest::addRow("--save without a file") << QStringList{"--save"};
        QTest::addRow("pen index 11") << QStringList{"--pen-index", "11"};
        QTest::addRow("pen index -1") << QStringList{"--pen-index", "-1"};
    }
    void wrongUsage()
    {
        QFETCH(QStringList, args);
        const Run r = Render(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("Usage"));
    }
};

QTEST_APPLESS_MAIN(TestRenderTemplate)
#include "test_render_template.moc"
