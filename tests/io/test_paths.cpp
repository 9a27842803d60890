// The path helpers of the command-line opening route.

#include "io/paths.h"
#include "io/templatefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

using namespace ramulet;

class TestPaths : public QObject {
    Q_OBJECT
private slots:
    void joinArguments_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("joined");
        QTest::addRow("none") << QStringList{} << QString();
        QTest::addRow("one") << QStringList{"/tmp/Trees/oak.rm2"} << "/tmp/Trees/oak.rm2";
        QTest::addRow("name and extension") << QStringList{"/tmp/Trees/oak", ".rm2"}
                                            << "/tmp/Trees/oak.rm2";
        // A path with a blank given without quotes arrives in two pieces and loses the blank.
        QTest::addRow("unquoted blank") << QStringList{"/tmp/My", "Trees/oak.rm2"}
                                        << "/tmp/MyTrees/oak.rm2";
        QTest::addRow("quoted blank") << QStringList{"/tmp/My Trees/oak.rm2"}
                                      << "/tmp/My Trees/oak.rm2";
        QTest::addRow("empty pieces") << QStringList{"", "a", ""} << "a";
    }
    void joinArguments()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, joined);
        QCOMPARE(JoinArguments(args), joined);
    }

    // Any name the file system holds travels through the program's texts and back as the
    // same bytes: saved under it, read from it, and found by the long-name lookup.
    void nameBytesRoundTrip_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addRow("Latin-1 byte") << QByteArray("caf\xe9.rm2");
        QTest::addRow("UTF-8") << QByteArray("caf\xc3\xa9 \xe6\x9c\xa8.rm2");
        QTest::addRow("four-byte UTF-8") << QByteArray("\xf0\x9f\x8c\xb3.rm2");
        QTest::addRow("encoded surrogate") << QByteArray("a\xed\xa0\x80.rm2");
        QTest::addRow("overlong slash") << QByteArray("b\xc0\xaf.rm2");
        QTest::addRow("cut sequence") << QByteArray("c\xe6\x9c.rm2");
        QTest::addRow("high bytes") << QByteArray("\xff\xfe\x80.rm2");
    }
    void nameBytesRoundTrip()
    {
        QFETCH(QByteArray, name);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QByteArray folder = QFile::encodeName(QFileInfo(dir.path()).canonicalFilePath());
        const QByteArray full = folder + '/' + name;
        const QString path = PathFromBytes(full);
        QCOMPARE(QByteArray::fromStdString(PathToBytes(path)), full);

        QString error;
        QVERIFY2(WriteTemplateFile(path, FormatTemplate(BranchTable{}, {}), &error), qPrintable(error));
        QVERIFY(access(full.constData(), F_OK) == 0); // the very bytes, not a look-alike
        QCOMPARE(ReadTemplateFile(path).status, LoadStatus::Refused); // read: a zero trunk
        QCOMPARE(LongPathName(path), path);
        const QUrl url(QStringLiteral("file://") + QString::fromLatin1(full.toPercentEncoding("/")));
        QCOMPARE(PathFromLocalUrl(url), path);
    }

    void longPathName_data()
    {
        // Run inside a fresh folder that holds "Trees/oak tree.rm2" and a link "Link" to
        // "Trees". With `inFolder`, `expected` is relative to that folder's canonical path.
        QTest::addColumn<QString>("path");
        QTest::addColumn<bool>("inFolder");
        QTest::addColumn<QString>("expected");
        QTest::addRow("relative file") << "Trees/oak tree.rm2" << true << "Trees/oak tree.rm2";
        QTest::addRow("relative folder") << "Trees" << true << "Trees";
        QTest::addRow("through ..") << "Trees/../Trees/./oak tree.rm2" << true
                                    << "Trees/oak tree.rm2";
        QTest::addRow("existing with trailing /") << "Trees/" << true << "Trees";
        QTest::addRow("through a link") << "Link/oak tree.rm2" << true << "Trees/oak tree.rm2";
        QTest::addRow("missing, trailing /") << "/nonexistent-ramulet/missing/" << false
                                             << "/nonexistent-ramulet/missing";
        QTest::addRow("missing") << "/nonexistent-ramulet/missing.rm2" << false
                                 << "/nonexistent-ramulet/missing.rm2";
        QTest::addRow("missing relative") << "no such file.rm2" << false << "no such file.rm2";
        QTest::addRow("empty") << "" << false << "";
        QTest::addRow("root") << "/" << false << "/";
    }
    void longPathName()
    {
        QFETCH(QString, path);
        QFETCH(bool, inFolder);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QDir base(dir.path());
        QVERIFY(base.mkdir(QStringLiteral("Trees")));
        QFile f(base.filePath(QStringLiteral("Trees/oak tree.rm2")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        QVERIFY(QFile::link(QStringLiteral("Trees"), base.filePath(QStringLiteral("Link"))));

        const QString saved = QDir::currentPath();
        QVERIFY(QDir::setCurrent(dir.path()));
        const QString got = LongPathName(path);
        QDir::setCurrent(saved);

        const QString want =
            inFolder ? QFileInfo(dir.path()).canonicalFilePath() + QLatin1Char('/') + expected
                     : expected;
        QCOMPARE(got, want);
    }
};

QTEST_APPLESS_MAIN(TestPaths)
#include "test_paths.moc"
