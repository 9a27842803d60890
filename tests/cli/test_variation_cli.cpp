// ramulet-render --variation: the file of a variation is the same, byte for byte, in every
// build and on every machine (the expected files were written once and are compared in each
// build that runs the tests), and its picture is that of the variation's file.

#include "common/testsupport.h"

#include <QImage>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using Run = ramulet::test::ProcessRun;

Run Render(const QStringList &args)
{
    return ramulet::test::RunProgram(QStringLiteral(RAMULET_RENDER), args);
}

QString Example(const char *name)
{
    return QStringLiteral(RAMULET_EXAMPLES_DIR "/") + QLatin1String(name) + ".rm2";
}

} // namespace

class TestVariationCli : public QObject {
    Q_OBJECT
private slots:
    void sameFileEverywhere_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("expected");
        QTest::addRow("default") << QStringList{"--variation", "42"} << "default-42";
        QTest::addRow("symmetric, colours")
            << QStringList{Example("snowflake"), "--variation", "7", "--strength", "8",
                           "--keep-symmetry", "--colors"}
            << "snowflake-7";
        QTest::addRow("wild, count kept")
            << QStringList{Example("dragon-curve"), "--variation", "123456789", "--strength",
                           "10", "--keep-count"}
            << "dragon-curve-123456789";
        QTest::addRow("subtle, the largest seed")
            << QStringList{Example("fern"), "--variation", "18446744073709551615", "--strength",
                           "1"}
            << "fern-max";
        QTest::addRow("all boxes")
            << QStringList{Example("flowering-bush"), "--variation", "99", "--keep-symmetry",
                           "--keep-count", "--colors"}
            << "flowering-bush-99";
        QTest::addRow("wild colours")
            << QStringList{Example("spiral"), "--variation", "2026", "--strength", "10",
                           "--colors"}
            << "spiral-2026";
    }
    void sameFileEverywhere()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString out = dir.filePath(QStringLiteral("v.rm2"));
        const Run r = Render(args + QStringList{"--save", out});
        QCOMPARE(r.exitCode, 0);
        const QByteArray want = ramulet::test::ReadAll(
            QStringLiteral(RAMULET_TEST_DATA "/variations/") + expected + ".rm2");
        QVERIFY(!want.isEmpty());
        QCOMPARE(ramulet::test::ReadAll(out), want);
    }

    // -o draws the variation: the same pixels as the variation's file drawn on its own.
    void pictureIsTheVariations()
    {
        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("v.rm2"));
        const QString direct = dir.filePath(QStringLiteral("direct.png"));
        const QString viaFile = dir.filePath(QStringLiteral("file.png"));
        const QStringList common{"--depth", "8", "--size", "200x200", "--fit", "--smooth"};
        QCOMPARE(Render(common + QStringList{Example("autumn-maple"), "--variation", "5",
                                             "--colors", "--save", saved, "-o", direct})
                     .exitCode,
                 0);
        QCOMPARE(Render(common + QStringList{saved, "-o", viaFile}).exitCode, 0);
        const QImage a(direct);
        const QImage b(viaFile);
        QVERIFY(!a.isNull());
        QCOMPARE(a, b);
        // and not the parent's
        const QString parent = dir.filePath(QStringLiteral("parent.png"));
        QCOMPARE(Render(common + QStringList{Example("autumn-maple"), "-o", parent}).exitCode, 0);
        QVERIFY(a != QImage(parent));
    }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addRow("negative seed") << QStringList{"--variation", "-1"};
        QTest::addRow("seed too large") << QStringList{"--variation", "18446744073709551616"};
        QTest::addRow("seed missing") << QStringList{"--variation"};
        QTest::addRow("strength 0") << QStringList{"--variation", "1", "--strength", "0"};
        QTest::addRow("strength 11") << QStringList{"--variation", "1", "--strength", "11"};
        QTest::addRow("strength without a variation") << QStringList{"--strength", "3"};
        QTest::addRow("colours without a variation") << QStringList{"--colors"};
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        const Run r = Render(args);
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.contains("Usage:"));
    }
};

QTEST_GUILESS_MAIN(TestVariationCli)
#include "test_variation_cli.moc"
